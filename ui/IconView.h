#pragma once

#include "ui/ListView.h"

// Large icons, for the contents of a folder: each row shows its column-0
// text under a 32 by 32 image, a folder for a row whose first hidden cell is
// exactly "Folder" and a file otherwise (rowImage(), ListRows.h). The images
// come from the desktop theme; when either is missing the view shows none.
class IconView : public ListView {
public:
    explicit IconView(wxWindow* parent, const wxRect* rect = nullptr);
    ~IconView() override;

    // Whether the folder and file images could both be loaded.
    bool hasImages() const { return m_hasImages; }

private:
    bool m_hasImages = false;
};

#pragma once

#include "ui/ListView.h"

// A table with sortable columns: report mode, grid lines, whole-row
// selection, several rows selectable at once.
class ReportView : public ListView {
public:
    explicit ReportView(wxWindow* parent, const wxRect* rect = nullptr);
    ~ReportView() override;
};

#pragma once

#include <wx/dialog.h>

// The About box: the program's icon, its name and version, two notice lines
// and an OK button. Enter ends it with wxID_OK; Escape and closing the
// window end it with wxID_CANCEL.
class AboutBox : public wxDialog {
public:
    explicit AboutBox(wxWindow* parent);

    static const char* const kVersionText;
    static const char* const kNoticeLines[2];
};

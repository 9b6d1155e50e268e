#include "app/window/AboutBox.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/window/AppIcon.h"

const char* const AboutBox::kVersionText = "ZEBDOC Version 1.0";
const char* const AboutBox::kNoticeLines[2] = {
    "Keeps every version of your documents, ready to open or get back.",
    "Copyright (C) 2026 the ZEBDOC developers. All rights reserved.",
};

AboutBox::AboutBox(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "About", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
    auto* icon = new wxStaticBitmap(this, wxID_ANY, appIconImage().GetBitmap(wxSize(48, 48)));
    auto* texts = new wxBoxSizer(wxVERTICAL);
    auto* version = new wxStaticText(this, wxID_ANY, kVersionText);
    version->SetFont(version->GetFont().Bold());
    texts->Add(version, 0, wxBOTTOM, 8);
    for (const char* line : kNoticeLines) {
        texts->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(line)), 0, wxBOTTOM, 4);
    }
    auto* top = new wxBoxSizer(wxHORIZONTAL);
    top->Add(icon, 0, wxALL, 12);
    top->Add(texts, 1, wxTOP | wxRIGHT | wxBOTTOM, 12);

    auto* ok = new wxButton(this, wxID_OK, "OK");
    ok->SetDefault();
    SetAffirmativeId(wxID_OK);

    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(top, 1, wxEXPAND);
    all->Add(ok, 0, wxALIGN_CENTER | wxBOTTOM, 12);
    SetSizerAndFit(all);
    CentreOnParent();
}

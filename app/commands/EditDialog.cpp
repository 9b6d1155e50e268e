#include "app/commands/EditDialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "app/window/StringTable.h"
#include "core/IZEB.h"
#include "core/RevisionFile.h"

namespace {

constexpr int kTextSize = 1024;

wxString textOf(int id) {
    return wxString::FromUTF8(strings::text(id));
}

}  // namespace

EditDialog::EditDialog(wxWindow* parent, IZEB* item)
    : wxDialog(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_item(item) {
    auto* grid = new wxFlexGridSizer(2, wxSize(8, 8));
    grid->AddGrowableCol(1);
    grid->AddGrowableRow(2);

    grid->Add(new wxStaticText(this, wxID_ANY, "Version:"), 0, wxALIGN_CENTER_VERTICAL);
    m_version = new wxStaticText(this, kVersionId, wxEmptyString);
    grid->Add(m_version, 0, wxALIGN_CENTER_VERTICAL);

    grid->Add(new wxStaticText(this, wxID_ANY, "Name:"), 0, wxALIGN_CENTER_VERTICAL);
    m_name = new wxTextCtrl(this, kNameId, wxEmptyString, wxDefaultPosition, wxSize(320, -1));
    grid->Add(m_name, 1, wxEXPAND);

    grid->Add(new wxStaticText(this, wxID_ANY, "Note:"), 0, wxALIGN_TOP);
    m_note = new wxTextCtrl(this, kNoteId, wxEmptyString, wxDefaultPosition, wxSize(320, 120),
                            wxTE_MULTILINE);
    grid->Add(m_note, 1, wxEXPAND);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(grid, 1, wxEXPAND | wxALL, 12);
    top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM,
             12);
    SetSizerAndFit(top);

    fill();
    m_name->SetMaxLength(kNameLength);
    // A multi-line field has no length limit of its own here: text typed or
    // pasted beyond it is cut back once the insertion is over (the text
    // cannot change while the control is still inserting).
    m_note->Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
        event.Skip();
        if (m_note->GetLastPosition() > kNoteLength) {
            CallAfter(&EditDialog::limitNote);
        }
    });
    m_name->SetFocus();
    CentreOnParent();
}

void EditDialog::fill() {
    if (!m_item) {
        return;
    }
    char uid[kTextSize] = "";
    m_item->getUID(uid, kTextSize);
    auto* revision = dynamic_cast<RevisionFile*>(m_item);
    if (revision) {
        char version[kTextSize] = "";
        revision->getVersion(version, kTextSize);
        SetTitle(textOf(strings::kRevisionFileTitle) + wxString::FromUTF8(uid));
        m_version->SetLabel(wxString::FromUTF8(version));
    } else {
        SetTitle(textOf(strings::kVersionedFileTitle) + wxString::FromUTF8(uid));
        m_version->SetLabel("0");
    }
    char name[kTextSize] = "";
    char notes[kTextSize] = "";
    m_item->getName(name, kTextSize);
    m_item->getNotes(notes, kTextSize);
    m_name->ChangeValue(wxString::FromUTF8(name).Left(kNameLength));
    m_note->ChangeValue(wxString::FromUTF8(notes).Left(kNoteLength));
}

void EditDialog::limitNote() {
    const wxString value = m_note->GetValue();
    if (value.length() <= static_cast<size_t>(kNoteLength)) {
        return;
    }
    const long insertion = m_note->GetInsertionPoint();
    m_note->ChangeValue(value.Left(kNoteLength));
    m_note->SetInsertionPoint(std::min<long>(insertion, kNoteLength));
    wxBell();
}

bool EditDialog::store() {
    if (!m_item) {
        return false;
    }
    m_item->setName(m_name->GetValue().utf8_string().c_str());
    m_item->setNotes(m_note->GetValue().Left(kNoteLength).utf8_string().c_str());
    return m_item->save();
}

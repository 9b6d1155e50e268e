#include "setup/gui/PageDialog.h"

#include <wx/bmpbndl.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/icon.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "setup/model/SetupStrings.h"

namespace setup {

namespace {

#include "SetupBitmap.inc"

PageDialog* g_current = nullptr;
int g_made = 0;

// Dialog units of the pages.
const wxSize kPageSize(322, 221);

wxString fromUtf8(const std::string& text) {
    return wxString::FromUTF8(text.c_str());
}

}  // namespace

PageDialog::PageDialog(wxWindow* parent, const PageTemplate& view, Page& page)
    : wxDialog(parent, wxID_ANY, fromUtf8(view.caption)),
      m_view(view),
      m_page(page),
      m_serial(++g_made) {
    m_page.init(m_fields);
    build();
    push();
    g_current = this;
}

PageDialog::~PageDialog() {
    if (g_current == this) {
        g_current = nullptr;
    }
}

PageDialog* PageDialog::current() {
    return g_current;
}

wxWindow* PageDialog::control(int id) const {
    auto found = m_controls.find(id);
    return found != m_controls.end() ? found->second : nullptr;
}

void PageDialog::build() {
    const wxSize size = ConvertDialogToPixels(kPageSize);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
        wxImage::AddHandler(new wxPNGHandler);
    }
    wxBitmap picture = wxBitmap::NewFromPNGData(kSetupBitmap, sizeof kSetupBitmap);
    wxIcon icon;
    icon.CopyFromBitmap(picture);
    SetIcon(icon);
    row->Add(new wxStaticBitmap(this, wxID_ANY, picture), 0, wxALL, 12);

    auto* column = new wxBoxSizer(wxVERTICAL);
    const int textWidth = size.GetWidth() - picture.GetWidth() - 48;
    for (const std::string& text : m_view.texts) {
        auto* label = new wxStaticText(this, wxID_ANY, fromUtf8(text));
        label->Wrap(textWidth);
        column->Add(label, 0, wxBOTTOM | wxEXPAND, 8);
    }
    auto* grid = new wxFlexGridSizer(2, 4, 8);
    grid->AddGrowableCol(1);
    wxSizer* group = nullptr;
    for (const FieldSpec& field : m_view.fields) {
        wxWindow* control = nullptr;
        switch (field.kind) {
            case ControlKind::Edit:
                control = new wxTextCtrl(this, field.id);
                break;
            case ControlKind::Password:
                control = new wxTextCtrl(this, field.id, wxEmptyString, wxDefaultPosition,
                                         wxDefaultSize, wxTE_PASSWORD);
                break;
            case ControlKind::Combo: {
                wxArrayString choices;
                for (const std::string& choice : m_fields.choices(field.id)) {
                    choices.Add(fromUtf8(choice));
                }
                auto* combo = new wxComboBox(this, field.id, wxEmptyString, wxDefaultPosition,
                                             wxDefaultSize, choices, wxCB_DROPDOWN | wxCB_SORT);
                combo->Bind(wxEVT_TEXT, [this, id = field.id](wxCommandEvent&) {
                    if (!m_pushing) {
                        pressed(id);
                    }
                });
                combo->Bind(wxEVT_COMBOBOX, [this, id = field.id](wxCommandEvent&) {
                    if (!m_pushing) {
                        pressed(id);
                    }
                });
                control = combo;
                break;
            }
            case ControlKind::Folder: {
                auto* box = new wxStaticBoxSizer(wxVERTICAL, this, fromUtf8(m_view.groupLabel));
                control = new wxStaticText(box->GetStaticBox(), field.id, wxEmptyString);
                box->Add(control, 0, wxALL | wxEXPAND, 8);
                group = box;
                break;
            }
        }
        m_controls[field.id] = control;
        if (field.kind != ControlKind::Folder) {
            auto* label = new wxStaticText(this, wxID_ANY, fromUtf8(field.label));
            m_labels[field.id] = label;
            grid->Add(label, 0, wxALIGN_CENTER_VERTICAL);
            grid->Add(control, 1, wxEXPAND);
        }
    }
    column->Add(grid, 0, wxEXPAND | wxTOP, 4);
    if (group != nullptr) {
        column->Add(group, 0, wxEXPAND | wxTOP, 4);
    }
    column->AddStretchSpacer();

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer();
    for (const ButtonSpec& wanted : m_view.buttons) {
        auto* button = new wxButton(this, wanted.id, fromUtf8(wanted.label));
        if (wanted.isDefault) {
            button->SetDefault();
            SetDefaultItem(button);
        }
        button->Bind(wxEVT_BUTTON, [this, id = wanted.id](wxCommandEvent&) { pressed(id); });
        buttons->Add(button, 0, wxLEFT, 8);
        m_controls[wanted.id] = button;
    }
    column->Add(buttons, 0, wxEXPAND | wxTOP, 12);
    row->Add(column, 1, wxEXPAND | wxTOP | wxRIGHT | wxBOTTOM, 12);

    SetEscapeId(m_view.cancelButton);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { pressed(m_view.cancelButton); });
    SetSizer(row);
    SetMinClientSize(size);
    Fit();
    CentreOnParent();
}

void PageDialog::pull() {
    for (const FieldSpec& field : m_view.fields) {
        wxWindow* control = m_controls[field.id];
        if (auto* text = dynamic_cast<wxTextCtrl*>(control)) {
            m_fields.setText(field.id, text->GetValue().utf8_string());
        } else if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
            m_fields.setText(field.id, combo->GetValue().utf8_string());
        }
    }
}

void PageDialog::push() {
    m_pushing = true;
    for (const FieldSpec& field : m_view.fields) {
        wxWindow* control = m_controls[field.id];
        const wxString text = fromUtf8(m_fields.text(field.id));
        if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) {
            if (edit->GetValue() != text) {
                edit->ChangeValue(text);
            }
        } else if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
            if (combo->GetValue() != text) {
                combo->ChangeValue(text);
            }
        } else if (auto* label = dynamic_cast<wxStaticText*>(control)) {
            label->SetLabel(text);
        }
        const bool shown = !m_fields.isHidden(field.id);
        control->Show(shown);
        if (m_labels.count(field.id) != 0) {
            m_labels[field.id]->Show(shown);
        }
    }
    m_pushing = false;
    Layout();
}

void PageDialog::pressed(int id) {
    pull();
    const std::optional<int> code = m_page.command(id, m_fields);
    if (code) {
        EndModal(*code);
        return;
    }
    push();
}

}  // namespace setup

#include "shellext/SelDialog.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/settings.h>

#include "shellext/Module.h"
#include "shellext/Prompts.h"
#include "shellext/RevisionRows.h"
#include "shellext/ShellStrings.h"
#include "shellext/Toolkit.h"
#include "ui/ReportView.h"

namespace {

void makeCurrent(CZEBSelDialog* dialog) {
    pthread_setspecific(zebui::dialogTlsIndex(), dialog);
}

CZEBSelDialog* currentDialog() {
    return static_cast<CZEBSelDialog*>(pthread_getspecific(zebui::dialogTlsIndex()));
}

// The template's measures, in dialog units.
const wxSize kDialogSize(264, 145);
const wxPoint kGetPosition(7, 124);
const wxPoint kCancelPosition(207, 124);
const wxSize kButtonSize(50, 14);
constexpr int kGetCode = 1;
constexpr int kCancelCode = 2;

}  // namespace

CZEBSelDialog::CZEBSelDialog() : m_selectedUID(UID::none()), m_objectUID(UID::none()) {
    makeCurrent(this);
}

CZEBSelDialog::~CZEBSelDialog() {
    m_listView.reset();
    if (currentDialog() == this) {
        makeCurrent(nullptr);
    }
}

int CZEBSelDialog::show(HWND owner, const UID& file) {
    m_objectUID = file;
    if (!startToolkit()) {
        return -1;
    }
    makeCurrent(this);
    auto* parent = reinterpret_cast<wxWindow*>(owner);
    long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER;
    if (parent == nullptr) {
        // Started from a file manager: above its window.
        style |= wxSTAY_ON_TOP;
    }
    wxDialog dialog;
    if (!dialog.Create(parent, wxID_ANY, "Revisions", wxDefaultPosition, wxDefaultSize, style)) {
        return -1;
    }
    dialog.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
    dialog.SetClientSize(dialog.ConvertDialogToPixels(kDialogSize));
    const wxSize buttonSize = dialog.ConvertDialogToPixels(kButtonSize);
    auto* get = new wxButton(&dialog, wxID_OK, "Get", dialog.ConvertDialogToPixels(kGetPosition),
                             buttonSize);
    get->SetDefault();
    new wxButton(&dialog, wxID_CANCEL, "Cancel", dialog.ConvertDialogToPixels(kCancelPosition),
                 buttonSize);

    const auto procedure = [&dialog](wxEvent& event) {
        if (!ZEBSelectDlgProc(&dialog, event)) {
            event.Skip();
        }
    };
    dialog.Bind(wxEVT_INIT_DIALOG, procedure);
    dialog.Bind(wxEVT_SIZE, procedure);
    dialog.Bind(wxEVT_LIST_COL_CLICK, procedure);
    dialog.Bind(wxEVT_BUTTON, procedure);
    dialog.Bind(wxEVT_CHAR_HOOK, procedure);
    dialog.Bind(wxEVT_CLOSE_WINDOW, procedure);
    dialog.CentreOnScreen();
    const int code = dialog.ShowModal();
    // The list control goes with the dialog; the view before it.
    m_listView.reset();
    return code == kGetCode ? kGetCode : kCancelCode;
}

void CZEBSelDialog::getListData(std::vector<std::string>& headers,
                                std::vector<std::vector<std::string>>& rows) {
    revisionRows(m_objectUID, headers, rows);
}

void CZEBSelDialog::resizeDialog(wxWindow* dialog) {
    wxWindow* get = dialog->FindWindow(wxID_OK);
    wxWindow* cancel = dialog->FindWindow(wxID_CANCEL);
    if (get == nullptr || cancel == nullptr) {
        return;
    }
    const wxRect client = dialog->GetClientRect();
    const wxSize getSize = get->GetSize();
    const wxSize cancelSize = cancel->GetSize();
    const int band = getSize.y > cancelSize.y ? getSize.y + 10 : cancelSize.y + 25;
    const int y = client.y + client.height - band + 12;
    get->Move(client.x + 12, y);
    cancel->Move(client.x + client.width - cancelSize.x - 12, y);
    if (m_listView && m_listView->getWindow()) {
        m_listView->getWindow()->SetSize(client.x, client.y, client.width, client.height - band);
    }
    dialog->Refresh();
}

void CZEBSelDialog::doOK(wxWindow* dialog) {
    std::vector<std::string> values;
    if (m_listView) {
        m_listView->getSelectedValues(kRevisionUidColumn, values);
    }
    if (values.size() == 1) {
        m_selectedUID = values[0].c_str();
        if (auto* modal = dynamic_cast<wxDialog*>(dialog)) {
            modal->EndModal(kGetCode);
        }
        return;
    }
    shellPrompts().messageBox(nullptr, shellstrings::text(shellstrings::kSelectRevision),
                              shellstrings::text(shellstrings::kCaption),
                              MB_OK | MB_ICONINFORMATION);
}

void CZEBSelDialog::getSelectedUID(UID& out) const {
    out = m_selectedUID;
}

bool CZEBSelDialog::ZEBSelectDlgProc(wxWindow* dialog, wxEvent& event) {
    CZEBSelDialog* self = currentDialog();
    if (self == nullptr) {
        return false;
    }
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_INIT_DIALOG) {
        const std::vector<int> widths = {10, 20, 30, 40};
        std::vector<std::string> headers;
        std::vector<std::vector<std::string>> rows;
        self->getListData(headers, rows);
        const wxRect client = dialog->GetClientRect();
        self->m_listView = std::make_unique<ReportView>(dialog, &client);
        self->m_listView->setDateLineFeed(true);
        self->m_listView->setColumns(headers, rows, widths);
        self->resizeDialog(dialog);
        return false;
    }
    if (type == wxEVT_SIZE) {
        self->resizeDialog(dialog);
        return true;
    }
    if (type == wxEVT_LIST_COL_CLICK) {
        return self->m_listView && self->m_listView->onNotify(dialog, event) != 0;
    }
    auto* modal = dynamic_cast<wxDialog*>(dialog);
    if (type == wxEVT_BUTTON) {
        if (event.GetId() == wxID_OK) {
            self->doOK(dialog);
            return true;
        }
        if (event.GetId() == wxID_CANCEL && modal != nullptr) {
            modal->EndModal(kCancelCode);
            return true;
        }
        return false;
    }
    if (type == wxEVT_CHAR_HOOK) {
        // Enter is Get wherever the focus is, as the default button's key.
        const int key = static_cast<wxKeyEvent&>(event).GetKeyCode();
        if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
            self->doOK(dialog);
            return true;
        }
        return false;
    }
    if (type == wxEVT_CLOSE_WINDOW && modal != nullptr) {
        modal->EndModal(kCancelCode);
        return true;
    }
    return false;
}

// The revision picker's window (CZEBSelDialog's, whose members come here):
// the dialog with its two buttons and the report pane of its revisions.

#include "shellext/windows/PickerWindow.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/settings.h>

#include <memory>
#include <new>

#include "shellext/RevisionRows.h"
#include "ui/ReportView.h"

namespace zebui {

namespace {

// The template's measures, in dialog units.
const wxSize kDialogSize(264, 145);
const wxPoint kGetPosition(7, 124);
const wxPoint kCancelPosition(207, 124);
const wxSize kButtonSize(50, 14);
constexpr int kGetCode = 1;
constexpr int kCancelCode = 2;

class DesktopPickerWindow : public PickerWindow {
public:
    explicit DesktopPickerWindow(PickerOwner& owner) : m_owner(owner) {}

    ~DesktopPickerWindow() override {
        try {
            m_listView.reset();
        } catch (...) {
        }
    }

    int show(HWND owner) override {
        try {
            return showModal(reinterpret_cast<wxWindow*>(owner));
        } catch (...) {
            m_listView.reset();
            return -1;
        }
    }

    void resize(void* dialog) override {
        try {
            resizeDialog(static_cast<wxWindow*>(dialog));
        } catch (...) {
        }
    }

    void ok(void* dialog) override {
        try {
            doOK(static_cast<wxWindow*>(dialog));
        } catch (...) {
        }
    }

    bool handle(void* dialog, void* event) override {
        try {
            return procedure(static_cast<wxWindow*>(dialog), *static_cast<wxEvent*>(event));
        } catch (...) {
            return false;
        }
    }

private:
    int showModal(wxWindow* parent) {
        long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER;
        if (parent == nullptr) {
            // Started from a file manager: above its window.
            style |= wxSTAY_ON_TOP;
        }
        wxDialog dialog;
        if (!dialog.Create(parent, wxID_ANY, "Revisions", wxDefaultPosition, wxDefaultSize,
                           style)) {
            return -1;
        }
        dialog.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
        dialog.SetClientSize(dialog.ConvertDialogToPixels(kDialogSize));
        const wxSize buttonSize = dialog.ConvertDialogToPixels(kButtonSize);
        auto* get = new wxButton(&dialog, wxID_OK, "Get",
                                 dialog.ConvertDialogToPixels(kGetPosition), buttonSize);
        get->SetDefault();
        new wxButton(&dialog, wxID_CANCEL, "Cancel", dialog.ConvertDialogToPixels(kCancelPosition),
                     buttonSize);

        // Every event goes through the picker's event procedure first.
        const auto procedure = [this, &dialog](wxEvent& event) {
            if (!m_owner.dispatch(static_cast<wxWindow*>(&dialog), &event)) {
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

    void resizeDialog(wxWindow* dialog) {
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
            m_listView->getWindow()->SetSize(client.x, client.y, client.width,
                                             client.height - band);
        }
        dialog->Refresh();
    }

    void doOK(wxWindow* dialog) {
        std::vector<std::string> values;
        if (m_listView) {
            m_listView->getSelectedValues(kRevisionUidColumn, values);
        }
        if (values.size() == 1) {
            m_owner.choose(values[0]);
            if (auto* modal = dynamic_cast<wxDialog*>(dialog)) {
                modal->EndModal(kGetCode);
            }
            return;
        }
        m_owner.askForOne();
    }

    bool procedure(wxWindow* dialog, wxEvent& event) {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_INIT_DIALOG) {
            const std::vector<int> widths = {10, 20, 30, 40};
            std::vector<std::string> headers;
            std::vector<std::vector<std::string>> rows;
            m_owner.listData(headers, rows);
            const wxRect client = dialog->GetClientRect();
            m_listView = std::make_unique<ReportView>(dialog, &client);
            m_listView->setDateLineFeed(true);
            m_listView->setColumns(headers, rows, widths);
            resizeDialog(dialog);
            return false;
        }
        if (type == wxEVT_SIZE) {
            resizeDialog(dialog);
            return true;
        }
        if (type == wxEVT_LIST_COL_CLICK) {
            return m_listView && m_listView->onNotify(dialog, event) != 0;
        }
        auto* modal = dynamic_cast<wxDialog*>(dialog);
        if (type == wxEVT_BUTTON) {
            if (event.GetId() == wxID_OK) {
                doOK(dialog);
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
                doOK(dialog);
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

    PickerOwner& m_owner;
    std::unique_ptr<ReportView> m_listView;
};

}  // namespace

PickerWindow* makePickerWindow(PickerOwner& owner) {
    return new (std::nothrow) DesktopPickerWindow(owner);
}

}  // namespace zebui

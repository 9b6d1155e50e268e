#include "ui/UserInterface.h"

#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/dirdlg.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/msgdlg.h>

// After msgdlg.h, which it builds on.
#include <wx/generic/msgdlgg.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <map>

#include "ui/AddChooser.h"
#include "ui/DefaultApplication.h"

namespace {

// The help book's own title, with any "%" kept as it is in a title format.
wxString bookTitle(wxHtmlHelpController& help, const wxString& book) {
    const wxString archive = wxFileSystem::FileNameToURL(wxFileName(book));
    const wxHtmlBookRecArray& books = help.GetHelpData()->GetBookRecArray();
    for (size_t i = 0; i < books.size(); ++i) {
        const wxHtmlBookRecord& record = books[i];
        // The book's project file inside it: "file:///.../book.htb#zip:book.hhp".
        if (record.GetBookFile().StartsWith(archive + "#")) {
            wxString title = record.GetTitle();
            title.Replace("%", "%%");
            return title;
        }
    }
    return "%s";
}

// Puts a window the person asked for in front of them: new, over `near`
// (where they are looking; the toolkit would put it in a corner of the
// screen); in any case whole on that display's work area, not iconized,
// raised.
void bringOnScreen(wxTopLevelWindow* window, wxWindow* near, bool isNew) {
    if (!window) {
        return;
    }
    int display = wxDisplay::GetFromWindow(near ? near : window);
    if (display == wxNOT_FOUND) {
        display = 0;
    }
    const wxRect area = wxDisplay(static_cast<unsigned>(display)).GetClientArea();
    wxRect rect = window->GetRect();
    rect.SetSize(wxSize(std::min(rect.width, area.width), std::min(rect.height, area.height)));
    if (isNew && near) {
        rect = rect.CentreIn(near->GetScreenRect());
    }
    // Shifted into the area where it sticks out.
    rect.x = std::max(area.x, std::min(rect.x, area.GetRight() + 1 - rect.width));
    rect.y = std::max(area.y, std::min(rect.y, area.GetBottom() + 1 - rect.height));
    if (rect != window->GetRect()) {
        window->SetSize(rect);
    }
    if (window->IsIconized()) {
        window->Iconize(false);
    }
    window->Raise();
}

int buttonOf(int dialogId) {
    switch (dialogId) {
        case wxID_OK:
            return wxOK;
        case wxID_YES:
            return wxYES;
        case wxID_NO:
            return wxNO;
        default:
            return wxCANCEL;
    }
}

class DesktopUserInterface : public UserInterface {
public:
    int messageBox(wxWindow* parent, const wxString& text, const wxString& caption,
                   long style) override {
        // The native box shows no question icon; the generic one does.
        if (style & wxICON_QUESTION) {
            wxGenericMessageDialog box(parent, text, caption, style);
            return buttonOf(box.ShowModal());
        }
        wxMessageDialog box(parent, text, caption, style);
        return buttonOf(box.ShowModal());
    }

    bool chooseFiles(wxWindow* parent, const wxString& title, const wxString& wildcard,
                     const wxString& acceptLabel, ChosenFiles& chosen) override {
        wxFileDialog chooser(parent, title, wxEmptyString, wxEmptyString, wildcard,
                             wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
        addVersionFields(chooser);
        labelAcceptButton(chooser, acceptLabel);
        if (chooser.ShowModal() != wxID_OK) {
            return false;
        }
        chosen.paths = chosenPaths(chooser);
        chosen.versionName = versionName(chooser);
        chosen.versionNote = versionNote(chooser);
        return !chosen.paths.empty();
    }

    bool chooseFolder(wxWindow* parent, const wxString& title, std::string& folder) override {
        wxDirDialog chooser(parent, title, wxEmptyString, wxDD_DEFAULT_STYLE);
        if (chooser.ShowModal() != wxID_OK) {
            return false;
        }
        folder = std::string(chooser.GetPath().fn_str());
        return !folder.empty();
    }

    int showModal(wxDialog& dialog) override { return dialog.ShowModal(); }

    bool showHelp(wxWindow* parent, const wxString& book, const wxString& topic) override {
        wxHtmlHelpController* help = helpFor(parent);
        if (!help->AddBook(wxFileName(book))) {
            return false;
        }
        help->SetTitleFormat(bookTitle(*help, book));
        const bool isNew = help->GetFrame() == nullptr;
        if (!help->Display(topic)) {
            return false;
        }
        bringOnScreen(help->GetFrame(), parent, isNew);
        return true;
    }

    bool launchAndWait(wxWindow* parent, const std::string& path) override {
        return openAndWait(parent, path);
    }

    std::string chooseApplication(wxWindow* parent, const std::string& contentType) override {
        wxWindow* top = parent ? wxGetTopLevelParent(parent) : nullptr;
        GtkWindow* owner = top ? GTK_WINDOW(top->GetHandle()) : nullptr;
        GtkWidget* dialog = gtk_app_chooser_dialog_new_for_content_type(
            owner, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
            contentType.c_str());
        // The dialog's own answer handler (connected without data) notes the
        // choice as the type's last used application, which GIO then takes as
        // the type's application: kept out, so that nothing is remembered.
        g_signal_handlers_block_matched(
            dialog, static_cast<GSignalMatchType>(G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_DATA),
            g_signal_lookup("response", GTK_TYPE_DIALOG), 0, nullptr, nullptr, nullptr);
        g_object_ref(dialog);
        std::string id;
        if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
            GAppInfo* app = gtk_app_chooser_get_app_info(GTK_APP_CHOOSER(dialog));
            if (app) {
                const char* appId = g_app_info_get_id(app);
                id = appId ? appId : "";
                g_object_unref(app);
            }
        }
        gtk_widget_destroy(dialog);
        g_object_unref(dialog);
        return id;
    }

private:
    // One viewer per parent window, gone with it.
    wxHtmlHelpController* helpFor(wxWindow* parent) {
        auto found = m_help.find(parent);
        if (found != m_help.end()) {
            return found->second;
        }
        auto* help = new wxHtmlHelpController(wxHF_DEFAULT_STYLE, parent);
        m_help[parent] = help;
        if (parent) {
            parent->Bind(wxEVT_DESTROY, [this, parent](wxWindowDestroyEvent& event) {
                event.Skip();
                if (event.GetEventObject() != parent) {
                    return;
                }
                auto it = m_help.find(parent);
                if (it != m_help.end()) {
                    delete it->second;
                    m_help.erase(it);
                }
            });
        }
        return help;
    }

    std::map<wxWindow*, wxHtmlHelpController*> m_help;
};

UserInterface* g_installed = nullptr;

}  // namespace

UserInterface& desktopUserInterface() {
    static DesktopUserInterface desktop;
    return desktop;
}

UserInterface& userInterface() {
    return g_installed ? *g_installed : desktopUserInterface();
}

UserInterface* setUserInterface(UserInterface* ui) {
    UserInterface* previous = g_installed;
    g_installed = ui;
    return previous;
}

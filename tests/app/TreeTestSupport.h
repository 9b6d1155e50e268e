#pragma once

// What the browse-tree tests share: a repository with files added through
// the core library, the program's own main window with its browse tree,
// and a user interface that answers instead of a person.

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/ArchiveFolder.h"
#include "app/CommandIds.h"
#include "app/DataView.h"
#include "app/ListView.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/TreeCtrl.h"
#include "app/UserInterface.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "tests/app/WxPump.h"
#include "tests/support/BackendTest.h"

namespace zebtest {

// Answers message boxes with `answer` and modal dialogs with `modal` (OK
// unless a test says otherwise), noting what was asked.
class AnsweringInterface : public UserInterface {
public:
    int messageBox(wxWindow*, const wxString& text, const wxString&, long) override {
        messages.push_back(text.utf8_string());
        return answer;
    }
    bool chooseFiles(wxWindow*, const wxString&, const wxString&, ChosenFiles&) override {
        return false;
    }
    int showModal(wxDialog& dialog) override {
        dialogTitles.push_back(dialog.GetTitle().utf8_string());
        return modal ? modal(dialog) : wxID_OK;
    }
    bool showHelp(wxWindow*, const wxString&, const wxString&) override { return false; }
    bool launchAndWait(const std::string& path) override {
        launched.push_back(path);
        return true;
    }

    int answer = wxOK;
    std::function<int(wxDialog&)> modal;
    std::vector<std::string> messages;
    std::vector<std::string> dialogTitles;
    std::vector<std::string> launched;
};

class TreeTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        createTables();
        m_previousUi = setUserInterface(&ui);
    }

    void TearDown() override {
        if (window) {
            window->Destroy();
            pumpFor(30);
            window = nullptr;
        }
        setUserInterface(m_previousUi);
        BackendTest::TearDown();
    }

    // A working file below the test's folder.
    std::string docPath(const std::string& relative) const {
        return workDir() + "/home/ann/" + relative;
    }

    // Writes and versions `path`; returns the versioned file's UID.
    std::string version(const std::string& path, const std::string& name = "first",
                        const std::string& note = "note") {
        writeFile(path, "text of " + path + "\n");
        VersionedFile file(name.c_str(), note.c_str(), path.c_str());
        EXPECT_TRUE(file.save()) << path;
        char uid[1024] = "";
        file.getUID(uid, sizeof uid);
        return uid;
    }

    // A further revision of a versioned file; returns its UID.
    std::string addRevision(const std::string& fileUid, const std::string& name,
                            const std::string& note = "") {
        UID uid;
        uid = fileUid.c_str();
        VersionedFile file(uid);
        RevisionFile revision(name.c_str(), note.c_str(), &file);
        EXPECT_TRUE(revision.save());
        char text[1024] = "";
        revision.getUID(text, sizeof text);
        return text;
    }

    // UIDs of a versioned file's revisions by version.
    std::vector<std::string> revisionsOf(const std::string& fileUid) {
        std::vector<std::string> out;
        for (const Row& row : rawQuery("SELECT UID FROM REVTABLE WHERE MASTERUID = '" + fileUid +
                                       "' ORDER BY REVVER")) {
            out.push_back(row[0].value_or(""));
        }
        return out;
    }

    // The program's start-up: the main window with a new browse tree.
    void start() {
        window = startUp();
        ASSERT_NE(window, nullptr);
        tree = dynamic_cast<TreeCtrl*>(window->leftPane());
        ASSERT_NE(tree, nullptr);
    }

    wxTreeCtrl* control() const { return tree->treeWindow(); }
    wxTreeItemId root() const { return control()->GetRootItem(); }

    std::vector<wxTreeItemId> children(const wxTreeItemId& node) const {
        std::vector<wxTreeItemId> out;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = control()->GetFirstChild(node, cookie); c.IsOk();
             c = control()->GetNextChild(node, cookie)) {
            out.push_back(c);
        }
        return out;
    }
    std::vector<std::string> labels(const wxTreeItemId& node) const {
        std::vector<std::string> out;
        for (const wxTreeItemId& c : children(node)) {
            out.push_back(control()->GetItemText(c).utf8_string());
        }
        return out;
    }

    // Expands `node` as a click on its button does, and returns the child
    // whose entry is named `name` (invalid when none).
    wxTreeItemId child(const wxTreeItemId& node, const std::string& name) {
        control()->Expand(node);
        for (const wxTreeItemId& c : children(node)) {
            const NodeRecord* record = tree->nodeRecord(tree->nodeNumber(c));
            if (record && record->name == name) {
                return c;
            }
        }
        return wxTreeItemId();
    }

    // The node of a working path (a file, a folder, or a versioned file's
    // path followed by "/" and a revision UID), expanding on the way.
    wxTreeItemId nodeOf(const std::string& path) {
        wxTreeItemId node = root();
        const std::string form = ArchiveFolder::archiveForm(path);
        size_t start = 0;
        while (node.IsOk() && start <= form.size()) {
            size_t end = form.find('/', start);
            if (end == std::string::npos) {
                end = form.size();
            }
            node = child(node, form.substr(start, end - start));
            start = end + 1;
        }
        return node;
    }

    // Selects a node as a click on it does; the tree fills the right pane.
    void select(const wxTreeItemId& node) {
        ASSERT_TRUE(node.IsOk());
        control()->SelectItem(node);
    }

    // Gives `target` the keyboard focus; false when the display would not.
    bool focus(wxWindow* target) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (!window->IsActive()) {
                window->Raise();
                pumpUntil([this] { return window->IsActive(); }, 1500);
            }
            target->SetFocus();
            if (pumpUntil(
                    [target] {
                        for (wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent()) {
                            if (w == target) {
                                return true;
                            }
                        }
                        return false;
                    },
                    1500)) {
                return true;
            }
        }
        return false;
    }

    template <typename View>
    View* pane() const {
        return dynamic_cast<View*>(window->rightPane());
    }

    // Runs a command as its menu item does.
    void command(int id) {
        wxCommandEvent event(wxEVT_MENU, toWxId(id));
        event.SetEventObject(window);
        window->ProcessWindowEvent(event);
    }

    bool enabled(int id) const { return window->GetMenuBar()->IsEnabled(toWxId(id)); }
    // Edit, Get, Open, Delete: "1" enabled, "0" greyed.
    std::string commandStates() const {
        std::string states;
        for (int id : {kCmdEdit, kCmdGet, kCmdOpen, kCmdDelete}) {
            states += enabled(id) ? "1" : "0";
        }
        return states;
    }

    // Selects exactly these rows of a list view's control.
    static void selectRows(ListView* view, const std::vector<long>& rows) {
        wxListCtrl* list = view->listControl();
        for (long i = 0; i < list->GetItemCount(); ++i) {
            list->SetItemState(i, 0, wxLIST_STATE_SELECTED);
        }
        for (long row : rows) {
            list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        }
    }

    size_t revisionRows() { return rawCount("SELECT UID FROM REVTABLE"); }
    size_t fileRows() { return rawCount("SELECT UID FROM FILETABLE"); }

    AnsweringInterface ui;
    MainWindow* window = nullptr;
    TreeCtrl* tree = nullptr;

private:
    UserInterface* m_previousUi = nullptr;
};

}  // namespace zebtest

#pragma once

// What the browse-tree tests share: files versioned through the core
// library, the program's main window with its browse tree, and a user
// interface that answers instead of a person.

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/treectrl.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ArchiveFolder.h"
#include "app/CommandIds.h"
#include "app/ListView.h"
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/TreeCtrl.h"
#include "app/UserInterface.h"
#include "core/ArchiveRoot.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "tests/app/WxPump.h"
#include "tests/support/BackendTest.h"

namespace zebtest {

// Answers message boxes with `answer` and dialogs with `modal` (OK when
// unset); notes the messages and what was launched.
class AnsweringInterface : public UserInterface {
public:
    int messageBox(wxWindow*, const wxString& text, const wxString&, long) override {
        messages.push_back(text.utf8_string());
        return answer;
    }
    bool chooseFiles(wxWindow*, const wxString&, const wxString&, ChosenFiles&) override {
        return false;
    }
    int showModal(wxDialog& dialog) override { return modal ? modal(dialog) : wxID_OK; }
    bool showHelp(wxWindow*, const wxString&, const wxString&) override { return false; }
    bool launchAndWait(const std::string& path) override {
        launched.push_back(path);
        return true;
    }

    int answer = wxOK;
    std::function<int(wxDialog&)> modal;
    std::vector<std::string> messages;
    std::vector<std::string> launched;
};

class TreeTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure()) {
            createTables();
            setUserInterface(&ui);
        }
    }
    void TearDown() override {
        if (window) {
            window->Destroy();
            pumpFor(30);
        }
        setUserInterface(nullptr);
        BackendTest::TearDown();
    }

    std::string folderPath() const { return workDir() + "/home/ann"; }
    std::string docPath(const std::string& name) const { return folderPath() + "/" + name; }

    // Writes and versions a file; returns its UID.
    std::string version(const std::string& path, const std::string& name = "first",
                        const std::string& note = "note") {
        writeFile(path, "text of " + path);
        VersionedFile file(name.c_str(), note.c_str(), path.c_str());
        EXPECT_TRUE(file.save()) << path;
        char uid[1024] = "";
        file.getUID(uid, sizeof uid);
        return uid;
    }
    void addRevision(const std::string& fileUid, const std::string& name,
                     const std::string& note = "") {
        UID uid;
        uid = fileUid.c_str();
        VersionedFile file(uid);
        RevisionFile revision(name.c_str(), note.c_str(), &file);
        EXPECT_TRUE(revision.save());
    }
    // UIDs of a file's revisions by version.
    std::vector<std::string> revisionsOf(const std::string& fileUid) {
        std::vector<std::string> out;
        for (const Row& row : rawQuery("SELECT UID FROM REVTABLE WHERE MASTERUID = '" + fileUid +
                                       "' ORDER BY REVVER")) {
            out.push_back(row[0].value_or(""));
        }
        return out;
    }
    size_t fileRows() { return rawCount("SELECT UID FROM FILETABLE"); }

    // The program's start-up, or a new tree in the running window.
    void start() {
        if (!window) {
            window = startUp();
            ASSERT_NE(window, nullptr);
        } else {
            window->browse();
        }
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
    // The children's labels, or with `records` their entries' names.
    std::vector<std::string> labels(const wxTreeItemId& node, bool records = false) const {
        std::vector<std::string> out;
        for (const wxTreeItemId& c : children(node)) {
            const NodeRecord* record = tree->nodeRecord(tree->nodeNumber(c));
            out.push_back(records ? (record ? record->name : "(none)")
                                  : control()->GetItemText(c).utf8_string());
        }
        return out;
    }
    // Expands `node`, as a click on its button does; its child named `name`.
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
    // The node of a working path (a revision: the file's path, "/", its
    // UID), its ancestors expanded.
    wxTreeItemId nodeOf(const std::string& path) {
        const std::string form = ArchiveRoot::archiveForm(path);
        wxTreeItemId node = root();
        for (size_t start = 0; node.IsOk() && start <= form.size();) {
            const size_t end = std::min(form.find('/', start), form.size());
            node = child(node, form.substr(start, end - start));
            start = end + 1;
        }
        return node;
    }
    // A click on the node: the tree fills the right pane.
    void select(const wxTreeItemId& node) {
        ASSERT_TRUE(node.IsOk());
        control()->SelectItem(node);
    }
    // Gives `target` the keyboard focus (the display is shared: retried).
    bool focus(wxWindow* target) {
        auto within = [target] {
            for (wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent()) {
                if (w == target) {
                    return true;
                }
            }
            return false;
        };
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (!window->IsActive()) {
                window->Raise();
                pumpUntil([this] { return window->IsActive(); }, 1500);
            }
            target->SetFocus();
            if (pumpUntil(within, 1500)) {
                return true;
            }
        }
        return false;
    }
    void selectInTree(const wxTreeItemId& node) {
        select(node);
        ASSERT_TRUE(focus(control()));
    }
    // The right pane's list with exactly `rows` selected and the focus.
    void selectInList(const std::vector<long>& rows) {
        auto* view = dynamic_cast<ListView*>(window->rightPane());
        ASSERT_NE(view, nullptr);
        wxListCtrl* list = view->listControl();
        for (long i = 0; i < list->GetItemCount(); ++i) {
            list->SetItemState(i, 0, wxLIST_STATE_SELECTED);
        }
        for (long row : rows) {
            list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        }
        ASSERT_TRUE(focus(view->getWindow()));
    }
    template <typename View>
    View* pane() const {
        return dynamic_cast<View*>(window->rightPane());
    }

    // A command, as its menu item sends it.
    void command(int id) {
        wxCommandEvent event(wxEVT_MENU, toWxId(id));
        event.SetEventObject(window);
        window->ProcessWindowEvent(event);
    }
    // Edit, Get, Open, Delete: "1" enabled, "0" greyed.
    std::string commandStates() const {
        std::string states;
        for (int id : {kCmdEdit, kCmdGet, kCmdOpen, kCmdDelete}) {
            states += window->GetMenuBar()->IsEnabled(toWxId(id)) ? "1" : "0";
        }
        return states;
    }

    AnsweringInterface ui;
    MainWindow* window = nullptr;
    TreeCtrl* tree = nullptr;
};

}  // namespace zebtest

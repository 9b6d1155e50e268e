#pragma once

// What the browse-tree tests add to the shared repository fixture: files in
// one working folder, the program's main window with its browse tree, and
// ways to find, expand and select nodes and to put the focus.

#include <gtest/gtest.h>

#include <wx/listctrl.h>
#include <wx/treectrl.h>

#include <string>
#include <vector>

#include "app/browse/ArchiveFolder.h"
#include "app/browse/TreeCtrl.h"
#include "app/window/MainWindow.h"
#include "core/ArchiveRoot.h"
#include "core/VersionedFile.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/WxPump.h"
#include "ui/ListView.h"

namespace zebtest {

class TreeTest : public RepositoryTest {
protected:
    std::string folderPath() const { return workDir() + "/home/ann"; }
    std::string docPath(const std::string& name) const { return folderPath() + "/" + name; }

    // Writes and versions a file; returns its UID.
    std::string version(const std::string& path, const std::string& name = "first",
                        const std::string& note = "note") {
        writeFile(path, "text of " + path);
        return versionFile(path, name, note);
    }
    size_t fileRows() { return rawCount("SELECT UID FROM FILETABLE"); }

    // The program's start-up, or a new tree in the running window.
    void start() {
        if (!window) {
            startWindow();
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

    TreeCtrl* tree = nullptr;
};

}  // namespace zebtest

// The browse tree's selection walk, keyed on where the keyboard focus is,
// and the tree's part of the version commands: every path of Delete, the
// refresh after Edit, pruning, and Get and Open leaving the nodes.

#include <wx/textctrl.h>

#include <filesystem>

#include "app/commands/EditDialog.h"
#include "app/window/StringTable.h"
#include "core/ArchiveRoot.h"
#include "tests/app/TreeTestSupport.h"
#include "ui/EditView.h"
#include "ui/IconView.h"
#include "ui/ReportView.h"

namespace zebtest {
namespace {

class TreeWalkTest : public TreeTest {
protected:
    static std::string uidOf(IZEB* item) {
        char text[1024] = "";
        if (item) {
            item->getUID(text, sizeof text);
        }
        return text;
    }
    // The row of the revisions list that shows `version`.
    long rowOf(const std::string& version) {
        const Rows& rows = pane<ReportView>()->rows();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i][0] == version) {
                return static_cast<long>(i);
            }
        }
        return -1;
    }
    static std::vector<std::string> texts(std::initializer_list<int> ids) {
        std::vector<std::string> out;
        for (int id : ids) {
            out.push_back(strings::text(id));
        }
        return out;
    }
};

TEST_P(TreeWalkTest, TheWalkFollowsTheFocus) {
    const std::string uid = version(docPath("plan.txt"));
    addRevision(uid, "second");
    addRevision(uid, "third");
    start();
    const std::vector<std::string> revisions = revisionsOf(uid);

    // The tree yields its selected node, once; a folder yields nothing.
    selectInTree(nodeOf(docPath("plan.txt")));
    IZEB* item = tree->firstSelected(false);
    EXPECT_NE(dynamic_cast<VersionedFile*>(item), nullptr);
    EXPECT_EQ(uidOf(item), uid);
    EXPECT_EQ(tree->selectContext()->current(), item);
    EXPECT_EQ(tree->nextSelected(false), nullptr);
    selectInTree(nodeOf(docPath("plan.txt/") + revisions[1]));
    EXPECT_EQ(uidOf(tree->firstSelected(false)), revisions[1]);
    EXPECT_EQ(tree->nextSelected(false), nullptr);
    selectInTree(nodeOf(folderPath()));
    EXPECT_EQ(tree->firstSelected(false), nullptr);

    // The revisions list yields every selected row.
    select(nodeOf(docPath("plan.txt")));
    selectInList({rowOf("1"), rowOf("3")});
    const std::string first = uidOf(tree->firstSelected(false));
    const std::string second = uidOf(tree->nextSelected(false));
    EXPECT_EQ(std::vector<std::string>({first, second}),
              (std::vector<std::string>{revisions[0], revisions[2]}));
    EXPECT_EQ(tree->nextSelected(false), nullptr);
    selectInList({});
    EXPECT_EQ(tree->firstSelected(false), nullptr);

    // The attribute list yields its revision once. (The folder list:
    // CommandsOnTheFolderListPassOverFolders.)
    select(nodeOf(docPath("plan.txt/") + revisions[2]));
    selectInList({0});
    EXPECT_EQ(uidOf(tree->firstSelected(false)), revisions[2]);
    EXPECT_EQ(tree->nextSelected(false), nullptr);
}

TEST_P(TreeWalkTest, CommandsOnTheFolderListPassOverFolders) {
    std::vector<std::string> files;
    for (const char* name : {"a.txt", "b.txt", "z.txt"}) {
        files.push_back(version(docPath(name)));
    }
    version(docPath("sub/deep.txt"));
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    control()->Expand(folder);
    select(folder);
    ASSERT_EQ(pane<IconView>()->rows()[2], (::Row{"sub", "Folder"}));

    selectInList({0, 1, 2, 3});
    menuCommand(window, kCmdEdit);
    std::vector<std::string> titles;
    for (const std::string& uid : files) {
        titles.push_back("Versioned File" + uid);
    }
    EXPECT_EQ(ui.dialogTitles, titles);

    selectInList({0, 1, 2, 3});
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(fileRows(), 1u);
    EXPECT_EQ(labels(folder, true), std::vector<std::string>{"sub"});
    EXPECT_EQ(pane<IconView>()->rows(), (Rows{{"sub", "Folder"}}));
}

TEST_P(TreeWalkTest, AnEmptyArchiveFolderMetByTheWalkGoes) {
    version(docPath("plan.txt"));
    const std::string empty =
        ArchiveRoot::path() + std::string("/") + ArchiveRoot::archiveForm(docPath("old"));
    std::filesystem::create_directories(empty);
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    control()->Expand(folder);
    select(folder);
    selectInList({0});
    EXPECT_EQ(tree->firstSelected(false), nullptr);
    EXPECT_FALSE(std::filesystem::exists(empty));
    EXPECT_EQ(labels(folder, true), std::vector<std::string>{"plan.txt"});
}

TEST_P(TreeWalkTest, DeleteCancelledOrWithNothingSelectedRemovesNothing) {
    version(docPath("plan.txt"));
    start();
    selectInTree(nodeOf(docPath("plan.txt")));
    ui.answer = wxCANCEL;
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(ui.texts(), texts({strings::kConfirmRemove}));
    ui.answer = wxOK;
    selectInTree(nodeOf(folderPath()));
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(ui.texts(),
              texts({strings::kConfirmRemove, strings::kConfirmRemove, strings::kSelectToDelete}));
    EXPECT_EQ(fileRows(), 1u);
    EXPECT_EQ(labels(nodeOf(folderPath()), true), std::vector<std::string>{"plan.txt"});
}

TEST_P(TreeWalkTest, DeleteFromTheListsDropsNodesAndRefreshesTheList) {
    const std::string uid = version(docPath("plan.txt"));
    addRevision(uid, "second");
    version(docPath("other.txt"));
    version(docPath("third.txt"));
    start();
    const std::vector<std::string> revisions = revisionsOf(uid);
    const wxTreeItemId folder = nodeOf(folderPath());
    const wxTreeItemId file = nodeOf(docPath("plan.txt"));
    control()->Expand(file);

    // A revision: its leaf goes; the list shows the one left, focused.
    select(file);
    selectInList({rowOf("1")});
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(revisionsOf(uid), std::vector<std::string>{revisions[1]});
    EXPECT_EQ(labels(file, true), std::vector<std::string>{revisions[1]});
    ASSERT_NE(pane<ReportView>(), nullptr);
    EXPECT_EQ(pane<ReportView>()->rows().size(), 1u);
    EXPECT_TRUE(pumpUntil([this] {
        wxWindow* focused = wxWindow::FindFocus();
        return focused && (focused == window->rightPane()->getWindow() ||
                           window->rightPane()->getWindow()->IsDescendant(focused));
    }));

    // The last revision takes the file's node; its folder is shown.
    selectInList({0});
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(labels(folder, true), (std::vector<std::string>{"other.txt", "third.txt"}));
    EXPECT_EQ(control()->GetSelection(), folder);
    ASSERT_NE(pane<IconView>(), nullptr);
    EXPECT_EQ(pane<IconView>()->rows(), (Rows{{"other.txt", "ZEB"}, {"third.txt", "ZEB"}}));

    // A versioned file in the folder list.
    selectInList({1});
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(fileRows(), 1u);
    EXPECT_EQ(labels(folder, true), std::vector<std::string>{"other.txt"});
    EXPECT_EQ(pane<IconView>()->rows(), (Rows{{"other.txt", "ZEB"}}));
}

TEST_P(TreeWalkTest, DeleteFromTheTreePrunesAndSelectsWhatIsLeft) {
    const std::string uid = version(docPath("plan.txt"));
    addRevision(uid, "second");
    version(docPath("other.txt"));
    start();
    const std::vector<std::string> revisions = revisionsOf(uid);
    const wxTreeItemId folder = nodeOf(folderPath());
    const wxTreeItemId file = nodeOf(docPath("plan.txt"));
    control()->Expand(file);

    // A revision: pruned from its grandparent, its file selected.
    selectInTree(nodeOf(docPath("plan.txt/") + revisions[0]));
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(labels(file, true), std::vector<std::string>{revisions[1]});
    EXPECT_EQ(control()->GetSelection(), file);
    EXPECT_EQ(pane<ReportView>()->rows().size(), 1u);

    // A versioned file: its node goes, its folder is selected.
    selectInTree(file);
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(fileRows(), 1u);
    EXPECT_EQ(labels(folder, true), std::vector<std::string>{"other.txt"});
    EXPECT_EQ(control()->GetSelection(), folder);
    EXPECT_EQ(pane<IconView>()->rows(), (Rows{{"other.txt", "ZEB"}}));
}

TEST_P(TreeWalkTest, PruneRemovesOnlyNodesWhoseEntriesWent) {
    version(docPath("gone.txt"));
    version(docPath("kept.txt"));
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    control()->Expand(child(folder, "kept.txt"));
    select(folder);
    std::filesystem::remove_all(ArchiveRoot::path() + std::string("/") +
                                ArchiveRoot::archiveForm(docPath("gone.txt")));
    tree->pruneMissing(root());
    EXPECT_EQ(labels(folder, true), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(children(child(folder, "kept.txt")).size(), 1u);

    tree->dropChildNode("no such entry");
    EXPECT_EQ(labels(folder, true), std::vector<std::string>{"kept.txt"});
    tree->dropChildNode("kept.txt");
    EXPECT_TRUE(children(folder).empty());
}

TEST_P(TreeWalkTest, EditRefreshesTheListAndGetAndOpenLeaveTheNodes) {
    const std::string uid = version(docPath("plan.txt"));
    start();
    select(nodeOf(docPath("plan.txt")));
    selectInList({0});
    ui.onModal = [](wxDialog& dialog) {
        static_cast<EditDialog&>(dialog).nameField()->SetValue("renamed");
        return static_cast<int>(wxID_OK);
    };
    menuCommand(window, kCmdEdit);
    EXPECT_EQ(pane<ReportView>()->rows()[0][1], "renamed");

    const wxTreeItemId leaf = nodeOf(docPath("plan.txt/") + revisionsOf(uid)[0]);
    selectInTree(leaf);
    menuCommand(window, kCmdGet);
    menuCommand(window, kCmdOpen);
    EXPECT_EQ(ui.texts(), texts({strings::kGetComplete}));
    EXPECT_EQ(ui.launched.size(), 1u);
    EXPECT_EQ(control()->GetSelection(), leaf);

    selectInTree(root());
    menuCommand(window, kCmdEdit);
    EXPECT_EQ(ui.texts(), texts({strings::kGetComplete, strings::kSelectToModify}));
}

ZEB_INSTANTIATE_BACKENDS(TreeWalkTest);

}  // namespace
}  // namespace zebtest

// The browse tree's selection walk, keyed on where the keyboard focus is,
// and what the tree does around the version commands: every path of
// Delete, the refresh after Edit, pruning, and nodes that Get and Open
// leave alone.

#include <wx/textctrl.h>

#include <filesystem>

#include "app/EditDialog.h"
#include "app/EditView.h"
#include "app/IconView.h"
#include "app/ReportView.h"
#include "app/SelectContext.h"
#include "app/StringTable.h"
#include "core/ArchiveRoot.h"
#include "tests/app/TreeTestSupport.h"

namespace zebtest {
namespace {

class TreeWalkTest : public TreeTest {
protected:
    std::string folderPath() const { return workDir() + "/home/ann"; }

    std::string uidText(IZEB* item) const {
        char text[1024] = "";
        if (item) {
            item->getUID(text, sizeof text);
        }
        return text;
    }

    // The row of a revisions list that shows `version`.
    static long rowOfVersion(ReportView* view, const std::string& version) {
        for (size_t i = 0; i < view->rows().size(); ++i) {
            if (view->rows()[i][0] == version) {
                return static_cast<long>(i);
            }
        }
        return -1;
    }

    std::vector<std::string> recordNames(const wxTreeItemId& node) const {
        std::vector<std::string> out;
        for (const wxTreeItemId& c : children(node)) {
            out.push_back(tree->nodeRecord(tree->nodeNumber(c))->name);
        }
        return out;
    }

    // Selects `node` and puts the focus in the tree.
    void selectInTree(const wxTreeItemId& node) {
        select(node);
        ASSERT_TRUE(focus(control()));
    }

    // Puts the focus in the right pane's list with `rows` selected.
    void selectInList(const std::vector<long>& rows) {
        auto* view = dynamic_cast<ListView*>(window->rightPane());
        ASSERT_NE(view, nullptr);
        selectRows(view, rows);
        ASSERT_TRUE(focus(view->getWindow()));
    }

    static std::string text(int id) { return strings::text(id); }
};

TEST_P(TreeWalkTest, WithTheFocusInTheTreeTheSelectedNodeIsTheOneItem) {
    const std::string uid = version(docPath("plan.txt"));
    const std::string second = addRevision(uid, "second");
    start();

    selectInTree(nodeOf(docPath("plan.txt")));
    IZEB* item = tree->firstSelected(false);
    ASSERT_NE(dynamic_cast<VersionedFile*>(item), nullptr);
    EXPECT_EQ(uidText(item), uid);
    EXPECT_EQ(tree->selectContext()->current(), item);
    EXPECT_EQ(tree->nextSelected(false), nullptr);

    selectInTree(nodeOf(docPath("plan.txt/") + second));
    item = tree->firstSelected(false);
    ASSERT_NE(dynamic_cast<RevisionFile*>(item), nullptr);
    EXPECT_EQ(uidText(item), second);
    EXPECT_EQ(tree->nextSelected(false), nullptr);

    // Folders and the root are nothing a command acts on.
    selectInTree(nodeOf(folderPath()));
    EXPECT_EQ(tree->firstSelected(false), nullptr);
    selectInTree(root());
    EXPECT_EQ(tree->firstSelected(false), nullptr);
}

TEST_P(TreeWalkTest, WithTheFocusInTheListEverySelectedRowIsAnItem) {
    const std::string uid = version(docPath("plan.txt"));
    addRevision(uid, "second");
    addRevision(uid, "third");
    const std::string other = version(docPath("other.txt"));
    start();
    const std::vector<std::string> revisions = revisionsOf(uid);

    select(nodeOf(docPath("plan.txt")));
    auto* report = pane<ReportView>();
    ASSERT_NE(report, nullptr);
    selectInList({rowOfVersion(report, "1"), rowOfVersion(report, "3")});
    IZEB* first = tree->firstSelected(false);
    ASSERT_NE(dynamic_cast<RevisionFile*>(first), nullptr);
    const std::string firstUid = uidText(first);
    const std::string secondUid = uidText(tree->nextSelected(false));
    EXPECT_EQ(std::vector<std::string>({firstUid, secondUid}),
              (std::vector<std::string>{revisions[0], revisions[2]}));
    EXPECT_EQ(tree->nextSelected(false), nullptr);
    EXPECT_EQ(tree->nextSelected(false), nullptr);
    selectInList({});
    EXPECT_EQ(tree->firstSelected(false), nullptr);

    // The attribute list yields the revision it shows, once.
    select(nodeOf(docPath("plan.txt/") + revisions[1]));
    ASSERT_NE(pane<EditView>(), nullptr);
    selectInList({0});
    EXPECT_EQ(uidText(tree->firstSelected(false)), revisions[1]);
    EXPECT_EQ(tree->nextSelected(false), nullptr);

    // The folder list yields versioned files; a folder ends the walk.
    version(docPath("sub/deep.txt"));
    window->browse();
    tree = dynamic_cast<TreeCtrl*>(window->leftPane());
    select(nodeOf(folderPath()));
    auto* icons = pane<IconView>();
    ASSERT_NE(icons, nullptr);
    ASSERT_EQ(icons->rows(), (Rows{{"other.txt", "ZEB"}, {"plan.txt", "ZEB"}, {"sub", "Folder"}}));
    selectInList({0, 2});
    IZEB* file = tree->firstSelected(false);
    ASSERT_NE(dynamic_cast<VersionedFile*>(file), nullptr);
    EXPECT_EQ(uidText(file), other);
    EXPECT_EQ(tree->nextSelected(false), nullptr);
}

TEST_P(TreeWalkTest, AnEmptyArchiveFolderGoesWhenTheWalkMeetsIt) {
    version(docPath("plan.txt"));
    const std::string empty =
        ArchiveRoot::path() + std::string("/") + ArchiveFolder::archiveForm(docPath("old"));
    std::filesystem::create_directories(empty);
    start();

    const wxTreeItemId folder = nodeOf(folderPath());
    control()->Expand(folder);
    select(folder);
    ASSERT_EQ(recordNames(folder), (std::vector<std::string>{"old", "plan.txt"}));
    selectInList({0});
    EXPECT_EQ(tree->firstSelected(false), nullptr);
    EXPECT_FALSE(std::filesystem::exists(empty));
    EXPECT_EQ(recordNames(folder), (std::vector<std::string>{"plan.txt"}));
}

TEST_P(TreeWalkTest, DeleteAnsweredWithCancelRemovesNothing) {
    version(docPath("plan.txt"));
    start();
    const wxTreeItemId node = nodeOf(docPath("plan.txt"));
    selectInTree(node);
    ui.answer = wxCANCEL;
    command(kCmdDelete);
    EXPECT_EQ(ui.messages, std::vector<std::string>{text(strings::kConfirmRemove)});
    EXPECT_EQ(fileRows(), 1u);
    EXPECT_EQ(revisionRows(), 1u);
    EXPECT_EQ(control()->GetSelection(), node);
}

TEST_P(TreeWalkTest, DeleteFromTheRevisionListDropsTheLeafAndRefreshesTheList) {
    const std::string uid = version(docPath("plan.txt"));
    addRevision(uid, "second");
    addRevision(uid, "third");
    start();
    const std::vector<std::string> revisions = revisionsOf(uid);
    const wxTreeItemId file = nodeOf(docPath("plan.txt"));
    control()->Expand(file);
    select(file);
    selectInList({rowOfVersion(pane<ReportView>(), "2")});

    command(kCmdDelete);
    EXPECT_EQ(ui.messages, std::vector<std::string>{text(strings::kConfirmRemove)});
    EXPECT_EQ(revisionsOf(uid), (std::vector<std::string>{revisions[0], revisions[2]}));
    EXPECT_EQ(recordNames(file), (std::vector<std::string>{revisions[0], revisions[2]}));
    EXPECT_EQ(control()->GetSelection(), file);
    auto* report = pane<ReportView>();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->rows().size(), 2u);
    // The focus goes to the new list.
    EXPECT_TRUE(pumpUntil(
        [&] {
            wxWindow* focused = wxWindow::FindFocus();
            return focused &&
                   (focused == report->getWindow() || report->getWindow()->IsDescendant(focused));
        },
        1000));
}

TEST_P(TreeWalkTest, DeletingTheLastRevisionFromTheListRemovesTheFileNode) {
    version(docPath("plan.txt"));
    version(docPath("other.txt"));
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    control()->Expand(folder);
    select(nodeOf(docPath("plan.txt")));
    selectInList({0});

    command(kCmdDelete);
    EXPECT_EQ(fileRows(), 1u);
    EXPECT_EQ(recordNames(folder), (std::vector<std::string>{"other.txt"}));
    EXPECT_EQ(control()->GetSelection(), folder);
    EXPECT_EQ(tree->selectedNode(), folder);
    ASSERT_NE(pane<IconView>(), nullptr);
    EXPECT_EQ(pane<IconView>()->rows(), (Rows{{"other.txt", "ZEB"}}));
    EXPECT_EQ(commandStates(), "0000");
}

TEST_P(TreeWalkTest, DeleteFromTheFolderListRemovesTheFileAndItsNode) {
    version(docPath("plan.txt"));
    version(docPath("other.txt"));
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    control()->Expand(folder);
    select(folder);
    selectInList({1});  // plan.txt

    command(kCmdDelete);
    EXPECT_EQ(fileRows(), 1u);
    EXPECT_EQ(recordNames(folder), (std::vector<std::string>{"other.txt"}));
    ASSERT_NE(pane<IconView>(), nullptr);
    EXPECT_EQ(pane<IconView>()->rows(), (Rows{{"other.txt", "ZEB"}}));
}

TEST_P(TreeWalkTest, DeleteFromTheTreeRemovesTheSelectedFile) {
    version(docPath("plan.txt"));
    version(docPath("other.txt"));
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    selectInTree(nodeOf(docPath("plan.txt")));

    command(kCmdDelete);
    EXPECT_EQ(ui.messages, std::vector<std::string>{text(strings::kConfirmRemove)});
    EXPECT_EQ(fileRows(), 1u);
    EXPECT_EQ(recordNames(folder), (std::vector<std::string>{"other.txt"}));
    EXPECT_EQ(control()->GetSelection(), folder);
    ASSERT_NE(pane<IconView>(), nullptr);
    EXPECT_EQ(pane<IconView>()->rows(), (Rows{{"other.txt", "ZEB"}}));
}

TEST_P(TreeWalkTest, DeletingRevisionsFromTheTreePrunesFromTheGrandparent) {
    const std::string uid = version(docPath("plan.txt"));
    const std::string second = addRevision(uid, "second");
    start();
    const std::string first = revisionsOf(uid)[0];
    const wxTreeItemId folder = nodeOf(folderPath());
    const wxTreeItemId file = nodeOf(docPath("plan.txt"));
    control()->Expand(file);

    selectInTree(nodeOf(docPath("plan.txt/") + first));
    command(kCmdDelete);
    EXPECT_EQ(revisionsOf(uid), std::vector<std::string>{second});
    EXPECT_EQ(recordNames(file), std::vector<std::string>{second});
    EXPECT_EQ(control()->GetSelection(), file);
    ASSERT_NE(pane<ReportView>(), nullptr);
    EXPECT_EQ(pane<ReportView>()->rows().size(), 1u);

    // The last revision takes its file with it.
    selectInTree(nodeOf(docPath("plan.txt/") + second));
    command(kCmdDelete);
    EXPECT_EQ(fileRows(), 0u);
    EXPECT_TRUE(children(folder).empty());
    EXPECT_EQ(control()->GetSelection(), folder);
    EXPECT_EQ(ui.messages.size(), 2u);
}

TEST_P(TreeWalkTest, DeleteWithNothingSelectedAsksFirstThenSays118) {
    version(docPath("plan.txt"));
    start();
    selectInTree(nodeOf(folderPath()));
    command(kCmdDelete);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{text(strings::kConfirmRemove),
                                                     text(strings::kSelectToDelete)}));
    EXPECT_EQ(fileRows(), 1u);
}

TEST_P(TreeWalkTest, PruneRemovesOnlyNodesWhoseEntriesWent) {
    const std::string gone = docPath("gone.txt");
    version(gone);
    version(docPath("kept.txt"));
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    control()->Expand(folder);
    control()->Expand(child(folder, "kept.txt"));
    select(folder);
    std::filesystem::remove_all(ArchiveRoot::path() + std::string("/") +
                                ArchiveFolder::archiveForm(gone));

    tree->pruneMissing(root());
    EXPECT_EQ(recordNames(folder), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(children(child(folder, "kept.txt")).size(), 1u);
    EXPECT_TRUE(root().IsOk());

    tree->dropChildNode("no such entry");
    EXPECT_EQ(recordNames(folder), std::vector<std::string>{"kept.txt"});
    tree->dropChildNode("kept.txt");
    EXPECT_TRUE(children(folder).empty());
}

TEST_P(TreeWalkTest, EditStoresAndRefreshesTheList) {
    const std::string uid = version(docPath("plan.txt"));
    start();
    select(nodeOf(docPath("plan.txt")));
    selectInList({0});
    ui.modal = [](wxDialog& dialog) {
        static_cast<EditDialog&>(dialog).nameField()->SetValue("renamed");
        return static_cast<int>(wxID_OK);
    };
    command(kCmdEdit);
    ASSERT_EQ(ui.dialogTitles.size(), 1u);
    EXPECT_EQ(*rawQuery("SELECT REVNAME FROM REVTABLE")[0][0], "renamed");
    ASSERT_NE(pane<ReportView>(), nullptr);
    EXPECT_EQ(pane<ReportView>()->rows()[0][1], "renamed");

    // Nothing to edit: the root with the focus in the tree.
    selectInTree(root());
    command(kCmdEdit);
    EXPECT_EQ(ui.messages, std::vector<std::string>{text(strings::kSelectToModify)});
}

TEST_P(TreeWalkTest, GetAndOpenLeaveTheNodes) {
    const std::string uid = version(docPath("plan.txt"));
    start();
    const wxTreeItemId file = nodeOf(docPath("plan.txt"));
    control()->Expand(file);
    selectInTree(nodeOf(docPath("plan.txt/") + revisionsOf(uid)[0]));
    command(kCmdGet);
    command(kCmdOpen);
    EXPECT_EQ(ui.messages, std::vector<std::string>{text(strings::kGetComplete)});
    EXPECT_EQ(ui.launched.size(), 1u);
    EXPECT_EQ(children(file).size(), 1u);
    EXPECT_EQ(control()->GetSelection(), children(file)[0]);
}

ZEB_INSTANTIATE_BACKENDS(TreeWalkTest);

}  // namespace
}  // namespace zebtest

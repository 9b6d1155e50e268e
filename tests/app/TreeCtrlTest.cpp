// The browse tree in the program's main window: nodes read when first
// expanded, images that follow expansion, the three views of the right pane
// with their command states, archive names with "@", and in-place edits.

#include <wx/textctrl.h>

#include "app/EditView.h"
#include "app/IconView.h"
#include "app/ReportView.h"
#include "app/SelectContext.h"
#include "core/ArchiveRoot.h"
#include "tests/app/TreeTestSupport.h"

namespace zebtest {
namespace {

class TreeCtrlTest : public TreeTest {
protected:
    std::string folderPath() const { return workDir() + "/home/ann"; }

    static std::vector<std::string> titles(ListView* view) {
        std::vector<std::string> out;
        wxListCtrl* list = view->listControl();
        for (int i = 0; i < list->GetColumnCount(); ++i) {
            wxListItem item;
            item.SetMask(wxLIST_MASK_TEXT);
            list->GetColumn(i, item);
            out.push_back(item.GetText().utf8_string());
        }
        return out;
    }
};

TEST_P(TreeCtrlTest, EmptyArchiveShowsTheRootAloneWithNothingToActOn) {
    start();
    EXPECT_TRUE(tree->hasImages());
    ASSERT_TRUE(root().IsOk());
    EXPECT_EQ(control()->GetItemText(root()), "VFS");
    EXPECT_EQ(tree->nodeNumber(root()), 0);
    EXPECT_TRUE(children(root()).empty());
    EXPECT_EQ(tree->nodePath(root()), ArchiveRoot::path());
    EXPECT_EQ(tree->workingPath(root()), "");

    // Start-up selected the root: an empty folder listing.
    EXPECT_EQ(control()->GetSelection(), root());
    EXPECT_EQ(tree->selectedNode(), root());
    auto* icons = pane<IconView>();
    ASSERT_NE(icons, nullptr);
    EXPECT_TRUE(icons->rows().empty());
    EXPECT_EQ(commandStates(), "0000");
    EXPECT_EQ(tree->selectContext()->selectedPath(), "");
}

TEST_P(TreeCtrlTest, ChildrenAreReadOnceWhenFirstExpanded) {
    version(docPath("a.txt"));
    version(docPath("sub/b.txt"));
    start();

    // The root's children are read at once; theirs wait behind a
    // placeholder.
    const std::vector<wxTreeItemId> top = children(root());
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(tree->nodeNumber(top[0]), 1);
    EXPECT_EQ(tree->nodeRecord(1)->name, tree->relativePath(top[0]));
    EXPECT_EQ(tree->nodePath(top[0]),
              ArchiveRoot::path() + std::string("/") + tree->nodeRecord(1)->name);
    const std::vector<wxTreeItemId> waiting = children(top[0]);
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_TRUE(tree->isPlaceholder(waiting[0]));
    EXPECT_EQ(control()->GetItemText(waiting[0]), "VFS");

    const wxTreeItemId ann = nodeOf(folderPath());
    ASSERT_TRUE(ann.IsOk());
    ASSERT_EQ(children(ann).size(), 1u);
    EXPECT_TRUE(tree->isPlaceholder(children(ann)[0]));
    control()->Expand(ann);
    EXPECT_EQ(tree->workingPath(ann), folderPath());
    EXPECT_EQ(labels(ann), (std::vector<std::string>{"a.txt", "sub"}));
    const int records = tree->recordCount();

    // Collapsing and expanding again neither drops nor duplicates.
    control()->Collapse(root());
    control()->Expand(root());
    control()->Collapse(ann);
    control()->Expand(ann);
    EXPECT_EQ(labels(ann), (std::vector<std::string>{"a.txt", "sub"}));
    EXPECT_EQ(children(root()).size(), 1u);
    EXPECT_EQ(tree->recordCount(), records);
    // Numbers are handed out in order of creation.
    EXPECT_LT(tree->nodeNumber(child(ann, "a.txt")), tree->nodeNumber(child(ann, "sub")));
}

TEST_P(TreeCtrlTest, ImagesFollowExpansionAndCollapse) {
    const std::string uid = version(docPath("plan.txt"));
    addRevision(uid, "second");
    addRevision(uid, "third");
    start();

    const wxTreeItemId folder = nodeOf(folderPath());
    ASSERT_TRUE(folder.IsOk());
    EXPECT_EQ(control()->GetItemImage(folder), tree->closedFolderImage());
    control()->Expand(folder);
    EXPECT_EQ(control()->GetItemImage(folder), tree->openFolderImage());
    control()->Collapse(folder);
    EXPECT_EQ(control()->GetItemImage(folder), tree->closedFolderImage());
    EXPECT_EQ(control()->GetItemImage(folder, wxTreeItemIcon_Selected), tree->closedFolderImage());
    control()->Expand(folder);

    const wxTreeItemId file = child(folder, "plan.txt");
    ASSERT_TRUE(file.IsOk());
    EXPECT_EQ(control()->GetItemImage(file), tree->fileImage());
    control()->Expand(file);
    EXPECT_EQ(control()->GetItemImage(file), tree->openFileImage());
    ASSERT_EQ(labels(file), (std::vector<std::string>{"1", "2", "3"}));
    for (const wxTreeItemId& leaf : children(file)) {
        EXPECT_EQ(control()->GetItemImage(leaf), tree->revisionImage());
        EXPECT_FALSE(control()->ItemHasChildren(leaf));
    }
    EXPECT_EQ(tree->nodeRecord(tree->nodeNumber(children(file)[1]))->name, revisionsOf(uid)[1]);
    control()->Collapse(file);
    EXPECT_EQ(control()->GetItemImage(file), tree->fileImage());
    EXPECT_EQ(control()->GetItemImage(file, wxTreeItemIcon_Selected), tree->fileImage());
    EXPECT_EQ(tree->classifyNode(file), kVersionedFileDirectory);
    EXPECT_EQ(tree->classifyNode(folder), kFolderDirectory);
    EXPECT_EQ(tree->classifyNode(children(file)[0]), kEmptyDirectory);
}

TEST_P(TreeCtrlTest, SelectionFillsTheRightPaneAndSetsTheCommands) {
    const std::string uid = version(docPath("plan.txt"), "first", "draft");
    addRevision(uid, "second", "reviewed");
    version(docPath("sub/b.txt"));
    start();
    const std::vector<std::string> revisions = revisionsOf(uid);

    // A folder: its entries, versioned files marked.
    select(nodeOf(folderPath()));
    auto* icons = pane<IconView>();
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(icons->columnCount(), 1);
    EXPECT_EQ(icons->rows(), (Rows{{"plan.txt", "ZEB"}, {"sub", "Folder"}}));
    EXPECT_EQ(commandStates(), "0000");

    // A versioned file: its revisions, the identifier hidden in cell 4.
    select(nodeOf(docPath("plan.txt")));
    auto* report = pane<ReportView>();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(report->columnCount(), 4);
    EXPECT_EQ(titles(report), (std::vector<std::string>{"Ver.", "Name", "Notes", "Date"}));
    ASSERT_EQ(report->rows().size(), 2u);
    for (const ::Row& row : report->rows()) {
        ASSERT_EQ(row.size(), 5u);
        const size_t version = std::stoul(row[0]);
        EXPECT_EQ(row[1], version == 1 ? "first" : "second");
        EXPECT_EQ(row[2], version == 1 ? "draft" : "reviewed");
        EXPECT_GT(std::stoll(row[3]), 1600000000LL);
        EXPECT_EQ(row[4], revisions[version - 1]);
    }
    EXPECT_EQ(commandStates(), "1001");
    EXPECT_EQ(tree->selectContext()->selectedPath(), docPath("plan.txt"));

    // A revision: its attributes, label left of the value; the revision
    // becomes the current item.
    select(nodeOf(docPath("plan.txt/") + revisions[1]));
    auto* edit = pane<EditView>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(
        edit->rows(),
        (Rows{{revisions[1], "UID"}, {"second", "Name"}, {"reviewed", "Note"}, {"2", "Version"}}));
    EXPECT_EQ(edit->columnOrder(), (std::vector<int>{1, 0}));
    EXPECT_EQ(titles(edit), (std::vector<std::string>{"Rev. Attribute", "Value"}));
    EXPECT_EQ(commandStates(), "1111");
    auto* current = dynamic_cast<RevisionFile*>(tree->selectContext()->current());
    ASSERT_NE(current, nullptr);
    char text[1024] = "";
    current->getUID(text, sizeof text);
    EXPECT_EQ(text, revisions[1]);

    // Back to the root.
    select(root());
    ASSERT_NE(pane<IconView>(), nullptr);
    EXPECT_EQ(pane<IconView>()->rows().size(), 1u);
    EXPECT_EQ(commandStates(), "0000");
}

TEST_P(TreeCtrlTest, ArchiveNamesWithAtResolveToTheFilesTheyStandFor) {
    const std::string meeting = docPath("Meeting 10:30.odt");
    const std::string mail = docPath("mail@home.txt");
    const std::string meetingUid = version(meeting);
    version(mail);
    start();

    select(nodeOf(folderPath()));
    ASSERT_NE(pane<IconView>(), nullptr);
    EXPECT_EQ(pane<IconView>()->rows(),
              (Rows{{"mail@home.txt", "ZEB"}, {"Meeting 10@30.odt", "ZEB"}}));

    const wxTreeItemId node = nodeOf(meeting);
    ASSERT_TRUE(node.IsOk());
    EXPECT_EQ(control()->GetItemText(node), "Meeting 10@30.odt");
    EXPECT_EQ(control()->GetItemImage(node), tree->fileImage());
    select(node);
    ASSERT_NE(pane<ReportView>(), nullptr);
    EXPECT_EQ(pane<ReportView>()->rows().size(), 1u);
    EXPECT_EQ(tree->selectContext()->selectedPath(), meeting);
    EXPECT_EQ(commandStates(), "1001");

    select(nodeOf(meeting + "/" + revisionsOf(meetingUid)[0]));
    ASSERT_NE(pane<EditView>(), nullptr);
    EXPECT_EQ(commandStates(), "1111");

    select(nodeOf(mail));
    ASSERT_NE(pane<ReportView>(), nullptr);
    EXPECT_EQ(tree->selectContext()->selectedPath(), mail);
}

TEST_P(TreeCtrlTest, InPlaceEditsStoreNameAndNoteOnly) {
    const std::string uid = version(docPath("plan.txt"), "first", "draft");
    start();
    const std::string revision = revisionsOf(uid)[0];
    select(nodeOf(docPath("plan.txt/") + revision));
    auto* view = pane<EditView>();
    ASSERT_NE(view, nullptr);

    auto edit = [&](int row, const std::string& text) {
        ASSERT_TRUE(view->editValue(row));
        view->editor()->SetValue(wxString::FromUTF8(text));
        view->endEdit(false);
        pumpFor(20);
    };
    auto stored = [&](const std::string& column) {
        return *rawQuery("SELECT " + column + " FROM REVTABLE WHERE UID = '" + revision +
                         "'")[0][0];
    };
    edit(1, "final");
    edit(2, "checked");
    edit(0, "not-an-id");
    edit(3, "9");
    EXPECT_EQ(stored("REVNAME"), "final");
    EXPECT_EQ(stored("REVNOTES"), "checked");
    EXPECT_EQ(stored("REVVER"), "1");
    EXPECT_EQ(view->rows(),
              (Rows{{revision, "UID"}, {"final", "Name"}, {"checked", "Note"}, {"1", "Version"}}));
}

ZEB_INSTANTIATE_BACKENDS(TreeCtrlTest);

}  // namespace
}  // namespace zebtest

// The browse tree in the program's main window: nodes read when first
// expanded, images that follow expansion, the three views of the right pane
// with their command states, archive names with "@". (In-place edits:
// EditDialogTest.)

#include "core/ArchiveRoot.h"
#include "tests/app/TreeTestSupport.h"
#include "ui/EditView.h"
#include "ui/IconView.h"
#include "ui/ReportView.h"

namespace zebtest {
namespace {

using TreeCtrlTest = TreeTest;

std::vector<std::string> titles(ListView* view) {
    std::vector<std::string> out;
    for (int i = 0; i < view->listControl()->GetColumnCount(); ++i) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT);
        view->listControl()->GetColumn(i, item);
        out.push_back(item.GetText().utf8_string());
    }
    return out;
}

TEST_P(TreeCtrlTest, NodesAreReadOnceWhenFirstExpanded) {
    // An empty archive: the root alone, listed empty, nothing to act on.
    start();
    EXPECT_EQ(control()->GetItemText(root()), "VFS");
    EXPECT_TRUE(children(root()).empty());
    EXPECT_EQ(tree->selectedNode(), root());
    ASSERT_NE(pane<IconView>(), nullptr);
    EXPECT_TRUE(pane<IconView>()->rows().empty());
    EXPECT_EQ(versionCommandStates(window), "0000");

    version(docPath("a.txt"));
    version(docPath("sub/b.txt"));
    start();
    // The root's children come at once, theirs behind a placeholder.
    const std::vector<wxTreeItemId> top = children(root());
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(tree->nodeNumber(top[0]), 1);
    EXPECT_EQ(tree->nodePath(top[0]),
              ArchiveRoot::path() + std::string("/") + tree->nodeRecord(1)->name);
    const wxTreeItemId ann = nodeOf(folderPath());
    EXPECT_EQ(tree->workingPath(ann), folderPath());
    ASSERT_EQ(children(ann).size(), 1u);
    EXPECT_TRUE(tree->isPlaceholder(children(ann)[0]));
    EXPECT_EQ(labels(ann), std::vector<std::string>{"VFS"});

    control()->Expand(ann);
    EXPECT_EQ(labels(ann), (std::vector<std::string>{"a.txt", "sub"}));
    const int records = tree->recordCount();
    control()->Collapse(root());
    control()->Expand(root());
    control()->Collapse(ann);
    control()->Expand(ann);
    EXPECT_EQ(labels(ann), (std::vector<std::string>{"a.txt", "sub"}));
    EXPECT_EQ(tree->recordCount(), records);
    EXPECT_LT(tree->nodeNumber(children(ann)[0]), tree->nodeNumber(children(ann)[1]));
}

TEST_P(TreeCtrlTest, ImagesFollowExpansionAndCollapse) {
    const std::string uid = version(docPath("plan.txt"));
    addRevision(uid, "second");
    addRevision(uid, "third");
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    EXPECT_EQ(control()->GetItemImage(folder), tree->closedFolderImage());
    control()->Expand(folder);
    EXPECT_EQ(control()->GetItemImage(folder), tree->openFolderImage());

    const wxTreeItemId file = child(folder, "plan.txt");
    EXPECT_EQ(control()->GetItemImage(file), tree->fileImage());
    control()->Expand(file);
    EXPECT_EQ(control()->GetItemImage(file), tree->openFileImage());
    EXPECT_EQ(control()->GetItemImage(file, wxTreeItemIcon_Selected), tree->openFileImage());
    ASSERT_EQ(labels(file), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(labels(file, true), revisionsOf(uid));
    for (const wxTreeItemId& leaf : children(file)) {
        EXPECT_EQ(control()->GetItemImage(leaf), tree->revisionImage());
        EXPECT_FALSE(control()->ItemHasChildren(leaf));
    }
    control()->Collapse(file);
    EXPECT_EQ(control()->GetItemImage(file), tree->fileImage());
    control()->Collapse(folder);
    EXPECT_EQ(control()->GetItemImage(folder), tree->closedFolderImage());
}

TEST_P(TreeCtrlTest, FilesSharingAnArchiveNameKeepTheirNamesNodesAndRevisions) {
    const std::string colon = docPath("Meeting 10:30.txt");
    const std::string at = docPath("Meeting 10@30.txt");
    const std::string colonUid = version(colon);
    addRevision(colonUid, "second");
    const std::string atUid = version(at);
    start();
    const wxTreeItemId folder = nodeOf(folderPath());
    control()->Expand(folder);
    const std::vector<std::string> names = {"Meeting 10:30.txt", "Meeting 10@30.txt"};
    ASSERT_EQ(labels(folder), names);
    select(folder);
    EXPECT_EQ(pane<IconView>()->rows(), (Rows{{names[0], "ZEB"}, {names[1], "ZEB"}}));

    // Each node has its own file's revisions, in the tree and the list.
    const std::vector<wxTreeItemId> files = children(folder);
    const std::pair<std::string, std::string> owners[] = {{colon, colonUid}, {at, atUid}};
    for (size_t i = 0; i < 2; ++i) {
        control()->Expand(files[i]);
        EXPECT_EQ(labels(files[i], true), revisionsOf(owners[i].second));
        select(files[i]);
        EXPECT_EQ(tree->selectContext()->selectedPath(), owners[i].first);
        EXPECT_EQ(pane<ReportView>()->rows().size(), revisionsOf(owners[i].second).size());
    }

    // Deleting one leaves the other, whose copies keep the directory.
    selectInTree(files[0]);
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(labels(folder), std::vector<std::string>{names[1]});
    EXPECT_EQ(labels(children(folder)[0], true), revisionsOf(atUid));
}

TEST_P(TreeCtrlTest, ANewTreeOpensWhereTheLastOneWas) {
    const std::string plan = docPath("sub/plan.txt");
    const std::string uid = version(plan);
    start();
    const std::string revision = revisionsOf(uid)[0];
    select(nodeOf(plan + "/" + revision));
    const auto opened = [&](const std::string& selected) {
        const wxTreeItemId node = control()->GetSelection();
        EXPECT_EQ(tree->selectedNode(), node);
        EXPECT_EQ(tree->selectContext()->selectedPath(), selected);
        for (wxTreeItemId up = control()->GetItemParent(node); up.IsOk();
             up = control()->GetItemParent(up)) {
            EXPECT_TRUE(control()->IsExpanded(up));
        }
    };

    // Browse reads the archive again: a file versioned meanwhile is there.
    version(docPath("sub/new.txt"));
    menuCommand(window, kCmdBrowse);
    tree = dynamic_cast<TreeCtrl*>(window->leftPane());
    opened(plan + "/" + revision);
    EXPECT_NE(pane<EditView>(), nullptr);
    EXPECT_EQ(labels(nodeOf(docPath("sub"))), (std::vector<std::string>{"new.txt", "plan.txt"}));

    // Add New Version builds it again, at the same place.
    ui.files.paths = {docPath("sub/added.txt")};
    writeFile(ui.files.paths[0], "added");
    menuCommand(window, kCmdAddNewVersion);
    tree = dynamic_cast<TreeCtrl*>(window->leftPane());
    opened(plan + "/" + revision);
    EXPECT_EQ(labels(nodeOf(docPath("sub"))).size(), 3u);

    // A node that went: its nearest ancestor that is left.
    select(nodeOf(docPath("sub/new.txt")));
    UID gone;
    gone = uidOf(docPath("sub/new.txt")).c_str();
    ASSERT_TRUE(VersionedFile(gone).destroy());
    window->browse();
    tree = dynamic_cast<TreeCtrl*>(window->leftPane());
    opened(docPath("sub"));
}

TEST_P(TreeCtrlTest, SelectionShowsTheNodesViewAndSetsTheCommands) {
    const std::string meeting = docPath("Meeting 10:30.odt");
    const std::string uid = version(meeting, "first", "draft");
    addRevision(uid, "second", "reviewed");
    version(docPath("mail@home.txt"));
    version(docPath("sub/b.txt"));
    start();
    const std::vector<std::string> revisions = revisionsOf(uid);

    // A folder lists its entries; versioned files, "@" names included, are
    // marked as such.
    select(nodeOf(folderPath()));
    ASSERT_NE(pane<IconView>(), nullptr);
    EXPECT_EQ(pane<IconView>()->rows(),
              (Rows{{"mail@home.txt", "ZEB"}, {"Meeting 10:30.odt", "ZEB"}, {"sub", "Folder"}}));
    EXPECT_EQ(versionCommandStates(window), "0000");

    // A versioned file lists its revisions, the UID hidden in cell 4.
    select(nodeOf(meeting));
    auto* report = pane<ReportView>();
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(titles(report), (std::vector<std::string>{"Ver.", "Name", "Notes", "Date"}));
    ASSERT_EQ(report->rows().size(), 2u);
    for (const ::Row& row : report->rows()) {
        const size_t v = row[0] == "1" ? 0 : 1;
        EXPECT_EQ(row, (::Row{std::to_string(v + 1), v ? "second" : "first",
                              v ? "reviewed" : "draft", row[3], revisions[v]}));
        EXPECT_GT(std::stoll(row[3]), 1600000000LL);
    }
    EXPECT_EQ(tree->selectContext()->selectedPath(), meeting);
    EXPECT_EQ(versionCommandStates(window), "1001");

    // A revision lists its attributes and becomes the current item.
    select(nodeOf(meeting + "/" + revisions[1]));
    auto* edit = pane<EditView>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(titles(edit), (std::vector<std::string>{"Rev. Attribute", "Value"}));
    EXPECT_EQ(
        edit->rows(),
        (Rows{{revisions[1], "UID"}, {"second", "Name"}, {"reviewed", "Note"}, {"2", "Version"}}));
    EXPECT_EQ(versionCommandStates(window), "1111");
    char current[1024] = "";
    tree->selectContext()->current()->getUID(current, sizeof current);
    EXPECT_EQ(current, revisions[1]);
    EXPECT_NE(tree->selectContext()->revisionFile(), nullptr);

    select(root());
    EXPECT_EQ(versionCommandStates(window), "0000");
}

ZEB_INSTANTIATE_BACKENDS(TreeCtrlTest);

}  // namespace
}  // namespace zebtest

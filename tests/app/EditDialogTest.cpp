// Editing a revision's attributes on both data sources: the Edit dialog,
// and the in-place edits of the attribute list, which change the current
// revision's name and note in the repository unless cancelled and then
// show what was stored.

#include "app/commands/EditDialog.h"

#include <gtest/gtest.h>

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <string>

#include "tests/app/AppTestSupport.h"
#include "ui/EditView.h"

namespace zebtest {
namespace {

class EditDialogTest : public RepositoryTest {
protected:
    void SetUp() override {
        RepositoryTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        file = versionFile(workFile("a.txt", "one"), "first name", "first note");
        workFile("a.txt", "two!");
        second = addRevision(file, "second");
    }

    std::string stored(const std::string& columns) {
        const std::vector<Row> rows =
            rawQuery("SELECT " + columns + " FROM REVTABLE WHERE UID = '" + second + "'");
        return rows.empty() ? "<none>" : rows[0][0].value_or("<null>");
    }

    std::string file, second;
    Journal journal;
};

TEST_P(EditDialogTest, ShowsTheItemWithItsVersionNameAndNote) {
    ListWalk walk({{file, second}});
    IZEB* item = walk.firstSelected(false);
    item->setNotes("a note");
    EditDialog dialog(nullptr, item);
    EXPECT_EQ(dialog.GetTitle().utf8_string(), "Revision File" + second);
    EXPECT_EQ(dialog.versionText()->GetLabel(), "2");
    EXPECT_EQ(dialog.nameField()->GetValue(), "second");
    EXPECT_EQ(dialog.noteField()->GetValue(), "a note");
    EXPECT_TRUE(dialog.noteField()->IsMultiLine());
    EXPECT_FALSE(dialog.nameField()->IsMultiLine());
    EXPECT_NE(dialog.FindWindow(wxID_OK), nullptr);
    EXPECT_NE(dialog.FindWindow(wxID_CANCEL), nullptr);

    // A versioned file shows version 0.
    EditDialog fileDialog(nullptr, walk.context.versionedFile());
    EXPECT_EQ(fileDialog.GetTitle().utf8_string(), "Versioned File" + file);
    EXPECT_EQ(fileDialog.versionText()->GetLabel(), "0");
    EXPECT_EQ(fileDialog.nameField()->GetValue(), "first name");
    EXPECT_EQ(fileDialog.noteField()->GetValue(), "first note");

    // No item: an empty dialog that stores nothing.
    EditDialog empty(nullptr, nullptr);
    EXPECT_EQ(empty.GetTitle(), "");
    EXPECT_EQ(empty.nameField()->GetValue(), "");
    EXPECT_FALSE(empty.store());
}

TEST_P(EditDialogTest, FieldsTakeNoMoreThanTheRepositoryKeeps) {
    ListWalk walk({{file, second}});
    EditDialog dialog(nullptr, walk.firstSelected(false));
    wxTextCtrl* name = dialog.nameField();
    name->Clear();
    // Typed one character at a time, in characters, not bytes.
    for (int i = 0; i < 40; ++i) {
        name->WriteText(i % 2 ? wxString::FromUTF8("\xc3\xa4") : wxString("n"));
    }
    EXPECT_EQ(name->GetValue().length(), 32u);

    wxTextCtrl* note = dialog.noteField();
    note->Clear();
    note->WriteText(std::string(200, 'a'));
    note->WriteText("\n" + std::string(100, 'b'));
    pumpUntil([&] { return note->GetValue().length() <= 255; });
    EXPECT_EQ(note->GetValue().length(), 255u);
    EXPECT_EQ(note->GetValue().Left(201), std::string(200, 'a') + "\n");

    // Whatever the field holds, no more is stored.
    note->ChangeValue(std::string(300, 'c'));
    ASSERT_TRUE(dialog.store());
    EXPECT_EQ(stored("REVNOTES"), std::string(255, 'c'));
}

TEST_P(EditDialogTest, InPlaceEditsStoreNameAndNoteAndShowWhatWasStored) {
    // What the browse tree does when a revision is selected: the attribute
    // list on the right, the revision current in the left pane's context.
    startWindow([&](wxWindow* main) { return new RecordingPane(main, "browse", journal, 1); });
    // Start-up took the installation folder from the registry; no help book
    // there: the one in share/zebdoc beside the program's bin folder serves.
    ASSERT_EQ(AppState::installPath(), installDir());
    EXPECT_EQ(AppState::archiveRoot(), installDir() + "/VFS");
    EXPECT_EQ(AppState::helpBookPath(),
              std::string(ZEBDOC_BINARY_DIR) + "/share/zebdoc/zebdoc.htb");
    writeFile(installDir() + "/zebdoc.htb", "");
    EXPECT_EQ(AppState::helpBookPath(), installDir() + "/zebdoc.htb");
    SelectContext* selection = window->leftPane()->selectContext();
    UID fileUid, revisionUid;
    fileUid = file.c_str();
    revisionUid = second.c_str();
    IZEB* current = selection->resolveRevision(fileUid, revisionUid);
    auto* view = new EditView(window);
    view->setColumns({"Value", "Rev. Attribute"},
                     {{second, "UID"}, {"second", "Name"}, {"", "Note"}, {"2", "Version"}},
                     {70, 30});
    view->setColumnOrder({1, 0});
    window->setRightPane(view);

    // The identifier and the version open no editor.
    EXPECT_FALSE(view->editValue(0));
    EXPECT_FALSE(view->editValue(3));
    // A cancelled edit saves nothing, not even a change made in memory.
    current->setName("renamed in memory");

    // The cell shows what the repository holds afterwards.
    const struct {
        int row;
        std::string typed;
        bool cancel;
        const char* column;
        std::string shown;
    } edits[] = {
        {1, "typed then abandoned", true, "REVNAME", "second"},
        {1, "final report", false, "REVNAME", "final report"},
        {1, std::string(40, 'n'), false, "REVNAME", std::string(32, 'n')},
        {2, "checked by Ann", false, "REVNOTES", "checked by Ann"},
        {2, std::string(300, 'c'), false, "REVNOTES", std::string(255, 'c')},
    };
    for (const auto& e : edits) {
        ASSERT_TRUE(view->editValue(e.row));
        view->editor()->SetValue(wxString::FromUTF8(e.typed));
        view->endEdit(e.cancel);
        pumpFor(20);
        EXPECT_EQ(view->rows()[static_cast<size_t>(e.row)][0], e.shown) << e.typed;
        EXPECT_EQ(stored(e.column), e.shown) << e.typed;
    }
    EXPECT_EQ(stored("REVVER"), "2");

    // A revision gone meanwhile: the list keeps what it showed.
    ASSERT_TRUE(rawExec("DELETE FROM REVTABLE WHERE UID = '" + second + "'"));
    ASSERT_TRUE(view->editValue(1));
    view->editor()->SetValue("too late");
    view->endEdit(false);
    EXPECT_EQ(view->rows()[1][0], std::string(32, 'n'));
}

ZEB_INSTANTIATE_BACKENDS(EditDialogTest);

}  // namespace
}  // namespace zebtest

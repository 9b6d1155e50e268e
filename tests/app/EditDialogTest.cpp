// The Edit dialog on revisions and versioned files of both data sources.

#include "app/EditDialog.h"

#include <gtest/gtest.h>

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <string>

#include "app/VersionCommands.h"
#include "tests/app/VersionTestSupport.h"
#include "tests/app/WxPump.h"

namespace zebtest {
namespace {

class EditDialogTest : public RepositoryTest {
protected:
    void SetUp() override {
        RepositoryTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        path = workFile("a.txt", "one");
        file = versionFile(path, "first name", "first note");
        workFile("a.txt", "two!");
        second = addRevision(file, "second");
        walk = std::make_unique<ListWalk>(std::vector<ListWalk::Entry>{{file, second}});
    }

    Row revisionRow() {
        return rawQuery("SELECT REVNAME, REVNOTES FROM REVTABLE WHERE UID = '" + second + "'")
            .at(0);
    }

    std::string path, file, second;
    std::unique_ptr<ListWalk> walk;
};

TEST_P(EditDialogTest, ShowsTheItemWithItsVersionNameAndNote) {
    IZEB* item = walk->firstSelected(false);
    item->setNotes("a note");
    EditDialog dialog(nullptr, item);
    EXPECT_EQ(dialog.GetTitle().utf8_string(), "Revision File" + second);
    auto* version = dynamic_cast<wxStaticText*>(dialog.FindWindow(EditDialog::kVersionId));
    auto* name = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(EditDialog::kNameId));
    auto* note = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(EditDialog::kNoteId));
    ASSERT_TRUE(version && name && note);
    EXPECT_EQ(version->GetLabel(), "2");
    EXPECT_EQ(name->GetValue(), "second");
    EXPECT_EQ(note->GetValue(), "a note");
    EXPECT_TRUE(note->IsMultiLine());
    EXPECT_FALSE(name->IsMultiLine());
    EXPECT_NE(dialog.FindWindow(wxID_OK), nullptr);
    EXPECT_NE(dialog.FindWindow(wxID_CANCEL), nullptr);

    // A versioned file shows version 0.
    UID uid;
    uid = file.c_str();
    VersionedFile versioned(uid);
    EditDialog fileDialog(nullptr, &versioned);
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
    EditDialog dialog(nullptr, walk->firstSelected(false));
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
    EXPECT_EQ(revisionRow()[1], std::string(255, 'c'));
}

TEST_P(EditDialogTest, OkStoresNameAndNoteAndCancelStoresNothing) {
    ui.onModal = [](wxDialog& dialog) {
        auto& edit = dynamic_cast<EditDialog&>(dialog);
        edit.nameField()->ChangeValue("Cancelled");
        return wxID_CANCEL;
    };
    EXPECT_EQ(VersionCommands::runEditDialog(nullptr, walk->firstSelected(false)), 2);
    EXPECT_EQ(revisionRow(), (Row{"second", ""}));

    ui.onModal = [](wxDialog& dialog) {
        auto& edit = dynamic_cast<EditDialog&>(dialog);
        edit.nameField()->ChangeValue("Final, it's done");
        edit.noteField()->ChangeValue("two\nlines");
        return wxID_OK;
    };
    EXPECT_EQ(VersionCommands::runEditDialog(nullptr, walk->firstSelected(false)), 1);
    EXPECT_EQ(revisionRow(), (Row{"Final, it's done", "two\nlines"}));
}

ZEB_INSTANTIATE_BACKENDS(EditDialogTest);

}  // namespace
}  // namespace zebtest

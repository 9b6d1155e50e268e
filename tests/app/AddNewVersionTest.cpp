// Add New Version: the per-file loop on both data sources, the size note,
// the progress dialog, the chooser and the command in the main window.

#include "app/commands/AddNewVersion.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/filedlg.h>
#include <wx/progdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <thread>

#include "app/window/StringTable.h"
#include "core/WriterLock.h"
#include "platform/FileSystem.h"
#include "tests/app/AppTestSupport.h"
#include "ui/AddChooser.h"

namespace zebtest {
namespace {

wxGenericProgressDialog* progressDialog() {
    for (wxWindow* w : wxTopLevelWindows) {
        if (auto* dialog = dynamic_cast<wxGenericProgressDialog*>(w)) {
            if (dialog->IsShown()) {
                return dialog;
            }
        }
    }
    return nullptr;
}

class AddNewVersionTest : public RepositoryTest {
protected:
    void TearDown() override {
        AddNewVersion::setProgressDelayForTesting(std::chrono::milliseconds(-1));
        AddNewVersion::setAfterFileForTesting(nullptr);
        RepositoryTest::TearDown();
    }

    AddNewVersion::Outcome add(const std::vector<std::string>& paths, const std::string& name = "",
                               const std::string& note = "") {
        ChosenFiles chosen;
        chosen.paths = paths;
        chosen.versionName = name;
        chosen.versionNote = note;
        return AddNewVersion::addFiles(nullptr, chosen);
    }

    // Name and note of each revision of the file at `path`, by version.
    std::vector<Row> revisionRows(const std::string& path) {
        return rawQuery("SELECT REVNAME, REVNOTES FROM REVTABLE WHERE MASTERUID = '" + uidOf(path) +
                        "' ORDER BY REVVER");
    }
};

TEST_P(AddNewVersionTest, EachFileGetsItsOwnNameAndSizeNoteUnlessTypedAndUnchangedOnesAsk) {
    const std::string a = workFile("a.txt", std::string(999, 'a'));
    const std::string b = workFile("sub.d/b.odt", std::string(2500, 'b'));
    const std::string c = workFile("c", "");
    const auto outcome = add({a, b, c});
    EXPECT_EQ(outcome.versionedFiles, 3);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(revisionRows(a), std::vector<Row>({Row{"a.txt", "Size: 0 KB"}}));
    EXPECT_EQ(revisionRows(b), std::vector<Row>({Row{"b.odt", "Size: 2 KB"}}));
    EXPECT_EQ(revisionRows(c), std::vector<Row>({Row{"c", "Size: 0 KB"}}));
    EXPECT_EQ(rawQuery("SELECT VerName, VerNotes FROM MASTERZEB WHERE UID = '" + uidOf(b) + "'"),
              std::vector<Row>({Row{"b.odt", "Size: 2 KB"}}));
    EXPECT_EQ(readFile(installDir() + "/VFS" + b + "/" + revisionsOf(uidOf(b))[0]),
              std::string(2500, 'b'));

    // Typed once, for all; a typed name alone leaves each its size note.
    for (const auto& p : {a, b, c}) {
        writeFile(p, "changed " + p);
    }
    EXPECT_EQ(add({a, b}, "Release 2", "sent to Ann").revisions, 2);
    EXPECT_EQ(add({c}, "Release 2").revisions, 1);
    EXPECT_EQ(revisionRows(a).at(1), (Row{"Release 2", "sent to Ann"}));
    EXPECT_EQ(revisionRows(b).at(1), (Row{"Release 2", "sent to Ann"}));
    EXPECT_EQ(revisionRows(c).at(1), (Row{"Release 2", "Size: 0 KB"}));

    // An unchanged file is added only when confirmed.
    writeFile(c, "changed again");
    ui.answers = {wxCANCEL, wxOK};
    const auto again = add({a, b, c});
    EXPECT_EQ(again.skipped, 1);
    EXPECT_EQ(again.revisions, 2);
    ASSERT_EQ(ui.messages.size(), 2u);
    // Each question names its file.
    const std::string unchanged = strings::text(strings::kConfirmUnchanged);
    EXPECT_EQ(ui.messages[0].text, unchanged + "\n\n" + a);
    EXPECT_EQ(ui.messages[1].text, unchanged + "\n\n" + b);
    EXPECT_EQ(ui.messages[0].caption, "ZEBDOC");
    EXPECT_EQ(ui.messages[0].style, wxOK | wxCANCEL | wxICON_INFORMATION);
    EXPECT_EQ(revisionRows(a).size(), 2u);
    EXPECT_EQ(revisionRows(b).size(), 3u);
    EXPECT_EQ(revisionRows(c).size(), 3u);
    EXPECT_EQ(rawCount("SELECT UID FROM MASTERZEB"), 3u);
}

TEST_P(AddNewVersionTest, FilesNotArchivedAreListedWithTheirReasonsInOneMessageAfterTheRun) {
    const std::string work = workDir() + "/work";
    const std::string pipe = work + "/pipe";
    writeFile(work + "/.keep", "");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string deep = workFile(std::string(200, 'd') + "/" + std::string(60, 'f'), "x");
    const std::string good = workFile("good.txt", "good");
    const std::string same = workFile("same.txt", "same");
    versionFile(same);
    // The failures do not stop the others; a file kept back at the
    // question is not one of them.
    ui.answers = {wxCANCEL};
    const auto outcome = add({pipe, deep, work + "/gone.txt", good, same});
    EXPECT_EQ(outcome.versionedFiles, 1);
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_FALSE(uidOf(good).empty());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, "These files were not added to version control:\n" + pipe +
                                       ": it is not a regular file\n" + deep +
                                       ": the path is longer than 255 characters\n" + work +
                                       "/gone.txt: it does not exist");
    EXPECT_EQ(ui.messages[1].caption, "ZEBDOC");
    EXPECT_EQ(ui.messages[1].style, wxOK | wxICON_ERROR);

    // A name in another encoding: PostgreSQL refuses it, SQLite keeps it.
    ui.messages.clear();
    const std::string latin = workFile("caf\xe9.txt", "latin");
    const auto foreign = add({latin});
    if (backend() == Backend::PostgreSQL) {
        ASSERT_EQ(foreign.failures.size(), 1u);
        EXPECT_EQ(foreign.failures[0].reason.rfind(
                      "its name is not valid UTF-8; the database could not store it: ", 0),
                  0u)
            << foreign.failures[0].reason;
        EXPECT_NE(ui.messages.at(0).text.find(work + "/caf\xef\xbf\xbd.txt: its name"),
                  std::string::npos)
            << ui.messages[0].text;
    } else {
        EXPECT_EQ(foreign.versionedFiles, 1);
    }

    // A long list names the first twenty and counts the rest.
    ui.messages.clear();
    std::vector<std::string> gone;
    for (int i = 0; i < 23; ++i) {
        gone.push_back(work + "/gone" + std::to_string(i));
    }
    EXPECT_EQ(add(gone).failures.size(), 23u);
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& list = ui.messages[0].text;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 21) << list;
    EXPECT_EQ(list.substr(list.rfind('\n')), "\nand 3 more");

    // What the repository tells, one run each.
    std::thread writer;
    std::atomic<bool> release{false};
    const struct {
        const char* label;
        std::function<void()> arm;
        std::function<void()> disarm;
        std::string reason;  // how it begins
    } faults[] = {
        {"full disk", [] { zeb::platform::setCopyFaultForTesting(ENOSPC, 1, 1); },
         [] { zeb::platform::clearCopyFaultForTesting(); },
         "its archived copy could not be written: No space left on device"},
        {"database gone",
         [&] {
             setRegistryValue("DSN", "zebtest_no_such_source");
             resetInstance();
         },
         [&] {
             setRegistryValue("DSN", dataSourceName());
             resetInstance();
         },
         "the database could not store it: SQL Error State:IM002"},
        {"another writer",
         [&] {
             WriterLock::setTimeoutForTesting(100);
             std::atomic<bool> held{false};
             writer = std::thread([&] {
                 WriterLock lock;
                 held = true;
                 while (!release) {
                     std::this_thread::sleep_for(std::chrono::milliseconds(5));
                 }
             });
             while (!held) {
                 std::this_thread::sleep_for(std::chrono::milliseconds(5));
             }
         },
         [&] {
             release = true;
             writer.join();
             WriterLock::setTimeoutForTesting(-1);
         },
         "another thread of this program is writing the repository"},
    };
    for (const auto& f : faults) {
        const std::string file = workFile(std::string(f.label) + ".txt", f.label);
        ui.messages.clear();
        f.arm();
        const auto failed = add({file});
        f.disarm();
        ASSERT_EQ(failed.failures.size(), 1u) << f.label;
        EXPECT_EQ(failed.failures[0].reason.rfind(f.reason, 0), 0u)
            << f.label << ": " << failed.failures[0].reason;
        EXPECT_EQ(uidOf(file), "") << f.label;
        EXPECT_EQ(ui.messages.size(), 1u) << f.label;
    }
}

TEST_P(AddNewVersionTest, ProgressShowsTheFileAndCancelStopsAfterTheCurrentOne) {
    const std::string a = workFile("a.txt", "aaa");
    const std::string b = workFile("b.txt", "bbb");
    const std::string c = workFile("c.txt", "ccc");

    // Quick adds show nothing.
    bool shown = false;
    AddNewVersion::setAfterFileForTesting([&](size_t) { shown = shown || progressDialog(); });
    add({a});
    EXPECT_FALSE(shown);

    AddNewVersion::setProgressDelayForTesting(std::chrono::milliseconds(0));
    std::string message;
    AddNewVersion::setAfterFileForTesting([&](size_t index) {
        wxGenericProgressDialog* dialog = progressDialog();
        ASSERT_NE(dialog, nullptr);
        if (index == 0) {
            message = dialog->GetMessage().utf8_string();
            wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
            cancel.SetEventObject(dialog->FindWindow(wxID_CANCEL));
            dialog->FindWindow(wxID_CANCEL)->GetEventHandler()->ProcessEvent(cancel);
        }
    });
    const auto outcome = add({b, c});
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(message, b);
    EXPECT_FALSE(uidOf(b).empty());
    EXPECT_EQ(uidOf(c), "");
    EXPECT_EQ(progressDialog(), nullptr);
}

ZEB_INSTANTIATE_BACKENDS(AddNewVersionTest);

TEST(AddNewVersionSizeNote, WholeSizeInThousandsRoundedDown) {
    EXPECT_EQ(AddNewVersion::sizeNote(999), "Size: 0 KB");
    EXPECT_EQ(AddNewVersion::sizeNote(1000), "Size: 1 KB");
    // Past 4 GiB the size does not wrap.
    EXPECT_EQ(AddNewVersion::sizeNote(5000000000ull), "Size: 5000000 KB");

    TempDir dir;
    const std::string big = dir.path() + "/big.img";
    writeFile(big, "");
    ASSERT_EQ(::truncate(big.c_str(), 4294967296ll + 999000), 0);
    EXPECT_EQ(AddNewVersion::sizeNoteOf(big), "Size: 4295966 KB");
    EXPECT_EQ(AddNewVersion::sizeNoteOf(dir.path() + "/missing"), "Size: ");
}

// This platform's chooser: its accept button relabelled, the chosen files
// named as the file system names them, and the version fields, made as
// showing it makes them, wide enough to read what is typed.
TEST(AddChooser, AcceptButtonNamesAndVersionFields) {
    struct Chooser : wxFileDialog {
        using wxFileDialog::wxFileDialog;
        using wxFileDialogBase::CreateExtraControl;
    };
    Chooser chooser(nullptr, "Add  new file versions", wxEmptyString, wxEmptyString,
                    AddNewVersion::kWildcard, wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
    EXPECT_NE(acceptButtonLabel(chooser), "Add");
    ASSERT_TRUE(labelAcceptButton(chooser, "Add"));
    EXPECT_EQ(acceptButtonLabel(chooser), "Add");

    TempDir dir;
    const std::string latin = dir.path() + "/caf\xe9.txt";
    writeFile(latin, "x");
    auto* widget = GTK_FILE_CHOOSER(chooser.GetHandle());
    gtk_file_chooser_select_filename(widget, latin.c_str());
    EXPECT_TRUE(pumpUntil([&] { return chosenPaths(chooser) == std::vector<std::string>{latin}; }));
    addVersionFields(chooser);
    ASSERT_TRUE(chooser.CreateExtraControl());
    std::vector<std::string> labels;
    std::vector<wxTextCtrl*> fields;
    for (wxWindow* child : chooser.GetExtraControl()->GetChildren()) {
        if (auto* label = dynamic_cast<wxStaticText*>(child)) {
            labels.push_back(label->GetLabel().utf8_string());
        } else if (auto* field = dynamic_cast<wxTextCtrl*>(child)) {
            fields.push_back(field);
        }
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Ver. Name:", "Ver. Note:"}));
    ASSERT_EQ(fields.size(), 2u);
    for (const auto& [field, chars] : {std::make_pair(fields[0], kVersionNameChars),
                                       std::make_pair(fields[1], kVersionNoteChars)}) {
        EXPECT_GE(field->GetSize().x, field->GetTextExtent(wxString('n', chars)).x) << chars;
    }
    fields[0]->ChangeValue("Release 2");
    fields[1]->ChangeValue("sent to Ann");
    EXPECT_EQ(versionName(chooser) + "/" + versionNote(chooser), "Release 2/sent to Ann");
}

// The command in the main window: the chooser, then a new browse tree.
TEST_F(MainWindowTest, AddNewVersionChoosesThenMakesANewTreeWhenBrowsing) {
    TempDir dir;
    const std::string file = dir.path() + "/a.txt";
    writeFile(file, "a");
    menuCommand(kCmdAddNewVersion);
    EXPECT_EQ(ui.chooserTitle, "Add  new file versions");
    EXPECT_EQ(ui.chooserWildcard, "All|*|Text|*.txt;*.TXT");
    // Nothing chosen: the tree stays.
    EXPECT_EQ(journal.count("browse 2: made"), 0);

    ui.files.paths = {file};
    menuCommand(kCmdAddNewVersion);
    EXPECT_EQ(journal.count("browse 1: deleted"), 1);
    EXPECT_EQ(journal.count("browse 2: made"), 1);
    EXPECT_TRUE(window->isBrowsing());

    // A search form stays as it is.
    menuCommand(kCmdSearch);
    const size_t before = journal.entries.size();
    menuCommand(kCmdAddNewVersion);
    EXPECT_EQ(journal.entries.size(), before);
    EXPECT_FALSE(window->isBrowsing());
}

}  // namespace
}  // namespace zebtest

// The two commands on a real repository: Add new version (new files, later
// versions, the confirmation for an unchanged file, the success message)
// and Get from archived version (the picker, the restore and its messages),
// each file of the selection in order.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/shellext/ShellextTestSupport.h"

namespace zebtest {
namespace {

using Texts = std::vector<std::string>;

const std::string kAddDone = "Succesfully created new versions for selected files";
const std::string kConfirm =
    "The selected file has the same size and timestamp as a file already in version control. "
    "Confirm that you want to create a new version of the selected file.";
const std::string kGetDone = "Get operation has succesfully completed";
const std::string kGetIncomplete = "Get operation was not completely successful for some files";

class HandlerCommandsTest : public ShellItemTest {
protected:
    void SetUp() override {
        ShellItemTest::SetUp();
        std::filesystem::create_directories(docsDir());
        extension = std::make_unique<LoadedExtension>();
        extension->usePrompts(&prompts);
    }
    void TearDown() override {
        extension.reset();
        ShellItemTest::TearDown();
    }

    // Runs the item at `offset` on `files` as the host does.
    void run(UINT offset, const Texts& files) {
        Handler handler(*extension, files);
        ASSERT_NE(handler.menu, nullptr);
        HostMenu menu;
        ASSERT_EQ(handler.menu->QueryContextMenu(&menu, 0, 1, 100, CMF_NORMAL), 2);
        EXPECT_EQ(handler.invoke(offset), S_OK);
    }
    void add(const Texts& files) { run(0, files); }
    void get(const Texts& files) { run(1, files); }

    std::string doc(const std::string& name) const { return docsDir() + "/" + name; }

    RecordingPrompts prompts;
    std::unique_ptr<LoadedExtension> extension;
};

TEST_P(HandlerCommandsTest, AddVersionsNewFilesUnderTheirNamesWithTheirSizesAsNotes) {
    const Texts names = {"a b'$;c.txt", "\xC3\xBC \\ \"q\".odt", "small", "exact"};
    const Texts bytes = {std::string(2500, 'x'), std::string(999, 'y'), "", std::string(1999, 'z')};
    Texts files;
    for (size_t i = 0; i < names.size(); ++i) {
        files.push_back(doc(names[i]));
        writeFile(files.back(), bytes[i]);
    }
    add(files);
    EXPECT_EQ(prompts.messages(), Texts{kAddDone});
    EXPECT_EQ(prompts.asked[0].caption, "Versioned file");
    EXPECT_EQ(prompts.asked[0].style, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(versions(),
              (Texts{doc(names[0]) + "|1|" + names[0] + "|Size: 2 KB",
                     doc("exact") + "|1|exact|Size: 1 KB", doc("small") + "|1|small|Size: 0 KB",
                     doc(names[1]) + "|1|" + names[1] + "|Size: 0 KB"}));

    // A changed file gets its next version; the others are asked about.
    writeFile(files[0], "changed");
    prompts.asked.clear();
    prompts.answers = {IDCANCEL, IDOK, IDCANCEL};
    add(files);
    EXPECT_EQ(prompts.messages(), (Texts{kConfirm, kConfirm, kConfirm, kAddDone}));
    EXPECT_EQ(prompts.asked[0].style, MB_OKCANCEL | MB_ICONINFORMATION);
    EXPECT_EQ(versions().size(), 6u);
}

// Which saves succeed decides the message after the last file: it tells
// that every version asked for was made.
struct SaveCase {
    const char* name;
    std::vector<bool> present;  // a file that vanished since the menu cannot be saved
    bool message;
};

const SaveCase kSaveCases[] = {
    {"AllSaved", {true, true, true}, true},
    {"OnlyTheLastSaved", {false, false, true}, false},
    {"OnlyTheLastFailed", {true, true, false}, false},
    {"OneInTheMiddleFailed", {true, false, true}, false},
    {"TheOnlyOneFailed", {false}, false},
};

TEST_P(HandlerCommandsTest, TheSuccessMessageNeedsEverySaveToSucceed) {
    for (const SaveCase& c : kSaveCases) {
        SCOPED_TRACE(c.name);
        Texts files;
        for (size_t i = 0; i < c.present.size(); ++i) {
            files.push_back(doc(std::string(c.name) + std::to_string(i)));
            if (c.present[i]) {
                writeFile(files.back(), "bytes");
            }
        }
        prompts.asked.clear();
        add(files);
        EXPECT_EQ(prompts.messages(), c.message ? Texts{kAddDone} : Texts{});
    }
}

TEST_P(HandlerCommandsTest, AnUnchangedFileIsVersionedAgainOnlyWhenConfirmed) {
    const std::string file = doc("letter.txt");
    writeFile(file, "one");
    add({file});
    for (const int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        prompts.asked.clear();
        prompts.answers = {answer};
        add({file});
        EXPECT_EQ(prompts.messages(),
                  answer == IDOK ? (Texts{kConfirm, kAddDone}) : Texts{kConfirm});
        EXPECT_EQ(versions().size(), answer == IDOK ? 2u : 1u);
    }
}

TEST_P(HandlerCommandsTest, GetAsksForARevisionPerVersionedFileAndRestoresIt) {
    const std::string versioned = doc("report.txt");
    const std::string plain = doc("plain 'file'.txt");
    writeFile(versioned, "first");
    writeFile(plain, "never versioned");
    add({versioned});
    writeFile(versioned, "second, longer");
    add({versioned});
    const std::string firstRevision = value("SELECT UID FROM REVTABLE WHERE REVVER = 1");
    prompts.onPick = [&](const UID&, UID& revision) {
        revision = firstRevision.c_str();
        return 1;
    };
    prompts.asked.clear();
    get({versioned, plain});
    EXPECT_EQ(readFile(versioned), "first");
    EXPECT_EQ(prompts.messages(),
              (Texts{"<pick>", kGetDone, "File " + plain + " is not versioned."}));
    EXPECT_EQ(prompts.asked[0].text, value("SELECT UID FROM FILETABLE"));
    EXPECT_EQ(prompts.asked[2].style, MB_OK | MB_ICONQUESTION);

    // Cancel in the picker, or a picker that cannot be shown: nothing more.
    writeFile(versioned, "edited");
    for (const int code : {2, -1}) {
        prompts.onPick = [code](const UID&, UID&) { return code; };
        prompts.asked.clear();
        get({versioned});
        EXPECT_EQ(prompts.messages(), Texts{"<pick>"});
        EXPECT_EQ(readFile(versioned), "edited");
    }

    // A restore that fails says so; a working file that vanished since the
    // menu is made anew.
    prompts.onPick = [&](const UID&, UID& revision) {
        revision = firstRevision.c_str();
        return 1;
    };
    zeb::platform::setCopyFaultForTesting(EIO, 2, 1);
    prompts.asked.clear();
    get({versioned});
    EXPECT_EQ(prompts.messages(), (Texts{"<pick>", kGetIncomplete}));
    EXPECT_EQ(readFile(versioned), "edited");
    ASSERT_EQ(unlink(versioned.c_str()), 0);
    prompts.asked.clear();
    get({versioned});
    EXPECT_EQ(prompts.messages(), (Texts{"<pick>", kGetDone}));
    EXPECT_EQ(readFile(versioned), "first");
}

TEST_P(HandlerCommandsTest, TheSelectionArrivesWholeAndInOrder) {
    // Longer than the 260 characters of the desktop's path buffers.
    const std::string deep = docsDir() + "/" + std::string(120, 'd') + "/" + std::string(120, 'e') +
                             "/" + std::string(40, 'f') + ".txt";
    const Texts files = {doc("z\nnew line"), deep, doc("-x; rm -rf $HOME")};
    get(files);
    Texts expected;
    for (const std::string& file : files) {
        expected.push_back("File " + file + " is not versioned.");
    }
    EXPECT_EQ(prompts.messages(), expected);
}

ZEB_INSTANTIATE_BACKENDS(HandlerCommandsTest);

}  // namespace
}  // namespace zebtest

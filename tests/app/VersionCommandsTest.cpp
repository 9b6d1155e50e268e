// Edit, Delete, Open and Get as both left panes run them, over real
// repository objects on both data sources; and the private folder of the copies that Open hands to
// applications.

#include "app/commands/VersionCommands.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>

#include "app/commands/EditDialog.h"
#include "app/commands/OpenedCopies.h"
#include "app/window/StringTable.h"
#include "platform/FileSystem.h"
#include "tests/app/AppTestSupport.h"

namespace zebtest {
namespace {

namespace fs = zeb::platform;

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class VersionCommandsTest : public RepositoryTest {
protected:
    void SetUp() override {
        RepositoryTest::SetUp();
        OpenedCopies::resetForTesting();
        OpenedCopies::setHandOverTimeForTesting(std::chrono::milliseconds(-1));
    }
    void TearDown() override {
        VersionCommands::removeOpenedCopies();
        RepositoryTest::TearDown();
    }

    // A versioned file with two revisions; the working file holds "two!".
    void twoRevisions(const std::string& relative) {
        path = workFile(relative, "one");
        file = versionFile(path);
        workFile(relative, "two!");
        second = addRevision(file, "second");
        first = revisionsOf(file).at(0);
    }

    std::string path, file, first, second;
};

TEST_P(VersionCommandsTest, EditShowsOneDialogPerItemAndStoresThoseEndedWithOk) {
    // Nothing selected: asked for a selection.
    ListWalk none({});
    EXPECT_FALSE(VersionCommands::editItems(nullptr, none, none.context));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, strings::text(strings::kSelectToModify));
    EXPECT_EQ(ui.messages[0].caption, "ZEBDOC");
    EXPECT_EQ(ui.messages[0].style, wxOK | wxICON_QUESTION);
    EXPECT_TRUE(ui.dialogTitles.empty());

    twoRevisions("a.txt");
    ListWalk walk({{file, ""}, {file, second}});
    int after = 0;
    ui.onModal = [&](wxDialog& dialog) {
        auto& edit = dynamic_cast<EditDialog&>(dialog);
        if (ui.dialogTitles.size() == 1) {
            edit.nameField()->ChangeValue("not stored");
            return wxID_CANCEL;
        }
        edit.nameField()->ChangeValue("Renamed, it's done");
        edit.noteField()->ChangeValue("line 1\nline 2");
        return wxID_OK;
    };
    EXPECT_TRUE(VersionCommands::editItems(nullptr, walk, walk.context, [&] { ++after; }));
    EXPECT_EQ(after, 2);
    EXPECT_EQ(ui.dialogTitles,
              std::vector<std::string>({"Versioned File" + file, "Revision File" + second}));
    EXPECT_EQ(rawQuery("SELECT VerName FROM MASTERZEB WHERE UID = '" + file + "'").at(0)[0],
              "first");
    EXPECT_EQ(rawQuery("SELECT REVNAME, REVNOTES FROM REVTABLE WHERE UID = '" + second + "'")[0],
              (Row{"Renamed, it's done", "line 1\nline 2"}));
    EXPECT_EQ(walk.droppingSeen, std::vector<bool>({false, false, false}));

    // All cancelled: nothing to show again.
    ui.onModal = {};
    EXPECT_FALSE(VersionCommands::editItems(nullptr, walk, walk.context));
}

TEST_P(VersionCommandsTest, DeleteDestroysEveryItemOnlyWhenConfirmed) {
    twoRevisions("a.txt");
    const std::string other = workFile("b.txt", "bee");
    const std::string otherFile = versionFile(other);
    const std::string otherCopy = installDir() + "/VFS" + other;
    ASSERT_TRUE(fs::isDirectory(otherCopy));
    ListWalk walk({{file, first}, {otherFile, ""}});

    // Cancel: the walk does not even start.
    ui.answers = {wxCANCEL};
    bool before = false;
    const auto cancelled =
        VersionCommands::deleteItems(nullptr, walk, true, [&] { before = true; });
    EXPECT_FALSE(cancelled.confirmed);
    EXPECT_FALSE(before);
    EXPECT_EQ(walk.firstCalls, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, strings::text(strings::kConfirmRemove));
    EXPECT_EQ(ui.messages[0].style, wxOK | wxCANCEL | wxICON_WARNING);
    EXPECT_EQ(revisionsOf(file).size(), 2u);

    const auto outcome = VersionCommands::deleteItems(nullptr, walk, true, [&] {
        before = true;
        EXPECT_EQ(walk.firstCalls, 0);
    });
    EXPECT_TRUE(outcome.confirmed);
    EXPECT_TRUE(before);
    EXPECT_TRUE(outcome.anyItem);
    EXPECT_TRUE(outcome.anyRevision);
    EXPECT_EQ(outcome.destroyed, 2);
    EXPECT_EQ(outcome.destroyedUids, std::vector<std::string>({first, otherFile}));
    EXPECT_EQ(walk.droppingSeen, std::vector<bool>({true, true, true}));
    EXPECT_EQ(revisionsOf(file), std::vector<std::string>({second}));
    EXPECT_FALSE(fs::exists(installDir() + "/VFS" + path + "/" + first));
    EXPECT_EQ(uidOf(other), "");
    EXPECT_FALSE(fs::exists(otherCopy));
    // The working files are the user's: untouched.
    EXPECT_EQ(readFile(other), "bee");
}

TEST_P(VersionCommandsTest, GetAsksBeforeReplacingUnarchivedWorkAndReportsTheOutcome) {
    twoRevisions("a/a.txt");
    const std::string done = strings::text(strings::kGetComplete);
    const std::string ask =
        wxString::Format(strings::text(strings::kConfirmReplaceWork), path, "1").utf8_string();
    // One after the other on the same working file.
    const struct {
        const char* label;
        std::function<void()> prepare;
        std::string revision;
        std::deque<int> answers;
        std::vector<std::string> asked;
        std::string after;
    } cases[] = {
        {"versioned files only", [] {}, "", {}, {strings::text(strings::kSelectToOpen)}, "two!"},
        {"no working file", [&] { ::unlink(path.c_str()); }, first, {}, {done}, "one"},
        {"as archived", [] {}, second, {}, {done}, "two!"},
        {"changed, kept", [&] { writeFile(path, "changed"); }, first, {wxCANCEL}, {ask}, "changed"},
        {"changed, replaced", [] {}, first, {wxOK}, {ask, done}, "one"},
    };
    for (const auto& c : cases) {
        c.prepare();
        ui.messages.clear();
        ui.answers = c.answers;
        ListWalk walk({{file, c.revision}});
        VersionCommands::restoreItems(nullptr, walk);
        EXPECT_EQ(ui.texts(), c.asked) << c.label;
        EXPECT_EQ(readFile(path), c.after) << c.label;
        for (const AskedMessage& m : ui.messages) {
            EXPECT_EQ(m.style, m.text == ask ? wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_WARNING
                                             : wxOK | wxICON_INFORMATION)
                << c.label;
        }
    }

    // The working file's folder is now a file: that restore cannot write;
    // the other is restored all the same.
    const std::string other = workFile("b.txt", "bee");
    const std::string otherFile = versionFile(other);
    const std::string otherFirst = revisionsOf(otherFile).at(0);
    ::unlink(other.c_str());
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::rmdir(fs::parentPath(path).c_str()), 0);
    writeFile(fs::parentPath(path), "in the way");
    ListWalk walk({{file, first}, {otherFile, otherFirst}});
    ui.messages.clear();
    VersionCommands::restoreItems(nullptr, walk);
    EXPECT_EQ(ui.texts(), std::vector<std::string>({strings::text(strings::kGetIncomplete)}));
    EXPECT_EQ(readFile(other), "bee");
}

TEST_P(VersionCommandsTest, OpenRemovesTheCopyWhenTheApplicationEndsOrKeepsItWhenHandedOver) {
    twoRevisions("x.d/report.final.odt");
    OpenedCopies::setHandOverTimeForTesting(std::chrono::milliseconds(0));
    // The pane goes away while the first application runs (the window
    // dispatches events meanwhile): the second revision opens all the same.
    auto* walk = new ListWalk({{file, first}, {file, ""}, {file, second}});
    std::vector<std::string> seen;
    ui.onLaunch = [&](const std::string& target) {
        delete walk;
        walk = nullptr;
        seen.push_back(readFile(target));
        EXPECT_EQ(modeOf(target), 0400u);
        EXPECT_EQ(modeOf(fs::parentPath(target)), 0700u);
        EXPECT_EQ(modeOf(fs::parentPath(fs::parentPath(target))), 0700u);
        return true;
    };
    EXPECT_EQ(VersionCommands::openItems(nullptr, *walk), 2);
    delete walk;
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.launched.size(), 2u);
    EXPECT_EQ(fs::baseName(ui.launched[0]), first + ".odt");
    EXPECT_EQ(fs::baseName(ui.launched[1]), second + ".odt");
    EXPECT_EQ(seen, std::vector<std::string>({"one", "two!"}));
    const std::string runtime = std::getenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(ui.launched[0].rfind(runtime + "/zebdoc-open/", 0), 0u) << ui.launched[0];
    EXPECT_FALSE(fs::exists(ui.launched[0]));
    EXPECT_FALSE(fs::exists(ui.launched[1]));
    EXPECT_TRUE(OpenedCopies::keptCopies().empty());

    // Launched and gone at once: handed over, the copy stays until exit.
    OpenedCopies::setHandOverTimeForTesting(std::chrono::milliseconds(-1));
    ui.onLaunch = {};
    ListWalk again({{file, second}});
    EXPECT_EQ(VersionCommands::openItems(nullptr, again), 1);
    const std::string kept = ui.launched.back();
    EXPECT_EQ(readFile(kept), "two!");
    EXPECT_EQ(modeOf(kept), 0400u);
    EXPECT_EQ(OpenedCopies::keptCopies(), std::vector<std::string>({kept}));
    VersionCommands::removeOpenedCopies();
    EXPECT_FALSE(fs::exists(kept));
    EXPECT_FALSE(fs::exists(fs::parentPath(kept)));
}

TEST_P(VersionCommandsTest, OpenFailuresAreSilentAndLeaveNoCopy) {
    twoRevisions("a.txt");
    // The launch fails.
    ui.onLaunch = [](const std::string&) { return false; };
    ListWalk walk({{file, second}});
    EXPECT_EQ(VersionCommands::openItems(nullptr, walk), 1);
    ASSERT_EQ(ui.launched.size(), 1u);
    EXPECT_FALSE(fs::exists(ui.launched[0]));
    EXPECT_TRUE(OpenedCopies::keptCopies().empty());
    // The archived copy is gone: nothing is launched, nothing reported.
    ASSERT_TRUE(fs::removeFile(installDir() + "/VFS" + path + "/" + second));
    EXPECT_EQ(VersionCommands::openItems(nullptr, walk), 1);
    EXPECT_EQ(ui.launched.size(), 1u);
    EXPECT_TRUE(ui.messages.empty());

    // No revision among the items.
    ListWalk files({{file, ""}});
    EXPECT_EQ(VersionCommands::openItems(nullptr, files), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Please select a revison to open either from left pane or the right pane.");
    EXPECT_EQ(ui.messages[0].style, wxOK | wxICON_QUESTION);
}

ZEB_INSTANTIATE_BACKENDS(VersionCommandsTest);

// The private folder, without a repository.

class OpenedCopiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        OpenedCopies::resetForTesting();
        m_runtime = std::getenv("XDG_RUNTIME_DIR");
    }
    void TearDown() override {
        OpenedCopies::removeKept();
        ::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
        OpenedCopies::resetForTesting();
    }
    // A fresh runtime folder for the program.
    std::string useRuntime() {
        const std::string runtime = dir.path() + "/runtime";
        EXPECT_EQ(::mkdir(runtime.c_str(), 0700), 0);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        return runtime;
    }
    TempDir dir;
    std::string m_runtime;
};

TEST(OpenedCopiesName, ExtensionComesFromTheFileNameOnly) {
    EXPECT_EQ(OpenedCopies::nameExtension("/tmp/a/report.final.odt"), ".odt");
    EXPECT_EQ(OpenedCopies::nameExtension("/tmp/x.d/file"), "");
    EXPECT_EQ(OpenedCopies::nameExtension("/tmp/x.d/notes.TXT"), ".TXT");
    EXPECT_EQ(OpenedCopies::nameExtension("/home/ann/Meeting 10:30"), "");
    EXPECT_EQ(OpenedCopies::nameExtension("plain"), "");
}

TEST_F(OpenedCopiesTest, PrivateFolderIsMadeAndRepairedButNeverTakenFromSomeoneElse) {
    const std::string fresh = dir.path() + "/fresh";
    ::umask(022);
    EXPECT_TRUE(OpenedCopies::securePrivateFolder(fresh));
    EXPECT_EQ(modeOf(fresh), 0700u);

    const std::string open = dir.path() + "/open";
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    EXPECT_TRUE(OpenedCopies::securePrivateFolder(open));
    EXPECT_EQ(modeOf(open), 0700u);

    // A link to a folder, even one's own, and a file are refused untouched.
    const std::string target = dir.path() + "/target";
    ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);
    const std::string link = dir.path() + "/link";
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_FALSE(OpenedCopies::securePrivateFolder(link));
    EXPECT_EQ(modeOf(target), 0755u);
    const std::string file = dir.path() + "/file";
    writeFile(file, "x");
    EXPECT_FALSE(OpenedCopies::securePrivateFolder(file));

    // A folder of another user's.
    const std::string foreign = dir.path() + "/foreign";
    ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(OpenedCopies::securePrivateFolder(foreign));
    } else if (fs::exists("/proc/1")) {
        EXPECT_FALSE(OpenedCopies::securePrivateFolder("/proc/1"));
    }
}

TEST_F(OpenedCopiesTest, ATakenSharedFolderGivesAFolderOfItsOwnElsewhere) {
    const std::string runtime = useRuntime();
    // Someone put a link where the shared folder goes.
    const std::string elsewhere = dir.path() + "/elsewhere";
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0777), 0);
    ASSERT_EQ(::symlink(elsewhere.c_str(), (runtime + "/zebdoc-open").c_str()), 0);

    const std::string folder = OpenedCopies::processFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.rfind(runtime, 0), 0u) << folder;
    EXPECT_NE(folder.rfind(elsewhere, 0), 0u) << folder;
    EXPECT_EQ(modeOf(folder), 0700u);
    std::vector<fs::DirEntry> entries;
    ASSERT_TRUE(fs::listDirectory(elsewhere, entries));
    EXPECT_TRUE(entries.empty());
}

TEST_F(OpenedCopiesTest, LeftoversOfProgramsNoLongerRunningAreRemovedAtStart) {
    const std::string runtime = useRuntime();
    const std::string mine = OpenedCopies::processFolder();
    const std::string base = fs::parentPath(mine);
    ASSERT_EQ(base, runtime + "/zebdoc-open");
    writeFile(mine + "/kept.odt", "mine");
    // A parent process that runs, one that ran once under a pid now used by
    // a later process, and one that is gone.
    const std::string running = base + "/" + OpenedCopies::processTag(::getppid());
    const std::string reused = base + "/" + std::to_string(::getppid()) + "-1";
    const std::string gone = base + "/999999999-5";
    const std::string foreign = base + "/notes";
    for (const std::string& f : {running, reused, gone, foreign}) {
        writeFile(f + "/copy.txt", "left");
    }
    ::chmod((gone + "/copy.txt").c_str(), 0400);

    VersionCommands::cleanStaleOpenedCopies();
    EXPECT_TRUE(fs::exists(mine + "/kept.odt"));
    EXPECT_TRUE(fs::exists(running + "/copy.txt"));
    EXPECT_TRUE(fs::exists(foreign + "/copy.txt"));
    EXPECT_FALSE(fs::exists(reused));
    EXPECT_FALSE(fs::exists(gone));
}

}  // namespace
}  // namespace zebtest

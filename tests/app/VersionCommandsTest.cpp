// Edit, Delete, Open and Get as both left panes run them, over real
// repository objects on both data sources; and the private folder of the
// copies that Open hands to applications.

#include "app/VersionCommands.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/EditDialog.h"
#include "app/OpenedCopies.h"
#include "platform/FileSystem.h"
#include "tests/app/VersionTestSupport.h"

namespace zebtest {
namespace {

namespace fs = zeb::platform;

const char* const kCaption = "ZEBDOC";
const char* const kSelectToOpen =
    "Please select a revison to open either from left pane or the right pane.";

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

    // A versioned file with two revisions; the working file holds "two".
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
    EXPECT_EQ(ui.messages[0].text,
              "Please select a revision to modify either from the left pane or the right pane.");
    EXPECT_EQ(ui.messages[0].caption, kCaption);
    EXPECT_EQ(ui.messages[0].style, wxOK | wxICON_QUESTION);
    EXPECT_TRUE(ui.dialogTitles.empty());

    twoRevisions("a.txt");
    ListWalk walk({{file, ""}, {file, second}});
    int dialogs = 0;
    int after = 0;
    ui.onModal = [&](wxDialog& dialog) {
        ++dialogs;
        auto& edit = dynamic_cast<EditDialog&>(dialog);
        if (dialogs == 1) {
            edit.nameField()->ChangeValue("not stored");
            return wxID_CANCEL;
        }
        edit.nameField()->ChangeValue("Renamed");
        edit.noteField()->ChangeValue("line 1\nline 2");
        return wxID_OK;
    };
    EXPECT_TRUE(VersionCommands::editItems(nullptr, walk, walk.context, [&] { ++after; }));
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(after, 2);
    EXPECT_EQ(ui.dialogTitles.at(0), "Versioned File" + file);
    EXPECT_EQ(ui.dialogTitles.at(1), "Revision File" + second);
    EXPECT_EQ(rawQuery("SELECT VerName FROM MASTERZEB WHERE UID = '" + file + "'").at(0)[0],
              "first");
    EXPECT_EQ(rawQuery("SELECT REVNAME, REVNOTES FROM REVTABLE WHERE UID = '" + second + "'")[0],
              (Row{"Renamed", "line 1\nline 2"}));
    EXPECT_EQ(walk.droppingSeen, std::vector<bool>({false, false, false}));

    // All cancelled: nothing to show again.
    ui.onModal = [](wxDialog&) { return wxID_CANCEL; };
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
    EXPECT_EQ(ui.messages[0].text, "Removing a version is irreversible. Press OK to proceed.");
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
    EXPECT_EQ(walk.droppingSeen, std::vector<bool>({true, true, true}));
    EXPECT_EQ(revisionsOf(file), std::vector<std::string>({second}));
    EXPECT_FALSE(fs::exists(installDir() + "/VFS" + path + "/" + first));
    EXPECT_EQ(uidOf(other), "");
    EXPECT_FALSE(fs::exists(otherCopy));
    // The working files are the user's: untouched.
    EXPECT_EQ(readFile(other), "bee");

    // Nothing selected: asked all the same, then nothing to report back.
    ListWalk none({});
    const auto empty = VersionCommands::deleteItems(nullptr, none, false);
    EXPECT_TRUE(empty.confirmed);
    EXPECT_FALSE(empty.anyItem);
    EXPECT_EQ(empty.destroyed, 0);
    EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_P(VersionCommandsTest, GetRestoresEveryRevisionAndReportsSuccess) {
    twoRevisions("a.txt");
    // Versioned files only: asked for a revision, nothing restored.
    ListWalk files({{file, ""}});
    VersionCommands::restoreItems(nullptr, files);
    EXPECT_EQ(ui.texts(), std::vector<std::string>({kSelectToOpen}));
    EXPECT_EQ(ui.messages[0].style, wxOK | wxICON_INFORMATION);
    EXPECT_EQ(readFile(path), "two!");
    ui.messages.clear();

    const std::string other = workFile("b.txt", "bee");
    const std::string otherFile = versionFile(other);
    writeFile(other, "changed");
    ListWalk walk({{file, first}, {file, ""}, {otherFile, revisionsOf(otherFile)[0]}});
    VersionCommands::restoreItems(nullptr, walk);
    EXPECT_EQ(ui.texts(), std::vector<std::string>({"Get operation has succesfully completed"}));
    EXPECT_EQ(ui.messages[0].style, wxOK | wxICON_INFORMATION);
    EXPECT_EQ(readFile(path), "one");
    EXPECT_EQ(readFile(other), "bee");
}

TEST_P(VersionCommandsTest, GetWithAFailingRestoreReportsItAndStillRestoresTheOthers) {
    twoRevisions("a/a.txt");
    const std::string other = workFile("b.txt", "bee");
    const std::string otherFile = versionFile(other);
    writeFile(other, "changed");
    // The working file's folder is now a file: that restore cannot write.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::rmdir(fs::parentPath(path).c_str()), 0);
    writeFile(fs::parentPath(path), "in the way");

    ListWalk walk({{file, first}, {otherFile, revisionsOf(otherFile)[0]}});
    VersionCommands::restoreItems(nullptr, walk);
    EXPECT_EQ(ui.texts(),
              std::vector<std::string>({"Get operation was not completely successful for some "
                                        "files"}));
    EXPECT_EQ(readFile(other), "bee");
}

TEST_P(VersionCommandsTest, OpenWaitsForTheApplicationThenRemovesTheCopy) {
    twoRevisions("docs/report.final.odt");
    OpenedCopies::setHandOverTimeForTesting(std::chrono::milliseconds(0));
    ListWalk walk({{file, first}, {file, ""}, {file, second}});
    std::vector<std::string> seen;
    ui.onLaunch = [&](const std::string& target) {
        seen.push_back(readFile(target));
        EXPECT_EQ(modeOf(target), 0400u);
        EXPECT_EQ(modeOf(fs::parentPath(target)), 0700u);
        EXPECT_EQ(modeOf(fs::parentPath(fs::parentPath(target))), 0700u);
        return true;
    };
    EXPECT_EQ(VersionCommands::openItems(nullptr, walk), 2);
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(ui.launched.size(), 2u);
    EXPECT_EQ(fs::baseName(ui.launched[0]), first + ".odt");
    EXPECT_EQ(fs::baseName(ui.launched[1]), second + ".odt");
    EXPECT_EQ(seen, std::vector<std::string>({"one", "two!"}));
    const std::string runtime = std::getenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(ui.launched[0].rfind(runtime + "/zebdoc-open/", 0), 0u) << ui.launched[0];
    for (const std::string& target : ui.launched) {
        EXPECT_FALSE(fs::exists(target));
    }
    EXPECT_TRUE(OpenedCopies::keptCopies().empty());
}

TEST_P(VersionCommandsTest, OpenHandedOverAtOnceKeepsTheCopyUntilExit) {
    twoRevisions("x.d/file");
    ListWalk walk({{file, second}});
    EXPECT_EQ(VersionCommands::openItems(nullptr, walk), 1);
    ASSERT_EQ(ui.launched.size(), 1u);
    const std::string target = ui.launched[0];
    // A dot in a folder's name is no extension.
    EXPECT_EQ(fs::baseName(target), second);
    EXPECT_EQ(readFile(target), "two!");
    EXPECT_EQ(modeOf(target), 0400u);
    EXPECT_EQ(OpenedCopies::keptCopies(), std::vector<std::string>({target}));

    VersionCommands::removeOpenedCopies();
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(fs::parentPath(target)));
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
    const std::string archived = installDir() + "/VFS" + path + "/" + second;
    ASSERT_TRUE(fs::removeFile(archived));
    EXPECT_EQ(VersionCommands::openItems(nullptr, walk), 1);
    EXPECT_EQ(ui.launched.size(), 1u);
    EXPECT_TRUE(ui.messages.empty());

    // No revision among the items.
    ListWalk files({{file, ""}});
    EXPECT_EQ(VersionCommands::openItems(nullptr, files), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kSelectToOpen);
    EXPECT_EQ(ui.messages[0].style, wxOK | wxICON_QUESTION);
}

TEST_P(VersionCommandsTest, OpenUsesTheWalkOnlyBeforeTheFirstLaunch) {
    twoRevisions("a.txt");
    auto* walk = new ListWalk({{file, first}, {file, second}});
    OpenedCopies::setHandOverTimeForTesting(std::chrono::milliseconds(0));
    // The pane goes away while the first application runs (the window
    // dispatches events meanwhile): the second revision opens all the same.
    ui.onLaunch = [&](const std::string&) {
        delete walk;
        walk = nullptr;
        return true;
    };
    EXPECT_EQ(VersionCommands::openItems(nullptr, *walk), 2);
    EXPECT_EQ(ui.launched.size(), 2u);
    delete walk;
}

TEST_P(VersionCommandsTest, OpenWithTheDefaultApplicationOfTheType) {
    twoRevisions("notes.txt");
    // The person's default application for text: it notes what it was
    // given, and when asked to, stays open a while.
    const std::string home = std::getenv("HOME");
    const std::string data = std::getenv("XDG_DATA_HOME");
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    const std::string seen = home + "/seen.txt";
    const std::string slow = home + "/slow";
    const std::string script = home + "/viewer.sh";
    writeFile(script,
              "#!/bin/sh\ncat \"$1\" > '" + seen + "'\n[ -e '" + slow + "' ] && sleep 1\nexit 0\n");
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    writeFile(data + "/applications/zebtest-viewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + script +
                  " %f\nMimeType=text/plain;\n");
    writeFile(config + "/mimeapps.list",
              "[Default Applications]\ntext/plain=zebtest-viewer.desktop\n");
    ui.onLaunch = [](const std::string& target) {
        return desktopUserInterface().launchAndWait(target);
    };

    // It ends at once: handed over, the copy stays until the program ends.
    ListWalk walk({{file, first}});
    EXPECT_EQ(VersionCommands::openItems(nullptr, walk), 1);
    EXPECT_EQ(readFile(seen), "one");
    ASSERT_EQ(ui.launched.size(), 1u);
    EXPECT_TRUE(fs::exists(ui.launched[0]));
    EXPECT_EQ(OpenedCopies::keptCopies(), std::vector<std::string>({ui.launched[0]}));

    // It stays open past the hand-over time: the copy goes when it ends.
    OpenedCopies::setHandOverTimeForTesting(std::chrono::milliseconds(300));
    writeFile(slow, "");
    ListWalk again({{file, second}});
    EXPECT_EQ(VersionCommands::openItems(nullptr, again), 1);
    EXPECT_EQ(readFile(seen), "two!");
    ASSERT_EQ(ui.launched.size(), 2u);
    EXPECT_FALSE(fs::exists(ui.launched[1]));
    EXPECT_EQ(OpenedCopies::keptCopies().size(), 1u);
}

ZEB_INSTANTIATE_BACKENDS(VersionCommandsTest);

// The private folder, without a repository.

class OpenedCopiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        OpenedCopies::resetForTesting();
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        m_runtime = runtime ? runtime : "";
    }
    void TearDown() override {
        OpenedCopies::removeKept();
        ::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
        OpenedCopies::resetForTesting();
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

    if (::geteuid() != 0 && fs::exists("/proc/1")) {
        // A folder of another user's.
        EXPECT_FALSE(OpenedCopies::securePrivateFolder("/proc/1"));
    }
}

TEST_F(OpenedCopiesTest, ATakenSharedFolderGivesAFolderOfItsOwnElsewhere) {
    const std::string runtime = dir.path() + "/runtime";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
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
    const std::string runtime = dir.path() + "/runtime";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string mine = OpenedCopies::processFolder();
    ASSERT_EQ(fs::parentPath(mine), runtime + "/zebdoc-open");
    writeFile(mine + "/kept.odt", "mine");

    const std::string base = fs::parentPath(mine);
    // A parent process that runs, one that ran once under a pid now used by
    // a later process, and one that is gone.
    const std::string running = base + "/" + OpenedCopies::processTag(::getppid());
    const std::string reused = base + "/" + std::to_string(::getppid()) + "-1";
    const std::string gone = base + "/999999999-5";
    const std::string foreign = base + "/notes";
    for (const std::string& f : {running, reused, gone, foreign}) {
        ASSERT_EQ(::mkdir(f.c_str(), 0700), 0) << f;
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

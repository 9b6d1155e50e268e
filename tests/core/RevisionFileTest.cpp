#include "core/RevisionFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "core/DatabaseInstance.h"
#include "core/VersionedFile.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

class RevisionFileTest : public ItemTest {};

TEST_P(RevisionFileTest, RestoreReplacesTheWorkingFileAndDiffFileFollows) {
    const std::string path = docsDir() + "/letter.txt";
    writeFile(path, "version one");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    setModifiedTime(path, 1000000000, 111);
    VersionedFile file("letter", "", path.c_str());
    ASSERT_TRUE(file.save());
    RevisionFile first(uidFrom(value("SELECT UID FROM REVTABLE")), &file);
    EXPECT_FALSE(first.diffFile(path.c_str(), &file));

    writeFile(path, "version two, longer");
    setModifiedTime(path, 1100000000, 222);
    EXPECT_TRUE(first.diffFile(path.c_str(), &file));
    RevisionFile second("second", "", &file);
    ASSERT_TRUE(second.save());
    EXPECT_FALSE(second.diffFile(path.c_str(), &file));

    // Back to the first version: its bytes and time, the working file's mode.
    ASSERT_TRUE(first.restore());
    EXPECT_EQ(readFile(path), "version one");
    const struct stat st = statOf(path);
    EXPECT_TRUE(st.st_mtim.tv_sec == 1000000000 && st.st_mtim.tv_nsec == 111);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_FALSE(first.diffFile(path.c_str(), &file));
    // A second restore over a restored file works.
    ASSERT_TRUE(second.restore());
    EXPECT_EQ(readFile(path), "version two, longer");
    // A restore that fails leaves the working file as it was, and no
    // leftover beside it.
    zeb::platform::setCopyFaultForTesting(EIO, 4, 1);
    EXPECT_FALSE(first.restore());
    EXPECT_EQ(readFile(path), "version two, longer");
    EXPECT_EQ(listNames(docsDir()), std::vector<std::string>{"letter.txt"});

    // Without the working file, or even its folder, the file is made anew.
    std::filesystem::remove_all(docsDir());
    EXPECT_TRUE(first.diffFile(path.c_str(), &file));
    ASSERT_TRUE(first.restore());
    EXPECT_EQ(readFile(path), "version one");
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(statOf(path).st_mode & 07777, 0644u & ~static_cast<unsigned>(mask));

    // A revision that is not saved has nothing to restore.
    EXPECT_FALSE(RevisionFile("unsaved", "", &file).restore());
}

TEST_P(RevisionFileTest, ArchiveIsPrivateAndALinkedWorkingFileStaysALink) {
    // A private document gives a private, still read-only copy, in folders
    // only its owner may enter.
    const std::string real = docsDir() + "/real.txt";
    writeFile(real, "v1");
    ASSERT_EQ(chmod(real.c_str(), 0600), 0);
    const std::string link = docsDir() + "/link.txt";
    ASSERT_EQ(symlink("real.txt", link.c_str()), 0);
    VersionedFile file("link", "", link.c_str());
    ASSERT_TRUE(file.save());
    const std::string v1 = value("SELECT UID FROM REVTABLE");
    EXPECT_EQ(statOf(objectDirOf(file) + "/" + v1).st_mode & 07777, 0400u);
    for (std::string dir = objectDirOf(file); dir.size() >= vfsRoot().size();
         dir = dir.substr(0, dir.rfind('/'))) {
        EXPECT_EQ(statOf(dir).st_mode & 07777, 0700u) << dir;
    }

    // Get writes through the link: the link stays, its target gets the
    // content and keeps its mode, made writable.
    writeFile(real, "v2, edited");
    ASSERT_EQ(chmod(real.c_str(), 0440), 0);
    RevisionFile first(uidFrom(v1), &file);
    ASSERT_TRUE(first.restore());
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(real), "v1");
    EXPECT_EQ(statOf(real).st_mode & 07777, 0640u);

    // An archive root an older version left open to others is closed on
    // the next add; copies already stored keep their modes.
    ASSERT_EQ(chmod(vfsRoot().c_str(), 0755), 0);
    RevisionFile second("second", "", &file);
    ASSERT_TRUE(second.save());
    EXPECT_EQ(statOf(vfsRoot()).st_mode & 07777, 0700u);
}

TEST_P(RevisionFileTest, FailedFirstAddLeavesNoFolderBehind) {
    const std::string path = docsDir() + "/deep/er/a.txt";
    writeFile(path, "a");
    VersionedFile file("a", "", path.c_str());
    // The third statement of a first add is the FILETABLE insert.
    DatabaseInstance::failStatementForTesting(3);
    EXPECT_FALSE(file.save());
    EXPECT_FALSE(pathExists(vfsRoot()));
    EXPECT_EQ(allRows(), 0u);
    EXPECT_TRUE(file.save()) << "and the next try works";
}

TEST_P(RevisionFileTest, FailedCopyLeavesNoPartialFileAndNoRow) {
    const std::string path = docsDir() + "/data.bin";
    writeFile(path, std::string(100000, 'a'));
    VersionedFile file("data", "", path.c_str());
    zeb::platform::setCopyFaultForTesting(ENOSPC, 4096, 1);
    EXPECT_FALSE(file.save());
    EXPECT_EQ(allRows(), 0u);
    EXPECT_TRUE(listNames(objectDirOf(file)).empty());

    ASSERT_TRUE(file.save());
    const std::vector<std::string> archived = listNames(objectDirOf(file));
    writeFile(path, std::string(200000, 'b'));
    zeb::platform::setCopyFaultForTesting(ENOSPC, 65536, 1);
    RevisionFile second("second", "", &file);
    EXPECT_FALSE(second.save());
    EXPECT_EQ(rowsOf("REVTABLE"), 1u);
    EXPECT_EQ(listNames(objectDirOf(file)), archived);

    ASSERT_TRUE(second.save());
    EXPECT_EQ(readFile(objectDirOf(file) + "/" + uidOf(second)), std::string(200000, 'b'));
}

TEST_P(RevisionFileTest, DeletingRevisionsDownToTheLastRemovesEverythingButParents) {
    const std::string path = docsDir() + "/sub/plan.txt";
    writeFile(path, "1");
    VersionedFile file("plan", "", path.c_str());
    ASSERT_TRUE(file.save());
    std::vector<std::string> uids = {value("SELECT UID FROM REVTABLE")};
    for (const char* content : {"22", "333"}) {
        writeFile(path, content);
        RevisionFile revision(content, "", &file);
        ASSERT_TRUE(revision.save());
        uids.push_back(uidOf(revision));
    }
    const std::string dir = objectDirOf(file);

    // Edit: the row changes, the archive does not.
    RevisionFile middle(uidFrom(uids[1]), &file);
    middle.setName("middle");
    ASSERT_TRUE(middle.save());
    EXPECT_EQ(value("SELECT REVNAME FROM REVTABLE WHERE UID = '" + uids[1] + "'"), "middle");
    ASSERT_TRUE(middle.destroy());
    EXPECT_FALSE(pathExists(dir + "/" + uids[1]));
    EXPECT_EQ(rowsOf("REVTABLE"), 2u);

    // Without the working file its revisions can still be deleted.
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_TRUE(RevisionFile(uidFrom(uids[0]), &file).destroy());
    EXPECT_EQ(listNames(dir), std::vector<std::string>{uids[2]});
    EXPECT_EQ(rowsOf("MASTERZEB"), 1u);

    RevisionFile last(uidFrom(uids[2]), &file);
    ASSERT_TRUE(last.destroy());
    EXPECT_EQ(allRows(), 0u);
    EXPECT_FALSE(pathExists(dir));
    EXPECT_TRUE(pathExists(vfsRoot() + docsDir() + "/sub"));
    EXPECT_FALSE(last.destroy());
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(RevisionFileTest);

}  // namespace zebtest

#include "core/VersionedFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/RevisionFile.h"
#include "core/UID.h"
#include "platform/FileSystem.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

class VersionedFileTest : public ItemTest {
protected:
    void TearDown() override {
        zeb::platform::clearCopyFaultForTesting();
        ItemTest::TearDown();
    }
};

UID uidFrom(const std::string& text) {
    UID uid;
    uid = text.c_str();
    return uid;
}

int charCount(const std::string& text) {
    int count = 0;
    for (unsigned char c : text) {
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::string objectDirOf(const VersionedFile& file) {
    char text[1024];
    file.getObjectDir(text, sizeof text);
    return text;
}

TEST_P(VersionedFileTest, FirstAddWritesOneRowPerTableAndAReadOnlyCopy) {
    const std::string path = docsDir() + "/a.txt";
    writeFile(path, "first version\n");
    setModifiedTime(path, 1050850167, 123456789);
    UID found;
    EXPECT_FALSE(VersionedFile::isFileVersioned(path.c_str(), found));

    VersionedFile file("a.txt", "Size: 1 KB", path.c_str());
    ASSERT_TRUE(file.save());
    const std::string uid = uidOf(file);

    EXPECT_EQ(value("SELECT UID FROM FILETABLE"), uid);
    EXPECT_EQ(value("SELECT FilePath FROM FILETABLE"), path);
    EXPECT_EQ(value("SELECT UID FROM MASTERZEB"), uid);
    EXPECT_EQ(value("SELECT VerName FROM MASTERZEB"), "a.txt");
    EXPECT_EQ(value("SELECT UserData FROM MASTERZEB"), " ");
    EXPECT_EQ(value("SELECT REVVER FROM REVTABLE"), "1");
    EXPECT_EQ(value("SELECT MASTERUID FROM REVTABLE"), uid);
    EXPECT_EQ(value("SELECT REVNOTES FROM REVTABLE"), "Size: 1 KB");
    const std::string revUid = value("SELECT UID FROM REVTABLE");

    // The object directory repeats the file's folders below the archive root
    // and holds one copy, named by the revision, nothing else.
    const std::string dir = vfsRoot() + path;
    EXPECT_EQ(objectDirOf(file), dir);
    ASSERT_EQ(listNames(dir), std::vector<std::string>{revUid});
    const std::string copy = dir + "/" + revUid;
    EXPECT_EQ(readFile(copy), "first version\n");
    const struct stat st = statOf(copy);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1050850167);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_size, 14);

    ASSERT_TRUE(VersionedFile::isFileVersioned(path.c_str(), found));
    char text[1024];
    found.toString(text, sizeof text);
    EXPECT_EQ(text, uid);

    VersionedFile reread(found);
    reread.getFileFullPath(text, sizeof text);
    EXPECT_EQ(text, path);
    reread.getName(text, sizeof text);
    EXPECT_STREQ(text, "a.txt");
    EXPECT_TRUE(reread.read(found));

    // Edit: name and notes only.
    reread.setName("renamed");
    reread.setNotes("new notes");
    ASSERT_TRUE(reread.save());
    EXPECT_EQ(value("SELECT VerName FROM MASTERZEB"), "renamed");
    EXPECT_EQ(value("SELECT REVNAME FROM REVTABLE"), "a.txt");
    EXPECT_EQ(listNames(dir).size(), 1u);
    EXPECT_EQ(rowsOf("FILETABLE"), 1u);
}

TEST_P(VersionedFileTest, NamesWithSpacesQuotesBackslashesColonsAndNonAsciiLetters) {
    const std::vector<std::string> names = {"with space.txt", "it's \"quoted\".txt",
                                            "back\\slash.txt", "c:lon:s.txt", "Grüße ñ 日本.txt"};
    const std::string folder = docsDir() + "/O'Neil: ä";
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        writeFile(path, name);
        VersionedFile file(name.c_str(), "", path.c_str());
        ASSERT_TRUE(file.save()) << name;
        EXPECT_EQ(value("SELECT FilePath FROM FILETABLE WHERE UID = '" + uidOf(file) + "'"), path);

        UID found;
        ASSERT_TRUE(VersionedFile::isFileVersioned(path.c_str(), found)) << name;
        char text[1024];
        found.toString(text, sizeof text);
        EXPECT_EQ(text, uidOf(file));

        // Every ":" of the path is an "@" in the archive.
        std::string archived = path;
        for (char& c : archived) {
            if (c == ':') {
                c = '@';
            }
        }
        EXPECT_EQ(objectDirOf(file), vfsRoot() + archived);
        EXPECT_EQ(listNames(vfsRoot() + archived).size(), 1u) << name;
    }
    EXPECT_EQ(rowsOf("FILETABLE"), names.size());
    EXPECT_EQ(listNames(vfsRoot() + docsDir() + "/O'Neil@ ä").size(), names.size());
    UID none;
    EXPECT_FALSE(VersionedFile::isFileVersioned((folder + "/WITH SPACE.TXT").c_str(), none));
}

TEST_P(VersionedFileTest, PathLongerThan255CharactersIsRefused) {
    // Folders of two-byte letters: the limit counts characters, not bytes.
    std::string folder = docsDir();
    while (charCount(folder) + 61 < 200) {
        folder += "/";
        for (int i = 0; i < 60; ++i) {
            folder += "ä";
        }
    }
    const int room = 255 - charCount(folder) - 1;  // characters left for the name
    ASSERT_GT(room, 1);
    const std::string fits = folder + "/" + std::string(room, 'f');
    const std::string tooLong = folder + "/" + std::string(room + 1, 'g');
    ASSERT_EQ(charCount(fits), 255);
    writeFile(fits, "fits");
    writeFile(tooLong, "too long");

    VersionedFile refused("long", "", tooLong.c_str());
    EXPECT_FALSE(refused.save());
    EXPECT_EQ(allRows(), 0u);
    EXPECT_FALSE(pathExists(vfsRoot() + tooLong));

    VersionedFile accepted("fits", "", fits.c_str());
    ASSERT_TRUE(accepted.save());
    EXPECT_EQ(value("SELECT FilePath FROM FILETABLE"), fits);
    VersionedFile reread(uidFrom(uidOf(accepted)));
    char text[1024];
    reread.getFileFullPath(text, sizeof text);
    EXPECT_EQ(text, fits);
}

TEST_P(VersionedFileTest, RefusesWhatIsNotANewRegularFile) {
    writeFile(docsDir() + "/sub/x.txt", "x");
    VersionedFile folder("sub", "", (docsDir() + "/sub").c_str());
    EXPECT_FALSE(folder.save());
    VersionedFile missing("gone", "", (docsDir() + "/gone.txt").c_str());
    EXPECT_FALSE(missing.save());
    EXPECT_EQ(allRows(), 0u);

    VersionedFile first("x", "", (docsDir() + "/sub/x.txt").c_str());
    ASSERT_TRUE(first.save());
    // The same path again, here made from a relative path.
    ASSERT_EQ(chdir(docsDir().c_str()), 0);
    VersionedFile again("x again", "", "sub/../sub/x.txt");
    char text[1024];
    again.getFileFullPath(text, sizeof text);
    EXPECT_EQ(text, docsDir() + "/sub/x.txt");
    EXPECT_FALSE(again.save());
    EXPECT_EQ(rowsOf("FILETABLE"), 1u);
    EXPECT_EQ(rowsOf("MASTERZEB"), 1u);
    EXPECT_EQ(rowsOf("REVTABLE"), 1u);
}

TEST_P(VersionedFileTest, VanishedObjectDirectoryIsRecreatedOrForgotten) {
    const std::string path = docsDir() + "/report.odt";
    writeFile(path, "v1");
    VersionedFile file("report", "", path.c_str());
    ASSERT_TRUE(file.save());
    const std::string dir = objectDirOf(file);
    std::filesystem::remove_all(dir);

    // A new version makes the directory again.
    writeFile(path, "v2 longer");
    RevisionFile second("second", "", &file);
    ASSERT_TRUE(second.save());
    EXPECT_EQ(listNames(dir), std::vector<std::string>{uidOf(second)});
    EXPECT_EQ(rowsOf("REVTABLE"), 2u);

    // Destroying the file without its directory still forgets the path.
    std::filesystem::remove_all(dir);
    VersionedFile loaded(uidFrom(uidOf(file)));
    ASSERT_TRUE(loaded.destroy());
    EXPECT_EQ(allRows(), 0u);
    UID none;
    EXPECT_FALSE(VersionedFile::isFileVersioned(path.c_str(), none));
    // ... so it can be added again.
    VersionedFile readded("report", "", path.c_str());
    EXPECT_TRUE(readded.save());
}

TEST_P(VersionedFileTest, DestroyRemovesTheFileButNotItsParentFolders) {
    const std::string path = docsDir() + "/deep/er/b.txt";
    writeFile(path, "b");
    VersionedFile file("b", "", path.c_str());
    ASSERT_TRUE(file.save());
    writeFile(path, "bb");
    RevisionFile second("b2", "", &file);
    ASSERT_TRUE(second.save());
    // A neighbour keeps its own directory.
    writeFile(docsDir() + "/deep/er/c.txt", "c");
    VersionedFile neighbour("c", "", (docsDir() + "/deep/er/c.txt").c_str());
    ASSERT_TRUE(neighbour.save());

    ASSERT_TRUE(file.destroy());
    EXPECT_FALSE(pathExists(objectDirOf(file)));
    EXPECT_TRUE(pathExists(vfsRoot() + docsDir() + "/deep/er"));
    EXPECT_EQ(column("SELECT UID FROM MASTERZEB"), std::vector<std::string>{uidOf(neighbour)});
    EXPECT_EQ(column("SELECT UID FROM FILETABLE"), std::vector<std::string>{uidOf(neighbour)});
    EXPECT_EQ(column("SELECT MASTERUID FROM REVTABLE"), std::vector<std::string>{uidOf(neighbour)});
    EXPECT_EQ(listNames(objectDirOf(neighbour)).size(), 1u);
    EXPECT_EQ(readFile(path), "bb");  // the working file is the user's
    EXPECT_FALSE(file.destroy());
}

TEST_P(VersionedFileTest, FailedFirstArchiveLeavesNoPartialFileAndNoRow) {
    const std::string path = docsDir() + "/big.bin";
    writeFile(path, std::string(256 * 1024, 'x'));
    zeb::platform::setCopyFaultForTesting(ENOSPC, 4096, 1);
    VersionedFile file("big", "", path.c_str());
    EXPECT_FALSE(file.save());
    EXPECT_EQ(allRows(), 0u);
    EXPECT_TRUE(listNames(objectDirOf(file)).empty());
    UID none;
    EXPECT_FALSE(VersionedFile::isFileVersioned(path.c_str(), none));

    // Nothing stands in the way of the next attempt.
    ASSERT_TRUE(file.save());
    EXPECT_EQ(listNames(objectDirOf(file)).size(), 1u);
    EXPECT_EQ(rowsOf("FILETABLE"), 1u);
}

TEST(VersionedFilePaths, CreateObjectDirAndStoredPathForm) {
    TempDir temp;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::string dir = temp.path() + "//a/b@/c d";
    EXPECT_TRUE(VersionedFile::createObjectDir(dir.c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp.path() + "/a/b@/c d"));
    EXPECT_TRUE(VersionedFile::createObjectDir(dir.c_str()));  // all there already
    writeFile(temp.path() + "/a/file", "");
    EXPECT_FALSE(VersionedFile::createObjectDir((temp.path() + "/a/file/x").c_str()));
    EXPECT_FALSE(pathExists(temp.path() + "/a/file/x"));
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(after, cwd);

    // A POSIX path is stored as it stands; "\" is a letter in its names.
    char posix[] = "/home/ann/back\\slash.txt";
    VersionedFile::processFilePath(posix, false);
    EXPECT_STREQ(posix, "/home/ann/back\\slash.txt");
    VersionedFile::processFilePath(posix, true);
    EXPECT_STREQ(posix, "/home/ann/back\\slash.txt");
    char drive[] = "C:\\Docs\\a.txt";
    VersionedFile::processFilePath(drive, false);
    EXPECT_STREQ(drive, "C:/Docs/a.txt");
    VersionedFile::processFilePath(drive, true);
    EXPECT_STREQ(drive, "C:\\Docs\\a.txt");
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(VersionedFileTest);

}  // namespace zebtest

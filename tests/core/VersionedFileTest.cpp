#include "core/VersionedFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/RevisionFile.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

class VersionedFileTest : public ItemTest {};

std::string pathOf(const VersionedFile& file) {
    char text[1024];
    file.getFileFullPath(text, sizeof text);
    return text;
}

std::string versionedUid(const std::string& path) {
    UID uid;
    if (!VersionedFile::isFileVersioned(path.c_str(), uid)) {
        return "<not versioned>";
    }
    char text[1024];
    uid.toString(text, sizeof text);
    return text;
}

int charCount(const std::string& text) {
    return static_cast<int>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

TEST_P(VersionedFileTest, FirstAddWritesThePathAndAReadOnlyCopy) {
    const std::string path = docsDir() + "/a.txt";
    writeFile(path, "first version\n");
    setModifiedTime(path, 1050850167, 123456789);
    EXPECT_EQ(versionedUid(path), "<not versioned>");

    VersionedFile file("a.txt", "Size: 1 KB", path.c_str());
    ASSERT_TRUE(file.save());
    const std::string uid = uidOf(file);
    EXPECT_EQ(rawQuery("SELECT UID, FilePath FROM FILETABLE"), (std::vector<Row>{{uid, path}}));
    EXPECT_EQ(column("SELECT UID FROM MASTERZEB UNION ALL SELECT MASTERUID FROM REVTABLE"),
              (std::vector<std::string>{uid, uid}));
    EXPECT_EQ(versionedUid(path), uid);

    // The object directory repeats the file's folders below the archive root
    // and holds one copy, named by the revision, and nothing else.
    const std::string dir = vfsRoot() + path;
    EXPECT_EQ(objectDirOf(file), dir);
    const std::string copy = dir + "/" + value("SELECT UID FROM REVTABLE");
    ASSERT_EQ(listNames(dir), std::vector<std::string>{value("SELECT UID FROM REVTABLE")});
    EXPECT_EQ(readFile(copy), "first version\n");
    const struct stat st = statOf(copy);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1050850167);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);

    VersionedFile reread(uidFrom(uid));
    EXPECT_EQ(pathOf(reread), path);
    EXPECT_TRUE(reread.read(uidFrom(uid)));
    EXPECT_FALSE(reread.read(uidFrom("1x2x3")));
    EXPECT_EQ(pathOf(reread), "");
}

TEST_P(VersionedFileTest, NamesWithSpacesQuotesBackslashesColonsAndNonAsciiLetters) {
    const std::string folder = docsDir() + "/O'Neil: ä";
    const std::vector<std::string> names = {"with space.txt", "it's \"quoted\".txt",
                                            "back\\slash.txt", "co:lon.txt", "Grüße 日本.txt"};
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        writeFile(path, name);
        VersionedFile file(name.c_str(), "", path.c_str());
        ASSERT_TRUE(file.save()) << name;
        EXPECT_EQ(value("SELECT FilePath FROM FILETABLE WHERE UID = '" + uidOf(file) + "'"), path);
        EXPECT_EQ(versionedUid(path), uidOf(file));
        std::string archived = vfsRoot() + path;
        std::replace(archived.begin(), archived.end(), ':', '@');
        EXPECT_EQ(objectDirOf(file), archived);
        EXPECT_EQ(listNames(archived).size(), 1u) << name;
    }
    EXPECT_EQ(listNames(vfsRoot() + docsDir() + "/O'Neil@ ä").size(), names.size());
    EXPECT_EQ(versionedUid(folder + "/WITH SPACE.TXT"), "<not versioned>");

    // A POSIX path is stored as it stands: "\" is a letter in its names.
    char posix[] = "/home/ann/back\\slash.txt";
    VersionedFile::processFilePath(posix, false);
    EXPECT_STREQ(posix, "/home/ann/back\\slash.txt");
    char drive[] = "C:\\Docs\\a.txt";
    VersionedFile::processFilePath(drive, false);
    EXPECT_STREQ(drive, "C:/Docs/a.txt");
}

TEST_P(VersionedFileTest, RefusesWhatIsNotANewRegularFileOrLongerThan255Characters) {
    writeFile(docsDir() + "/sub/x.txt", "x");
    EXPECT_FALSE(VersionedFile("sub", "", (docsDir() + "/sub").c_str()).save());
    EXPECT_FALSE(VersionedFile("gone", "", (docsDir() + "/gone.txt").c_str()).save());
    EXPECT_EQ(allRows(), 0u);
    ASSERT_TRUE(VersionedFile("x", "", (docsDir() + "/sub/x.txt").c_str()).save());
    // The same file again, named by a relative path.
    ASSERT_EQ(chdir(docsDir().c_str()), 0);
    VersionedFile again("x again", "", "sub/../sub/x.txt");
    EXPECT_EQ(pathOf(again), docsDir() + "/sub/x.txt");
    EXPECT_FALSE(again.save());
    EXPECT_EQ(allRows(), 3u);

    // Folders of two-byte letters: the limit counts characters, not bytes.
    std::string folder = docsDir();
    while (charCount(folder) < 140) {
        folder += "/" + std::string(60, 'x');
        for (int i = 0; i < 20; ++i) {
            folder += "ä";
        }
    }
    const int room = 255 - charCount(folder) - 1;
    const std::string fits = folder + "/" + std::string(room, 'f');
    const std::string tooLong = folder + "/" + std::string(room + 1, 'g');
    ASSERT_EQ(charCount(fits), 255);
    writeFile(fits, "fits");
    writeFile(tooLong, "too long");
    EXPECT_FALSE(VersionedFile("long", "", tooLong.c_str()).save());
    EXPECT_EQ(allRows(), 3u);
    EXPECT_FALSE(pathExists(vfsRoot() + tooLong));
    VersionedFile accepted("fits", "", fits.c_str());
    ASSERT_TRUE(accepted.save());
    EXPECT_EQ(pathOf(VersionedFile(uidFrom(uidOf(accepted)))), fits);
}

TEST_P(VersionedFileTest, VanishedObjectDirectoryIsRecreatedOrForgotten) {
    const std::string path = docsDir() + "/report.odt";
    writeFile(path, "v1");
    VersionedFile file("report", "", path.c_str());
    ASSERT_TRUE(file.save());
    std::filesystem::remove_all(vfsRoot() + docsDir());

    writeFile(path, "v2 longer");
    RevisionFile second("second", "", &file);
    ASSERT_TRUE(second.save());
    EXPECT_EQ(listNames(objectDirOf(file)), std::vector<std::string>{uidOf(second)});

    // Without its directory the file is still deleted, path included, and
    // can be added again.
    std::filesystem::remove_all(objectDirOf(file));
    ASSERT_TRUE(VersionedFile(uidFrom(uidOf(file))).destroy());
    EXPECT_EQ(allRows(), 0u);
    EXPECT_EQ(versionedUid(path), "<not versioned>");
    EXPECT_TRUE(VersionedFile("report", "", path.c_str()).save());

    // Object directories are made through existing folders, never through a file.
    TempDir temp;
    EXPECT_TRUE(VersionedFile::createObjectDir((temp.path() + "//a/b@/c d").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp.path() + "/a/b@/c d"));
    EXPECT_TRUE(VersionedFile::createObjectDir((temp.path() + "/a/b@").c_str()));
    writeFile(temp.path() + "/a/file", "");
    EXPECT_FALSE(VersionedFile::createObjectDir((temp.path() + "/a/file/x").c_str()));
}

TEST_P(VersionedFileTest, DeletingAFileKeepsTheCopiesOfAFileSharingItsObjectDirectory) {
    // ":" is archived as "@": these two paths share one object directory.
    const std::string colon = docsDir() + "/at 10:30.txt";
    const std::string at = docsDir() + "/at 10@30.txt";
    writeFile(colon, "colon");
    writeFile(at, "at");
    VersionedFile colonFile("colon", "", colon.c_str());
    VersionedFile atFile("at", "", at.c_str());
    ASSERT_TRUE(colonFile.save());
    ASSERT_TRUE(atFile.save());
    ASSERT_EQ(objectDirOf(colonFile), objectDirOf(atFile));

    ASSERT_TRUE(colonFile.destroy());
    const std::string atRevision =
        value("SELECT UID FROM REVTABLE WHERE MASTERUID = '" + uidOf(atFile) + "'");
    EXPECT_EQ(listNames(objectDirOf(atFile)), std::vector<std::string>{atRevision});
    writeFile(at, "changed");
    RevisionFile revision(uidFrom(atRevision), &atFile);
    EXPECT_TRUE(revision.restore());
    EXPECT_EQ(readFile(at), "at");
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(VersionedFileTest);

}  // namespace zebtest

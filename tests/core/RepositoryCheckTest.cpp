#include "core/RepositoryCheck.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/RevisionFile.h"
#include "core/VersionedFile.h"
#include "platform/FileSystem.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

using Outcome = RepositoryCheck::Outcome;
const char* const kOutcomes[] = {"open", "repaired", "kept", "failed"};

class RepositoryCheckTest : public ItemTest {
protected:
    // Adds docs/<name> as a new versioned file; returns its UID.
    std::string add(const std::string& name, const std::string& bytes) {
        const std::string path = docsDir() + "/" + name;
        writeFile(path, bytes);
        VersionedFile file(name.c_str(), "notes", path.c_str());
        EXPECT_TRUE(file.save()) << name;
        return uidOf(file);
    }
    // Adds a new version of the file `uid` with these bytes; returns its UID.
    std::string addVersion(const std::string& uid, const std::string& bytes) {
        VersionedFile file(uidFrom(uid));
        char path[1024];
        file.getFileFullPath(path, sizeof path);
        writeFile(path, bytes);
        RevisionFile revision("next", "", &file);
        EXPECT_TRUE(revision.save());
        return uidOf(revision);
    }
    std::string revisionOf(const std::string& uid, int version) {
        return value("SELECT UID FROM REVTABLE WHERE MASTERUID = '" + uid +
                     "' AND REVVER = " + std::to_string(version));
    }
    std::string copyOf(const std::string& name, const std::string& revision) {
        return vfsRoot() + docsDir() + "/" + name + "/" + revision;
    }

    // Runs the check; the findings as "kind uid path outcome", sorted.
    std::vector<std::string> check(bool repair = false) {
        RepositoryCheck check;
        EXPECT_TRUE(check.run(repair)) << check.error();
        m_last = check;
        std::vector<std::string> lines;
        for (const RepositoryCheck::Finding& f : check.findings()) {
            lines.push_back(std::string(RepositoryCheck::kindName(f.kind)) + " " +
                            (f.uid.empty() ? "-" : f.uid) + " " + (f.path.empty() ? "-" : f.path) +
                            " " + kOutcomes[static_cast<int>(f.outcome)]);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    const RepositoryCheck::Finding* finding(RepositoryCheck::Kind kind) const {
        for (const RepositoryCheck::Finding& f : m_last.findings()) {
            if (f.kind == kind) {
                return &f;
            }
        }
        return nullptr;
    }

    RepositoryCheck m_last;
};

using Lines = std::vector<std::string>;

Lines sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST_P(RepositoryCheckTest, RepositoryBuiltThroughTheClassesIsConsistent) {
    const std::string a = add("a.txt", "a1");
    const std::string b = add("sub/b.txt", "b1");
    const std::string c = add("gone/c.txt", "c1");
    addVersion(a, "a2, longer");
    const std::string a3 = addVersion(a, "a3");
    addVersion(b, "b2");
    // Deleting a revision leaves a gap, deleting a file leaves its folders.
    VersionedFile fileA(uidFrom(a));
    RevisionFile middle(uidFrom(revisionOf(a, 2)), &fileA);
    ASSERT_TRUE(middle.destroy());
    VersionedFile fileC(uidFrom(c));
    ASSERT_TRUE(fileC.destroy());

    EXPECT_EQ(check(), Lines{"empty-folder - " + vfsRoot() + docsDir() + "/gone open"});
    EXPECT_EQ(m_last.problemCount(), 0);
    EXPECT_EQ(m_last.remainingCount(), 0);
    EXPECT_EQ(m_last.fileCount(), 2);
    EXPECT_EQ(m_last.revisionCount(), 4);

    // The empty folder is only a note; a repair tidies it away and touches
    // nothing else.
    EXPECT_EQ(check(true), Lines{"empty-folder - " + vfsRoot() + docsDir() + "/gone repaired"});
    EXPECT_FALSE(pathExists(vfsRoot() + docsDir() + "/gone"));
    EXPECT_EQ(check(), Lines{});
    EXPECT_EQ(allRows(), 2u + 4u + 2u);
    EXPECT_EQ(readFile(copyOf("a.txt", a3)), "a3");
}

TEST_P(RepositoryCheckTest, RevisionRowsWithoutCopiesGoAndTakeEmptyFilesWithThem) {
    const std::string a = add("a.txt", "a1");
    const std::string a2 = addVersion(a, "a2");
    const std::string b = add("b.txt", "b1");
    const std::string b1 = revisionOf(b, 1);
    ASSERT_TRUE(zeb::platform::removeFile(copyOf("a.txt", a2)));
    ASSERT_TRUE(zeb::platform::removeFile(copyOf("b.txt", b1)));

    EXPECT_EQ(check(),
              sorted({"revision-without-copy " + a2 + " " + copyOf("a.txt", a2) + " open",
                      "revision-without-copy " + b1 + " " + copyOf("b.txt", b1) + " open"}));
    EXPECT_TRUE(finding(RepositoryCheck::Kind::RevisionWithoutCopy)->repairable);
    EXPECT_EQ(rowsOf("REVTABLE"), 3u) << "a check alone changes nothing";

    // b loses its only revision, then its file and object rows and its
    // object directory; a keeps version 1.
    EXPECT_EQ(check(true),
              sorted({"object-without-revisions " + b + " " + docsDir() + "/b.txt repaired",
                      "revision-without-copy " + a2 + " " + copyOf("a.txt", a2) + " repaired",
                      "revision-without-copy " + b1 + " " + copyOf("b.txt", b1) + " repaired"}));
    EXPECT_EQ(m_last.remainingCount(), 0);
    EXPECT_EQ(column("SELECT UID FROM REVTABLE"), std::vector<std::string>{revisionOf(a, 1)});
    EXPECT_EQ(column("SELECT UID FROM FILETABLE"), std::vector<std::string>{a});
    EXPECT_EQ(column("SELECT UID FROM MASTERZEB"), std::vector<std::string>{a});
    EXPECT_FALSE(pathExists(vfsRoot() + docsDir() + "/b.txt"));
    EXPECT_EQ(check(), Lines{});
    UID unused;
    EXPECT_FALSE(VersionedFile::isFileVersioned((docsDir() + "/b.txt").c_str(), unused));
}

TEST_P(RepositoryCheckTest, UserDataIsKeptOrMadeARevisionAgainAndLinksAreNotFollowed) {
    const std::string a = add("a.txt", "a1");
    const std::string a2 = addVersion(a, "precious");
    const std::string a3 = addVersion(a, "newer");
    // An add interrupted between its copy and its row, twice.
    ASSERT_TRUE(rawExec("DELETE FROM REVTABLE WHERE UID IN ('" + a2 + "', '" + a3 + "')"));
    setModifiedTime(copyOf("a.txt", a2), 1000, 0);
    setModifiedTime(copyOf("a.txt", a3), 2000, 0);
    // A folder of copies that no row names, a file the system did not make
    // inside an object directory, and a link out of the archive to a folder
    // holding what a repair would otherwise remove.
    const std::string strayDir = vfsRoot() + "/elsewhere/x.txt";
    writeFile(strayDir + "/4d8x3ea2b377x1", "stray");
    const std::string foreign = vfsRoot() + docsDir() + "/a.txt/README";
    writeFile(foreign, "mine");
    const std::string outside = workDir() + "/outside";
    writeFile(outside + "/" + zeb::platform::kTempFilePrefix + "keep", "not ours");
    std::filesystem::create_directories(outside + "/empty");
    const std::string link = vfsRoot() + "/link";
    std::filesystem::create_directory_symlink(outside, link);
    // One path in two file rows, as an older database without the unique
    // index could hold: both hold versions, neither goes.
    const std::string b = add("b.txt", "b1");
    rawExec("DROP INDEX FILETABLE_FILEPATH_UX");
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('1x2x1', 'twin', '', ' ', '0')"));
    ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('1x2x1', '" + docsDir() + "/b.txt')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('1x2x2', 'r', '', 1, '1x2x1', ' ', '0')"));
    writeFile(copyOf("b.txt", "1x2x2"), "twin's");

    const Lines expected = {
        "copy-without-revision " + a2 + " " + copyOf("a.txt", a2) + " repaired",
        "copy-without-revision " + a3 + " " + copyOf("a.txt", a3) + " repaired",
        "copy-without-revision 4d8x3ea2b377x1 " + strayDir + "/4d8x3ea2b377x1 kept",
        "folder-without-file - " + strayDir + " kept",
        "path-recorded-twice " + std::min(b, std::string("1x2x1")) + " " + docsDir() +
            "/b.txt kept",
        "unknown-file - " + foreign + " kept",
        "unknown-file - " + link + " kept"};
    EXPECT_EQ(check(true), sorted(expected));
    EXPECT_EQ(m_last.remainingCount(), 5);
    EXPECT_EQ(readFile(strayDir + "/4d8x3ea2b377x1"), "stray");
    EXPECT_EQ(readFile(foreign), "mine");
    EXPECT_EQ(
        listNames(outside),
        (std::vector<std::string>{std::string(zeb::platform::kTempFilePrefix) + "keep", "empty"}));
    const RepositoryCheck::Finding* copy = finding(RepositoryCheck::Kind::CopyWithoutRevision);
    ASSERT_NE(copy, nullptr);
    // The recovered copies are versions again, numbered by the age of their
    // content, under the file's name.
    EXPECT_EQ(rawQuery("SELECT UID, REVVER, REVNAME, MASTERUID FROM REVTABLE WHERE UID IN ('" + a2 +
                       "', '" + a3 + "') ORDER BY REVVER"),
              (std::vector<Row>{{a2, "2", "a.txt", a}, {a3, "3", "a.txt", a}}));
    RevisionFile recovered(uidFrom(a2), nullptr);
    char notes[1024];
    recovered.getNotes(notes, sizeof notes);
    EXPECT_NE(std::string(notes).find("interrupted"), std::string::npos) << notes;
}

TEST_P(RepositoryCheckTest, OrphanRowsAreDeletedAndInterruptedAddsCompleted) {
    const std::string kept = add("kept.txt", "k");
    const std::string ghost = docsDir() + "/ghost.txt";
    // FILETABLE row alone; MASTERZEB row alone; MASTERZEB row with a
    // revision row but no file; a revision row of nothing; a file without
    // revisions.
    ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('1x2x1', '" + ghost + "')"));
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('1x2x2', 'alone', '', ' ', '0')"));
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('1x2x3', 'plain', '', ' ', '0')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('1x2x4', 'r', '', 1, '1x2x3', ' ', '0')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('1x2x5', 'r', '', 1, '1x2x9', ' ', '0')"));
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('1x2x6', 'empty', '', ' ', '0')"));
    ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('1x2x6', '" + docsDir() + "/empty.txt')"));

    EXPECT_EQ(
        check(),
        (Lines{"file-without-object 1x2x1 " + ghost + " open", "object-without-file 1x2x2 - open",
               "object-without-file 1x2x3 - open",
               "object-without-revisions 1x2x6 " + docsDir() + "/empty.txt open",
               "revision-without-copy 1x2x4 - open", "revision-without-object 1x2x5 - open"}));
    EXPECT_EQ(check(true),
              (Lines{"file-without-object 1x2x1 " + ghost + " repaired",
                     "object-without-file 1x2x2 - repaired", "object-without-file 1x2x3 - repaired",
                     "object-without-revisions 1x2x6 " + docsDir() + "/empty.txt repaired",
                     "revision-without-copy 1x2x4 - repaired",
                     "revision-without-object 1x2x5 - repaired"}));
    EXPECT_EQ(m_last.remainingCount(), 0);
    EXPECT_EQ(column("SELECT UID FROM MASTERZEB"), std::vector<std::string>{kept});
    EXPECT_EQ(column("SELECT UID FROM FILETABLE"), std::vector<std::string>{kept});
    EXPECT_EQ(rowsOf("REVTABLE"), 1u);
    EXPECT_EQ(check(), Lines{});

    // An add interrupted before the object's row: the row is written again
    // from the first revision, and the file works as before.
    const std::string path = docsDir() + "/report.txt";
    writeFile(path, "r1");
    VersionedFile report("Report", "first draft", path.c_str());
    ASSERT_TRUE(report.save());
    const std::string uid = uidOf(report);
    addVersion(uid, "r2");
    ASSERT_TRUE(rawExec("DELETE FROM MASTERZEB WHERE UID = '" + uid + "'"));
    EXPECT_EQ(check(true), Lines{"file-without-object " + uid + " " + path + " repaired"});
    EXPECT_EQ(
        rawQuery("SELECT VerName, VerNotes, UserData FROM MASTERZEB WHERE UID = '" + uid + "'"),
        (std::vector<Row>{{"Report", "first draft", " "}}));
    EXPECT_EQ(VersionedObject::getNumRevs(uidFrom(uid)), 2);
    EXPECT_EQ(check(), Lines{});
}

TEST_P(RepositoryCheckTest, RowsInAFolderThatCannotBeListedStay) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root from listing a folder";
    }
    const std::string a = add("a.txt", "a1");
    const std::string dir = vfsRoot() + docsDir() + "/a.txt";
    ASSERT_EQ(chmod(dir.c_str(), 0), 0);
    check(true);
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    const RepositoryCheck::Finding* unreadable = finding(RepositoryCheck::Kind::UnreadableFolder);
    ASSERT_NE(unreadable, nullptr);
    EXPECT_EQ(unreadable->path, dir);
    const RepositoryCheck::Finding* revision = finding(RepositoryCheck::Kind::RevisionWithoutCopy);
    ASSERT_NE(revision, nullptr);
    EXPECT_EQ(revision->outcome, Outcome::Kept);
    EXPECT_EQ(allRows(), 3u);
    EXPECT_EQ(check(), Lines{});
}

TEST_P(RepositoryCheckTest, MissingArchiveIsAnErrorUnlessTheTablesAreEmpty) {
    // No archive yet and no rows: a fresh installation.
    RepositoryCheck fresh;
    EXPECT_TRUE(fresh.run(true)) << fresh.error();
    EXPECT_TRUE(fresh.findings().empty());

    add("a.txt", "a1");
    std::filesystem::rename(vfsRoot(), installDir() + "/VFS.moved");
    RepositoryCheck check;
    EXPECT_FALSE(check.run(true));
    EXPECT_NE(check.error().find("DestinationPath"), std::string::npos) << check.error();
    EXPECT_EQ(allRows(), 3u) << "nothing repaired without an archive";
}

// Runs the installed tool; its output (stdout and stderr) in `output`.
int runZebcheck(const std::string& arguments, std::string& output) {
    const std::string command = ZEBDOC_BINARY_DIR "/bin/zebcheck " + arguments + " 2>&1";
    output.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, got);
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_P(RepositoryCheckTest, TemporaryFilesAndEmptyFoldersAreRemovedAndZebcheckTells) {
    const std::string a = add("a.txt", "a1");
    std::string out;
    EXPECT_EQ(runZebcheck("", out), 0) << out;
    EXPECT_NE(out.find("summary problems=0 repaired=0 remaining=0 notes=0 files=1 revisions=1"),
              std::string::npos)
        << out;

    const std::string inObject =
        vfsRoot() + docsDir() + "/a.txt/" + zeb::platform::kTempFilePrefix + "Ab12Cd";
    const std::string atRoot = vfsRoot() + "/" + zeb::platform::kTempFilePrefix + "x";
    writeFile(inObject, "partial");
    writeFile(atRoot, "partial");
    std::filesystem::create_directories(vfsRoot() + "/x/y/z");
    EXPECT_EQ(check(), (Lines{"empty-folder - " + vfsRoot() + "/x/y/z open",
                              "temporary-file - " + atRoot + " open",
                              "temporary-file - " + inObject + " open"}));
    EXPECT_EQ(m_last.problemCount(), 2);
    EXPECT_EQ(m_last.noteCount(), 1);
    EXPECT_EQ(runZebcheck("", out), 1) << out;
    EXPECT_NE(out.find("temporary-file - " + atRoot + "\n"), std::string::npos) << out;
    EXPECT_TRUE(pathExists(atRoot));
    EXPECT_EQ(runZebcheck("--repair", out), 0) << out;
    EXPECT_FALSE(pathExists(inObject) || pathExists(atRoot) || pathExists(vfsRoot() + "/x"));
    EXPECT_EQ(listNames(vfsRoot() + docsDir() + "/a.txt"),
              std::vector<std::string>{revisionOf(a, 1)});
    EXPECT_EQ(runZebcheck("", out), 0) << out;

    // A copy without its row is never repaired: the status stays 1.
    const std::string stray = vfsRoot() + "/b.txt/4d8x3ea2b377x1";
    writeFile(stray, "b");
    EXPECT_EQ(runZebcheck("--repair", out), 1) << out;
    EXPECT_TRUE(pathExists(stray));

    EXPECT_EQ(runZebcheck("--bogus", out), 2) << out;
    EXPECT_EQ(runZebcheck("--help", out), 0) << out;
    setRegistryValue("DSN", "zeb_no_such_source");
    EXPECT_EQ(runZebcheck("", out), 2) << out;
    EXPECT_NE(out.find("cannot connect to the data source \"zeb_no_such_source\""),
              std::string::npos)
        << out;
}

ZEB_INSTANTIATE_BACKENDS(RepositoryCheckTest);

}  // namespace
}  // namespace zebtest

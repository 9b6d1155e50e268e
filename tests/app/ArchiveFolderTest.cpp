// Archive folders without a window: which archive names stand for which
// versioned files (":" archived as "@", a real "@", LIKE wildcards, letter
// case, two files in one directory), found with one query per folder; what
// each entry is; a file's revisions.

#include <algorithm>
#include <filesystem>
#include <map>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "tests/app/TreeTestSupport.h"

namespace zebtest {
namespace {

TEST(ArchiveFolderTextTest, LikePatternAndListingOrder) {
    EXPECT_EQ(ArchiveFolder::likeText("50%_off!@now"), "50!%!_off!!_now");
    std::vector<std::string> names = {"cherry", "Banana", "apple", "b", "B", "a.txt", "a"};
    std::sort(names.begin(), names.end(), ArchiveFolder::listsBefore);
    EXPECT_EQ(names,
              (std::vector<std::string>{"a", "a.txt", "apple", "B", "b", "Banana", "cherry"}));
}

class ArchiveFolderTest : public TreeTest {
protected:
    std::vector<ArchiveEntry> read(const std::string& folder, bool forTree = true) {
        std::vector<ArchiveEntry> entries;
        EXPECT_TRUE(ArchiveFolder(ArchiveRoot::path(), ArchiveRoot::archiveForm(folder))
                        .read(entries, forTree));
        return entries;
    }
    static const ArchiveEntry& find(const std::vector<ArchiveEntry>& entries,
                                    const std::string& name) {
        static const ArchiveEntry none;
        const auto e = std::find_if(entries.begin(), entries.end(),
                                    [&](const ArchiveEntry& x) { return x.label == name; });
        return e == entries.end() ? none : *e;
    }
};

TEST_P(ArchiveFolderTest, EachVersionedFileIsAnEntryUnderItsOwnName) {
    // Names whose archive names differ or could be mistaken: ":" archived as
    // "@", a real "@", LIKE wildcards, letter case, and two paths that share
    // one object directory.
    const std::vector<std::string> names = {"100%_sure!.txt", "mail@home.txt", "Meeting 10:30.odt",
                                            "Report.txt",     "report.txt",    "x:y.txt",
                                            "x@y.txt"};
    std::map<std::string, std::string> uids;
    for (const std::string& name : names) {
        uids[name] = version(docPath(name));
    }
    version(docPath("sub/deeper.txt"));
    version(workDir() + "/home/ann2/other.txt");
    version(workDir() + "/home/a_n/lookalike.txt");
    std::filesystem::create_directories(ArchiveRoot::path() + std::string("/") +
                                        ArchiveRoot::archiveForm(docPath("empty")));

    const unsigned long before = DatabaseInstance::statementCount();
    const std::vector<ArchiveEntry> entries = read(folderPath());
    EXPECT_EQ(DatabaseInstance::statementCount() - before, 1u);  // however many entries
    std::vector<std::string> labels;
    for (const ArchiveEntry& e : entries) {
        labels.push_back(e.label);
    }
    std::vector<std::string> expected = names;
    expected.insert(expected.begin() + 1, "empty");
    expected.insert(expected.end() - 2, "sub");
    EXPECT_EQ(labels, expected);
    for (const std::string& name : names) {
        const ArchiveEntry& e = find(entries, name);
        EXPECT_EQ(e.uid, uids[name]) << name;
        EXPECT_EQ(e.workingPath, docPath(name));
        EXPECT_EQ(e.name, ArchiveRoot::archiveForm(name));
        EXPECT_EQ(e.kind, kVersionedFileDirectory);
    }
    EXPECT_FALSE(find(entries, "sub").isVersionedFile());
    EXPECT_EQ(find(entries, "sub").kind, kFolderDirectory);
    EXPECT_EQ(find(entries, "sub").workingPath, docPath("sub"));
    EXPECT_EQ(find(entries, "empty").kind, kEmptyDirectory);
    // The folder listing needs no kinds.
    EXPECT_EQ(find(read(folderPath(), false), "sub").kind, kEmptyDirectory);

    std::vector<std::string> sharing;
    for (const VersionedPath& file :
         ArchiveFolder::filesAt(ArchiveRoot::archiveForm(docPath("x:y.txt")))) {
        sharing.push_back(file.path);
    }
    EXPECT_EQ(sharing, (std::vector<std::string>{docPath("x:y.txt"), docPath("x@y.txt")}));
    EXPECT_TRUE(ArchiveFolder::filesAt(ArchiveRoot::archiveForm(docPath("sub"))).empty());
}

TEST_P(ArchiveFolderTest, RevisionsAreAFilesOwnRowsInVersionOrder) {
    // Two files in one object directory, and a copy that no row claims.
    const std::string colon = version(docPath("a:b.txt"));
    addRevision(colon, "second");
    addRevision(colon, "third");
    const std::string at = version(docPath("a@b.txt"));
    const std::string objectDir =
        ArchiveRoot::path() + std::string("/") + ArchiveRoot::archiveForm(docPath("a@b.txt"));
    writeFile(objectDir + "/stray", "a copy without a revision row");

    const std::vector<std::string> revisions = revisionsOf(colon);
    const std::vector<ArchiveEntry> entries =
        ArchiveFolder::revisionsOf(VersionedPath{docPath("a:b.txt"), colon});
    ASSERT_EQ(entries.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(entries[i].isRevision());
        EXPECT_EQ(entries[i].name, revisions[i]);
        EXPECT_EQ(entries[i].label, std::to_string(i + 1));
        EXPECT_EQ(entries[i].workingPath, docPath("a:b.txt/") + revisions[i]);
    }
    EXPECT_EQ(ArchiveFolder::revisionsOf(VersionedPath{docPath("a@b.txt"), at}).size(), 1u);
    // The directory itself lists nothing: its copies belong to the files.
    EXPECT_TRUE(read(docPath("a@b.txt")).empty());

    // A directory no file claims shows its copies as they are.
    const std::string lost =
        ArchiveRoot::path() + std::string("/") + ArchiveRoot::archiveForm(docPath("lost.txt"));
    writeFile(lost + "/stray", "a copy without a file");
    const std::vector<ArchiveEntry> stray = read(docPath("lost.txt"));
    ASSERT_EQ(stray.size(), 1u);
    EXPECT_EQ(stray[0].name + " " + stray[0].label, "stray 0");
    EXPECT_EQ(ArchiveFolder::classify(objectDir), kVersionedFileDirectory);
    EXPECT_EQ(ArchiveFolder::classify(objectDir + "/stray"), kEmptyDirectory);
    std::vector<ArchiveEntry> none;
    EXPECT_FALSE(ArchiveFolder(ArchiveRoot::path(), "no/such/folder").read(none));
}

ZEB_INSTANTIATE_BACKENDS(ArchiveFolderTest);

}  // namespace
}  // namespace zebtest

// The archive seen as folders, without a window: which archive names stand
// for which versioned files (":" archived as "@", real "@", LIKE wildcards
// and letter case in names), what each entry is, and how revisions are
// labelled.

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "app/ArchiveFolder.h"
#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "tests/app/TreeTestSupport.h"

namespace zebtest {
namespace {

TEST(ArchiveFolderTextTest, ArchiveFormLikePatternAndListingOrder) {
    EXPECT_EQ(ArchiveFolder::archiveForm("/home/ann/Meeting 10:30.odt"),
              "home/ann/Meeting 10@30.odt");
    EXPECT_EQ(ArchiveFolder::archiveForm("//home//ann/"), "home/ann");
    EXPECT_EQ(ArchiveFolder::archiveForm("/home/../etc/passwd"), "");
    EXPECT_EQ(ArchiveFolder::archiveForm(""), "");

    // Wildcards and the escape character stand for themselves; "@" for any
    // one character (":" or "@").
    EXPECT_EQ(ArchiveFolder::likeText("50%_off!@now"), "50!%!_off!!_now");

    std::vector<std::string> names = {"cherry", "Banana", "apple", "b", "B", "a.txt", "a"};
    std::sort(names.begin(), names.end(), ArchiveFolder::listsBefore);
    EXPECT_EQ(names,
              (std::vector<std::string>{"a", "a.txt", "apple", "B", "b", "Banana", "cherry"}));
}

class ArchiveFolderTest : public TreeTest {
protected:
    // The archive folder of a working folder.
    ArchiveFolder folderOf(const std::string& workingFolder) const {
        return ArchiveFolder(ArchiveRoot::path(), ArchiveFolder::archiveForm(workingFolder));
    }

    std::vector<ArchiveEntry> read(const std::string& workingFolder, bool forTree = true) {
        std::vector<ArchiveEntry> entries;
        EXPECT_TRUE(folderOf(workingFolder).read(entries, forTree)) << workingFolder;
        return entries;
    }

    static const ArchiveEntry* find(const std::vector<ArchiveEntry>& entries,
                                    const std::string& name) {
        for (const ArchiveEntry& e : entries) {
            if (e.name == name) {
                return &e;
            }
        }
        return nullptr;
    }
};

TEST_P(ArchiveFolderTest, EntriesAreMatchedToTheFilesTheirArchiveNamesStandFor) {
    const std::string colon = version(docPath("docs/Meeting 10:30.odt"));
    const std::string at = version(docPath("docs/mail@home.txt"));
    const std::string wild = version(docPath("docs/100%_sure!.txt"));
    version(docPath("docs/sub/deeper.txt"));
    version(docPath("docs2/other.txt"));     // a sibling folder sharing the prefix
    version(docPath("do_s/lookalike.txt"));  // "_" must not stand for "c"
    std::filesystem::create_directories(ArchiveRoot::path() + std::string("/") +
                                        ArchiveFolder::archiveForm(docPath("docs/empty")));

    const unsigned long before = DatabaseInstance::statementCount();
    const std::vector<ArchiveEntry> entries = read(docPath("docs"));
    // One query for the whole folder, however many entries it has.
    EXPECT_EQ(DatabaseInstance::statementCount() - before, 1u);

    std::vector<std::string> names;
    for (const ArchiveEntry& e : entries) {
        names.push_back(e.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"100%_sure!.txt", "empty", "mail@home.txt",
                                               "Meeting 10@30.odt", "sub"}));

    const ArchiveEntry* meeting = find(entries, "Meeting 10@30.odt");
    ASSERT_NE(meeting, nullptr);
    EXPECT_EQ(meeting->uid, colon);
    EXPECT_EQ(meeting->workingPath, docPath("docs/Meeting 10:30.odt"));
    EXPECT_EQ(meeting->kind, kVersionedFileDirectory);
    EXPECT_EQ(find(entries, "mail@home.txt")->uid, at);
    EXPECT_EQ(find(entries, "mail@home.txt")->workingPath, docPath("docs/mail@home.txt"));
    EXPECT_EQ(find(entries, "100%_sure!.txt")->uid, wild);

    const ArchiveEntry* sub = find(entries, "sub");
    EXPECT_FALSE(sub->isVersionedFile());
    EXPECT_EQ(sub->kind, kFolderDirectory);
    EXPECT_EQ(sub->workingPath, docPath("docs/sub"));
    EXPECT_EQ(find(entries, "empty")->kind, kEmptyDirectory);

    // Single look-ups go through the same mapping; a folder is no file.
    VersionedPath found;
    ASSERT_TRUE(ArchiveFolder::findVersionedFile(
        ArchiveFolder::archiveForm(docPath("docs/Meeting 10:30.odt")), found));
    EXPECT_EQ(found.path, docPath("docs/Meeting 10:30.odt"));
    EXPECT_FALSE(
        ArchiveFolder::findVersionedFile(ArchiveFolder::archiveForm(docPath("docs/sub")), found));
    EXPECT_FALSE(ArchiveFolder::findVersionedFile("", found));

    // Without the tree's details nothing is classified.
    for (const ArchiveEntry& e : read(docPath("docs"), false)) {
        EXPECT_EQ(e.kind, kEmptyDirectory) << e.name;
    }
}

TEST_P(ArchiveFolderTest, NamesDifferingInColonOrAtOrCaseKeepTheirOwnFiles) {
    const std::string lower = version(docPath("report.txt"));
    const std::string upper = version(docPath("Report.txt"));
    // Two files that share one archive name: the path without ":" is the one
    // the name spells.
    const std::string colon = version(docPath("x:y.txt"));
    const std::string at = version(docPath("x@y.txt"));

    const std::vector<ArchiveEntry> entries = read(docPath(""));
    EXPECT_EQ(find(entries, "report.txt")->uid, lower);
    EXPECT_EQ(find(entries, "Report.txt")->uid, upper);
    EXPECT_EQ(find(entries, "x@y.txt")->uid, at);
    EXPECT_NE(colon, at);
}

TEST_P(ArchiveFolderTest, RevisionsAreLabelledWithTheirVersionsInVersionOrder) {
    const std::string path = docPath("plan.txt");
    const std::string uid = version(path);
    addRevision(uid, "second");
    addRevision(uid, "third");
    const std::vector<std::string> revisions = revisionsOf(uid);
    ASSERT_EQ(revisions.size(), 3u);
    // A copy without a revision row is still listed.
    const std::string objectDir =
        ArchiveRoot::path() + std::string("/") + ArchiveFolder::archiveForm(path);
    writeFile(objectDir + "/stray", "?");

    const std::vector<ArchiveEntry> entries = read(path);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].label, "0");
    EXPECT_EQ(entries[0].name, "stray");
    for (int i = 0; i < 3; ++i) {
        const ArchiveEntry& e = entries[static_cast<size_t>(i) + 1];
        EXPECT_TRUE(e.isRevision());
        EXPECT_EQ(e.name, revisions[static_cast<size_t>(i)]);
        EXPECT_EQ(e.label, std::to_string(i + 1));
        EXPECT_EQ(e.workingPath, path + "/" + e.name);
    }
    EXPECT_EQ(ArchiveFolder::classify(objectDir), kVersionedFileDirectory);
    EXPECT_EQ(ArchiveFolder::classify(objectDir + "/stray"), kEmptyDirectory);
    EXPECT_EQ(ArchiveFolder::classify(objectDir + "/missing"), kEmptyDirectory);

    std::vector<ArchiveEntry> none;
    EXPECT_FALSE(ArchiveFolder(ArchiveRoot::path(), "no/such/folder").read(none));
    EXPECT_TRUE(none.empty());
}

ZEB_INSTANTIATE_BACKENDS(ArchiveFolderTest);

}  // namespace
}  // namespace zebtest

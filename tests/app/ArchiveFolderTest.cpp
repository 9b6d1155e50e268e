// Archive folders without a window: which archive names stand for which
// versioned files (":" archived as "@", a real "@", LIKE wildcards, letter
// case), found with one query per folder; what each entry is; revision
// labels.

#include <algorithm>
#include <filesystem>

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
                                    [&](const ArchiveEntry& x) { return x.name == name; });
        return e == entries.end() ? none : *e;
    }
};

TEST_P(ArchiveFolderTest, EntriesResolveToTheFilesTheirArchiveNamesStandFor) {
    const std::string colon = version(docPath("Meeting 10:30.odt"));
    const std::string at = version(docPath("mail@home.txt"));
    const std::string wild = version(docPath("100%_sure!.txt"));
    const std::string lower = version(docPath("report.txt"));
    const std::string upper = version(docPath("Report.txt"));
    // Two paths with one archive name: the one without ":" is spelt by it.
    version(docPath("x:y.txt"));
    const std::string xAtY = version(docPath("x@y.txt"));
    version(docPath("sub/deeper.txt"));
    version(workDir() + "/home/ann2/other.txt");
    version(workDir() + "/home/a_n/lookalike.txt");
    std::filesystem::create_directories(ArchiveRoot::path() + std::string("/") +
                                        ArchiveRoot::archiveForm(docPath("empty")));

    const unsigned long before = DatabaseInstance::statementCount();
    const std::vector<ArchiveEntry> entries = read(folderPath());
    EXPECT_EQ(DatabaseInstance::statementCount() - before, 1u);  // however many entries
    std::vector<std::string> names;
    for (const ArchiveEntry& e : entries) {
        names.push_back(e.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"100%_sure!.txt", "empty", "mail@home.txt",
                                               "Meeting 10@30.odt", "Report.txt", "report.txt",
                                               "sub", "x@y.txt"}));
    const ArchiveEntry& meeting = find(entries, "Meeting 10@30.odt");
    EXPECT_EQ(meeting.uid, colon);
    EXPECT_EQ(meeting.workingPath, docPath("Meeting 10:30.odt"));
    EXPECT_EQ(meeting.kind, kVersionedFileDirectory);
    EXPECT_EQ(find(entries, "mail@home.txt").uid, at);
    EXPECT_EQ(find(entries, "100%_sure!.txt").uid, wild);
    EXPECT_EQ(find(entries, "report.txt").uid, lower);
    EXPECT_EQ(find(entries, "Report.txt").uid, upper);
    EXPECT_EQ(find(entries, "x@y.txt").uid, xAtY);
    EXPECT_FALSE(find(entries, "sub").isVersionedFile());
    EXPECT_EQ(find(entries, "sub").kind, kFolderDirectory);
    EXPECT_EQ(find(entries, "sub").workingPath, docPath("sub"));
    EXPECT_EQ(find(entries, "empty").kind, kEmptyDirectory);
    // The folder listing needs no kinds.
    EXPECT_EQ(find(read(folderPath(), false), "sub").kind, kEmptyDirectory);

    VersionedPath found;
    ASSERT_TRUE(ArchiveFolder::findVersionedFile(
        ArchiveRoot::archiveForm(docPath("Meeting 10:30.odt")), found));
    EXPECT_EQ(found.path, docPath("Meeting 10:30.odt"));
    EXPECT_FALSE(ArchiveFolder::findVersionedFile(ArchiveRoot::archiveForm(docPath("sub")), found));
}

TEST_P(ArchiveFolderTest, RevisionsAreLabelledWithTheirVersionsInVersionOrder) {
    const std::string path = docPath("plan.txt");
    const std::string uid = version(path);
    addRevision(uid, "second");
    addRevision(uid, "third");
    const std::vector<std::string> revisions = revisionsOf(uid);
    const std::string objectDir =
        ArchiveRoot::path() + std::string("/") + ArchiveRoot::archiveForm(path);
    writeFile(objectDir + "/stray", "a copy without a revision row");

    const std::vector<ArchiveEntry> entries = read(path);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name + " " + entries[0].label, "stray 0");
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_TRUE(entries[i].isRevision());
        EXPECT_EQ(entries[i].name, revisions[i - 1]);
        EXPECT_EQ(entries[i].label, std::to_string(i));
        EXPECT_EQ(entries[i].workingPath, path + "/" + entries[i].name);
    }
    EXPECT_EQ(ArchiveFolder::classify(objectDir), kVersionedFileDirectory);
    EXPECT_EQ(ArchiveFolder::classify(objectDir + "/stray"), kEmptyDirectory);
    std::vector<ArchiveEntry> none;
    EXPECT_FALSE(ArchiveFolder(ArchiveRoot::path(), "no/such/folder").read(none));
}

ZEB_INSTANTIATE_BACKENDS(ArchiveFolderTest);

}  // namespace
}  // namespace zebtest

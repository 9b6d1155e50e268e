// The search's statement, filter and result rows on both data sources.

#include "app/SearchEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/RevisionFile.h"
#include "core/Statements.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "tests/support/BackendTest.h"

namespace zebtest {
namespace {

class SearchEngineTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (!IsSkipped()) {
            createTables();
        }
    }

    // A versioned file's rows, written as the core writes them.
    void addFile(const std::string& uid, const std::string& path) {
        auto* db = DatabaseInstance::instance();
        ASSERT_TRUE(db->executeUpdate(Statements::insertObject(uid, "f", "", "1")));
        ASSERT_TRUE(db->executeUpdate(Statements::insertFile(uid, path)));
    }
    void addRevision(const std::string& master, int version, const std::string& name = "rev",
                     const std::string& time = "1000") {
        const std::string uid = master + "r" + std::to_string(version);
        ASSERT_TRUE(DatabaseInstance::instance()->executeUpdate(
            Statements::insertRevision(uid, name, "note", version, master, time)));
    }

    Rows search(const SearchCriteria& criteria, const std::vector<std::string>& types = {}) {
        Rows rows;
        search::runSearch(criteria, types, ArchiveRoot::path(), rows);
        return rows;
    }
    static SearchCriteria versionCriteria(long mode) {
        SearchCriteria c;
        c.versionChecked = true;
        c.versionMode = mode;
        return c;
    }
    // "version@file" for each row, in order.
    static std::vector<std::string> summary(const Rows& rows) {
        std::vector<std::string> out;
        for (const ::Row& row : rows) {
            out.push_back(row[0] + "@" + row[2]);
        }
        return out;
    }
};

TEST_P(SearchEngineTest, NoCriteriaListsEveryRevisionOfEveryVersionedFile) {
    addFile("1x1x1", "/docs/a.txt");
    addFile("1x1x2", "/docs/b.odt");
    for (int v = 1; v <= 3; ++v) {
        addRevision("1x1x1", v, "Alpha " + std::to_string(v), std::to_string(1700000000 + v));
        addRevision("1x1x2", v);
    }
    // A revision whose object has no path is not a file's revision.
    addRevision("1x1x9", 1);

    Rows rows = search(SearchCriteria());
    ASSERT_EQ(rows.size(), 6u);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows[0], (::Row{"1", "Alpha 1", "/docs/a.txt", "1700000001", "1x1x1r1", "1x1x1"}));
    EXPECT_EQ(rows[5], (::Row{"3", "rev", "/docs/b.odt", "1000", "1x1x2r3", "1x1x2"}));

    SearchCriteria none;
    none.nameHas = "nothing like it";
    EXPECT_TRUE(search(none).empty());
}

TEST_P(SearchEngineTest, LatestEarliestAndTypedVersions) {
    addFile("1x1x1", "/docs/a.txt");
    addFile("1x1x2", "/docs/b.txt");
    for (int v : {4, 1, 10, 9, 2, 3, 8, 5, 7, 6}) {
        addRevision("1x1x1", v);
    }
    for (int v = 1; v <= 3; ++v) {
        addRevision("1x1x2", v);
    }
    EXPECT_EQ(summary(search(versionCriteria(SearchCriteria::kIsLatest))),
              (std::vector<std::string>{"10@/docs/a.txt", "3@/docs/b.txt"}));
    EXPECT_EQ(summary(search(versionCriteria(SearchCriteria::kIsEarliest))),
              (std::vector<std::string>{"1@/docs/a.txt", "1@/docs/b.txt"}));
    const Rows five = search(versionCriteria(-5));
    EXPECT_EQ(summary(five), (std::vector<std::string>{"5@/docs/a.txt"}));
    EXPECT_EQ(five[0].size(), 5u);  // no versioned file's UID
    EXPECT_TRUE(search(versionCriteria(-11)).empty());

    // Nothing passes the filter: nothing to keep either.
    SearchCriteria latest = versionCriteria(SearchCriteria::kIsLatest);
    latest.noteHas = "absent";
    EXPECT_TRUE(search(latest).empty());
    // The version box unchecked: every revision, whatever the list says.
    latest = versionCriteria(-5);
    latest.versionChecked = false;
    EXPECT_EQ(search(latest).size(), 13u);
}

TEST_P(SearchEngineTest, TypeSetAndSizeFromTheRepository) {
    const std::string docs = workDir() + "/docs";
    writeFile(docs + "/exact.TXT", std::string(2000, 'a'));
    writeFile(docs + "/larger.txt", std::string(2001, 'b'));
    writeFile(docs + "/Makefile", "all:\n");
    for (const char* name : {"exact.TXT", "larger.txt", "Makefile"}) {
        VersionedFile file(name, "", (docs + "/" + name).c_str());
        ASSERT_TRUE(file.save()) << name;
    }
    const std::vector<std::string> types = search::readTypeSet();
    ASSERT_EQ(types, (std::vector<std::string>{"", ".TXT"}));

    SearchCriteria c;
    c.typeChecked = true;
    c.typeIndex = 1;
    c.sizeChecked = true;
    c.sizeKB = 2;
    c.sizeMode = SearchCriteria::kAtLeast;
    Rows rows = search(c, types);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(summary(rows),
              (std::vector<std::string>{"1@" + docs + "/exact.TXT", "1@" + docs + "/larger.txt"}));
    c.sizeMode = SearchCriteria::kAtMost;
    EXPECT_EQ(summary(search(c, types)), (std::vector<std::string>{"1@" + docs + "/exact.TXT"}));
    c.typeIndex = 0;  // every path
    EXPECT_EQ(search(c, types).size(), 2u);

    // An archived copy that is gone fails the size test.
    UID uid;
    ASSERT_TRUE(VersionedFile::isFileVersioned((docs + "/exact.TXT").c_str(), uid));
    VersionedFile exact(uid);
    char dir[1024];
    exact.getObjectDir(dir, sizeof dir);
    std::filesystem::remove_all(dir);
    EXPECT_EQ(summary(search(c, types)), (std::vector<std::string>{"1@" + docs + "/Makefile"}));
}

TEST_P(SearchEngineTest, FailedStatementGivesNoRows) {
    addFile("1x1x1", "/docs/a.txt");
    addRevision("1x1x1", 1);
    ASSERT_TRUE(rawExec("DROP TABLE FILETABLE"));
    resetInstance();
    Rows rows = {{"stale"}};
    search::runSearch(SearchCriteria(), {}, ArchiveRoot::path(), rows);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(search::readTypeSet().empty());
}

ZEB_INSTANTIATE_BACKENDS(SearchEngineTest);

}  // namespace
}  // namespace zebtest

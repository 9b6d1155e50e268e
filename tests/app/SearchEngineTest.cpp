// The search's statement, filter and result rows on both data sources.

#include "app/search/SearchEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/Statements.h"
#include "tests/app/AppTestSupport.h"

namespace zebtest {
namespace {

class SearchEngineTest : public RepositoryTest {
protected:
    // A versioned file's rows, written as the core writes them.
    void insertFile(const std::string& uid, const std::string& path) {
        auto* db = DatabaseInstance::instance();
        ASSERT_TRUE(db->executeUpdate(Statements::insertObject(uid, "f", "", "1")));
        ASSERT_TRUE(db->executeUpdate(Statements::insertFile(uid, path)));
    }
    void insertRevision(const std::string& master, int version, const std::string& name = "rev",
                        const std::string& time = "1000") {
        const std::string uid = master + "r" + std::to_string(version);
        ASSERT_TRUE(DatabaseInstance::instance()->executeUpdate(
            Statements::insertRevision(uid, name, "note", version, master, time)));
    }

    ::Rows search(const SearchCriteria& criteria, const std::vector<std::string>& types = {}) {
        ::Rows rows = {{"stale"}};
        search::runSearch(criteria, types, ArchiveRoot::path(), rows);
        return rows;
    }
    static SearchCriteria versionCriteria(long mode) {
        SearchCriteria c;
        c.versionChecked = true;
        c.versionMode = mode;
        return c;
    }
    // "version@file" for each row, sorted.
    static std::vector<std::string> summary(const ::Rows& rows) {
        std::vector<std::string> out;
        for (const ::Row& row : rows) {
            out.push_back(row[0] + "@" + row[2]);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_P(SearchEngineTest, EveryRevisionOrOnePerFileForLatestAndEarliest) {
    insertFile("1x1x1", "/docs/a.txt");
    insertFile("1x1x2", "/docs/b.txt");
    for (int v : {4, 1, 10, 9, 2, 3, 8, 5, 7, 6}) {
        insertRevision("1x1x1", v, "Alpha " + std::to_string(v), std::to_string(1700000000 + v));
    }
    for (int v : {2, 3, 1}) {
        insertRevision("1x1x2", v);
    }
    // A revision whose object has no path is not a file's revision.
    insertRevision("1x1x9", 1);

    ::Rows rows = search(SearchCriteria());
    ASSERT_EQ(rows.size(), 13u);
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows[0], (::Row{"1", "Alpha 1", "/docs/a.txt", "1700000001", "1x1x1r1", "1x1x1"}));
    EXPECT_EQ(rows[12], (::Row{"9", "Alpha 9", "/docs/a.txt", "1700000009", "1x1x1r9", "1x1x1"}));

    EXPECT_EQ(summary(search(versionCriteria(SearchCriteria::kIsLatest))),
              (std::vector<std::string>{"10@/docs/a.txt", "3@/docs/b.txt"}));
    EXPECT_EQ(summary(search(versionCriteria(SearchCriteria::kIsEarliest))),
              (std::vector<std::string>{"1@/docs/a.txt", "1@/docs/b.txt"}));
    const ::Rows five = search(versionCriteria(-5));
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

TEST_P(SearchEngineTest, TypeSetAndSizeBoundsFromTheRepository) {
    const std::string exact = workFile("exact.TXT", std::string(2000, 'a'));
    const std::string larger = workFile("larger.txt", std::string(2001, 'b'));
    const std::string makefile = workFile("Makefile", "all:\n");
    for (const std::string& path : {exact, larger, makefile}) {
        versionFile(path);
    }
    const std::vector<std::string> types = search::readTypeSet();
    ASSERT_EQ(types, (std::vector<std::string>{"", ".TXT"}));

    SearchCriteria c;
    c.typeChecked = true;
    c.typeIndex = 1;
    c.sizeChecked = true;
    c.sizeKB = 2;
    c.sizeMode = SearchCriteria::kAtLeast;
    EXPECT_EQ(summary(search(c, types)), (std::vector<std::string>{"1@" + exact, "1@" + larger}));
    c.sizeMode = SearchCriteria::kAtMost;
    EXPECT_EQ(summary(search(c, types)), (std::vector<std::string>{"1@" + exact}));
    c.typeIndex = 0;  // every path
    EXPECT_EQ(search(c, types).size(), 2u);

    // An archived copy that is gone fails the size test.
    std::filesystem::remove_all(installDir() + "/VFS" + exact);
    EXPECT_EQ(summary(search(c, types)), (std::vector<std::string>{"1@" + makefile}));
}

TEST_P(SearchEngineTest, FailedStatementGivesNoRows) {
    insertFile("1x1x1", "/docs/a.txt");
    insertRevision("1x1x1", 1);
    ASSERT_TRUE(rawExec("DROP TABLE FILETABLE"));
    resetInstance();
    EXPECT_TRUE(search(SearchCriteria()).empty());
    EXPECT_TRUE(search::readTypeSet().empty());
}

ZEB_INSTANTIATE_BACKENDS(SearchEngineTest);

}  // namespace
}  // namespace zebtest

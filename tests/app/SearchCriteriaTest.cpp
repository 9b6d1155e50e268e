// The search's criteria and its filter, without a window or a database.

#include "app/SearchCriteria.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include "app/SearchEngine.h"
#include "tests/support/BackendTest.h"

namespace zebtest {
namespace {

RevisionRecord record(const std::string& name, const std::string& path = "/docs/a.txt",
                      int version = 1, const std::string& time = "1000000000") {
    RevisionRecord r;
    r.name = name;
    r.path = path;
    r.version = version;
    r.time = time;
    r.uid = "1x2x" + std::to_string(version);
    return r;
}

bool matches(const RevisionRecord& r, const SearchCriteria& c,
             const std::vector<std::string>& types = {}, const std::string& root = "/nowhere") {
    return matchesCriteria(r, c, types, root);
}

SearchCriteria criteriaOf(const SearchFormValues& form) {
    return readCriteria(form, 0, 0);
}

TEST(SearchCriteriaTest, FormValuesBecomeCriteria) {
    SearchFormValues form;
    form.nameText = "RePoRt \xC3\x84";  // only A-Z are lower-cased
    form.sizeText = " 12 ";
    EXPECT_EQ(criteriaOf(form).nameHas, "report \xC3\x84");
    EXPECT_EQ(criteriaOf(form).sizeKB, 12u);
    form.sizeText = "12kb";
    EXPECT_EQ(criteriaOf(form).sizeKB, 0u);

    // The version list: a chosen entry, an entry's text typed, a typed
    // number; "0", nothing or anything else typed is "is latest".
    const std::tuple<int, std::string, long> versions[] = {
        {1, "is earliest", SearchCriteria::kIsEarliest},
        {-1, "is earliest", SearchCriteria::kIsEarliest},
        {-1, " 5 ", -5},
        {-1, "0", SearchCriteria::kIsLatest},
        {-1, "", SearchCriteria::kIsLatest},
        {-1, "v2", SearchCriteria::kIsLatest},
        {-1, "99999999999999", -2147483647L},
    };
    for (const auto& [selection, text, mode] : versions) {
        SearchFormValues values;
        values.versionSelection = selection;
        values.versionText = text;
        EXPECT_EQ(criteriaOf(values).versionMode, mode) << "'" << text << "'";
    }
}

TEST(SearchCriteriaTest, NameAndNoteHoldTheTextInAnyCase) {
    SearchFormValues form;
    form.nameText = "RePoRt";
    form.noteText = "final";
    const SearchCriteria c = criteriaOf(form);
    RevisionRecord r = record("Annual report");
    r.notes = "the FINAL one";
    EXPECT_TRUE(matches(r, c));
    r.notes = "draft";
    EXPECT_FALSE(matches(r, c));
    r = record("Annual rep");
    r.notes = "final";
    EXPECT_FALSE(matches(r, c));
    EXPECT_TRUE(matches(record(""), SearchCriteria()));
}

TEST(SearchCriteriaTest, DateRangeCoversWholeLocalDays) {
    ::setenv("TZ", "America/New_York", 1);
    ::tzset();
    // 2024-03-10 has 23 hours there: the clocks go forward at 02:00.
    const int64_t from = dayStart(2024, 3, 10);
    const int64_t to = dayEnd(2024, 3, 10);
    EXPECT_EQ(from, 1710046800);  // 2024-03-10 05:00:00 UTC
    EXPECT_EQ(to - from, 23 * 3600 - 1);

    SearchFormValues form;
    form.dateChecked = true;
    const SearchCriteria c = readCriteria(form, from, to);
    auto at = [](int64_t t) { return record("a", "/a.txt", 1, std::to_string(t)); };
    EXPECT_TRUE(matches(at(from), c));
    EXPECT_TRUE(matches(at(to), c));
    EXPECT_FALSE(matches(at(from - 1), c));
    EXPECT_FALSE(matches(at(to + 1), c));
    EXPECT_FALSE(matches(at(from), readCriteria(form, to, from)));
}

TEST(SearchCriteriaTest, TypeSetAndTypeTest) {
    const std::vector<std::string> types = buildTypeSet({
        "/home/ann/b.doc",
        "/home/ann/a.DOC",
        "/home/ann/README",
        "/home/ann.old/notes",
        "/home/ann/.profile",
        "C:\\Docs\\x.Odt",
        "C:\\x.y\\plain",
        "/a.b/c\\d",
    });
    EXPECT_EQ(types, (std::vector<std::string>{"", ".doc", ".Odt", ".profile"}));

    SearchFormValues form;
    form.typeChecked = true;
    form.typeSelection = 1;  // ".doc"
    const SearchCriteria doc = criteriaOf(form);
    EXPECT_TRUE(matches(record("a", "D:\\x\\a.DOC"), doc, types));
    EXPECT_FALSE(matches(record("a", "/x/a.docx"), doc, types));
    EXPECT_FALSE(matches(record("a", "doc"), doc, types));
    // The empty extension's entry accepts every path.
    form.typeSelection = 0;
    EXPECT_TRUE(matches(record("a", "/x/a.pdf"), criteriaOf(form), types));
}

TEST(SearchCriteriaTest, SizeBoundsAreInclusiveAndAMissingCopyFails) {
    TempDir dir;
    const std::string root = dir.path() + "/VFS";
    EXPECT_EQ(archivedCopyPath(root, "C:\\D\\a.txt", "u"), root + "/C@\\D\\a.txt/u");
    EXPECT_EQ(archivedCopyPath(root, "/docs/../a.txt", "u"), "");

    const RevisionRecord exact = record("a", "/docs/a.txt", 1);
    const RevisionRecord larger = record("b", "/docs/b.txt", 2);
    const RevisionRecord missing = record("c", "/docs/c.txt", 3);
    writeFile(archivedCopyPath(root, exact.path, exact.uid), std::string(2000, 'x'));
    writeFile(archivedCopyPath(root, larger.path, larger.uid), std::string(2001, 'x'));

    SearchFormValues form;
    form.sizeChecked = true;
    form.sizeText = "2";
    const SearchCriteria atLeast = criteriaOf(form);
    form.sizeSelection = SearchCriteria::kAtMost;
    const SearchCriteria atMost = criteriaOf(form);
    EXPECT_TRUE(matches(exact, atLeast, {}, root));
    EXPECT_TRUE(matches(larger, atLeast, {}, root));
    EXPECT_TRUE(matches(exact, atMost, {}, root));
    EXPECT_FALSE(matches(larger, atMost, {}, root));
    EXPECT_FALSE(matches(missing, atLeast, {}, root));
    EXPECT_FALSE(matches(missing, atMost, {}, root));
}

TEST(SearchCriteriaTest, TypedVersionAndEveryCriterionTogether) {
    SearchFormValues form;
    form.versionChecked = true;
    form.versionText = "5";
    form.nameText = "plan";
    form.typeChecked = true;
    form.typeSelection = 0;
    const SearchCriteria c = criteriaOf(form);
    const std::vector<std::string> types = {".odt", ".txt"};
    EXPECT_TRUE(matches(record("Plan B", "/p.odt", 5), c, types));
    EXPECT_FALSE(matches(record("Plan B", "/p.odt", 50), c, types));
    EXPECT_FALSE(matches(record("Plan B", "/p.txt", 5), c, types));
    EXPECT_FALSE(matches(record("Plot", "/p.odt", 5), c, types));
}

TEST(SearchCriteriaTest, LatestAndEarliestKeepOneRowPerFile) {
    auto row = [](const std::string& master, int version) {
        return ::Row{std::to_string(version), "n", "/p", "0", "r", master};
    };
    Rows rows;
    for (int v : {3, 10, 1, 9, 2, 8, 4, 7, 5, 6}) {
        rows.push_back(row("b", v));
        rows.push_back(row("a", 11 - v));
    }
    Rows latest = rows;
    search::keepLatestOrEarliest(latest, SearchCriteria::kIsLatest);
    EXPECT_EQ(latest, (Rows{row("a", 10), row("b", 10)}));
    search::keepLatestOrEarliest(rows, SearchCriteria::kIsEarliest);
    EXPECT_EQ(rows, (Rows{row("a", 1), row("b", 1)}));
}

}  // namespace
}  // namespace zebtest

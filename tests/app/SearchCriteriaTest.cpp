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

RevisionRecord record(const std::string& name, const std::string& notes = "",
                      const std::string& path = "/docs/a.txt", int version = 1,
                      const std::string& time = "1000000000") {
    RevisionRecord r;
    r.name = name;
    r.notes = notes;
    r.path = path;
    r.version = version;
    r.time = time;
    r.uid = "1x2x" + std::to_string(version);
    r.masterUid = "1x1x0";
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
    form.nameText = "RePoRt";
    form.noteText = "Draft \xC3\x84";  // only A-Z are lower-cased
    form.sizeText = " 12 ";
    form.sizeSelection = 1;
    const SearchCriteria c = readCriteria(form, 10, 20);
    EXPECT_EQ(c.nameHas, "report");
    EXPECT_EQ(c.noteHas, "draft \xC3\x84");
    EXPECT_EQ(c.sizeKB, 12u);
    EXPECT_EQ(c.sizeMode, SearchCriteria::kAtMost);
    EXPECT_EQ(c.fromTime, 10);
    EXPECT_EQ(c.toTime, 20);

    form.sizeText = "12kb";
    EXPECT_EQ(criteriaOf(form).sizeKB, 0u);
    form.sizeText = "";
    EXPECT_EQ(criteriaOf(form).sizeKB, 0u);

    // The version list: a chosen entry, a typed entry text, a typed number;
    // "0", nothing or anything else typed is "is latest".
    auto versionMode = [](int selection, const std::string& text) {
        SearchFormValues values;
        values.versionSelection = selection;
        values.versionText = text;
        return criteriaOf(values).versionMode;
    };
    const std::tuple<int, std::string, long> versions[] = {
        {1, "is earliest", SearchCriteria::kIsEarliest},
        {0, "is latest", SearchCriteria::kIsLatest},
        {-1, "is earliest", SearchCriteria::kIsEarliest},
        {-1, "5", -5},
        {-1, " 12 ", -12},
        {-1, "0", SearchCriteria::kIsLatest},
        {-1, "", SearchCriteria::kIsLatest},
        {-1, "v2", SearchCriteria::kIsLatest},
        {-1, "99999999999999", -2147483647L},
    };
    for (const auto& [selection, text, mode] : versions) {
        EXPECT_EQ(versionMode(selection, text), mode) << "'" << text << "'";
    }
}

TEST(SearchCriteriaTest, NameAndNoteHoldTheTextInAnyCase) {
    SearchFormValues form;
    form.nameText = "RePoRt";
    SearchCriteria c = criteriaOf(form);
    EXPECT_TRUE(matches(record("Annual report"), c));
    EXPECT_TRUE(matches(record("REPORTS 2024"), c));
    EXPECT_FALSE(matches(record("Annual rep"), c));

    form.noteText = "final";
    c = criteriaOf(form);
    EXPECT_TRUE(matches(record("Annual report", "the FINAL one"), c));
    EXPECT_FALSE(matches(record("Annual report", "draft"), c));
    EXPECT_FALSE(matches(record("Annual rep", "final"), c));

    // No criterion at all accepts everything, empty texts included.
    EXPECT_TRUE(matches(record("", ""), SearchCriteria()));
}

TEST(SearchCriteriaTest, DateRangeCoversWholeLocalDays) {
    ::setenv("TZ", "America/New_York", 1);
    ::tzset();
    // 2024-03-10 has 23 hours there: the clocks go forward at 02:00.
    const int64_t from = dayStart(2024, 3, 10);
    const int64_t to = dayEnd(2024, 3, 10);
    EXPECT_EQ(from, 1710046800);  // 2024-03-10 05:00:00 UTC
    EXPECT_EQ(to - from, 23 * 3600 - 1);
    EXPECT_EQ(dayEnd(2024, 3, 11) - dayStart(2024, 3, 11), 24 * 3600 - 1);

    SearchFormValues form;
    form.dateChecked = true;
    const SearchCriteria c = readCriteria(form, from, to);
    auto at = [](int64_t t) { return record("a", "", "/a.txt", 1, std::to_string(t)); };
    EXPECT_TRUE(matches(at(from), c));
    EXPECT_TRUE(matches(at(to), c));
    EXPECT_FALSE(matches(at(from - 1), c));
    EXPECT_FALSE(matches(at(to + 1), c));
    EXPECT_FALSE(matches(at(-5), c));

    // A range over several days, picked with the bounds in either picker.
    const SearchCriteria week = readCriteria(form, dayStart(2024, 3, 4), dayEnd(2024, 3, 10));
    EXPECT_TRUE(matches(at(dayStart(2024, 3, 4)), week));
    EXPECT_TRUE(matches(at(to), week));
    EXPECT_FALSE(matches(at(to + 1), week));
    EXPECT_FALSE(matches(at(from), readCriteria(form, to, from)));
}

TEST(SearchCriteriaTest, TypeSetAndTypeTest) {
    const std::vector<std::string> paths = {
        "/home/ann/b.doc", "/home/ann/a.DOC",     "/home/ann/README",
        "/home/ann/c.txt", "/home/ann.old/notes", "/home/ann/.profile",
        "C:\\Docs\\x.Odt", "C:\\x.y\\plain",      "/home/ann/z.Doc",
    };
    const std::vector<std::string> types = buildTypeSet(paths);
    EXPECT_EQ(types, (std::vector<std::string>{"", ".doc", ".Odt", ".profile", ".txt"}));
    EXPECT_EQ(fileExtension("/a/b.tar.gz"), ".gz");
    EXPECT_EQ(fileExtension("/a.b/c\\d"), "");
    EXPECT_EQ(fileExtension("C:\\a.b\\c"), "");

    SearchFormValues form;
    form.typeChecked = true;
    form.typeSelection = 1;  // ".doc"
    SearchCriteria c = criteriaOf(form);
    EXPECT_TRUE(matches(record("a", "", "D:\\x\\a.DOC"), c, types));
    EXPECT_TRUE(matches(record("a", "", "/x/a.doc"), c, types));
    EXPECT_FALSE(matches(record("a", "", "/x/a.docx"), c, types));
    EXPECT_FALSE(matches(record("a", "", "doc"), c, types));

    // The empty extension's entry accepts every path; so does no selection.
    form.typeSelection = 0;
    EXPECT_TRUE(matches(record("a", "", "/x/a.pdf"), criteriaOf(form), types));
    form.typeSelection = -1;
    EXPECT_TRUE(matches(record("a", "", "/x/a.pdf"), criteriaOf(form), types));
}

TEST(SearchCriteriaTest, SizeBoundsAreInclusiveAndAMissingCopyFails) {
    TempDir dir;
    const std::string root = dir.path() + "/VFS";
    EXPECT_EQ(archivedCopyPath(root, "/docs/a.txt", "1x2x3"), root + "/docs/a.txt/1x2x3");
    EXPECT_EQ(archivedCopyPath(root, "C:\\D\\a.txt", "u"), root + "/C@\\D\\a.txt/u");
    EXPECT_EQ(archivedCopyPath(root, "/docs/../a.txt", "u"), "");
    EXPECT_EQ(archivedCopyPath(root, "/", "u"), "");

    RevisionRecord exact = record("a", "", "/docs/a.txt", 1);
    RevisionRecord larger = record("b", "", "/docs/b.txt", 2);
    RevisionRecord missing = record("c", "", "/docs/c.txt", 3);
    writeFile(archivedCopyPath(root, exact.path, exact.uid), std::string(2000, 'x'));
    writeFile(archivedCopyPath(root, larger.path, larger.uid), std::string(2001, 'x'));

    SearchFormValues form;
    form.sizeChecked = true;
    form.sizeText = "2";
    form.sizeSelection = 0;  // at least
    SearchCriteria c = criteriaOf(form);
    EXPECT_TRUE(matches(exact, c, {}, root));
    EXPECT_TRUE(matches(larger, c, {}, root));
    EXPECT_FALSE(matches(missing, c, {}, root));
    form.sizeText = "3";
    EXPECT_FALSE(matches(larger, criteriaOf(form), {}, root));

    form.sizeText = "2";
    form.sizeSelection = 1;  // at most
    c = criteriaOf(form);
    EXPECT_TRUE(matches(exact, c, {}, root));
    EXPECT_FALSE(matches(larger, c, {}, root));
    EXPECT_FALSE(matches(missing, c, {}, root));
    form.sizeText = "0";
    EXPECT_FALSE(matches(exact, criteriaOf(form), {}, root));
}

TEST(SearchCriteriaTest, TypedVersionNumberAndCombinedCriteria) {
    SearchFormValues form;
    form.versionChecked = true;
    form.versionText = "5";
    SearchCriteria c = criteriaOf(form);
    EXPECT_TRUE(matches(record("a", "", "/a.txt", 5), c));
    EXPECT_FALSE(matches(record("a", "", "/a.txt", 50), c));
    EXPECT_FALSE(matches(record("a", "", "/a.txt", 4), c));
    // "is latest" filters nothing here; one row per file is kept afterwards.
    form.versionText = "0";
    EXPECT_TRUE(matches(record("a", "", "/a.txt", 4), criteriaOf(form)));

    // Every criterion must hold.
    form.versionText = "5";
    form.nameText = "plan";
    form.typeChecked = true;
    form.typeSelection = 0;
    c = criteriaOf(form);
    const std::vector<std::string> types = {".odt", ".txt"};
    EXPECT_TRUE(matches(record("Plan B", "", "/p.odt", 5), c, types));
    EXPECT_FALSE(matches(record("Plan B", "", "/p.txt", 5), c, types));
    EXPECT_FALSE(matches(record("Plan B", "", "/p.odt", 4), c, types));
    EXPECT_FALSE(matches(record("Plot", "", "/p.odt", 5), c, types));
}

::Row resultRow(const std::string& master, int version) {
    return {std::to_string(version), "n", "/p", "0", "r" + std::to_string(version), master};
}

TEST(SearchCriteriaTest, LatestAndEarliestKeepOneRowPerFile) {
    Rows rows;
    for (int v : {3, 10, 1, 9, 2, 8, 4, 7, 5, 6}) {
        rows.push_back(resultRow("b", v));
        rows.push_back(resultRow("a", 11 - v));
    }
    Rows latest = rows;
    search::keepLatestOrEarliest(latest, SearchCriteria::kIsLatest);
    EXPECT_EQ(latest, (Rows{resultRow("a", 10), resultRow("b", 10)}));
    Rows earliest = rows;
    search::keepLatestOrEarliest(earliest, SearchCriteria::kIsEarliest);
    EXPECT_EQ(earliest, (Rows{resultRow("a", 1), resultRow("b", 1)}));

    Rows none;
    search::keepLatestOrEarliest(none, SearchCriteria::kIsLatest);
    EXPECT_TRUE(none.empty());
}

TEST(SearchCriteriaTest, ResultRowsCarryHiddenIdentifiers) {
    RevisionRecord r = record("Plan", "note", "/docs/plan.odt", 7, "1700000000");
    SearchCriteria c;
    EXPECT_EQ(search::makeResultRow(r, c),
              (::Row{"7", "Plan", "/docs/plan.odt", "1700000000", "1x2x7", "1x1x0"}));
    c.versionMode = -7;  // a typed version: no versioned file's identifier
    EXPECT_EQ(search::makeResultRow(r, c),
              (::Row{"7", "Plan", "/docs/plan.odt", "1700000000", "1x2x7"}));
    EXPECT_EQ(search::resultColumns(), (std::vector<std::string>{"Ver.", "Name", "Path", "Date"}));
    EXPECT_EQ(search::resultWidths(), (std::vector<int>{10, 20, 40, 30}));
}

}  // namespace
}  // namespace zebtest

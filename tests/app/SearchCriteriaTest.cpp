// The search's criteria and its filter, without a window or a database.

#include "app/search/SearchCriteria.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <tuple>
#include <vector>

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
             const std::vector<std::string>& types = {}) {
    return matchesCriteria(r, c, types, "/nowhere");
}

TEST(SearchCriteria, FormValuesBecomeCriteria) {
    SearchFormValues form;
    form.nameText = "RePoRt \xC3\x84";  // only A-Z are lower-cased
    form.sizeText = " 12 ";
    EXPECT_EQ(readCriteria(form, 0, 0).nameHas, "report \xC3\x84");
    EXPECT_EQ(readCriteria(form, 0, 0).sizeKB, 12u);
    form.sizeText = "12kb";
    EXPECT_EQ(readCriteria(form, 0, 0).sizeKB, 0u);

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
        EXPECT_EQ(readCriteria(values, 0, 0).versionMode, mode) << "'" << text << "'";
    }
}

TEST(SearchCriteria, NameNoteVersionAndTypeMustAllHold) {
    SearchFormValues form;
    form.nameText = "RePoRt";
    form.noteText = "final";
    form.versionChecked = true;
    form.versionText = "5";
    const SearchCriteria c = readCriteria(form, 0, 0);
    RevisionRecord r = record("Annual report", "/p.odt", 5);
    r.notes = "the FINAL one";
    EXPECT_TRUE(matches(r, c));
    r.version = 50;
    EXPECT_FALSE(matches(r, c));
    r.version = 5;
    r.notes = "draft";
    EXPECT_FALSE(matches(r, c));
    r.notes = "final";
    r.name = "Annual rep";
    EXPECT_FALSE(matches(r, c));
    EXPECT_TRUE(matches(record(""), SearchCriteria()));
}

TEST(SearchCriteria, DateRangeCoversWholeLocalDays) {
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

TEST(SearchCriteria, TypeSetTypeTestAndArchivedCopies) {
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
    const SearchCriteria doc = readCriteria(form, 0, 0);
    EXPECT_TRUE(matches(record("a", "D:\\x\\a.DOC"), doc, types));
    EXPECT_FALSE(matches(record("a", "/x/a.docx"), doc, types));
    EXPECT_FALSE(matches(record("a", "doc"), doc, types));
    // The empty extension's entry accepts every path.
    form.typeSelection = 0;
    EXPECT_TRUE(matches(record("a", "/x/a.pdf"), readCriteria(form, 0, 0), types));

    // Where the size test looks: never outside the archive.
    EXPECT_EQ(archivedCopyPath("/r/VFS", "C:\\D\\a.txt", "u"), "/r/VFS/C@\\D\\a.txt/u");
    EXPECT_EQ(archivedCopyPath("/r/VFS", "/docs/../a.txt", "u"), "");
}

}  // namespace

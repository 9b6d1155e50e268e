// Row ordering and the cell conventions of the list views, without a
// display.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <ctime>

#include "ui/ListRows.h"
#include "ui/RowComparator.h"

namespace {

std::vector<std::string> column(const Rows& rows, size_t index) {
    std::vector<std::string> values;
    for (const Row& row : rows) {
        values.push_back(index < row.size() ? row[index] : "<none>");
    }
    return values;
}

Rows sorted(Rows rows, int byColumn, bool ascending) {
    std::sort(rows.begin(), rows.end(), RowComparator::forColumn(byColumn, ascending));
    return rows;
}

// Sets the local time zone (for the rest of the process: nothing else in
// these tests depends on it).
void useTimeZone(const char* zone) {
    ::setenv("TZ", zone, 1);
    ::tzset();
}

}  // namespace

TEST(RowComparator, TextColumnsCompareBytesWithPrefixFirst) {
    // "Ver." sorts as text: "10" before "9"; case matters ("Z" < "a"); a
    // prefix first; bytes above 127 after ASCII (unsigned comparison).
    const Rows rows = {{"9"}, {"10"}, {"a"}, {"Z"}, {"ab"}, {"\xc3\xa9"}, {""}, {"1"}};
    EXPECT_EQ(column(sorted(rows, 0, true), 0),
              (std::vector<std::string>{"", "1", "10", "9", "Z", "a", "ab", "\xc3\xa9"}));
    EXPECT_EQ(column(sorted(rows, 0, false), 0),
              (std::vector<std::string>{"\xc3\xa9", "ab", "a", "Z", "9", "10", "1", ""}));
    // A missing cell counts as empty; equal keys are never "less".
    const Rows ragged = {{"x", "b"}, {"y"}, {"z", "a"}};
    EXPECT_EQ(column(sorted(ragged, 1, true), 0), (std::vector<std::string>{"y", "z", "x"}));
    EXPECT_FALSE(RowComparator::forColumn(2, true)(ragged[0], ragged[1]));
    EXPECT_FALSE(RowComparator::forColumn(2, false)(ragged[1], ragged[0]));
}

TEST(RowComparator, DateColumnComparesNumbersOfCellThree) {
    const Rows rows = {{"a", "", "", "100"},
                       {"b", "", "", "99"},
                       {"c", "", "", "-5"},
                       {"d", "", "", " 7x"},
                       {"e"}};
    // 99 before 100; a missing date cell counts as 0.
    EXPECT_EQ(column(sorted(rows, 3, true), 0),
              (std::vector<std::string>{"c", "e", "d", "b", "a"}));
    EXPECT_EQ(column(sorted(rows, 3, false), 0),
              (std::vector<std::string>{"a", "b", "d", "e", "c"}));
    // A column beyond the date column also orders by the date cell.
    EXPECT_EQ(column(sorted(rows, 4, true), 0), column(sorted(rows, 3, true), 0));
}

TEST(ListRows, CellNumbersParseLikeTheC_Library) {
    EXPECT_EQ(parseCellNumber("1717171717"), 1717171717LL);
    EXPECT_EQ(parseCellNumber("  \t42abc"), 42);
    EXPECT_EQ(parseCellNumber("-17"), -17);
    EXPECT_EQ(parseCellNumber("+8"), 8);
    EXPECT_EQ(parseCellNumber(""), 0);
    EXPECT_EQ(parseCellNumber("abc"), 0);
    EXPECT_EQ(parseCellNumber("- 5"), 0);
    EXPECT_EQ(parseCellNumber("99999999999999999999999"), LLONG_MAX);
    EXPECT_EQ(parseCellNumber("-99999999999999999999999"), LLONG_MIN);
    EXPECT_EQ(parseCellNumber("-9223372036854775808"), LLONG_MIN);
}

TEST(ListRows, DatesShowAsCtimeTextInLocalTimeWithoutNewline) {
    useTimeZone("UTC");
    EXPECT_EQ(formatCtimeText(0), "Thu Jan  1 00:00:00 1970");
    EXPECT_EQ(cellDisplayText({"1", "n", "x", "1000000000", "uid"}, 3), "Sun Sep  9 01:46:40 2001");
    EXPECT_EQ(cellDisplayText({"1", "n", "x", "1000000000", "uid"}, 2), "x");
    EXPECT_EQ(cellDisplayText({"1"}, 3), "Thu Jan  1 00:00:00 1970");
    // A time no local calendar can hold shows as nothing.
    EXPECT_EQ(formatCtimeText(LLONG_MAX), "");

    // The same as the C library's ctime, in another zone, day >= 10.
    useTimeZone("America/New_York");
    const std::time_t when = 1718000000;
    char buffer[64];
    ASSERT_NE(ctime_r(&when, buffer), nullptr);
    EXPECT_EQ(formatCtimeText(when) + "\n", buffer);
}

TEST(ListRows, FolderImageOnlyForExactlyFolder) {
    EXPECT_EQ(rowImage({"docs", "Folder"}, 1), kFolderImage);
    EXPECT_EQ(rowImage({"a.txt", "ZEB"}, 1), kFileImage);
    EXPECT_EQ(rowImage({"x", "folder"}, 1), kFileImage);
    EXPECT_EQ(rowImage({"x", "Folder "}, 1), kFileImage);
    EXPECT_EQ(rowImage({"x", ""}, 1), kFileImage);
    // No hidden cell: the folder image.
    EXPECT_EQ(rowImage({"x"}, 1), kFolderImage);
    // The first hidden cell decides, not a later one.
    EXPECT_EQ(rowImage({"x", "y", "Folder"}, 1), kFileImage);
    EXPECT_EQ(rowImage({"x", "y", "Folder"}, 2), kFolderImage);
}

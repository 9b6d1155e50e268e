#pragma once

#include <string>
#include <vector>

// The table behind a list view and the cell conventions every view applies,
// free of any window.

// A row: cell i is shown in column i; cells beyond the view's column count
// are hidden data of whoever filled the view (an identifier, a kind).
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// The column that holds a time as decimal seconds since 1970.
constexpr int kDateColumn = 3;

// Images of a view with icons.
constexpr int kFolderImage = 0;
constexpr int kFileImage = 1;

// Cell `column` of `row`, or an empty text when the row is shorter.
const std::string& cellOf(const Row& row, int column);

// The number a cell holds: leading blanks skipped, an optional sign, then
// decimal digits up to the first other character; 0 when there are none.
// Values beyond the range of long long are clamped to it.
long long parseCellNumber(const std::string& text);

// The standard ctime text of `seconds` in local time ("Wed Jun  5 14:03:09
// 2024", weekday and month in English) without a trailing newline; empty
// when the value cannot be converted to a local time.
std::string formatCtimeText(long long seconds);

// What column `column` shows for `row`: the date text of cell 3 for the
// date column, the cell itself otherwise.
std::string cellDisplayText(const Row& row, int column);

// The image of a row in a view with icons: the first hidden cell (index
// `columnCount`) exactly "Folder" gives kFolderImage, any other text
// kFileImage; a row without hidden cells gets kFolderImage.
int rowImage(const Row& row, int columnCount);

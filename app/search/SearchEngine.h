#pragma once

#include <string>
#include <vector>

#include "app/search/SearchCriteria.h"
#include "ui/ListRows.h"

// The search's work without any window: the statement over REVTABLE and
// FILETABLE, the filter, and the result rows the list pane shows.
//
// A result row holds the version number, the name, the path (working form)
// and the time (decimal seconds), shown as "Ver.", "Name", "Path" and
// "Date"; then the revision's UID (cell 4) and, when the version mode is 0
// or more, the versioned file's UID (cell 5).
namespace search {

constexpr int kVersionCell = 0;
constexpr int kPathCell = 2;
constexpr int kUidCell = 4;
constexpr int kMasterUidCell = 5;

// The result list's columns and their widths in percent.
const std::vector<std::string>& resultColumns();
const std::vector<int>& resultWidths();

Row makeResultRow(const RevisionRecord& record, const SearchCriteria& criteria);

// Keeps one row per versioned file: sorted by the versioned file's UID
// (byte order) and, within one file, by version number, the first row of
// each file for "is earliest", the last for "is latest".
void keepLatestOrEarliest(Rows& results, long versionMode);

// Reads every versioned file's path and returns the type set (see
// buildTypeSet). A failed statement gives an empty set.
std::vector<std::string> readTypeSet();

// Runs the search statement, keeps the rows that match, in the order the
// data source returns them, and for "is latest" / "is earliest" one row per
// versioned file. A failed statement gives no rows.
void runSearch(const SearchCriteria& criteria, const std::vector<std::string>& typeSet,
               const std::string& archiveRoot, Rows& results);

}  // namespace search

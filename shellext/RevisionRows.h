#pragma once

// The picker's table, free of any window: the four column headers and one
// row per revision of a versioned file.

#include <string>
#include <vector>

class UID;

// The column of a revision row that holds the revision's identifier: it
// travels with the row but is not shown.
constexpr int kRevisionUidColumn = 4;

// `headers` becomes "Ver.", "Name", "Notes", "Date"; `rows` one row of five
// texts per revision of `file` (version, name, notes, time in seconds since
// 1970, identifier), in the order the repository gives them.
void revisionRows(const UID& file, std::vector<std::string>& headers,
                  std::vector<std::vector<std::string>>& rows);

#pragma once

#include <string>

class ResultSet;

// Shared helpers of the versioned-item classes (not exported): fixed text
// fields, and statements run on the process's DatabaseInstance.
namespace zeb::core {

// Size of every text field and caller buffer of the versioned items.
constexpr int kFieldSize = 1024;

// Copies `text` into `out` (`size` bytes), cut to size - 1 bytes without
// splitting a UTF-8 sequence, and terminates it. Nothing when size < 1.
void copyText(char* out, int size, const char* text);
void copyText(char* out, int size, const std::string& text);

// Runs an INSERT or UPDATE; true when it succeeded.
bool runUpdate(const std::string& sql);
// Runs a DELETE; true when it succeeded or matched no row.
bool runDelete(const std::string& sql);
// Runs a query and returns the current result set, never null. `ok` (when
// given) tells whether the statement itself succeeded, so that "no row"
// can be told from a failure.
ResultSet* runQuery(const std::string& sql, bool* ok = nullptr);
// Whether a query yields at least one row.
bool hasRow(const std::string& sql);

// Reads the varchar column `name` of the current row into a field of
// kFieldSize bytes. The whole value arrives: a column of 255 characters holds
// at most 1020 bytes of UTF-8.
bool readText(ResultSet* rs, const char* name, char* field);

// The errno of the archived copy that the latest first save of a file or a
// revision could not write; 0 when it wrote one, or stopped before.
int& copyError();

// Makes the folder `dir` below the archive root and every missing folder
// between them with mode 0700, and the archive root itself when missing
// (0700 too; an existing root that others may enter is closed to them). The
// first folder it made goes to `*firstMade` (empty when none), so that a
// failed add can take back exactly what it made.
bool makeArchiveFolders(const std::string& dir, std::string* firstMade = nullptr);
// Removes `dir` and its parents up to `firstMade`, each only when empty.
void removeMadeFolders(const std::string& dir, const std::string& firstMade);

// The object directory of the working file `filePath` (a full path): the
// archive root, "/", then the path's pieces with every ":" turned into "@",
// empty pieces skipped. Empty when the path has no piece or holds a "." or
// ".." piece, so that no object directory lies outside the archive root.
std::string objectDirectory(const char* filePath);

}  // namespace zeb::core

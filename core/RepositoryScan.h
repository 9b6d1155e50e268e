#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

// What the repository check compares (not exported): the rows of the three
// tables, read whole, and what lies below the archive root.
namespace zeb::core {

struct RevisionRow {
    std::string masterUid;
    std::string name;
    std::string notes;
    std::string time;
    int version = 0;
};

struct RepositoryRows {
    std::map<std::string, std::string> objects;                   // MASTERZEB: UID -> VerName
    std::map<std::string, std::string> files;                     // FILETABLE: UID -> FilePath
    std::map<std::string, RevisionRow> revisions;                 // REVTABLE: UID -> row
    std::map<std::string, std::vector<std::string>> revisionsOf;  // MASTERUID -> UIDs
};

// Reads MASTERZEB, FILETABLE and REVTABLE through the process's
// DatabaseInstance, one whole table per statement. False, with a message in
// `error`, when the data source cannot be reached or a table cannot be read.
bool readRepositoryRows(RepositoryRows& out, std::string& error);

struct ArchiveContents {
    // Folders holding at least one file named like an identifier, with
    // those names.
    std::map<std::string, std::set<std::string>> copies;
    // Every archived copy's name -> the folders holding a file of that name.
    std::map<std::string, std::vector<std::string>> foldersOfCopy;
    std::vector<std::string> temporaryFiles;
    std::vector<std::string> unknownFiles;  // neither copy nor temporary file
    std::vector<std::string> links;         // symbolic links: never followed
    std::vector<std::string> emptyFolders;  // below the root, with no entry at all
    std::vector<std::pair<std::string, std::string>> unreadableFolders;  // path, reason
};

// Walks the folder tree below `root`. False, with a message in `error`, when
// the root itself cannot be listed; `rootMissing` tells when it does not
// exist at all.
bool scanArchive(const std::string& root, ArchiveContents& out, bool& rootMissing,
                 std::string& error);

// True for the text form of an identifier exactly as UID writes it: three
// lower-case hexadecimal fields joined by "x", the first two not zero, the
// fields at most 8, 8 and 4 digits long, no leading zeros.
bool isIdentifierText(const std::string& text);

// The object directory of a FILETABLE path (in its stored form), as
// VersionedFile computes it; empty when the path has none.
std::string objectDirectoryOfStoredPath(const std::string& storedPath);

}  // namespace zeb::core

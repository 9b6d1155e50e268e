#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// What the search form asks for, and the test of one revision against it.
// Free of any window and of the database, so that the filtering can be
// checked and measured on its own.

// The form's fields as they stand when a search starts.
struct SearchFormValues {
    std::string nameText;  // "Name has:"
    std::string noteText;  // "Note has:"
    bool dateChecked = false;
    bool typeChecked = false;
    int typeSelection = -1;  // position in the type list, -1 for none
    bool sizeChecked = false;
    int sizeSelection = 0;  // 0 "at least", 1 "at most"
    std::string sizeText;   // the KB field
    bool versionChecked = false;
    int versionSelection = -1;  // 0 "is latest", 1 "is earliest", -1 for none
    std::string versionText;    // what the version list's field shows
};

struct SearchCriteria {
    // Size modes.
    static constexpr int kAtLeast = 0;
    static constexpr int kAtMost = 1;
    // Version modes at 0 and above; a negative mode asks for version -mode.
    static constexpr long kIsLatest = 0;
    static constexpr long kIsEarliest = 1;

    std::string nameHas;  // lower-cased
    std::string noteHas;  // lower-cased
    bool dateChecked = false;
    bool typeChecked = false;
    int typeIndex = -1;
    bool sizeChecked = false;
    int sizeMode = kAtLeast;
    uint64_t sizeKB = 0;
    bool versionChecked = false;
    long versionMode = kIsLatest;
    // Inclusive bounds of the date test, in seconds since 1970-01-01 UTC.
    int64_t fromTime = 0;
    int64_t toTime = 0;

    // One revision per versioned file is kept after filtering.
    bool keepsOnePerFile() const { return versionChecked && versionMode >= 0; }
};

// One row of the search statement, the path in its working form.
struct RevisionRecord {
    std::string name;
    std::string notes;
    std::string time;  // decimal seconds since 1970
    std::string path;
    std::string uid;
    std::string masterUid;
    int version = 0;
};

// The criteria of the form's values; the date bounds come from the pickers
// (see dayStart and dayEnd).
SearchCriteria readCriteria(const SearchFormValues& form, int64_t fromTime, int64_t toTime);

// A-Z lower-cased, every other byte as it is.
std::string lowerAscii(const std::string& text);
// Whether `text`, lower-cased, holds `lowerPart` (an empty part is held by
// every text).
bool containsLowered(const std::string& text, const std::string& lowerPart);

// The unsigned decimal number a field holds, blanks around it allowed; 0
// for an empty field or one holding anything else. Values beyond `limit`
// are cut to it.
uint64_t fieldNumber(const std::string& text, uint64_t limit);

// The extension of a path in its working form: from its last "." to the
// end, or empty when the file's name holds no ".".
std::string fileExtension(const std::string& path);

// The type set: the extensions of `paths` (working form), ordered and made
// unique ignoring the case of A-Z; of two spellings the first one met
// stays. The empty extension, when present, comes first.
std::vector<std::string> buildTypeSet(const std::vector<std::string>& paths);

// Whether the last characters of `path` are `extension`, ignoring the case
// of A-Z. The empty extension ends every path.
bool pathHasExtension(const std::string& path, const std::string& extension);

// The archived copy of revision `uid` of the working file `path` below
// `archiveRoot`: the root, the path's pieces with ":" turned into "@", then
// the identifier. Empty when the path cannot have one (no piece, or a "."
// or ".." piece).
std::string archivedCopyPath(const std::string& archiveRoot, const std::string& path,
                             const std::string& uid);

// Local time 00:00:00 and 23:59:59 of the day (year, month 1-12, day 1-31)
// as seconds since 1970-01-01 UTC. The date test covers whole days.
int64_t dayStart(int year, int month, int day);
int64_t dayEnd(int year, int month, int day);

// Tests one revision, in this order, each failing test ending the check:
// name, note, date, type, size (the archived copy must be at least or at
// most sizeKB x 1000 bytes; a copy that cannot be examined fails), version.
bool matchesCriteria(const RevisionRecord& record, const SearchCriteria& criteria,
                     const std::vector<std::string>& typeSet, const std::string& archiveRoot);

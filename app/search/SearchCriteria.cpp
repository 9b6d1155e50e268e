#include "app/search/SearchCriteria.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "app/window/StringTable.h"
#include "core/ArchiveRoot.h"

namespace {

char lowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string trimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The version mode of the version list: a chosen entry, an entry's text
// typed in full, or minus the number typed.
long versionModeOf(const SearchFormValues& form) {
    if (form.versionSelection == 0 || form.versionSelection == 1) {
        return form.versionSelection;
    }
    const std::string typed = trimBlanks(form.versionText);
    if (typed == strings::text(strings::kIsLatest)) {
        return SearchCriteria::kIsLatest;
    }
    if (typed == strings::text(strings::kIsEarliest)) {
        return SearchCriteria::kIsEarliest;
    }
    return -static_cast<long>(fieldNumber(typed, INT_MAX));
}

bool sameIgnoringCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (lowerChar(a[i]) != lowerChar(b[i])) {
            return false;
        }
    }
    return true;
}

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const auto x = static_cast<unsigned char>(lowerChar(a[i]));
            const auto y = static_cast<unsigned char>(lowerChar(b[i]));
            if (x != y) {
                return x < y;
            }
        }
        return a.size() < b.size();
    }
};

bool sizeMatches(const RevisionRecord& record, const SearchCriteria& criteria,
                 const std::string& archiveRoot) {
    const std::string copy = archivedCopyPath(archiveRoot, record.path, record.uid);
    struct stat status {};
    if (copy.empty() || ::stat(copy.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    const auto size = static_cast<uint64_t>(status.st_size);
    const uint64_t bound = criteria.sizeKB * 1000;
    return criteria.sizeMode == SearchCriteria::kAtMost ? size <= bound : size >= bound;
}

}  // namespace

std::string lowerAscii(const std::string& text) {
    std::string lower(text);
    for (char& c : lower) {
        c = lowerChar(c);
    }
    return lower;
}

bool containsLowered(const std::string& text, const std::string& lowerPart) {
    if (lowerPart.empty()) {
        return true;
    }
    const size_t n = lowerPart.size();
    for (size_t at = 0; at + n <= text.size(); ++at) {
        size_t i = 0;
        while (i < n && lowerChar(text[at + i]) == lowerPart[i]) {
            ++i;
        }
        if (i == n) {
            return true;
        }
    }
    return false;
}

uint64_t fieldNumber(const std::string& text, uint64_t limit) {
    const std::string digits = trimBlanks(text);
    if (digits.empty()) {
        return 0;
    }
    uint64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        const auto digit = static_cast<uint64_t>(c - '0');
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return value;
}

SearchCriteria readCriteria(const SearchFormValues& form, int64_t fromTime, int64_t toTime) {
    SearchCriteria criteria;
    criteria.nameHas = lowerAscii(form.nameText);
    criteria.noteHas = lowerAscii(form.noteText);
    criteria.dateChecked = form.dateChecked;
    criteria.typeChecked = form.typeChecked;
    criteria.typeIndex = form.typeSelection;
    criteria.sizeChecked = form.sizeChecked;
    criteria.sizeMode = form.sizeSelection == SearchCriteria::kAtMost ? SearchCriteria::kAtMost
                                                                      : SearchCriteria::kAtLeast;
    criteria.sizeKB = fieldNumber(form.sizeText, UINT64_MAX / 1000);
    criteria.versionChecked = form.versionChecked;
    criteria.versionMode = versionModeOf(form);
    criteria.fromTime = fromTime;
    criteria.toTime = toTime;
    return criteria;
}

std::string fileExtension(const std::string& path) {
    // A path in the drive form ("C:\Docs\a.doc") separates with "\"; in a
    // POSIX path "\" is an ordinary character of a name.
    const bool posix = !path.empty() && path[0] == '/';
    const size_t separator = path.find_last_of(posix ? "/" : "/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) {
        return std::string();
    }
    return path.substr(dot);
}

std::vector<std::string> buildTypeSet(const std::vector<std::string>& paths) {
    std::vector<std::string> set;
    CaseInsensitiveLess less;
    for (const std::string& path : paths) {
        const std::string extension = fileExtension(path);
        const auto at = std::lower_bound(set.begin(), set.end(), extension, less);
        if (at == set.end() || less(extension, *at)) {
            set.insert(at, extension);
        }
    }
    return set;
}

bool pathHasExtension(const std::string& path, const std::string& extension) {
    if (path.size() < extension.size()) {
        return false;
    }
    return sameIgnoringCase(path.data() + path.size() - extension.size(), extension.data(),
                            extension.size());
}

std::string archivedCopyPath(const std::string& archiveRoot, const std::string& path,
                             const std::string& uid) {
    const std::string relative = ArchiveRoot::archiveForm(path);
    if (relative.empty() || uid.empty()) {
        return std::string();
    }
    return archiveRoot + "/" + relative + "/" + uid;
}

namespace {

int64_t localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    when.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&when));
}

}  // namespace

int64_t dayStart(int year, int month, int day) {
    return localTime(year, month, day, 0, 0, 0);
}

int64_t dayEnd(int year, int month, int day) {
    return localTime(year, month, day, 23, 59, 59);
}

bool matchesCriteria(const RevisionRecord& record, const SearchCriteria& criteria,
                     const std::vector<std::string>& typeSet, const std::string& archiveRoot) {
    if (!containsLowered(record.name, criteria.nameHas) ||
        !containsLowered(record.notes, criteria.noteHas)) {
        return false;
    }
    if (criteria.dateChecked) {
        const int64_t time = std::strtoll(record.time.c_str(), nullptr, 10);
        if (time < criteria.fromTime || time > criteria.toTime) {
            return false;
        }
    }
    if (criteria.typeChecked && criteria.typeIndex >= 0 &&
        static_cast<size_t>(criteria.typeIndex) < typeSet.size() &&
        !pathHasExtension(record.path, typeSet[static_cast<size_t>(criteria.typeIndex)])) {
        return false;
    }
    if (criteria.sizeChecked && !sizeMatches(record, criteria, archiveRoot)) {
        return false;
    }
    if (criteria.versionChecked && criteria.versionMode < 0 &&
        record.version != -criteria.versionMode) {
        return false;
    }
    return true;
}

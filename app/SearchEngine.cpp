#include "app/SearchEngine.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "core/Statements.h"
#include "core/VersionedFile.h"

namespace search {

namespace {

// ResultSet::getString delivers at most half the buffer it is given. A
// varchar(32) value takes at most 128 bytes of UTF-8, a varchar(255) value
// 1020: buffers of twice that hold any value whole, and the short ones
// spare the zero-filling of a large buffer for every cell.
constexpr int kShortBuffer = 2 * 129;
constexpr int kLongBuffer = 2 * 1024;

template <int Size>
struct TextColumn {
    explicit TextColumn(const char* columnName) : name(columnName) {}
    // The current row's value, or an empty text when the column is missing.
    char* read(ResultSet* rs) {
        if (!rs->getString(name, buffer, Size)) {
            buffer[0] = '\0';
        }
        buffer[Size - 1] = '\0';
        return buffer;
    }
    const char* name;
    char buffer[Size];
};

// The search statement's columns, read from the current row.
class SearchColumns {
public:
    void read(ResultSet* rs, RevisionRecord& record) {
        record.name = m_name.read(rs);
        record.notes = m_notes.read(rs);
        record.time = m_time.read(rs);
        char* path = m_path.read(rs);
        VersionedFile::processFilePath(path, true);
        record.path = path;
        record.uid = m_uid.read(rs);
        record.masterUid = m_masterUid.read(rs);
        int version = 0;
        if (!rs->getInt("REVVER", &version)) {
            version = 0;
        }
        record.version = version;
    }

private:
    TextColumn<kShortBuffer> m_name{"REVNAME"};
    TextColumn<kLongBuffer> m_notes{"REVNOTES"};
    TextColumn<kShortBuffer> m_time{"REVTIME"};
    TextColumn<kLongBuffer> m_path{"FilePath"};
    TextColumn<kShortBuffer> m_uid{"UID"};
    TextColumn<kShortBuffer> m_masterUid{"MASTERUID"};
};

long long versionOf(const Row& row) {
    return parseCellNumber(cellOf(row, kVersionCell));
}

}  // namespace

const std::vector<std::string>& resultColumns() {
    static const std::vector<std::string> columns = {"Ver.", "Name", "Path", "Date"};
    return columns;
}

const std::vector<int>& resultWidths() {
    static const std::vector<int> widths = {10, 20, 40, 30};
    return widths;
}

Row makeResultRow(const RevisionRecord& record, const SearchCriteria& criteria) {
    Row row;
    row.reserve(6);
    row.push_back(std::to_string(record.version));
    row.push_back(record.name);
    row.push_back(record.path);
    row.push_back(record.time);
    row.push_back(record.uid);
    if (criteria.versionMode >= 0) {
        row.push_back(record.masterUid);
    }
    return row;
}

void keepLatestOrEarliest(Rows& results, long versionMode) {
    std::sort(results.begin(), results.end(), [](const Row& a, const Row& b) {
        const std::string& ma = cellOf(a, kMasterUidCell);
        const std::string& mb = cellOf(b, kMasterUidCell);
        if (ma != mb) {
            return ma < mb;
        }
        return versionOf(a) < versionOf(b);
    });
    const bool earliest = versionMode == SearchCriteria::kIsEarliest;
    Rows kept;
    for (size_t first = 0; first < results.size();) {
        size_t end = first + 1;
        while (end < results.size() &&
               cellOf(results[end], kMasterUidCell) == cellOf(results[first], kMasterUidCell)) {
            ++end;
        }
        kept.push_back(std::move(results[earliest ? first : end - 1]));
        first = end;
    }
    results = std::move(kept);
}

std::vector<std::string> readTypeSet() {
    std::vector<std::string> paths;
    ResultSet* rs = DatabaseInstance::instance()->executeQuery(Statements::selectAllFilePaths());
    TextColumn<kLongBuffer> column("FilePath");
    while (rs->next()) {
        char* path = column.read(rs);
        VersionedFile::processFilePath(path, true);
        paths.emplace_back(path);
    }
    return buildTypeSet(paths);
}

bool runSearch(const SearchCriteria& criteria, const std::vector<std::string>& typeSet,
               const std::string& archiveRoot, Rows& results, const Progress& progress) {
    results.clear();
    ResultSet* rs =
        DatabaseInstance::instance()->executeQuery(Statements::selectRevisionsWithPaths());
    SearchColumns columns;
    RevisionRecord record;
    int sinceProgress = 0;
    while (rs->next()) {
        columns.read(rs, record);
        if (matchesCriteria(record, criteria, typeSet, archiveRoot)) {
            results.push_back(makeResultRow(record, criteria));
        }
        if (progress && ++sinceProgress == kProgressRows) {
            sinceProgress = 0;
            if (!progress()) {
                return false;
            }
        }
    }
    if (criteria.keepsOnePerFile()) {
        keepLatestOrEarliest(results, criteria.versionMode);
    }
    return true;
}

}  // namespace search

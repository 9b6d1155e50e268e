#include "app/search/SearchEngine.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
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

// The search statement's columns of the current row. The name and the note
// are read first and only as far as the criteria need them, so that a row
// the text criteria reject costs no further reads; the note is read only
// for the note criterion (no result shows it).
class SearchColumns {
public:
    explicit SearchColumns(const SearchCriteria& criteria) : m_criteria(criteria) {}

    // False when the row fails the name or note criterion (then `record`
    // is incomplete).
    bool read(ResultSet* rs, RevisionRecord& record) {
        record.name = m_name.read(rs);
        if (!containsLowered(record.name, m_criteria.nameHas)) {
            return false;
        }
        if (!m_criteria.noteHas.empty()) {
            record.notes = m_notes.read(rs);
            if (!containsLowered(record.notes, m_criteria.noteHas)) {
                return false;
            }
        }
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
        return true;
    }

private:
    const SearchCriteria& m_criteria;
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

// One pass groups the rows by versioned file, keeping the position of the
// best row of each; only the kept rows are then ordered.
void keepLatestOrEarliest(Rows& results, long versionMode) {
    const bool earliest = versionMode == SearchCriteria::kIsEarliest;
    std::unordered_map<std::string_view, size_t> kept;
    for (size_t i = 0; i < results.size(); ++i) {
        const auto [at, added] = kept.emplace(cellOf(results[i], kMasterUidCell), i);
        if (!added) {
            const long long version = versionOf(results[i]);
            const long long best = versionOf(results[at->second]);
            if (earliest ? version < best : version > best) {
                at->second = i;
            }
        }
    }
    std::vector<size_t> order;
    order.reserve(kept.size());
    for (const auto& entry : kept) {
        order.push_back(entry.second);
    }
    std::sort(order.begin(), order.end(), [&results](size_t a, size_t b) {
        return cellOf(results[a], kMasterUidCell) < cellOf(results[b], kMasterUidCell);
    });
    Rows rows;
    rows.reserve(order.size());
    for (size_t i : order) {
        rows.push_back(std::move(results[i]));
    }
    results = std::move(rows);
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

void runSearch(const SearchCriteria& criteria, const std::vector<std::string>& typeSet,
               const std::string& archiveRoot, Rows& results) {
    results.clear();
    ResultSet* rs =
        DatabaseInstance::instance()->executeQuery(Statements::selectRevisionsWithPaths());
    SearchColumns columns(criteria);
    RevisionRecord record;
    while (rs->next()) {
        if (columns.read(rs, record) && matchesCriteria(record, criteria, typeSet, archiveRoot)) {
            results.push_back(makeResultRow(record, criteria));
        }
    }
    if (criteria.keepsOnePerFile()) {
        keepLatestOrEarliest(results, criteria.versionMode);
    }
}

}  // namespace search

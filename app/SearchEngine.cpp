#include "app/SearchEngine.h"

#include <algorithm>
#include <cstdlib>
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

// Keeps, of the rows offered, the one with the highest (latest) or lowest
// (earliest) version number of each versioned file; gives them ordered by
// the versioned file's UID.
class OnePerFile {
public:
    explicit OnePerFile(long versionMode)
        : m_earliest(versionMode == SearchCriteria::kIsEarliest) {}

    void offer(Row&& row) {
        const long long version = parseCellNumber(cellOf(row, kVersionCell));
        auto found = m_kept.find(cellOf(row, kMasterUidCell));
        if (found == m_kept.end()) {
            std::string key = cellOf(row, kMasterUidCell);
            m_kept.emplace(std::move(key), Kept{version, std::move(row)});
            return;
        }
        Kept& kept = found->second;
        if (m_earliest ? version < kept.version : version > kept.version) {
            kept = Kept{version, std::move(row)};
        }
    }

    Rows take() {
        std::vector<std::pair<const std::string*, Row*>> order;
        order.reserve(m_kept.size());
        for (auto& [key, kept] : m_kept) {
            order.emplace_back(&key, &kept.row);
        }
        std::sort(order.begin(), order.end(),
                  [](const auto& a, const auto& b) { return *a.first < *b.first; });
        Rows rows;
        rows.reserve(order.size());
        for (auto& entry : order) {
            rows.push_back(std::move(*entry.second));
        }
        m_kept.clear();
        return rows;
    }

private:
    struct Kept {
        long long version;
        Row row;
    };
    bool m_earliest;
    std::unordered_map<std::string, Kept> m_kept;
};

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
    OnePerFile kept(versionMode);
    for (Row& row : results) {
        kept.offer(std::move(row));
    }
    results = kept.take();
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
    // "is latest" and "is earliest" keep one row per file as the rows come,
    // instead of holding every matching row until the end.
    const bool onePerFile = criteria.keepsOnePerFile();
    OnePerFile kept(criteria.versionMode);
    while (rs->next()) {
        if (columns.read(rs, record) && matchesCriteria(record, criteria, typeSet, archiveRoot)) {
            if (onePerFile) {
                kept.offer(makeResultRow(record, criteria));
            } else {
                results.push_back(makeResultRow(record, criteria));
            }
        }
    }
    if (onePerFile) {
        results = kept.take();
    }
}

}  // namespace search

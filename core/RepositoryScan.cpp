#include "core/RepositoryScan.h"

#include <cstring>

#include "core/DatabaseInstance.h"
#include "core/ItemSupport.h"
#include "core/ResultSet.h"
#include "core/VersionedFile.h"
#include "platform/FileSystem.h"

namespace fs = zeb::platform;

namespace zeb::core {

namespace {

// Deeper than any archive the system makes; stops a loop of links.
constexpr int kMaxDepth = 200;

// One whole table per statement: the rows are copied out before the next
// statement replaces the result set.
bool runTableQuery(const char* sql, ResultSet*& rs, std::string& error) {
    bool ok = false;
    rs = runQuery(sql, &ok);
    if (!ok) {
        error = std::string("cannot read the repository (") + sql +
                "): " + DatabaseInstance::lastError();
    }
    return ok;
}

std::string column(ResultSet* rs, const char* name) {
    char field[kFieldSize];
    return readText(rs, name, field) ? std::string(field) : std::string();
}

bool readObjects(RepositoryRows& out, std::string& error) {
    ResultSet* rs = nullptr;
    if (!runTableQuery("SELECT UID, VerName FROM MASTERZEB", rs, error)) {
        return false;
    }
    while (rs->next()) {
        out.objects[column(rs, "UID")] = column(rs, "VerName");
    }
    return true;
}

bool readFiles(RepositoryRows& out, std::string& error) {
    ResultSet* rs = nullptr;
    if (!runTableQuery("SELECT UID, FilePath FROM FILETABLE", rs, error)) {
        return false;
    }
    while (rs->next()) {
        out.files[column(rs, "UID")] = column(rs, "FilePath");
    }
    return true;
}

bool readRevisions(RepositoryRows& out, std::string& error) {
    ResultSet* rs = nullptr;
    if (!runTableQuery("SELECT UID, MASTERUID, REVVER, REVNAME, REVNOTES, REVTIME FROM REVTABLE",
                       rs, error)) {
        return false;
    }
    while (rs->next()) {
        RevisionRow row;
        row.masterUid = column(rs, "MASTERUID");
        row.name = column(rs, "REVNAME");
        row.notes = column(rs, "REVNOTES");
        row.time = column(rs, "REVTIME");
        if (!rs->getInt("REVVER", &row.version)) {
            row.version = -1;
        }
        const std::string uid = column(rs, "UID");
        out.revisionsOf[row.masterUid].push_back(uid);
        out.revisions[uid] = std::move(row);
    }
    return true;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool isLowerHex(const std::string& field, size_t maxDigits) {
    if (field.empty() || field.size() > maxDigits || (field.size() > 1 && field[0] == '0')) {
        return false;
    }
    for (char c : field) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

void walk(const std::string& dir, int depth, ArchiveContents& out) {
    std::vector<fs::DirEntry> entries;
    int error = 0;
    if (!fs::listDirectory(dir, entries, &error)) {
        out.unreadableFolders.emplace_back(dir, std::strerror(error));
        return;
    }
    if (entries.empty() && depth > 0) {
        out.emptyFolders.push_back(dir);
        return;
    }
    for (const fs::DirEntry& entry : entries) {
        const std::string path = dir + "/" + entry.name;
        // A link could lead out of the archive: a repair must never descend
        // into it or remove anything through it.
        if (entry.isLink) {
            out.links.push_back(path);
        } else if (entry.isDirectory) {
            if (depth + 1 >= kMaxDepth) {
                out.unreadableFolders.emplace_back(path, "too deep (a loop of links?)");
            } else {
                walk(path, depth + 1, out);
            }
        } else if (startsWith(entry.name, fs::kTempFilePrefix)) {
            out.temporaryFiles.push_back(path);
        } else if (isIdentifierText(entry.name)) {
            out.copies[dir].insert(entry.name);
            out.foldersOfCopy[entry.name].push_back(dir);
        } else {
            out.unknownFiles.push_back(path);
        }
    }
}

}  // namespace

bool readRepositoryRows(RepositoryRows& out, std::string& error) {
    out = RepositoryRows();
    DatabaseInstance* db = DatabaseInstance::instance();
    if (db == nullptr || !db->isConnected()) {
        error = "cannot connect to the data source: " + DatabaseInstance::lastError();
        return false;
    }
    return readObjects(out, error) && readFiles(out, error) && readRevisions(out, error);
}

bool scanArchive(const std::string& root, ArchiveContents& out, bool& rootMissing,
                 std::string& error) {
    out = ArchiveContents();
    rootMissing = false;
    fs::FileStatus status;
    int code = 0;
    if (!fs::getStatus(root, status, &code)) {
        error = "cannot read the archive folder " + root + ": " + std::strerror(code);
        return false;
    }
    if (!status.exists) {
        rootMissing = true;
        error = "the archive folder " + root + " does not exist";
        return false;
    }
    if (!status.isDirectory) {
        error = "the archive folder " + root + " is not a folder";
        return false;
    }
    walk(root, 0, out);
    if (!out.unreadableFolders.empty() && out.unreadableFolders.front().first == root) {
        error =
            "cannot list the archive folder " + root + ": " + out.unreadableFolders.front().second;
        return false;
    }
    return true;
}

bool isIdentifierText(const std::string& text) {
    const size_t first = text.find('x');
    const size_t second = first == std::string::npos ? first : text.find('x', first + 1);
    if (second == std::string::npos) {
        return false;
    }
    const std::string host = text.substr(0, first);
    const std::string time = text.substr(first + 1, second - first - 1);
    const std::string count = text.substr(second + 1);
    return isLowerHex(host, 8) && host != "0" && isLowerHex(time, 8) && time != "0" &&
           isLowerHex(count, 4);
}

std::string objectDirectoryOfStoredPath(const std::string& storedPath) {
    if (storedPath.empty() || storedPath.size() >= static_cast<size_t>(kFieldSize)) {
        return std::string();
    }
    char path[kFieldSize];
    copyText(path, kFieldSize, storedPath);
    VersionedFile::processFilePath(path, true);
    return objectDirectory(path);
}

}  // namespace zeb::core

#include "core/RepositoryCheck.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <new>
#include <set>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/ItemSupport.h"
#include "core/RepositoryScan.h"
#include "core/ResultSet.h"
#include "core/Statements.h"
#include "core/VersionedFile.h"
#include "core/WriterLock.h"
#include "platform/FileSystem.h"

namespace fs = zeb::platform;
using zeb::core::ArchiveContents;
using zeb::core::kFieldSize;
using zeb::core::RepositoryRows;
using zeb::core::RevisionRow;
using Kind = RepositoryCheck::Kind;
using Finding = RepositoryCheck::Finding;
using Outcome = RepositoryCheck::Outcome;

namespace {

// A repair can make further findings repairable (deleting an object's last
// revision row leaves the object without revisions): the check runs again
// after every pass that repaired something, this many passes at most.
constexpr int kMaxPasses = 6;

const char* const kRecoveredNote = "Recovered by zebcheck after an interrupted add";

// What a repair does for one finding.
struct Action {
    enum class Type {
        None,
        RemoveFile,      // path
        DeleteRevision,  // uid; path: the copy that must still be missing
        RecreateObject,  // uid, from `source`
        DeleteFileRow,   // uid; path: its object directory, removed when empty
        DeleteObject,    // uid, and its FILETABLE row when `fileRow`; path as above
        RemoveFolder,    // path, then its parents that become empty
        RecoverCopy,     // uid: the copy's name; path: the copy; fileUid, workingPath
    };
    Type type = Type::None;
    std::string uid;
    std::string path;
    RevisionRow source;
    bool fileRow = false;
    std::string fileUid;
    std::string workingPath;
};

// The findings of one look at the repository, each with its repair.
struct Pass {
    std::vector<Finding> findings;
    std::vector<Action> actions;
    int fileCount = 0;
    int revisionCount = 0;

    void add(Kind kind, const std::string& uid, const std::string& path, const std::string& detail,
             const std::string& remedy, Action action = Action()) {
        Finding finding;
        finding.kind = kind;
        finding.uid = uid;
        finding.path = path;
        finding.detail = detail;
        finding.remedy = remedy;
        finding.repairable = action.type != Action::Type::None;
        findings.push_back(std::move(finding));
        actions.push_back(std::move(action));
    }
};

std::string archiveRoot() {
    std::string root = ArchiveRoot::path() != nullptr ? ArchiveRoot::path() : "";
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    return root;
}

// Single-quoted for a POSIX shell.
std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// FILETABLE.FilePath as the working file's path.
std::string workingPath(const std::string& storedPath) {
    char path[kFieldSize];
    zeb::core::copyText(path, kFieldSize, storedPath);
    VersionedFile::processFilePath(path, true);
    return path;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Finds what does not match between rows and archive contents.
class Analysis {
public:
    Analysis(const RepositoryRows& rows, const ArchiveContents& archive, Pass& pass)
        : m_rows(rows), m_archive(archive), m_pass(pass) {
        for (const auto& [uid, stored] : rows.files) {
            const std::string dir = zeb::core::objectDirectoryOfStoredPath(stored);
            m_dirOfFile[uid] = dir;
            if (!dir.empty() && !m_fileOfDir.emplace(dir, uid).second) {
                m_sharedDirs.insert(dir);
            }
        }
    }

    void run() {
        revisions();
        copies();
        paths();
        files();
        objects();
        leftovers();
    }

private:
    bool hasCopy(const std::string& dir, const std::string& name) const {
        auto it = m_archive.copies.find(dir);
        return it != m_archive.copies.end() && it->second.count(name) > 0;
    }
    // Copies in a folder that could not be listed are unknown: nothing that
    // depends on their absence is repaired there.
    bool holdsCopies(const std::string& dir) const {
        return !dir.empty() && (m_archive.copies.count(dir) > 0 || unreadable(dir));
    }
    bool unreadable(const std::string& path) const {
        for (const auto& [folder, reason] : m_archive.unreadableFolders) {
            if (path == folder || startsWith(path, folder + "/")) {
                return true;
            }
        }
        return false;
    }
    // A copy of that name somewhere in the archive, or empty.
    std::string copyElsewhere(const std::string& name) const {
        auto it = m_archive.foldersOfCopy.find(name);
        return it == m_archive.foldersOfCopy.end() || it->second.empty()
                   ? std::string()
                   : it->second.front() + "/" + name;
    }
    const std::vector<std::string>& revisionsOf(const std::string& uid) const {
        static const std::vector<std::string> none;
        auto it = m_rows.revisionsOf.find(uid);
        return it == m_rows.revisionsOf.end() ? none : it->second;
    }

    void revisions() {
        for (const auto& [uid, row] : m_rows.revisions) {
            const bool hasObject = m_rows.objects.count(row.masterUid) > 0;
            const bool hasFile = m_rows.files.count(row.masterUid) > 0;
            const std::string dir = hasFile ? m_dirOfFile.at(row.masterUid) : std::string();
            if (!dir.empty() && hasCopy(dir, uid)) {
                continue;
            }
            const Kind kind =
                hasObject || hasFile ? Kind::RevisionWithoutCopy : Kind::RevisionWithoutObject;
            const std::string expected = dir.empty() ? std::string() : dir + "/" + uid;
            std::string what =
                "version " + std::to_string(row.version) + " of " +
                (hasFile ? workingPath(m_rows.files.at(row.masterUid)) : "object " + row.masterUid);
            if (kind == Kind::RevisionWithoutObject) {
                what += ", which has no MASTERZEB or FILETABLE row";
            } else if (!hasFile) {
                what += ", which has no FILETABLE row";
            }
            const std::string elsewhere = copyElsewhere(uid);
            if (!elsewhere.empty()) {
                m_pass.add(kind, uid, expected, what,
                           "a copy of that name lies at " + elsewhere + "; the row stays with it");
                continue;
            }
            if (!expected.empty() && unreadable(dir)) {
                m_pass.add(kind, uid, expected, what,
                           "its folder cannot be listed; the row stays until it can");
                continue;
            }
            Action action;
            action.type = Action::Type::DeleteRevision;
            action.uid = uid;
            action.path = expected;
            m_pass.add(kind, uid, expected, what + "; it cannot be got back",
                       "REVTABLE row deleted", action);
        }
    }

    void copies() {
        for (const auto& [dir, names] : m_archive.copies) {
            auto file = m_fileOfDir.find(dir);
            const bool known = file != m_fileOfDir.end();
            const std::string working = known ? workingPath(m_rows.files.at(file->second)) : "";
            const std::string of = known ? "a version of " + working : std::string();
            for (const std::string& name : byAge(dir, names)) {
                const std::string copy = dir + "/" + name;
                if (!known || m_sharedDirs.count(dir) > 0) {
                    m_pass.add(Kind::CopyWithoutRevision, name, copy, of,
                               "holds user data, never deleted; to get it back: cp "
                               "--preserve=timestamps " +
                                   shellQuote(copy) + " DESTINATION");
                    continue;
                }
                // Copies are renamed into place only once complete: one
                // without its row is an add that stopped before its insert.
                Action action;
                action.type = Action::Type::RecoverCopy;
                action.uid = name;
                action.path = copy;
                action.fileUid = file->second;
                action.workingPath = working;
                m_pass.add(Kind::CopyWithoutRevision, name, copy, of,
                           "made a revision of its file again", action);
            }
            if (!known) {
                m_pass.add(Kind::FolderWithoutFile, "", dir,
                           "holds archived copies, but no FILETABLE row names it",
                           "never deleted, nor the copies in it");
            }
        }
    }

    // The copies of `dir` that have no row, oldest content first, so that
    // recovered versions are numbered in the order they were made.
    std::vector<std::string> byAge(const std::string& dir,
                                   const std::set<std::string>& names) const {
        std::vector<std::pair<fs::FileTime, std::string>> aged;
        for (const std::string& name : names) {
            if (m_rows.revisions.count(name) == 0) {
                fs::FileStatus status;
                fs::getStatus(dir + "/" + name, status);
                aged.emplace_back(status.modified, name);
            }
        }
        std::sort(aged.begin(), aged.end(), [](const auto& a, const auto& b) {
            if (a.first.sec != b.first.sec) {
                return a.first.sec < b.first.sec;
            }
            return a.first.nsec != b.first.nsec ? a.first.nsec < b.first.nsec : a.second < b.second;
        });
        std::vector<std::string> result;
        for (auto& entry : aged) {
            result.push_back(std::move(entry.second));
        }
        return result;
    }

    void paths() {
        std::map<std::string, std::vector<std::string>> uidsOfPath;
        for (const auto& [uid, stored] : m_rows.files) {
            uidsOfPath[stored].push_back(uid);
        }
        for (const auto& [stored, uids] : uidsOfPath) {
            if (uids.size() < 2) {
                continue;
            }
            std::string list;
            for (const std::string& uid : uids) {
                list += (list.empty() ? "" : ", ") + uid;
            }
            m_pass.add(Kind::PathRecordedTwice, uids.front(), workingPath(stored),
                       "recorded by the FILETABLE rows " + list,
                       "each holds versions of the file; never repaired by deleting (get the "
                       "versions you need, then delete the extra file in the main program)");
        }
    }

    void files() {
        for (const auto& [uid, stored] : m_rows.files) {
            if (m_rows.objects.count(uid) > 0) {
                continue;
            }
            const std::string path = workingPath(stored);
            const std::vector<std::string>& revs = revisionsOf(uid);
            const std::string what = std::to_string(revs.size()) + " revision row(s)";
            Action action;
            action.uid = uid;
            if (!revs.empty()) {
                // An add interrupted before its last step: the object's row
                // is written again from its first revision, which carries the
                // name and notes the object was saved with.
                const RevisionRow* first = nullptr;
                for (const std::string& rev : revs) {
                    const RevisionRow& row = m_rows.revisions.at(rev);
                    if (first == nullptr || row.version < first->version) {
                        first = &row;
                    }
                }
                action.type = Action::Type::RecreateObject;
                action.source = *first;
                m_pass.add(
                    Kind::FileWithoutObject, uid, path, what,
                    "MASTERZEB row written again from version " + std::to_string(first->version),
                    action);
            } else if (holdsCopies(m_dirOfFile.at(uid))) {
                m_pass.add(Kind::FileWithoutObject, uid, path, what,
                           "its object directory holds archived copies; the row stays with them");
            } else {
                action.type = Action::Type::DeleteFileRow;
                action.path = m_dirOfFile.at(uid);
                m_pass.add(Kind::FileWithoutObject, uid, path, what, "FILETABLE row deleted",
                           action);
            }
        }
    }

    void objects() {
        for (const auto& [uid, name] : m_rows.objects) {
            const bool hasFile = m_rows.files.count(uid) > 0;
            const size_t revs = revisionsOf(uid).size();
            if (hasFile && revs > 0) {
                continue;
            }
            const std::string what =
                "\"" + name + "\", " + std::to_string(revs) + " revision row(s)";
            Action action;
            action.type = Action::Type::DeleteObject;
            action.uid = uid;
            if (!hasFile) {
                if (revs > 0) {
                    m_pass.add(Kind::ObjectWithoutFile, uid, "", what,
                               "kept while it has revision rows");
                } else {
                    m_pass.add(Kind::ObjectWithoutFile, uid, "", what, "MASTERZEB row deleted",
                               action);
                }
                continue;
            }
            const std::string path = workingPath(m_rows.files.at(uid));
            const std::string& dir = m_dirOfFile.at(uid);
            if (holdsCopies(dir)) {
                m_pass.add(Kind::ObjectWithoutRevisions, uid, path, what,
                           "its object directory holds archived copies; the rows stay with them");
                continue;
            }
            action.fileRow = true;
            action.path = dir;
            m_pass.add(Kind::ObjectWithoutRevisions, uid, path, what,
                       "FILETABLE and MASTERZEB rows deleted", action);
        }
    }

    void leftovers() {
        for (const std::string& path : m_archive.temporaryFiles) {
            Action action;
            action.type = Action::Type::RemoveFile;
            action.path = path;
            m_pass.add(Kind::TemporaryFile, "", path, "leftover of an interrupted copy", "removed",
                       action);
        }
        for (const std::string& path : m_archive.unknownFiles) {
            m_pass.add(Kind::UnknownFile, "", path, "not made by this system", "never deleted");
        }
        for (const std::string& path : m_archive.links) {
            m_pass.add(Kind::UnknownFile, "", path, "a symbolic link, not made by this system",
                       "never followed, never deleted");
        }
        for (const auto& [path, reason] : m_archive.unreadableFolders) {
            m_pass.add(Kind::UnreadableFolder, "", path, "cannot be listed: " + reason,
                       "not checked");
        }
        for (const std::string& path : m_archive.emptyFolders) {
            // An empty object directory of a file row is dealt with through
            // the findings of its rows.
            if (m_fileOfDir.count(path) > 0) {
                continue;
            }
            Action action;
            action.type = Action::Type::RemoveFolder;
            action.path = path;
            m_pass.add(Kind::EmptyFolder, "", path, "", "removed", action);
        }
    }

    const RepositoryRows& m_rows;
    const ArchiveContents& m_archive;
    Pass& m_pass;
    std::map<std::string, std::string> m_dirOfFile;  // file UID -> object directory
    std::map<std::string, std::string> m_fileOfDir;  // object directory -> file UID
    std::set<std::string> m_sharedDirs;              // object directories of several files
};

// Reads the tables, then walks the archive (in that order: see the header).
bool look(Pass& pass, std::string& error) {
    RepositoryRows rows;
    if (!zeb::core::readRepositoryRows(rows, error)) {
        return false;
    }
    ArchiveContents archive;
    bool rootMissing = false;
    if (!zeb::core::scanArchive(archiveRoot(), archive, rootMissing, error)) {
        if (!rootMissing) {
            return false;
        }
        // No archive yet is fine for an empty repository. With revisions it
        // is more likely a wrong "DestinationPath" than a lost archive, and
        // repairing would delete every revision row.
        if (!rows.revisions.empty()) {
            error += ", but the data source holds " + std::to_string(rows.revisions.size()) +
                     " revision(s); check \"DestinationPath\" in the registry";
            return false;
        }
        archive = ArchiveContents();
    }
    pass.fileCount = static_cast<int>(rows.files.size());
    pass.revisionCount = static_cast<int>(rows.revisions.size());
    Analysis(rows, archive, pass).run();
    return true;
}

// Removes `path` when empty, then each parent that becomes empty, up to but
// not including `root`.
bool removeEmptyFolders(const std::string& path, const std::string& root) {
    int error = 0;
    if (!fs::removeDirectory(path, &error) && error != ENOENT) {
        return false;
    }
    std::string parent = fs::parentPath(path);
    while (parent.size() > root.size() && startsWith(parent, root + "/") &&
           fs::removeDirectory(parent)) {
        parent = fs::parentPath(parent);
    }
    return true;
}

bool runDelete(const std::string& sql, std::string& why) {
    if (zeb::core::runDelete(sql)) {
        return true;
    }
    why = "the repair failed: " + DatabaseInstance::lastError();
    return false;
}

bool recoverCopy(const Action& action, std::string& why);

// Carries out one action; false with `why` set when it fails or is
// called off. Each looks again first: the repository may have changed since
// it was read.
bool carryOut(const Action& action, std::string& why) {
    const std::string root = archiveRoot();
    switch (action.type) {
        case Action::Type::None:
            return false;
        case Action::Type::RemoveFile: {
            // Only a leftover that is still a plain file goes.
            fs::FileStatus status;
            bool isLink = false;
            if (!fs::getLinkStatus(action.path, status, isLink) || isLink ||
                (status.exists && !status.isRegular)) {
                why = "no longer a plain file; kept";
                return false;
            }
            int error = 0;
            if (!fs::removeFile(action.path, &error) && error != ENOENT) {
                why = "cannot be removed: " + std::string(std::strerror(error));
                return false;
            }
            return true;
        }
        case Action::Type::DeleteRevision: {
            // Only a copy known to be missing lets its row go.
            fs::FileStatus copy;
            if (!action.path.empty() && (!fs::getStatus(action.path, copy) || copy.exists)) {
                why =
                    "its archived copy is there after all (or cannot be looked at); the row "
                    "stays";
                return false;
            }
            return runDelete(Statements::deleteRevision(action.uid), why);
        }
        case Action::Type::RecreateObject:
            if (zeb::core::hasRow(Statements::selectObject(action.uid))) {
                return true;
            }
            if (!zeb::core::runUpdate(Statements::insertObject(
                    action.uid, action.source.name, action.source.notes, action.source.time))) {
                why = "the repair failed: " + DatabaseInstance::lastError();
                return false;
            }
            return true;
        case Action::Type::DeleteFileRow:
        case Action::Type::DeleteObject: {
            if (zeb::core::hasRow(Statements::selectAnyRevisionOfObject(action.uid))) {
                why = "a revision row has appeared meanwhile; the rows stay";
                return false;
            }
            if ((action.type == Action::Type::DeleteFileRow || action.fileRow) &&
                !runDelete(Statements::deleteFile(action.uid), why)) {
                return false;
            }
            if (action.type == Action::Type::DeleteObject &&
                !runDelete(Statements::deleteObject(action.uid), why)) {
                return false;
            }
            if (!action.path.empty()) {
                fs::removeDirectory(action.path);  // only when empty
            }
            return true;
        }
        case Action::Type::RecoverCopy:
            return recoverCopy(action, why);
        case Action::Type::RemoveFolder:
            if (!removeEmptyFolders(action.path, root)) {
                why = "cannot be removed (no longer empty?)";
                return false;
            }
            return true;
    }
    return false;
}

// Makes the copy a revision of its file again: the next version number, the
// file's name, a note that says what happened, the time of the repair.
bool recoverCopy(const Action& action, std::string& why) {
    fs::FileStatus status;
    bool isLink = false;
    if (!fs::getLinkStatus(action.path, status, isLink) || isLink || !status.isRegular) {
        why = "the copy is no longer a plain file; kept";
        return false;
    }
    if (zeb::core::hasRow(Statements::selectRevision(action.uid))) {
        return true;
    }
    bool ok = false;
    ResultSet* rs = zeb::core::runQuery(Statements::selectVersionsOfObject(action.fileUid), &ok);
    int highest = 0;
    while (ok && rs->next()) {
        int version = 0;
        if (rs->getInt("REVVER", &version) && version > highest) {
            highest = version;
        }
    }
    if (!ok || highest == INT_MAX) {
        why = "the repair failed: " + DatabaseInstance::lastError();
        return false;
    }
    const std::string name = fs::baseName(action.workingPath);
    const std::string now = Statements::timeText(static_cast<long long>(std::time(nullptr)));
    if (!zeb::core::runUpdate(Statements::insertRevision(action.uid, name, kRecoveredNote,
                                                         highest + 1, action.fileUid, now))) {
        why = "the repair failed: " + DatabaseInstance::lastError();
        return false;
    }
    return true;
}

std::string findingKey(const Finding& finding) {
    return std::to_string(static_cast<int>(finding.kind)) + '\n' + finding.uid + '\n' +
           finding.path;
}

}  // namespace

bool RepositoryCheck::run(bool repair) {
    m_findings.clear();
    m_error.clear();
    m_fileCount = 0;
    m_revisionCount = 0;
    try {
        // A repair must not see the half-written state of a running add as
        // a leftover: no other program writes while it runs.
        std::unique_ptr<WriterLock> lock;
        if (repair) {
            lock.reset(new WriterLock);
            if (!lock->held()) {
                m_error = "cannot lock the repository for the repair: " + WriterLock::lastError();
                return false;
            }
        }
        std::map<std::string, size_t> index;  // finding key -> position in m_findings
        std::set<std::string> lastSeen;
        for (int passNumber = 0; passNumber < kMaxPasses; ++passNumber) {
            Pass pass;
            if (!look(pass, m_error)) {
                if (passNumber == 0) {
                    return false;
                }
                // Repairs were made; report them with what is known.
                m_error.clear();
                break;
            }
            m_fileCount = pass.fileCount;
            m_revisionCount = pass.revisionCount;
            const bool mayRepair = repair && passNumber + 1 < kMaxPasses;
            int repaired = 0;
            lastSeen.clear();
            for (size_t i = 0; i < pass.findings.size(); ++i) {
                Finding& finding = pass.findings[i];
                if (mayRepair) {
                    if (!finding.repairable) {
                        finding.outcome = Outcome::Kept;
                    } else if (carryOut(pass.actions[i], finding.remedy)) {
                        finding.outcome = Outcome::Repaired;
                        ++repaired;
                    } else {
                        finding.outcome = Outcome::Failed;
                    }
                } else if (repair) {
                    finding.outcome = Outcome::Kept;
                    if (finding.repairable) {
                        finding.remedy = "left for another run";
                    }
                }
                const std::string key = findingKey(finding);
                lastSeen.insert(key);
                auto found = index.find(key);
                if (found == index.end()) {
                    index[key] = m_findings.size();
                    m_findings.push_back(finding);
                } else {
                    m_findings[found->second] = finding;
                }
            }
            if (repaired == 0) {
                break;
            }
        }
        // A finding kept in one pass and gone in the last one was mended by
        // the other repairs (a file's revision rows went, then the file).
        if (repair) {
            for (Finding& finding : m_findings) {
                if (finding.outcome != Outcome::Repaired &&
                    lastSeen.count(findingKey(finding)) == 0) {
                    finding.outcome = Outcome::Repaired;
                    finding.remedy = "resolved by the other repairs";
                }
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        m_findings.clear();
        m_error = "out of memory";
        return false;
    }
}

int RepositoryCheck::problemCount() const {
    int count = 0;
    for (const Finding& finding : m_findings) {
        count += isProblem(finding.kind) ? 1 : 0;
    }
    return count;
}

int RepositoryCheck::remainingCount() const {
    int count = 0;
    for (const Finding& finding : m_findings) {
        count += isProblem(finding.kind) && finding.outcome != Outcome::Repaired ? 1 : 0;
    }
    return count;
}

int RepositoryCheck::noteCount() const {
    return static_cast<int>(m_findings.size()) - problemCount();
}

const char* RepositoryCheck::kindName(Kind kind) {
    switch (kind) {
        case Kind::RevisionWithoutCopy:
            return "revision-without-copy";
        case Kind::RevisionWithoutObject:
            return "revision-without-object";
        case Kind::CopyWithoutRevision:
            return "copy-without-revision";
        case Kind::FileWithoutObject:
            return "file-without-object";
        case Kind::ObjectWithoutFile:
            return "object-without-file";
        case Kind::ObjectWithoutRevisions:
            return "object-without-revisions";
        case Kind::FolderWithoutFile:
            return "folder-without-file";
        case Kind::UnknownFile:
            return "unknown-file";
        case Kind::TemporaryFile:
            return "temporary-file";
        case Kind::UnreadableFolder:
            return "unreadable-folder";
        case Kind::PathRecordedTwice:
            return "path-recorded-twice";
        case Kind::EmptyFolder:
            return "empty-folder";
    }
    return "unknown";
}

bool RepositoryCheck::isProblem(Kind kind) {
    return kind != Kind::EmptyFolder;
}

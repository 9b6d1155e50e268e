#include "core/VersionedFile.h"

#include <cerrno>
#include <string>
#include <vector>

#include "core/ArchiveRoot.h"
#include "core/ItemSupport.h"
#include "core/ResultSet.h"
#include "core/RevisionFile.h"
#include "core/Statements.h"
#include "core/UID.h"
#include "core/WriterLock.h"
#include "platform/FileSystem.h"

namespace fs = zeb::platform;
using zeb::core::copyText;
using zeb::core::kFieldSize;

VersionedFile::VersionedFile(const char* name, const char* notes, const char* path)
    : VersionedObject(name, notes) {
    m_filePath[0] = '\0';
    const std::string full = fs::fullPath(path != nullptr ? path : "");
    // A path that does not fit stays empty rather than cut: a cut path would
    // name another file.
    if (full.size() < sizeof m_filePath) {
        copyText(m_filePath, kFieldSize, full);
    }
}

VersionedFile::VersionedFile(const UID& uid) : VersionedObject(uid) {
    m_filePath[0] = '\0';
    read();
}

VersionedFile::~VersionedFile() = default;

void VersionedFile::getFileFullPath(char* out, int size) const {
    copyText(out, size, m_filePath);
}

void VersionedFile::getObjectDir(char* out, int size) const {
    copyText(out, size, zeb::core::objectDirectory(m_filePath));
}

bool VersionedFile::read(const UID& uid) {
    m_filePath[0] = '\0';
    return VersionedObject::read(uid) && read();
}

bool VersionedFile::read() {
    m_filePath[0] = '\0';
    if (m_uid[0] == '\0') {
        return false;
    }
    ResultSet* rs = zeb::core::runQuery(Statements::selectFileByUid(m_uid));
    char path[kFieldSize];
    if (!rs->next() || !zeb::core::readText(rs, "FilePath", path)) {
        return false;
    }
    processFilePath(path, true);
    copyText(m_filePath, kFieldSize, path);
    return true;
}

bool VersionedFile::save() {
    WriterLock lock;
    if (!lock.held()) {
        return false;
    }
    if (isVersionSaved()) {
        return VersionedObject::save();  // name and notes only
    }
    zeb::core::copyError() = 0;
    // A path that does not fit its column would be stored cut and a later
    // restore would write to the cut path.
    if (m_filePath[0] == '\0' || Statements::countChars(m_filePath) > Statements::kPathChars) {
        return false;
    }
    fs::FileStatus status;
    if (!fs::getStatus(m_filePath, status) || !status.isRegular) {
        return false;
    }
    // One path, one versioned file: two would share one object directory.
    // Under the writer lock no other program can add the path between this
    // look-up and the insert; the unique index on FilePath holds it too.
    UID existing = UID::none();
    if (isFileVersioned(m_filePath, existing)) {
        return false;
    }
    const std::string dir = zeb::core::objectDirectory(m_filePath);
    std::string firstMade;
    if (dir.empty() || !zeb::core::makeArchiveFolders(dir, &firstMade)) {
        return false;
    }
    char stored[kFieldSize];
    copyText(stored, kFieldSize, m_filePath);
    processFilePath(stored, false);
    if (!zeb::core::runUpdate(Statements::insertFile(m_uid, stored))) {
        zeb::core::removeMadeFolders(dir, firstMade);
        return false;
    }
    if (insertObject()) {
        return true;
    }
    // The initial revision could not be archived: take the path back, so
    // that the file is not left "versioned" without any revision. Should
    // that fail too, the check tool finds the row and deletes it.
    zeb::core::runDelete(Statements::deleteFile(m_uid));
    zeb::core::removeMadeFolders(dir, firstMade);
    return false;
}

bool VersionedFile::destroy() {
    WriterLock lock;
    if (!lock.held()) {
        return false;
    }
    // Not saved, or the look-up failed: nothing is deleted either way.
    // Deleting the object's rows alone would answer true and leave the path
    // and the copies behind.
    if (!isVersionSaved()) {
        return false;
    }
    // The revision and object rows go first, then the archived copies, then
    // the file's row: a failure or a crash half-way never leaves a revision
    // row without its copy, and what it can leave (the file's row with some
    // of its copies) the check tool makes revisions again, or deletes the
    // row when no copy is left. Copies whose file row had gone first would be
    // kept and reported for good.
    //
    // Only this file's own copies are removed: two paths that differ only in
    // ":" against "@" ("a:b.txt", "a@b.txt") share one object directory, and
    // the other file's copies must survive. The directory goes when empty.
    std::vector<std::string> own;
    bool listed = false;
    ResultSet* rs = zeb::core::runQuery(Statements::selectRevisionsOfObject(m_uid), &listed);
    if (!listed) {
        return false;
    }
    char uid[kFieldSize];
    while (rs->next()) {
        if (zeb::core::readText(rs, "UID", uid)) {
            own.emplace_back(uid);
        }
    }
    if (!VersionedObject::destroy()) {
        return false;
    }
    const std::string dir = zeb::core::objectDirectory(m_filePath);
    if (!dir.empty()) {
        for (const std::string& name : own) {
            if (name.find('/') == std::string::npos && name != "." && name != "..") {
                fs::removeFile(dir + DIRSEP + name);
            }
        }
    }
    if (!zeb::core::runDelete(Statements::deleteFile(m_uid))) {
        return false;
    }
    if (!dir.empty()) {
        fs::removeDirectory(dir);  // only when empty
    }
    return true;
}

RevisionObject* VersionedFile::createInitialRevision() {
    return new RevisionFile(m_name, m_notes, this);
}

bool VersionedFile::isFileVersioned(const char* path, UID& uid) {
    char stored[kFieldSize];
    copyText(stored, kFieldSize, path);
    processFilePath(stored, false);
    ResultSet* rs = zeb::core::runQuery(Statements::selectFileByPath(stored));
    char text[kFieldSize];
    if (!rs->next() || !zeb::core::readText(rs, "UID", text)) {
        return false;
    }
    uid = text;
    return true;
}

bool VersionedFile::createObjectDir(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return false;
    }
    std::string text = fs::fullPath(path);
    // Folders of the archive are private; any other folder gets the usual
    // mode under the umask.
    const std::string root = ArchiveRoot::path();
    if (!root.empty() && (text == root || text.compare(0, root.size() + 1, root + "/") == 0)) {
        return zeb::core::makeArchiveFolders(text == root ? root + "/" : text);
    }
    return fs::createDirectories(text, 0777);
}

void VersionedFile::processFilePath(char* path, bool toNative) {
    // FILETABLE.FilePath holds a POSIX full path as it stands: "\" is an
    // ordinary character in a file name there and must not be touched. Only
    // a path in the drive-letter form ("C:\Docs\a.txt") is converted.
    if (path == nullptr || path[0] == '/') {
        return;
    }
    const char from = toNative ? '/' : '\\';
    const char to = toNative ? '\\' : '/';
    for (char* c = path; *c != '\0'; ++c) {
        if (*c == from) {
            *c = to;
        }
    }
}

bool VersionedFile::purgeZEB() {
    WriterLock lock;
    return lock.held() && zeb::core::runDelete(Statements::deleteAllFiles()) &&
           VersionedObject::purgeZEB();
}

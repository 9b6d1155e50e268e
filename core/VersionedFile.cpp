#include "core/VersionedFile.h"

#include <cerrno>
#include <string>
#include <vector>

#include "core/ItemSupport.h"
#include "core/ResultSet.h"
#include "core/RevisionFile.h"
#include "core/Statements.h"
#include "core/UID.h"
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
    if (isVersionSaved()) {
        return VersionedObject::save();  // name and notes only
    }
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
    UID existing;
    if (isFileVersioned(m_filePath, existing)) {
        return false;
    }
    const std::string dir = zeb::core::objectDirectory(m_filePath);
    if (dir.empty() || !createObjectDir(dir.c_str())) {
        return false;
    }
    char stored[kFieldSize];
    copyText(stored, kFieldSize, m_filePath);
    processFilePath(stored, false);
    if (!zeb::core::runUpdate(Statements::insertFile(m_uid, stored))) {
        return false;
    }
    if (insertObject()) {
        return true;
    }
    // The initial revision could not be archived: take the path back, so
    // that the file is not left "versioned" without any revision.
    zeb::core::runDelete(Statements::deleteFile(m_uid));
    fs::removeDirectory(dir);  // only when empty
    return false;
}

bool VersionedFile::destroy() {
    if (!isVersionSaved()) {
        return VersionedObject::destroy();
    }
    // The archived copies go first. A missing object directory, or one that
    // cannot be removed, does not keep the rows: a FILETABLE row left behind
    // would keep the path "versioned" with nothing behind it.
    //
    // Only this file's own copies are removed: two paths that differ only in
    // ":" against "@" ("a:b.txt", "a@b.txt") share one object directory, and
    // the other file's copies must survive. The directory goes when empty.
    const std::string dir = zeb::core::objectDirectory(m_filePath);
    if (!dir.empty() && fs::isDirectory(dir)) {
        std::vector<std::string> own;
        ResultSet* rs = zeb::core::runQuery(Statements::selectRevisionsOfObject(m_uid));
        char uid[kFieldSize];
        while (rs->next()) {
            if (zeb::core::readText(rs, "UID", uid)) {
                own.emplace_back(uid);
            }
        }
        for (const std::string& name : own) {
            if (name.find('/') == std::string::npos && name != "." && name != "..") {
                fs::removeFile(dir + DIRSEP + name);
            }
        }
        fs::removeDirectory(dir);  // only when empty
    }
    if (!zeb::core::runDelete(Statements::deleteFile(m_uid))) {
        return false;
    }
    return VersionedObject::destroy();
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
    const std::string text(path);
    const bool absolute = text[0] == '/';
    std::string current;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string piece = text.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) {
            continue;
        }
        if (absolute || !current.empty()) {
            current += DIRSEP;
        }
        current += piece;
        fs::FileStatus status;
        if (!fs::getStatus(current, status)) {
            return false;
        }
        if (status.exists) {
            if (!status.isDirectory) {
                return false;
            }
            continue;
        }
        int error = 0;
        if (!fs::createDirectory(current, &error) &&
            !(error == EEXIST && fs::isDirectory(current))) {
            return false;
        }
    }
    return true;
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
    return zeb::core::runDelete(Statements::deleteAllFiles()) && VersionedObject::purgeZEB();
}

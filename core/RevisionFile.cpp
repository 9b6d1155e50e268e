#include "core/RevisionFile.h"

#include <cerrno>
#include <string>
#include <vector>

#include "core/ItemSupport.h"
#include "core/ResultSet.h"
#include "core/Statements.h"
#include "core/VersionedFile.h"
#include "core/WriterLock.h"
#include "platform/FileSystem.h"

namespace fs = zeb::platform;
using zeb::core::kFieldSize;

namespace {

// Mode of a restored file that did not exist before.
constexpr unsigned kNewFileMode = 0644;
constexpr unsigned kArchivedCopyMode = 0444;
constexpr unsigned kOwnerRead = 0400;
constexpr unsigned kOwnerWrite = 0200;

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

RevisionFile::RevisionFile(const char* name, const char* notes, const VersionedFile* file)
    : RevisionObject(name, notes, file) {}

RevisionFile::RevisionFile(const UID& uid, const VersionedFile* file) : RevisionObject(uid, file) {}

RevisionFile::~RevisionFile() = default;

const VersionedFile* RevisionFile::owner() const {
    // Both constructors take a VersionedFile as owner.
    return static_cast<const VersionedFile*>(m_object);
}

std::string RevisionFile::archivedCopyPath() const {
    if (owner() == nullptr) {
        return std::string();
    }
    char path[kFieldSize];
    owner()->getFileFullPath(path, kFieldSize);
    const std::string dir = zeb::core::objectDirectory(path);
    if (dir.empty() || m_uid[0] == '\0') {
        return std::string();
    }
    return dir + VersionedFile::DIRSEP + m_uid;
}

bool RevisionFile::save() {
    if (owner() == nullptr) {
        return false;
    }
    // The copy, the numbering and the insert form one write sequence.
    WriterLock lock;
    if (!lock.held()) {
        return false;
    }
    if (isVersionSaved()) {
        return RevisionObject::save();  // name and notes only
    }
    zeb::core::copyError() = 0;
    // Another program may have deleted the file since this one read it: a
    // revision of it now would belong to nothing.
    char masterUid[kFieldSize];
    getMasterUID(masterUid, kFieldSize);
    if (!zeb::core::hasRow(Statements::selectFileByUid(masterUid))) {
        return false;
    }
    // A revision row without its archived copy would be a version that can
    // never be got back: no copy, no row.
    char path[kFieldSize];
    owner()->getFileFullPath(path, kFieldSize);
    fs::FileStatus status;
    if (path[0] == '\0' || !fs::getStatus(path, status) || !status.isRegular) {
        return false;
    }
    const std::string copy = archivedCopyPath();
    if (copy.empty()) {
        return false;
    }
    // The object directory may have vanished since the file was first added.
    if (!zeb::core::makeArchiveFolders(fs::parentPath(copy))) {
        return false;
    }
    // Written under a temporary name, flushed, then renamed: a crash or a
    // full disk never leaves a partial copy under the revision's name. The
    // copy is read-only, and no more readable than the document was.
    fs::CopyOptions options;
    options.replace = false;
    options.durable = true;
    options.mode = static_cast<int>((kArchivedCopyMode & status.mode) | kOwnerRead);
    if (!fs::copyFile(path, copy, options, &zeb::core::copyError())) {
        return false;
    }
    if (insertRevision()) {
        return true;
    }
    // Take the copy back only when the row is known to be missing: an insert
    // whose answer was lost with the connection may have been made.
    bool looked = false;
    if (!zeb::core::runQuery(Statements::selectRevision(m_uid), &looked)->next() && looked) {
        fs::removeFile(copy);
    }
    return false;
}

bool RevisionFile::destroy() {
    if (owner() == nullptr) {
        return false;
    }
    WriterLock lock;
    if (!lock.held() || !isVersionSaved()) {
        return false;
    }
    // The row goes first, then the archived copy: a failure in between
    // leaves a copy without a row, which the check tool reports and makes a
    // revision again, never a row whose version cannot be got back. Whether
    // the working file still exists does not matter.
    const std::string copy = archivedCopyPath();
    if (!deleteRow()) {
        return false;
    }
    if (!copy.empty()) {
        fs::removeFile(copy);
    }
    return destroyObjectIfLast();
}

bool RevisionFile::restore() {
    // Nothing to restore is a failure, not a success.
    if (owner() == nullptr) {
        return false;
    }
    WriterLock lock;
    if (!lock.held() || !isVersionSaved()) {
        return false;
    }
    char working[kFieldSize];
    owner()->getFileFullPath(working, kFieldSize);
    const std::string source = archivedCopyPath();
    if (working[0] == '\0' || source.empty()) {
        return false;
    }
    // A working file that is a symbolic link stays one: the content goes to
    // the file it leads to.
    const std::string target = fs::followLinks(working);
    if (target.empty()) {
        return false;
    }
    const std::string folder = fs::parentPath(target);
    fs::FileStatus folderStatus;
    if (fs::getStatus(folder, folderStatus) && !folderStatus.exists) {
        fs::createDirectories(folder, 0777);
    }
    // The restored file is the user's working file again: the mode it had,
    // made writable for its owner, but with the archived copy's modification
    // time so that it still matches that revision.
    fs::FileStatus targetStatus;
    unsigned mode = kNewFileMode & ~fs::currentUmask();
    if (fs::getStatus(target, targetStatus) && targetStatus.exists && targetStatus.isRegular) {
        mode = targetStatus.mode | kOwnerWrite;
    }
    fs::CopyOptions options;
    options.replace = true;
    options.durable = true;
    options.mode = static_cast<int>(mode);
    return fs::copyFile(source, target, options);
}

int RevisionFile::lastCopyError() {
    return zeb::core::copyError();
}

bool RevisionFile::diffFile(const char* path, VersionedFile* file) {
    if (path == nullptr || file == nullptr) {
        return true;
    }
    char filePath[kFieldSize];
    file->getFileFullPath(filePath, kFieldSize);
    const std::string dir = zeb::core::objectDirectory(filePath);
    std::vector<fs::DirEntry> entries;
    if (dir.empty() || !fs::listDirectory(dir, entries)) {
        return true;
    }
    fs::FileStatus working;
    if (!fs::getStatus(path, working) || !working.exists || !working.isRegular) {
        return true;
    }
    for (const fs::DirEntry& entry : entries) {
        // Leftovers of an interrupted copy are not revisions.
        if (entry.isDirectory || startsWith(entry.name, fs::kTempFilePrefix)) {
            continue;
        }
        fs::FileStatus copy;
        if (!fs::getStatus(dir + VersionedFile::DIRSEP + entry.name, copy) || !copy.isRegular ||
            copy.size != working.size) {
            continue;
        }
        const bool sameBirth =
            copy.hasBirthTime && working.hasBirthTime && copy.born == working.born;
        if (copy.modified == working.modified || copy.accessed == working.accessed || sameBirth) {
            return false;
        }
    }
    return true;
}

#pragma once

#include <string>

#include "core/RevisionObject.h"
#include "core/ZebcoreExport.h"

class UID;
class VersionedFile;

// A revision of a versioned file: besides its REVTABLE row it has an
// archived copy of the working file in the file's object directory, named
// by the revision's identifier, with the working file's bytes and
// modification time, read-only: mode 0444 masked by the working file's own
// (a 0600 document gives 0400).
class ZEBCORE_API RevisionFile : public RevisionObject {
public:
    // A new revision of `file` (not owned); nothing is read or written.
    RevisionFile(const char* name, const char* notes, const VersionedFile* file);
    // The revision of that identifier, belonging to `file` (not owned).
    RevisionFile(const UID& uid, const VersionedFile* file);
    RevisionFile(const RevisionFile& other) = default;
    RevisionFile& operator=(const RevisionFile& other) = default;

    // RevisionObject, in this order.
    // First save, under the writer lock: archives the working file (written
    // under a temporary name, flushed, then given the revision's name), then
    // numbers the revision and inserts its row; when either fails nothing is
    // left. Later saves update name and notes.
    bool save() override;
    // Deletes the row, then the archived copy (and with the last revision the
    // whole versioned file); false as RevisionObject::destroy(). The working
    // file plays no part.
    bool destroy() override;
    ~RevisionFile() override;

    // Replaces the working file, atomically, with the archived copy. The
    // result keeps the working file's mode, made writable for its owner
    // (0644 under the umask for a new file), and the copy's modification
    // time. A working file that is a symbolic link stays one: the file it
    // leads to gets the content.
    bool restore();
    // False when the file at `path` has the size and one of the times
    // (modification, access, birth) of an archived copy of `file`: it is
    // unchanged since it was archived or restored. True otherwise. The
    // revision itself is not consulted.
    bool diffFile(const char* path, VersionedFile* file);

    // Why the latest first save of a file or a revision could not write its
    // archived copy, as an errno value (ENOSPC on a full disk); 0 when it
    // wrote one, or failed before it came to the copy.
    static int lastCopyError();

private:
    const VersionedFile* owner() const;
    // The archived copy's path; empty without an owner or object directory.
    std::string archivedCopyPath() const;
};

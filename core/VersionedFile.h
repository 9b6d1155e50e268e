#pragma once

#include "core/VersionedObject.h"
#include "core/ZebcoreExport.h"

class RevisionObject;
class UID;

// A versioned object that is a file: it also has a FILETABLE row holding the
// file's full path, and an object directory in the archive holding one
// read-only copy per revision, named by the revision's identifier:
//
//   <archive root>/<full path, ":" turned into "@">/<revision UID>
//
// /home/ann/Docs/a.odt with the archive root /opt/ZEBDOC/VFS has the object
// directory /opt/ZEBDOC/VFS/home/ann/Docs/a.odt.
class ZEBCORE_API VersionedFile : public VersionedObject {
public:
    // Separator of archive paths.
    static constexpr const char* DIRSEP = "/";

    // A new, unsaved file: name, notes and the path of the working file
    // (made absolute against the current directory). Nothing is read or
    // written.
    VersionedFile(const char* name, const char* notes, const char* path);
    // The versioned file of that identifier; the path stays empty when it has
    // no FILETABLE row.
    explicit VersionedFile(const UID& uid);
    VersionedFile(const VersionedFile& other) = default;
    VersionedFile& operator=(const VersionedFile& other) = default;

    // VersionedObject, in this order.
    bool read(const UID& uid) override;
    // First save: refuses (false, nothing written) a path longer than 255
    // characters, a path that is already versioned, or one that does not
    // name a regular file; otherwise makes the object directory, the
    // FILETABLE row, the archived copy of the initial revision, its row and
    // the object's row, all under the writer lock. A failure takes back what
    // was made. Later saves update name and notes.
    bool save() override;
    // Deletes the revision rows, the object's row and the FILETABLE row, then
    // removes the archived copies and the object directory. The folders above
    // the object directory stay.
    bool destroy() override;
    ~VersionedFile() override;
    // A new, unsaved RevisionFile of this file with its name and notes.
    RevisionObject* createInitialRevision() override;

    // The full path of the working file.
    void getFileFullPath(char* out, int size) const;
    // The object directory in the archive; empty without a path.
    void getObjectDir(char* out, int size) const;

    // Looks the full path `path` up; true and its identifier in `uid` when it
    // is versioned, else false with `uid` unchanged.
    static bool isFileVersioned(const char* path, UID& uid);
    // Creates every missing directory of the absolute path `path`, without
    // changing the current directory: below the archive root with mode 0700,
    // elsewhere with the usual mode under the umask. False where a piece
    // exists but is not a directory, or cannot be created.
    static bool createObjectDir(const char* path);
    // Converts between the working form of a path and the form stored in
    // FILETABLE.FilePath: with `toNative` every "/" becomes "\", otherwise
    // every "\" becomes "/". An absolute POSIX path (starting with "/") is
    // stored as it stands, so it is left unchanged either way: "\" is an
    // ordinary character in its names.
    static void processFilePath(char* path, bool toNative);
    // Empties FILETABLE, then REVTABLE and MASTERZEB. Archived copies stay.
    static bool purgeZEB();

protected:
    char m_filePath[1024];

private:
    // Loads the path from the FILETABLE row.
    bool read();
};

#pragma once

#include <map>
#include <string>
#include <vector>

// The archive as the browse tree sees it, without any window: a folder of
// the archive, its entries, what each entry is, and which versioned file an
// archive name stands for.
//
// Folders are named by their relative archive path: the names below the
// archive root joined by "/" ("home/ann/Docs"), empty for the root; the
// relative archive path of a working path is ArchiveRoot::archiveForm. The
// archive names of a versioned file's path are its pieces with every ":"
// turned into "@", so an archive name cannot simply be turned back: "@" may
// also be a real character of the name, and "a:b" and "a@b" share the
// object directory "a@b". The versioned files below a folder are therefore
// found by mapping the paths FILETABLE holds to their archive form, all
// entries of a folder with one query, and each keeps its own name.

// What a directory of the archive holds, told by its first entry in listing
// order.
enum ArchiveKind : int {
    kEmptyDirectory = 0,          // no entries, or not readable (or not a directory)
    kVersionedFileDirectory = 1,  // the first entry is a file: a versioned file
    kFolderDirectory = 2,         // the first entry is a directory: a folder
};

// A versioned file: its working path as FILETABLE holds it, and its
// identifier.
struct VersionedPath {
    std::string path;
    std::string uid;
};

// One entry of an archive folder. A directory that is the object directory
// of several versioned files gives one entry for each of them.
struct ArchiveEntry {
    std::string name;  // the directory entry's name
    bool isDirectory = false;
    // For a directory, what it holds; kEmptyDirectory for a plain file. A
    // versioned file's entry is kVersionedFileDirectory.
    int kind = kEmptyDirectory;
    // Where the item lives in the user's file system: FILETABLE's path for a
    // versioned file, else the folder's working path + "/" + name.
    std::string workingPath;
    // The versioned file's identifier when the entry is one; else empty.
    std::string uid;
    // What the tree and the folder listing show: the name; for a versioned
    // file the last piece of its path in FILETABLE ("10:30.txt", not the
    // archive name "10@30.txt"); for a revision its version number.
    std::string label;

    bool isVersionedFile() const { return !uid.empty(); }
    bool isRevision() const { return !isDirectory; }
};

class ArchiveFolder {
public:
    // The folder `relative` below the archive root `root`.
    ArchiveFolder(std::string root, std::string relative);

    const std::string& root() const { return m_root; }
    const std::string& relative() const { return m_relative; }
    // The folder's directory: the root, then "/" and the relative path.
    std::string archivePath() const;
    // "/" followed by the relative path; empty for the root. The working
    // path where no versioned file says better.
    std::string plainWorkingPath() const;

    // The folder's entries in listing order (directories by label, then
    // plain files by version), the versioned files among them found with one
    // query. A directory that versioned files map to gives an entry for each
    // of them, and one of its own only when it also holds folders. Plain
    // files are listed only where no versioned file claims the directory:
    // the revisions of a versioned file are its REVTABLE rows (revisionsOf),
    // not whatever lies in its directory. For the tree (`forTree`) each
    // directory is also classified and such unclaimed copies are labelled
    // with the version their revision gives; otherwise kinds stay
    // kEmptyDirectory and labels the names. False (and no entries) when the
    // directory cannot be listed.
    bool read(std::vector<ArchiveEntry>& entries, bool forTree = true) const;

    // Listing order: names compared letter by letter without regard to the
    // case of ASCII letters, then byte by byte.
    static bool listsBefore(const std::string& a, const std::string& b);

    // What the directory `directory` holds (ArchiveKind).
    static int classify(const std::string& directory);

    // The versioned files whose archive form is `relative` (several when
    // paths differing in ":" and "@" share it), in listing order of their
    // paths. None when `relative` is empty.
    static std::vector<VersionedPath> filesAt(const std::string& relative);

    // The versioned files directly below the folder `relative`, by archive
    // name, each name's files in listing order of their own names.
    static std::map<std::string, std::vector<VersionedPath>> versionedChildren(
        const std::string& relative);

    // The revisions of a versioned file, its REVTABLE rows, in version
    // order: named by the revision's identifier text, labelled with its
    // version, working path the file's path + "/" + identifier.
    static std::vector<ArchiveEntry> revisionsOf(const VersionedPath& file);

    // A LIKE pattern (escape character "!") that matches every "/"-form path
    // whose archive form could be `text`: "%", "_" and "!" escaped, each "@"
    // any one character.
    static std::string likeText(const std::string& text);

private:
    std::string m_root;
    std::string m_relative;
};

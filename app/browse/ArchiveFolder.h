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
// also be a real character of the name. The versioned files below a folder
// are therefore found by mapping the paths FILETABLE holds to their archive
// form, all entries of a folder with one query.

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

// One entry of an archive folder.
struct ArchiveEntry {
    std::string name;  // the directory entry's name
    bool isDirectory = false;
    // For a directory, what it holds; kEmptyDirectory for a plain file.
    int kind = kEmptyDirectory;
    // Where the item lives in the user's file system: FILETABLE's path for a
    // versioned file, else the folder's working path + "/" + name.
    std::string workingPath;
    // The versioned file's identifier when the entry is one; else empty.
    std::string uid;
    // What the tree shows: the name, or for a revision (a plain file in a
    // versioned file's directory) its version number.
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

    // The folder's entries in listing order, the versioned files among them
    // found with one query. For the tree (`forTree`) each directory is also
    // classified and, in a versioned file's directory, the revisions are
    // labelled with their versions; otherwise kinds stay kEmptyDirectory and
    // labels the names. False (and no entries) when the directory cannot be
    // listed.
    bool read(std::vector<ArchiveEntry>& entries, bool forTree = true) const;

    // Listing order: names compared letter by letter without regard to the
    // case of ASCII letters, then byte by byte.
    static bool listsBefore(const std::string& a, const std::string& b);

    // What the directory `directory` holds (ArchiveKind).
    static int classify(const std::string& directory);

    // The versioned file whose archive form is `relative`. When FILETABLE
    // holds several (a path with ":" and one with "@" at that place), the one
    // whose path is the plain working path wins, else the first. False when
    // there is none or `relative` is empty.
    static bool findVersionedFile(const std::string& relative, VersionedPath& found);

    // The versioned files directly below the folder `relative`, by archive
    // name (first one kept, plain working path preferred).
    static std::map<std::string, VersionedPath> versionedChildren(const std::string& relative);

    // The versions of the revisions of the versioned file `fileUid`, by the
    // revision's identifier text.
    static std::map<std::string, std::string> revisionVersions(const std::string& fileUid);

    // A LIKE pattern (escape character "!") that matches every "/"-form path
    // whose archive form could be `text`: "%", "_" and "!" escaped, each "@"
    // any one character.
    static std::string likeText(const std::string& text);

private:
    std::string m_root;
    std::string m_relative;
};

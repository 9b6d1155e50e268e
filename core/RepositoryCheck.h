#pragma once

#include <string>
#include <vector>

#include "core/ZebcoreExport.h"

// Compares the repository tables with the archive below ArchiveRoot::path()
// and reports what does not match. Nothing is changed unless a repair is
// asked for; a repair removes only leftovers and orphans that hold no user
// data, and never deletes an archived copy: a complete copy without its row
// (an add interrupted between the copy and its row) becomes a revision of
// its file again.
//
// A repair holds the repository's writer lock for its whole run, so no add
// or delete is half-way while it looks. A check without repair takes no
// lock: it reads the tables before it walks the archive, and the system
// writes an archived copy before its row and deletes it after its row, so a
// version added or deleted meanwhile can at worst show as a copy without a
// row. Symbolic links in the archive are reported, never followed.
class ZEBCORE_API RepositoryCheck {
public:
    enum class Kind {
        // Problems.
        RevisionWithoutCopy,     // REVTABLE row whose archived copy is missing
        RevisionWithoutObject,   // REVTABLE row whose MASTERUID names no MASTERZEB
                                 // and no FILETABLE row
        CopyWithoutRevision,     // archived copy without a REVTABLE row
        FileWithoutObject,       // FILETABLE row without a MASTERZEB row
        ObjectWithoutFile,       // MASTERZEB row without a FILETABLE row
        ObjectWithoutRevisions,  // MASTERZEB row without any REVTABLE row
        FolderWithoutFile,       // folder holding archived copies that is no
                                 // FILETABLE row's object directory
        UnknownFile,             // file in the archive that the system did not make
        TemporaryFile,           // leftover of an interrupted copy
        UnreadableFolder,        // folder of the archive that cannot be listed
        PathRecordedTwice,       // one working path in several FILETABLE rows
        // Notes: harmless, not counted as problems.
        EmptyFolder,  // empty folder below the archive root (left by deletes)
    };
    enum class Outcome {
        Open,      // found; no repair was asked for
        Repaired,  // the repair removed or mended it
        Kept,      // left as it is (see detail)
        Failed,    // the repair was tried and failed (see detail)
    };
    struct Finding {
        Kind kind = Kind::UnknownFile;
        std::string uid;     // the row's identifier; empty when none
        std::string path;    // archived copy, object directory or file; empty when none
        std::string detail;  // what it is, when the kind alone does not say
        // What a repair does ("REVTABLE row deleted") when `repairable`, or
        // why it keeps the finding; after a failed repair, why it failed.
        std::string remedy;
        bool repairable = false;
        Outcome outcome = Outcome::Open;
    };

    RepositoryCheck() = default;

    // Checks the repository; with `repair`, repairs what it may and checks
    // again until nothing more can be repaired. False, with error(), when the
    // data source or the archive folder cannot be read (nothing is repaired
    // then). The archive folder may be missing only while the tables hold no
    // revision: otherwise a wrong "DestinationPath" would make every revision
    // look lost.
    bool run(bool repair);

    const std::vector<Finding>& findings() const { return m_findings; }
    const std::string& error() const { return m_error; }
    // Findings that are problems, and those of them not repaired.
    int problemCount() const;
    int remainingCount() const;
    int noteCount() const;
    // What the last pass read: FILETABLE and REVTABLE rows.
    int fileCount() const { return m_fileCount; }
    int revisionCount() const { return m_revisionCount; }

    // Names used in the output of zebcheck: "revision-without-copy", ...
    static const char* kindName(Kind kind);
    static bool isProblem(Kind kind);

private:
    std::vector<Finding> m_findings;
    std::string m_error;
    int m_fileCount = 0;
    int m_revisionCount = 0;
};

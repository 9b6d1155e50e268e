#pragma once

#include <string>

#include "core/ZebcoreExport.h"

// The repository's writer lock. Two programs write one repository at the
// same time (the main program and the file manager's host), so every write
// sequence holds this lock for its whole length:
//
//   - a first add: the look-up of the path, the FILETABLE row, the archived
//     copy, the revision's and the object's rows;
//   - a later version: the copy, the numbering (highest REVVER + 1) and the
//     insert, so that no two versions of a file get one number;
//   - every destroy chain (a revision, the last revision and with it the
//     file, a whole file), so that an add running meanwhile is not taken
//     with it;
//   - a restore;
//   - a repair of the repository, for its whole run, so that it never mistakes
//     the half-written state of a running add for a leftover.
//
// Readers (browse, search, a check without repair) take no lock.
//
// The lock is an flock on the file "zebdoc.lock" in the installation folder,
// beside the archive rather than in it, so the browse tree and the check
// never see it. The kernel drops it when a process dies. Within one process
// the lock nests: an inner scope (the initial revision's save inside the
// file's) shares the outer one's. Waiting is bounded; a scope that could not
// get the lock reports held() false and its operation fails cleanly.
class ZEBCORE_API WriterLock {
public:
    WriterLock();
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

    bool held() const { return m_held; }

    // The lock file; empty without an installation folder.
    static std::string lockPath();
    // Why the latest scope did not get the lock.
    static std::string lastError();

    // How long a scope waits, in milliseconds (10,000 by default; a negative
    // value restores it). For tests.
    static void setTimeoutForTesting(int milliseconds);

private:
    bool m_held = false;
};

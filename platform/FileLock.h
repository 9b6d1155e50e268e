#pragma once

#include <string>

#include "platform/PlatformExport.h"
#include "platform/UniqueFd.h"

namespace zeb::platform {

// An exclusive advisory lock (flock) on a file, held while the object holds
// it. The kernel drops it when the process ends, however it ends, so a crash
// never leaves a stale lock. Locks are per open file: two FileLock objects on
// one file exclude each other also within one process.
class ZEBPLATFORM_API FileLock {
public:
    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens `path` (made with mode 0600 when missing) and waits at most
    // `timeoutMs` milliseconds for the lock. False, with the errno value in
    // `*error` (EWOULDBLOCK after the wait), when it cannot be had.
    bool acquire(const std::string& path, int timeoutMs, int* error = nullptr);
    void release();
    bool held() const { return m_fd.valid(); }
    // Closes this process's descriptor without unlocking: for a child after
    // fork, whose copy of the descriptor shares the parent's lock.
    void abandon() { m_fd.reset(); }

private:
    UniqueFd m_fd;
};

}  // namespace zeb::platform

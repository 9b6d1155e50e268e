#include "core/WriterLock.h"

#include <pthread.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "core/ArchiveRoot.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kDefaultTimeoutMs = 10000;
constexpr char kLockName[] = "zebdoc.lock";

// Process-wide: the nesting depth of the scopes, the file lock they share,
// and a mutex that keeps other threads of the process out meanwhile. After a
// fork the child starts afresh (see resetInChild).
struct LockState {
    std::recursive_timed_mutex* threads = new std::recursive_timed_mutex;
    int depth = 0;
    zeb::platform::FileLock file;
    int timeoutMs = kDefaultTimeoutMs;
    std::string lastError;
};

LockState& lockState() {
    static LockState* s = new LockState;  // outlives every static destructor
    return *s;
}

// A child shares the parent's open file, and with it the lock: it must not
// unlock it, nor believe it holds it.
void resetInChild() {
    LockState& s = lockState();
    s.threads = new std::recursive_timed_mutex;  // the old one may be held by a thread now gone
    s.depth = 0;
    s.file.abandon();
}

void registerForkHandler() {
    static const bool registered = [] {
        pthread_atfork(nullptr, nullptr, resetInChild);
        return true;
    }();
    (void)registered;
}

// The installation folder may not exist yet on a first add.
bool ensureFolder(const std::string& folder) {
    std::string sofar;
    size_t start = 1;
    while (start <= folder.size()) {
        const size_t end = folder.find('/', start);
        sofar = folder.substr(0, end == std::string::npos ? folder.size() : end);
        if (!zeb::platform::isDirectory(sofar) && mkdir(sofar.c_str(), 0700) != 0 &&
            errno != EEXIST) {
            return false;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return true;
}

}  // namespace

std::string WriterLock::lockPath() {
    const std::string folder = ArchiveRoot::installationFolder();
    if (folder.empty()) {
        return std::string();
    }
    return (folder == "/" ? std::string() : folder) + "/" + kLockName;
}

std::string WriterLock::lastError() {
    return lockState().lastError;
}

void WriterLock::setTimeoutForTesting(int milliseconds) {
    lockState().timeoutMs = milliseconds < 0 ? kDefaultTimeoutMs : milliseconds;
}

WriterLock::WriterLock() {
    registerForkHandler();
    LockState& s = lockState();
    const auto start = std::chrono::steady_clock::now();
    if (!s.threads->try_lock_for(std::chrono::milliseconds(s.timeoutMs))) {
        s.lastError = "another thread of this program is writing the repository";
        return;
    }
    if (s.depth == 0) {
        const std::string path = lockPath();
        if (path.empty()) {
            s.lastError = ArchiveRoot::problem();
            s.threads->unlock();
            return;
        }
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
        const int left = s.timeoutMs - static_cast<int>(waited);
        int error = 0;
        bool ok = s.file.acquire(path, left, &error);
        if (!ok && error == ENOENT && ensureFolder(zeb::platform::parentPath(path))) {
            ok = s.file.acquire(path, left, &error);
        }
        if (!ok) {
            s.lastError = error == EWOULDBLOCK
                              ? "another program has been writing the repository for too long"
                              : "cannot lock " + path + ": " + std::strerror(error);
            s.threads->unlock();
            return;
        }
    }
    ++s.depth;
    m_held = true;
}

WriterLock::~WriterLock() {
    if (!m_held) {
        return;
    }
    LockState& s = lockState();
    if (--s.depth == 0) {
        s.file.release();
    }
    s.threads->unlock();
}

#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>

#include <algorithm>
#include <cerrno>

namespace zeb::platform {

namespace {

long long nowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void sleepMs(int ms) {
    struct timespec ts = {ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace

bool FileLock::acquire(const std::string& path, int timeoutMs, int* error) {
    release();
    UniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600));
    if (!fd.valid()) {
        if (error != nullptr) {
            *error = errno;
        }
        return false;
    }
    // Polled rather than blocking, so that the wait is bounded without
    // signals; the pause grows from 1 ms to 20 ms.
    const long long deadline = nowMs() + std::max(timeoutMs, 0);
    int pause = 1;
    for (;;) {
        if (flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
            m_fd = std::move(fd);
            if (error != nullptr) {
                *error = 0;
            }
            return true;
        }
        const int code = errno;
        if ((code != EWOULDBLOCK && code != EINTR) || nowMs() >= deadline) {
            if (error != nullptr) {
                *error = code;
            }
            return false;
        }
        sleepMs(pause);
        pause = std::min(pause * 2, 20);
    }
}

void FileLock::release() {
    if (m_fd.valid()) {
        flock(m_fd.get(), LOCK_UN);
        m_fd.reset();
    }
}

}  // namespace zeb::platform

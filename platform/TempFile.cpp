#include "platform/TempFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/FileSystem.h"

namespace zeb::platform {

const char* const kTempFilePrefix = ".zebtmp-";

namespace {

constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr size_t kAlphabetSize = sizeof(kAlphabet) - 1;
constexpr int kNameAttempts = 100;

uint64_t randomBits() {
    uint64_t bits = 0;
    if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof bits)) {
        return bits;
    }
    // No entropy yet (very early boot): time, process and a counter still
    // give distinct names, and O_EXCL catches the rest.
    static std::atomic<uint64_t> counter{0};
    uint64_t mix =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<uint64_t>(getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ULL);
    mix ^= mix >> 33;
    mix *= 0xFF51AFD7ED558CCDULL;
    mix ^= mix >> 33;
    return mix;
}

}  // namespace

UniqueFd createTempFile(int dirFd, std::string& name) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        uint64_t bits = randomBits();
        std::string candidate = kTempFilePrefix;
        for (int i = 0; i < 6; ++i) {
            candidate += kAlphabet[bits % kAlphabetSize];
            bits /= kAlphabetSize;
        }
        int fd = openat(dirFd, candidate.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd >= 0) {
            name = candidate;
            return UniqueFd(fd);
        }
        if (errno != EEXIST) {
            return UniqueFd();
        }
    }
    errno = EEXIST;
    return UniqueFd();
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    size_t end = path.find_last_not_of('/', slash);
    if (end == std::string::npos) {
        return "/";
    }
    return path.substr(0, end + 1);
}

std::string lastPieceOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace zeb::platform

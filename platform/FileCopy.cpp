#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/FileSystem.h"
#include "platform/TempFile.h"
#include "platform/UniqueFd.h"

namespace zeb::platform {

namespace {

constexpr size_t kChunk = 16u << 20;  // per copy_file_range call
constexpr size_t kBufferSize = 1u << 20;

struct CopyFault {
    int error = 0;
    uint64_t afterBytes = 0;
    int count = 0;  // copies still to fail; -1: all
};

std::mutex& faultLock() {
    static std::mutex lock;
    return lock;
}

CopyFault& faultState() {
    static CopyFault fault;
    return fault;
}

// The fault for this copy, if one is armed (error != 0).
CopyFault takeFault() {
    std::lock_guard<std::mutex> guard(faultLock());
    CopyFault& fault = faultState();
    if (fault.count == 0 || fault.error == 0) {
        return CopyFault();
    }
    if (fault.count > 0) {
        --fault.count;
    }
    return fault;
}

bool copyFallbackError(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP;
}

// Copies from the current offsets of `from` to `to` until the end of `from`,
// or until `limit` bytes are copied. Uses copy_file_range (so file systems
// may share extents) and read/write where that is not available.
bool copyBytes(int from, int to, uint64_t limit) {
    uint64_t copied = 0;
    bool kernelCopy = true;
    while (kernelCopy && copied < limit) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, limit - copied));
        ssize_t n = copy_file_range(from, nullptr, to, nullptr, want, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (!copyFallbackError(errno)) {
                return false;
            }
            kernelCopy = false;
        } else if (n == 0) {
            // End of file, or a file whose size the kernel does not know
            // (some pseudo files): let read() decide.
            kernelCopy = false;
        } else {
            copied += static_cast<uint64_t>(n);
        }
    }
    std::unique_ptr<char[]> buffer;
    while (copied < limit) {
        if (!buffer) {
            buffer.reset(new char[kBufferSize]);
        }
        size_t want = static_cast<size_t>(std::min<uint64_t>(kBufferSize, limit - copied));
        ssize_t n = read(from, buffer.get(), want);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            break;
        }
        if (!writeAll(to, buffer.get(), static_cast<size_t>(n))) {
            return false;
        }
        copied += static_cast<uint64_t>(n);
    }
    return true;
}

// Gives the temporary file its final name.
bool placeFile(int dir, const std::string& temp, const std::string& target, bool replace) {
    if (replace) {
        return renameat(dir, temp.c_str(), dir, target.c_str()) == 0;
    }
    if (renameat2(dir, temp.c_str(), dir, target.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // The file system cannot rename without replacing: a hard link fails
    // on an existing name as well.
    if (linkat(dir, temp.c_str(), dir, target.c_str(), 0) != 0) {
        return false;
    }
    unlinkat(dir, temp.c_str(), 0);
    return true;
}

bool fail(int* error, int code) {
    if (error != nullptr) {
        *error = code;
    }
    return false;
}

}  // namespace

void setCopyFaultForTesting(int error, uint64_t afterBytes, int count) {
    std::lock_guard<std::mutex> guard(faultLock());
    faultState() = CopyFault{error, afterBytes, count};
}

void clearCopyFaultForTesting() {
    std::lock_guard<std::mutex> guard(faultLock());
    faultState() = CopyFault();
}

bool copyFile(const std::string& from, const std::string& to, const CopyOptions& options,
              int* error) {
    UniqueFd source(open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!source.valid()) {
        return fail(error, errno);
    }
    struct stat st;
    if (fstat(source.get(), &st) != 0) {
        return fail(error, errno);
    }
    if (!S_ISREG(st.st_mode)) {
        return fail(error, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    std::string target = lastPieceOf(to);
    if (target.empty() || target == "." || target == "..") {
        return fail(error, EISDIR);
    }
    // The folder stays the same for the temporary file and the rename even if
    // its path changes meanwhile; O_PATH needs no read permission on it.
    UniqueFd dir(open(folderOf(to).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) {
        return fail(error, errno);
    }
    std::string tempName;
    UniqueFd temp = createTempFile(dir.get(), tempName);
    if (!temp.valid()) {
        return fail(error, errno);
    }

    CopyFault fault = takeFault();
    const mode_t mode =
        options.mode >= 0 ? static_cast<mode_t>(options.mode) & 07777 : st.st_mode & 0777;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    bool ok = copyBytes(source.get(), temp.get(), fault.error != 0 ? fault.afterBytes : UINT64_MAX);
    if (ok && fault.error != 0) {
        errno = fault.error;
        ok = false;
    }
    ok = ok && fchmod(temp.get(), mode) == 0 && futimens(temp.get(), times) == 0 &&
         (!options.durable || fdatasync(temp.get()) == 0) && temp.close() == 0 &&
         placeFile(dir.get(), tempName, target, options.replace);
    if (!ok) {
        int code = errno;
        temp.reset();
        unlinkat(dir.get(), tempName.c_str(), 0);
        return fail(error, code);
    }
    // The copy is in place; with `durable` its name must survive a power cut.
    if (options.durable) {
        UniqueFd folder(openat(dir.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder.valid() || fsync(folder.get()) != 0) {
            return fail(error, errno);
        }
    }
    if (error != nullptr) {
        *error = 0;
    }
    return true;
}

}  // namespace zeb::platform

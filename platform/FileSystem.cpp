#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace zeb::platform {

namespace {

bool failed(int* error) {
    if (error != nullptr) {
        *error = errno;
    }
    return false;
}

bool succeeded(int* error) {
    if (error != nullptr) {
        *error = 0;
    }
    return true;
}

bool report(bool ok, int* error) {
    return ok ? succeeded(error) : failed(error);
}

FileTime timeOf(const struct statx_timestamp& t) {
    return FileTime{t.tv_sec, t.tv_nsec};
}
FileTime timeOf(const struct timespec& t) {
    return FileTime{t.tv_sec, t.tv_nsec};
}

void fillType(FileStatus& out, unsigned mode) {
    out.exists = true;
    out.isDirectory = S_ISDIR(mode);
    out.isRegular = S_ISREG(mode);
    out.mode = mode & 07777;
    out.readOnly = (mode & 0222) == 0;
}

// For kernels or sandboxes without statx.
bool statFallback(const std::string& path, FileStatus& out) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        return false;
    }
    fillType(out, st.st_mode);
    out.size = static_cast<uint64_t>(st.st_size);
    out.modified = timeOf(st.st_mtim);
    out.accessed = timeOf(st.st_atim);
    return true;
}

}  // namespace

bool getStatus(const std::string& path, FileStatus& out, int* error) {
    out = FileStatus();
    struct statx sx;
    bool ok = statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME,
                    &sx) == 0;
    if (ok) {
        fillType(out, sx.stx_mode);
        out.size = sx.stx_size;
        out.modified = timeOf(sx.stx_mtime);
        out.accessed = timeOf(sx.stx_atime);
        if ((sx.stx_mask & STATX_BTIME) != 0) {
            out.born = timeOf(sx.stx_btime);
            out.hasBirthTime = true;
        }
    } else if (errno == ENOSYS || errno == EPERM) {
        ok = statFallback(path, out);
    }
    if (!ok) {
        out = FileStatus();
        if (errno == ENOENT || errno == ENOTDIR) {
            return succeeded(error);  // missing: not an error, exists == false
        }
        return failed(error);
    }
    return succeeded(error);
}

bool getLinkStatus(const std::string& path, FileStatus& out, bool& isLink, int* error) {
    out = FileStatus();
    isLink = false;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return succeeded(error);
        }
        return failed(error);
    }
    isLink = S_ISLNK(st.st_mode);
    fillType(out, st.st_mode);
    out.size = static_cast<uint64_t>(st.st_size);
    out.modified = timeOf(st.st_mtim);
    out.accessed = timeOf(st.st_atim);
    return succeeded(error);
}

bool exists(const std::string& path) {
    FileStatus status;
    return getStatus(path, status) && status.exists;
}

bool isDirectory(const std::string& path) {
    FileStatus status;
    return getStatus(path, status) && status.isDirectory;
}

bool isRegularFile(const std::string& path) {
    FileStatus status;
    return getStatus(path, status) && status.isRegular;
}

bool listDirectory(const std::string& dir, std::vector<DirEntry>& out, int* error) {
    std::unique_ptr<DIR, int (*)(DIR*)> handle(opendir(dir.c_str()), &closedir);
    if (!handle) {
        return failed(error);
    }
    std::vector<DirEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(handle.get());
        if (entry == nullptr) {
            if (errno != 0) {
                return failed(error);
            }
            break;
        }
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) {
            continue;
        }
        DirEntry item;
        item.name = entry->d_name;
        unsigned char type = entry->d_type;
        struct stat st;
        if (type == DT_UNKNOWN &&
            fstatat(dirfd(handle.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        if (type == DT_DIR) {
            item.isDirectory = true;
        } else if (type == DT_LNK) {
            // Follow links, as getStatus does; a dangling one is no folder.
            item.isLink = true;
            item.isDirectory =
                fstatat(dirfd(handle.get()), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(item));
    }
    out.swap(entries);
    return succeeded(error);
}

bool setReadOnly(const std::string& path, int* error) {
    return report(chmod(path.c_str(), 0444) == 0, error);
}

bool setWritable(const std::string& path, int* error) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        return failed(error);
    }
    return report(chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0, error);
}

bool setModifiedTime(const std::string& path, const FileTime& time, int* error) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(time.sec);
    times[1].tv_nsec = static_cast<long>(time.nsec);
    return report(utimensat(AT_FDCWD, path.c_str(), times, 0) == 0, error);
}

bool removeFile(const std::string& path, int* error) {
    return report(unlink(path.c_str()) == 0, error);
}

bool createDirectory(const std::string& path, int* error, unsigned mode) {
    return report(mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0, error);
}

bool createDirectories(const std::string& path, unsigned mode, int* error) {
    if (path.empty() || path[0] != '/') {
        errno = EINVAL;
        return failed(error);
    }
    std::string current;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string piece = path.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) {
            continue;
        }
        current += "/" + piece;
        struct stat st;
        if (stat(current.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                errno = ENOTDIR;
                return failed(error);
            }
            continue;
        }
        if (errno != ENOENT) {
            return failed(error);
        }
        // Another process may make it at the same moment.
        if (mkdir(current.c_str(), static_cast<mode_t>(mode)) != 0 &&
            !(errno == EEXIST && stat(current.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
            return failed(error);
        }
    }
    return succeeded(error);
}

std::string followLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (lstat(current.c_str(), &st) != 0) {
            return errno == ENOENT ? current : std::string();
        }
        if (!S_ISLNK(st.st_mode)) {
            return current;
        }
        char target[4096];
        const ssize_t n = readlink(current.c_str(), target, sizeof target - 1);
        if (n < 0) {
            return std::string();
        }
        target[n] = '\0';
        if (target[0] == '/') {
            current = target;
        } else {
            const size_t slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) +
                      target;
        }
    }
    return std::string();
}

bool removeDirectory(const std::string& path, int* error) {
    return report(rmdir(path.c_str()) == 0, error);
}

unsigned currentUmask() {
    // The kernel shows it without changing it (Linux 4.7 and later).
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        std::unique_ptr<FILE, int (*)(FILE*)> closer(status, &std::fclose);
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            unsigned mask = 0;
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                return mask & 0777;
            }
        }
    }
    // Otherwise set and restore it; files made by other threads in between
    // would get the wrong mask, which the lock cannot prevent, only shorten.
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    mode_t mask = umask(022);
    umask(mask);
    return mask & 0777;
}

}  // namespace zeb::platform

#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/TempFile.h"
#include "platform/UniqueFd.h"

namespace zeb::platform {

bool readWholeFile(const std::string& path, std::string& out) {
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid()) {
        return false;
    }
    std::string text;
    char buffer[16384];
    for (;;) {
        ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    out.swap(text);
    return true;
}

bool writeFileAtomically(const std::string& path, const std::string& text, unsigned mode) {
    std::string target = lastPieceOf(path);
    if (target.empty() || target == "." || target == "..") {
        errno = EISDIR;
        return false;
    }
    UniqueFd dir(open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) {
        return false;
    }
    std::string tempName;
    UniqueFd file = createTempFile(dir.get(), tempName);
    if (!file.valid()) {
        return false;
    }
    bool ok = writeAll(file.get(), text.data(), text.size()) && fchmod(file.get(), mode) == 0 &&
              fsync(file.get()) == 0 && file.close() == 0 &&
              renameat(dir.get(), tempName.c_str(), dir.get(), target.c_str()) == 0;
    if (!ok) {
        int saved = errno;
        unlinkat(dir.get(), tempName.c_str(), 0);
        errno = saved;
        return false;
    }
    // The new name is in place; a failed flush of the folder only means it
    // might not survive a power cut, which is reported.
    return fsync(dir.get()) == 0;
}

bool makeFolders(const std::string& path, unsigned mode) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return true;
        }
        errno = ENOTDIR;
        return false;
    }
    if (errno != ENOENT) {
        return false;
    }
    std::string parent = folderOf(path);
    if (parent != path && parent != "." && parent != "/" && !makeFolders(parent, mode)) {
        return false;
    }
    if (mkdir(path.c_str(), mode) != 0 && errno != EEXIST) {
        return false;
    }
    return true;
}

}  // namespace zeb::platform

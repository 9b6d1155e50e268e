#include "app/commands/OpenedCopies.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/FileSystem.h"

namespace fs = zeb::platform;

namespace OpenedCopies {

namespace {

constexpr mode_t kPrivateMode = 0700;

struct State {
    std::string folder;  // this program's folder, once made
    std::vector<std::string> kept;
    std::chrono::milliseconds handOver{-1};
    bool exitHook = false;
};

State& state() {
    static State s;
    return s;
}

// The start time of `pid` (clock ticks after boot) from /proc; false when
// the process does not exist, with `known` false when /proc cannot tell.
bool startTimeOf(long pid, unsigned long long& start, bool& known) {
    known = true;
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        known = errno != ENOENT;
        return false;
    }
    char buffer[1024];
    const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    known = false;
    if (n <= 0) {
        return false;
    }
    const std::string text(buffer, static_cast<size_t>(n));
    // The command name, in parentheses, may hold spaces and parentheses.
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return false;
    }
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    // Fields 3 to 21 come before the start time, field 22.
    for (int i = 3; i <= 21; ++i) {
        if (!(fields >> field)) {
            return false;
        }
    }
    if (!(fields >> start)) {
        return false;
    }
    known = true;
    return true;
}

// Whether the program that made the subfolder `name` still runs.
bool stillRunning(const std::string& name) {
    const size_t dash = name.find('-');
    if (dash == std::string::npos || dash == 0) {
        return true;  // not one of ours: leave it
    }
    char* end = nullptr;
    const long pid = std::strtol(name.c_str(), &end, 10);
    if (end != name.c_str() + dash || pid <= 0) {
        return true;
    }
    unsigned long long start = 0;
    bool known = true;
    if (startTimeOf(pid, start, known)) {
        return name == processTag(pid);
    }
    if (known) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Removes the files in `folder`, then the folder.
void removeFolder(const std::string& folder) {
    std::vector<fs::DirEntry> entries;
    if (fs::listDirectory(folder, entries)) {
        for (const fs::DirEntry& e : entries) {
            if (!e.isDirectory) {
                fs::removeFile(folder + "/" + e.name);
            }
        }
    }
    fs::removeDirectory(folder);
}

void removeAtExit() {
    removeKept();
}

}  // namespace

std::string nameExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameStart) {
        return std::string();
    }
    return path.substr(dot);
}

std::string baseFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        return std::string(runtime) + "/zebdoc-open";
    }
    return fs::temporaryDirectory() + "/zebdoc-open-" + std::to_string(::geteuid());
}

bool securePrivateFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return false;
        }
        if (::mkdir(path.c_str(), kPrivateMode) != 0 && errno != EEXIST) {
            return false;
        }
        if (::lstat(path.c_str(), &st) != 0) {
            return false;
        }
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        return false;
    }
    if ((st.st_mode & 07777) != kPrivateMode) {
        // Open without following links, so that the mode set is the mode
        // of the folder just examined.
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        struct stat again {};
        const bool same = ::fstat(fd, &again) == 0 && again.st_ino == st.st_ino &&
                          again.st_dev == st.st_dev && again.st_uid == ::geteuid();
        const bool set = same && ::fchmod(fd, kPrivateMode) == 0;
        ::close(fd);
        return set;
    }
    return true;
}

std::string processTag(long pid) {
    unsigned long long start = 0;
    bool known = true;
    if (startTimeOf(pid, start, known)) {
        return std::to_string(pid) + "-" + std::to_string(start);
    }
    if (pid == static_cast<long>(::getpid())) {
        return std::to_string(pid) + "-0";
    }
    return std::string();
}

std::string processFolder() {
    State& s = state();
    if (!s.folder.empty() && fs::isDirectory(s.folder)) {
        return s.folder;
    }
    s.folder.clear();
    const std::string tag = processTag(static_cast<long>(::getpid()));
    const std::string shared[] = {
        baseFolder(),
        fs::temporaryDirectory() + "/zebdoc-open-" + std::to_string(::geteuid()),
    };
    for (const std::string& base : shared) {
        const std::string folder = base + "/" + tag;
        if (securePrivateFolder(base) && securePrivateFolder(folder)) {
            s.folder = folder;
            return s.folder;
        }
    }
    // The shared names are taken by someone else: a fresh folder of its own.
    std::string pattern = fs::temporaryDirectory() + "/zebdoc-open-XXXXXX";
    if (::mkdtemp(pattern.data())) {
        s.folder = pattern;
    }
    return s.folder;
}

void keepUntilExit(const std::string& path) {
    State& s = state();
    for (const std::string& k : s.kept) {
        if (k == path) {
            return;
        }
    }
    s.kept.push_back(path);
    // Also when the program ends without its own clean-up.
    if (!s.exitHook) {
        s.exitHook = std::atexit(removeAtExit) == 0;
    }
}

const std::vector<std::string>& keptCopies() {
    return state().kept;
}

void removeKept() {
    State& s = state();
    for (const std::string& path : s.kept) {
        fs::removeFile(path);
    }
    s.kept.clear();
    if (!s.folder.empty()) {
        removeFolder(s.folder);
        s.folder.clear();
    }
}

void cleanStale() {
    const std::string base = baseFolder();
    struct stat st {};
    if (::lstat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        return;
    }
    std::vector<fs::DirEntry> entries;
    if (!fs::listDirectory(base, entries)) {
        return;
    }
    for (const fs::DirEntry& e : entries) {
        if (e.isDirectory && !stillRunning(e.name)) {
            removeFolder(base + "/" + e.name);
        }
    }
}

void setHandOverTimeForTesting(std::chrono::milliseconds time) {
    state().handOver = time;
}

std::chrono::milliseconds handOverTime() {
    const auto t = state().handOver;
    return t.count() < 0 ? kHandOverTime : t;
}

void resetForTesting() {
    State& s = state();
    s.folder.clear();
    s.kept.clear();
}

}  // namespace OpenedCopies

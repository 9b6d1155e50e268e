#include "core/ArchiveRoot.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "core/Registry.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"

namespace {

constexpr size_t kRootSize = 1024;
constexpr char kSuffix[] = "/VFS";

struct State {
    char root[kRootSize] = "";
    std::string folder;
    std::string problem;
};

State& state() {
    static State s;
    return s;
}

std::mutex& stateLock() {
    static std::mutex lock;
    return lock;
}

// Computes the archive root once when the library is loaded.
struct ArchiveRootLoader {
    ArchiveRootLoader() { ArchiveRoot::refresh(); }
};
ArchiveRootLoader g_loader;

}  // namespace

const char* ArchiveRoot::path() {
    return state().root;
}

void ArchiveRoot::refresh() {
    std::string destination;
    bool found = false;
    try {
        found = zeb::platform::RegistryStore::getString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY,
                                                        "DestinationPath", destination);
    } catch (const std::exception&) {
        found = false;
    }
    std::string folder;
    std::string problem;
    if (!found || destination.empty()) {
        problem =
            "No installation folder is configured (the registry value \"DestinationPath\" is " +
            std::string(found ? "empty" : "missing") + ").";
    } else if (destination.front() != '/') {
        problem = "The installation folder \"" + destination +
                  "\" (registry value \"DestinationPath\") is not an absolute path.";
    } else {
        folder = zeb::platform::fullPath(destination);
        if (folder.size() + sizeof(kSuffix) > kRootSize) {
            problem =
                "The installation folder (registry value \"DestinationPath\") is longer "
                "than " +
                std::to_string(kRootSize - sizeof(kSuffix)) + " bytes.";
            folder.clear();
        }
    }
    std::lock_guard<std::mutex> guard(stateLock());
    State& s = state();
    s.problem = problem;
    s.folder = folder;
    if (folder.empty()) {
        s.root[0] = '\0';
        return;
    }
    // "/" as the installation folder gives "/VFS", not "//VFS".
    const std::string root = (folder == "/" ? std::string() : folder) + kSuffix;
    std::memcpy(s.root, root.c_str(), root.size() + 1);
}

bool ArchiveRoot::isValid() {
    return state().root[0] != '\0';
}

std::string ArchiveRoot::problem() {
    std::lock_guard<std::mutex> guard(stateLock());
    return state().problem;
}

std::string ArchiveRoot::installationFolder() {
    std::lock_guard<std::mutex> guard(stateLock());
    return state().folder;
}

std::string ArchiveRoot::archiveForm(const std::string& workingPath) {
    std::string result;
    size_t start = 0;
    while (start < workingPath.size()) {
        size_t end = workingPath.find('/', start);
        if (end == std::string::npos) {
            end = workingPath.size();
        }
        std::string piece = workingPath.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) {
            continue;
        }
        if (piece == "." || piece == "..") {
            return std::string();
        }
        std::replace(piece.begin(), piece.end(), ':', '@');
        if (!result.empty()) {
            result += '/';
        }
        result += piece;
    }
    return result;
}

std::string ArchiveRoot::objectDirectory(const std::string& workingPath) {
    const std::string relative = archiveForm(workingPath);
    const std::string root = path();
    // Without a root, archived copies would land among the working files.
    if (relative.empty() || root.empty()) {
        return std::string();
    }
    return root + "/" + relative;
}

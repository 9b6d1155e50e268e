#include "core/ArchiveRoot.h"

#include <algorithm>
#include <cstring>

#include "core/Registry.h"
#include "core/Utf8.h"

namespace {

constexpr size_t kRootSize = 1024;
constexpr char kSuffix[] = "/VFS";

char g_archiveRoot[kRootSize] = "/VFS";

// Computes the archive root once when the library is loaded.
struct ArchiveRootLoader {
    ArchiveRootLoader() { ArchiveRoot::refresh(); }
};
ArchiveRootLoader g_loader;

}  // namespace

const char* ArchiveRoot::path() {
    return g_archiveRoot;
}

void ArchiveRoot::refresh() {
    char destination[kRootSize] = "";
    GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DestinationPath", destination);
    destination[kRootSize - 1] = '\0';
    // Keep room for the suffix: a folder too long for the buffer is cut on a
    // character boundary rather than losing "/VFS".
    size_t room = kRootSize - sizeof(kSuffix);
    size_t n = zeb::utf8::prefixBytes(destination, std::strlen(destination), room);
    std::memcpy(g_archiveRoot, destination, n);
    std::memcpy(g_archiveRoot + n, kSuffix, sizeof(kSuffix));
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
    std::string root = g_archiveRoot;
    while (!root.empty() && root.back() == '/') {
        root.pop_back();
    }
    // An empty root would put archived copies among the working files.
    if (relative.empty() || root.empty()) {
        return std::string();
    }
    return root + "/" + relative;
}

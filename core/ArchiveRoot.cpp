#include "core/ArchiveRoot.h"

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

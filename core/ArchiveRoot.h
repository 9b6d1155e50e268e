#pragma once

#include <string>

#include "core/ZebcoreExport.h"

// The folder under which archived copies are kept: the registry value
// "DestinationPath" followed by "/VFS". Computed when the library is loaded;
// refresh() computes it again after the registry changed.
class ZEBCORE_API ArchiveRoot {
public:
    static const char* path();
    static void refresh();

    // The archive form of a working path: its pieces joined by "/", empty
    // pieces skipped, every ":" turned into "@" ("/home/ann/a:b.txt" gives
    // "home/ann/a@b.txt"). Empty when a piece is "." or "..", which could
    // lead out of the archive, or when there is no piece.
    static std::string archiveForm(const std::string& workingPath);
    // The object directory of a working path: the archive root, "/", the
    // archive form. Empty when the archive form is, or when the root is.
    static std::string objectDirectory(const std::string& workingPath);
};

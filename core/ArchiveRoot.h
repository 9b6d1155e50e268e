#pragma once

#include <string>

#include "core/ZebcoreExport.h"

// The folder under which archived copies are kept: the registry value
// "DestinationPath" (the installation folder) followed by "/VFS". Computed
// when the library is loaded; refresh() computes it again after the registry
// changed.
//
// A "DestinationPath" that is missing, empty, not absolute, or too long for
// the archive root's buffer gives no archive root at all: path() is then
// empty, every operation that needs the archive fails, and problem() says
// why. The installation folder is taken lexically normalised.
class ZEBCORE_API ArchiveRoot {
public:
    // The archive root; empty when there is none (see problem()).
    static const char* path();
    static void refresh();

    static bool isValid();
    // Why there is no archive root, as a sentence for the user; empty when
    // there is one.
    static std::string problem();
    // The installation folder the archive root lies in; empty without one.
    // The repository's writer lock lives here, beside the archive.
    static std::string installationFolder();

    // The archive form of a working path: its pieces joined by "/", empty
    // pieces skipped, every ":" turned into "@" ("/home/ann/a:b.txt" gives
    // "home/ann/a@b.txt"). Empty when a piece is "." or "..", which could
    // lead out of the archive, or when there is no piece.
    static std::string archiveForm(const std::string& workingPath);
    // The object directory of a working path: the archive root, "/", the
    // archive form. Empty when the archive form is, or when the root is.
    static std::string objectDirectory(const std::string& workingPath);
};

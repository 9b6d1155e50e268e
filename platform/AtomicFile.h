#pragma once

#include <string>

#include "platform/PlatformExport.h"

namespace zeb::platform {

// Reads a whole file. False with errno set when it cannot be opened or read.
ZEBPLATFORM_API bool readWholeFile(const std::string& path, std::string& out);

// Replaces `path` with `text` so that readers see either the old or the new
// contents: writes a temporary file in the same folder, flushes it, gives it
// `mode`, renames it over `path` and flushes the folder. False with errno set
// on failure, and then no temporary file is left behind.
ZEBPLATFORM_API bool writeFileAtomically(const std::string& path, const std::string& text,
                                         unsigned mode);

// Creates the folders of `path` that are missing, each with `mode`.
ZEBPLATFORM_API bool makeFolders(const std::string& path, unsigned mode);

}  // namespace zeb::platform

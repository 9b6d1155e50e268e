#pragma once

#include <string>

#include "platform/UniqueFd.h"

namespace zeb::platform {

// Creates a new file named kTempFilePrefix + 6 random characters in the
// folder open as `dirFd`, mode 0600, open for writing. Gives an invalid fd
// with errno set when that fails; `name` receives the name (no folder).
UniqueFd createTempFile(int dirFd, std::string& name);

// The folder part of a path as the kernel would resolve it for the last
// piece: "." when there is no "/", "/" for a piece right below the root.
std::string folderOf(const std::string& path);
// The last piece of a path as written (empty when it ends in "/").
std::string lastPieceOf(const std::string& path);

// Writes all of `size` bytes, going on after short writes and EINTR.
bool writeAll(int fd, const char* data, size_t size);

}  // namespace zeb::platform

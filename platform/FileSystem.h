#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PlatformExport.h"

// Files and paths. Paths are UTF-8 text; nothing here throws. Failures come
// back as false, with the errno value in `*error` when the caller asks for it.
namespace zeb::platform {

struct FileTime {
    int64_t sec = 0;
    int64_t nsec = 0;
    bool operator==(const FileTime& o) const { return sec == o.sec && nsec == o.nsec; }
    bool operator!=(const FileTime& o) const { return !(*this == o); }
};

struct FileStatus {
    bool exists = false;
    bool isDirectory = false;
    bool isRegular = false;
    bool readOnly = false;  // no write bit for anyone
    uint64_t size = 0;
    unsigned mode = 0;  // permission bits
    FileTime modified;
    FileTime accessed;
    FileTime born;
    bool hasBirthTime = false;  // the file system reports a birth time
};

struct DirEntry {
    std::string name;
    bool isDirectory = false;  // a directory, or a link to one
    bool isLink = false;       // a symbolic link
};

struct CopyOptions {
    bool replace = false;  // false: fail when the target exists
    bool durable = false;  // flush the data (fdatasync) before the copy takes the target's name
    int mode = -1;         // permission bits of the result; -1 keeps the source's
};

// Prefix and suffix of the temporary names copies are written under, so that
// tools can recognise leftovers: ".zebtmp-XXXXXX".
ZEBPLATFORM_API extern const char* const kTempFilePrefix;

// Absolute and lexically normalised ("." and ".." resolved, separators
// single, no trailing "/"), against the current directory; symlinks are not
// resolved. Empty text gives the current directory.
ZEBPLATFORM_API std::string fullPath(const std::string& path);

// The directory part of a full path, without trailing "/" ("/" for the root).
ZEBPLATFORM_API std::string parentPath(const std::string& path);
// The last piece of a path.
ZEBPLATFORM_API std::string baseName(const std::string& path);

// Follows symlinks. A missing file gives true with exists == false; other
// failures (permission on a parent, ...) give false.
ZEBPLATFORM_API bool getStatus(const std::string& path, FileStatus& out, int* error = nullptr);
// As getStatus, but a symbolic link is described itself, not followed:
// `isLink` true, neither directory nor regular file.
ZEBPLATFORM_API bool getLinkStatus(const std::string& path, FileStatus& out, bool& isLink,
                                   int* error = nullptr);
ZEBPLATFORM_API bool exists(const std::string& path);
ZEBPLATFORM_API bool isDirectory(const std::string& path);
ZEBPLATFORM_API bool isRegularFile(const std::string& path);

// Entries of a directory without "." and "..", in no particular order.
ZEBPLATFORM_API bool listDirectory(const std::string& dir, std::vector<DirEntry>& out,
                                   int* error = nullptr);

// Copies the bytes (copy_file_range, so file systems that share extents do)
// to a temporary file in the target's folder, gives it the mode and the
// source's access and modification times, flushes it when asked, then
// renames it to the target (without replacing an existing target unless
// `replace`). On failure the temporary file is removed and the target is
// untouched.
ZEBPLATFORM_API bool copyFile(const std::string& from, const std::string& to,
                              const CopyOptions& options, int* error = nullptr);

ZEBPLATFORM_API bool setReadOnly(const std::string& path, int* error = nullptr);  // mode 0444
ZEBPLATFORM_API bool setWritable(const std::string& path, int* error = nullptr);  // adds u+w
ZEBPLATFORM_API bool setModifiedTime(const std::string& path, const FileTime& time,
                                     int* error = nullptr);
ZEBPLATFORM_API bool removeFile(const std::string& path, int* error = nullptr);
// One level; fails when it exists. `mode` is masked by the umask.
ZEBPLATFORM_API bool createDirectory(const std::string& path, int* error = nullptr,
                                     unsigned mode = 0777);
// Every missing directory of the absolute path, each made with `mode`.
// False where a piece exists but is not a directory, or cannot be made.
ZEBPLATFORM_API bool createDirectories(const std::string& path, unsigned mode,
                                       int* error = nullptr);
// The path a symbolic link finally leads to, following links in the last
// piece only (at most 40), relative targets taken from the link's folder;
// the path itself when it is no link. A dangling link gives the path it
// would create. Empty on a loop or a read error.
ZEBPLATFORM_API std::string followLinks(const std::string& path);
// Only an empty directory.
ZEBPLATFORM_API bool removeDirectory(const std::string& path, int* error = nullptr);

// $TMPDIR when set and a directory, else /tmp.
ZEBPLATFORM_API std::string temporaryDirectory();
// The process's umask, read without changing it for longer than the call.
ZEBPLATFORM_API unsigned currentUmask();

// Test seam: the next `count` copies (-1: all until cleared) fail with
// `error` after writing `afterBytes` bytes of the temporary file.
ZEBPLATFORM_API void setCopyFaultForTesting(int error, uint64_t afterBytes, int count = -1);
ZEBPLATFORM_API void clearCopyFaultForTesting();

}  // namespace zeb::platform

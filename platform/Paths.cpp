#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace zeb::platform {

namespace {

std::string currentDirectory() {
    std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string();
}

// Drops trailing "/" but keeps a lone "/".
std::string withoutTrailingSlashes(const std::string& path) {
    size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return path.empty() ? path : std::string("/");
    }
    return path.substr(0, end + 1);
}

}  // namespace

std::string fullPath(const std::string& path) {
    std::string text = path;
    if (text.empty() || text.front() != '/') {
        std::string cwd = currentDirectory();
        if (cwd.empty()) {
            return std::string();  // the current directory is gone
        }
        text = text.empty() ? cwd : cwd + "/" + text;
    }
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string piece = text.substr(start, end - start);
        start = end + 1;
        if (piece.empty() || piece == ".") {
            continue;
        }
        if (piece == "..") {
            if (!pieces.empty()) {
                pieces.pop_back();
            }
            continue;
        }
        pieces.push_back(std::move(piece));
    }
    if (pieces.empty()) {
        return "/";
    }
    std::string out;
    for (const std::string& piece : pieces) {
        out += '/';
        out += piece;
    }
    return out;
}

std::string parentPath(const std::string& path) {
    std::string text = withoutTrailingSlashes(path);
    size_t slash = text.find_last_of('/');
    if (slash == std::string::npos) {
        return std::string();
    }
    return withoutTrailingSlashes(text.substr(0, slash + 1));
}

std::string baseName(const std::string& path) {
    std::string text = withoutTrailingSlashes(path);
    if (text == "/") {
        return std::string();
    }
    size_t slash = text.find_last_of('/');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

std::string temporaryDirectory() {
    const char* tmpdir = std::getenv("TMPDIR");
    struct stat st;
    if (tmpdir != nullptr && *tmpdir != '\0' && stat(tmpdir, &st) == 0 && S_ISDIR(st.st_mode)) {
        return withoutTrailingSlashes(tmpdir);
    }
    return "/tmp";
}

}  // namespace zeb::platform

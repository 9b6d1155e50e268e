#include "core/ItemSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "platform/FileSystem.h"

namespace zeb::core {

namespace {

// Length of the longest prefix of `text` (of `length` bytes) that fits in
// `room` bytes and does not end inside a UTF-8 sequence.
size_t utf8Prefix(const char* text, size_t length, size_t room) {
    if (length <= room) {
        return length;
    }
    size_t cut = room;
    // Step back over continuation bytes to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

}  // namespace

void copyText(char* out, int size, const char* text) {
    if (out == nullptr || size < 1) {
        return;
    }
    if (text == nullptr) {
        out[0] = '\0';
        return;
    }
    const size_t length = utf8Prefix(text, std::strlen(text), static_cast<size_t>(size) - 1);
    std::memmove(out, text, length);
    out[length] = '\0';
}

void copyText(char* out, int size, const std::string& text) {
    copyText(out, size, text.c_str());
}

bool runUpdate(const std::string& sql) {
    DatabaseInstance* db = DatabaseInstance::instance();
    return db != nullptr && db->executeUpdate(sql);
}

bool runDelete(const std::string& sql) {
    DatabaseInstance* db = DatabaseInstance::instance();
    if (db == nullptr) {
        return false;
    }
    return db->executeUpdate(sql) || db->lastMatchedNoRow();
}

ResultSet* runQuery(const std::string& sql, bool* ok) {
    static ResultSet noResult;
    DatabaseInstance* db = DatabaseInstance::instance();
    if (db == nullptr) {
        if (ok != nullptr) {
            *ok = false;
        }
        return &noResult;
    }
    ResultSet* rs = db->executeQuery(sql);
    if (ok != nullptr) {
        *ok = db->lastReturnCode() == 0;  // SQL_SUCCESS
    }
    return rs != nullptr ? rs : &noResult;
}

bool hasRow(const std::string& sql) {
    return runQuery(sql)->next();
}

bool readText(ResultSet* rs, const char* name, char* field) {
    // getString delivers at most half of the buffer it is given.
    char buffer[2 * kFieldSize];
    if (!rs->getString(name, buffer, static_cast<int>(sizeof buffer))) {
        return false;
    }
    buffer[sizeof buffer - 1] = '\0';
    copyText(field, kFieldSize, buffer);
    return true;
}

int& copyError() {
    static int error = 0;
    return error;
}

namespace {

constexpr mode_t kPrivateFolder = 0700;

// The archive holds copies of private documents: only its owner may enter.
bool makeArchiveRoot(const std::string& root, std::string* firstMade) {
    struct stat st;
    if (stat(root.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            return false;
        }
        if ((st.st_mode & 077) != 0 && st.st_uid == geteuid()) {
            chmod(root.c_str(), st.st_mode & 07700);
        }
        return true;
    }
    const std::string folder = zeb::platform::parentPath(root);
    if (!zeb::platform::isDirectory(folder) &&
        !zeb::platform::createDirectories(folder, kPrivateFolder)) {
        return false;
    }
    if (mkdir(root.c_str(), kPrivateFolder) != 0) {
        return errno == EEXIST && zeb::platform::isDirectory(root);
    }
    chmod(root.c_str(), kPrivateFolder);  // whatever the umask
    if (firstMade != nullptr && firstMade->empty()) {
        *firstMade = root;
    }
    return true;
}

}  // namespace

bool makeArchiveFolders(const std::string& dir, std::string* firstMade) {
    if (firstMade != nullptr) {
        firstMade->clear();
    }
    const std::string root = ArchiveRoot::path();
    if (root.empty() || dir.compare(0, root.size() + 1, root + "/") != 0 ||
        !makeArchiveRoot(root, firstMade)) {
        return false;
    }
    std::string current = root;
    size_t start = root.size() + 1;
    while (start <= dir.size()) {
        size_t end = dir.find('/', start);
        if (end == std::string::npos) {
            end = dir.size();
        }
        const std::string piece = dir.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) {
            continue;
        }
        current += "/" + piece;
        struct stat st;
        if (lstat(current.c_str(), &st) == 0) {
            // A link in the archive is not followed to make folders elsewhere.
            if (!S_ISDIR(st.st_mode)) {
                return false;
            }
            continue;
        }
        if (errno != ENOENT) {
            return false;
        }
        if (mkdir(current.c_str(), kPrivateFolder) != 0) {
            if (errno == EEXIST && zeb::platform::isDirectory(current)) {
                continue;
            }
            return false;
        }
        if (firstMade != nullptr && firstMade->empty()) {
            *firstMade = current;
        }
    }
    return true;
}

void removeMadeFolders(const std::string& dir, const std::string& firstMade) {
    if (firstMade.empty() || dir.compare(0, firstMade.size(), firstMade) != 0) {
        return;
    }
    std::string current = dir;
    while (current.size() >= firstMade.size()) {
        if (!zeb::platform::removeDirectory(current)) {
            return;  // not empty: someone else's now
        }
        if (current.size() == firstMade.size()) {
            return;
        }
        current = zeb::platform::parentPath(current);
    }
}

std::string objectDirectory(const char* filePath) {
    return filePath != nullptr ? ArchiveRoot::objectDirectory(filePath) : std::string();
}

}  // namespace zeb::core

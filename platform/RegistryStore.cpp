#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/AtomicFile.h"
#include "platform/RegistryFile.h"
#include "platform/TempFile.h"
#include "platform/UniqueFd.h"

namespace zeb::platform {

namespace {

constexpr const char* kSystemFile = "/etc/zebdoc/registry.reg";
constexpr const char* kUserFile = "/zebdoc/registry.reg";
constexpr const char* kLockSuffix = ".lock";
constexpr unsigned kFileMode = 0600;
constexpr unsigned kFolderMode = 0700;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string homeFolder() {
    std::string home = environment("HOME");
    if (!home.empty()) {
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, &buffer[0], buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return std::string();
}

// The user's file, or empty when there is no home folder to put it in.
std::string userFile() {
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty() || config.front() != '/') {  // relative values are to be ignored
        std::string home = homeFolder();
        if (home.empty()) {
            return std::string();
        }
        config = home + "/.config";
    }
    return config + kUserFile;
}

bool isSafeText(const std::string& text) {
    return text.find_first_of(std::string("\n\r\0", 3)) == std::string::npos;
}

// The key's path in the file, or empty for an unknown root or a key text
// that cannot be written.
RegistryFile::KeyPath keyPath(HKEY root, const std::string& subkey) {
    std::string rootText = RegistryStore::rootName(root);
    if (rootText.empty() || !isSafeText(subkey) ||
        subkey.find_first_of("[]") != std::string::npos) {
        return {};
    }
    RegistryFile::KeyPath path = RegistryFile::splitKey(subkey);
    path.insert(path.begin(), rootText);
    return path;
}

RegistryFile loadForReading() {
    std::string text;
    if (!readWholeFile(RegistryStore::readPath(), text)) {
        return RegistryFile();
    }
    return RegistryFile::parse(text);
}

// Applies `change` to the file that writes go to, under its lock and on its
// contents as they are once the lock is held, and writes the result back
// when `change` reports a change.
template <typename Change>
bool modify(Change change) {
    std::string path = RegistryStore::writePath();
    if (path.empty() || !makeFolders(folderOf(path), kFolderMode)) {
        return false;
    }
    std::string lockPath = path + kLockSuffix;
    UniqueFd lock(open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, kFileMode));
    if (!lock.valid()) {
        return false;
    }
    while (flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    std::string text;
    if (!readWholeFile(path, text) && errno != ENOENT) {
        return false;  // never replace a file that exists but cannot be read
    }
    RegistryFile file = RegistryFile::parse(text);
    if (!change(file)) {
        return false;
    }
    return writeFileAtomically(path, file.serialize(), kFileMode);
}

}  // namespace

std::string RegistryStore::rootName(HKEY root) {
    if (root == HKEY_CLASSES_ROOT) {
        return "HKEY_CLASSES_ROOT";
    }
    if (root == HKEY_CURRENT_USER) {
        return "HKEY_CURRENT_USER";
    }
    if (root == HKEY_LOCAL_MACHINE) {
        return "HKEY_LOCAL_MACHINE";
    }
    return std::string();
}

std::string RegistryStore::readPath() {
    std::string chosen = environment("ZEBDOC_REGISTRY");
    if (!chosen.empty()) {
        return chosen;
    }
    std::string user = userFile();
    struct stat st;
    if (!user.empty() && stat(user.c_str(), &st) == 0) {
        return user;
    }
    return kSystemFile;
}

std::string RegistryStore::writePath() {
    std::string chosen = environment("ZEBDOC_REGISTRY");
    if (!chosen.empty()) {
        return chosen;
    }
    return geteuid() == 0 ? std::string(kSystemFile) : userFile();
}

bool RegistryStore::getString(HKEY root, const std::string& subkey, const std::string& name,
                              std::string& out) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.empty()) {
        return false;
    }
    RegistryFile file = loadForReading();
    const std::string* value = file.getString(path, name);
    if (value == nullptr) {
        return false;
    }
    out = *value;
    return true;
}

bool RegistryStore::setString(HKEY root, const std::string& subkey, const std::string& name,
                              const std::string& data) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.empty() || !isSafeText(name) || !isSafeText(data)) {
        return false;
    }
    bool unchanged = false;
    bool ok = modify([&](RegistryFile& file) {
        unchanged = !file.setString(path, name, data);
        return !unchanged;
    });
    return ok || unchanged;
}

bool RegistryStore::deleteValue(HKEY root, const std::string& subkey, const std::string& name) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.empty()) {
        return false;
    }
    return modify([&](RegistryFile& file) { return file.deleteValue(path, name); });
}

bool RegistryStore::deleteKey(HKEY root, const std::string& subkey) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.size() < 2) {
        return false;  // a root key cannot be deleted
    }
    return modify([&](RegistryFile& file) { return file.deleteTree(path); });
}

std::vector<std::string> RegistryStore::valueNames(HKEY root, const std::string& subkey) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.empty()) {
        return {};
    }
    return loadForReading().valueNames(path);
}

}  // namespace zeb::platform

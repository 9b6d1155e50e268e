#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
// The system's file serves every user; nobody but its owner may change it.
constexpr unsigned kSystemFileMode = 0644;
constexpr unsigned kSystemFolderMode = 0755;

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

// Value names compare without regard to ASCII case, as in RegistryFile.
bool sameNameNoCase(const std::string& a, const std::string& b) {
    auto fold = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

std::string onlyFile() {
    return environment("ZEBDOC_REGISTRY");
}

std::string systemFile() {
    std::string chosen = environment("ZEBDOC_SYSTEM_REGISTRY");
    return chosen.empty() ? std::string(kSystemFile) : chosen;
}

RegistryFile load(const std::string& path) {
    std::string text;
    if (path.empty() || !readWholeFile(path, text)) {
        return RegistryFile();
    }
    return RegistryFile::parse(text);
}

// The files a read looks in, the first that has a value winning.
std::vector<RegistryFile> loadForReading() {
    std::string only = onlyFile();
    if (!only.empty()) {
        return {load(only)};
    }
    return {load(userFile()), load(systemFile())};
}

// The mode a write gives the system's file: its present mode without write
// permission for others, or the default for a new file.
unsigned systemFileMode(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        return st.st_mode & kSystemFileMode;
    }
    return kSystemFileMode;
}

// Applies `change` to the file that writes of `scope` go to, under its lock
// and on its contents as they are once the lock is held, and writes the
// result back when `change` reports a change.
template <typename Change>
bool modify(RegistryStore::Scope scope, Change change) {
    std::string path = RegistryStore::writePath(scope);
    const bool system = onlyFile().empty() && scope == RegistryStore::Scope::System;
    if (path.empty() || !makeFolders(folderOf(path), system ? kSystemFolderMode : kFolderMode)) {
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
    return writeFileAtomically(path, file.serialize(), system ? systemFileMode(path) : kFileMode);
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
    std::string only = onlyFile();
    if (!only.empty()) {
        return only;
    }
    std::string user = userFile();
    struct stat st;
    if (!user.empty() && stat(user.c_str(), &st) == 0) {
        return user;
    }
    return systemFile();
}

std::string RegistryStore::writePath(Scope scope) {
    std::string only = onlyFile();
    if (!only.empty()) {
        return only;
    }
    return scope == Scope::System ? systemFile() : userFile();
}

bool RegistryStore::getString(HKEY root, const std::string& subkey, const std::string& name,
                              std::string& out) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.empty()) {
        return false;
    }
    for (const RegistryFile& file : loadForReading()) {
        if (const std::string* value = file.getString(path, name)) {
            out = *value;
            return true;
        }
    }
    return false;
}

bool RegistryStore::setString(HKEY root, const std::string& subkey, const std::string& name,
                              const std::string& data, Scope scope) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.empty() || !isSafeText(name) || !isSafeText(data)) {
        return false;
    }
    bool unchanged = false;
    bool ok = modify(scope, [&](RegistryFile& file) {
        unchanged = !file.setString(path, name, data);
        return !unchanged;
    });
    return ok || unchanged;
}

bool RegistryStore::deleteValue(HKEY root, const std::string& subkey, const std::string& name,
                                Scope scope) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.empty()) {
        return false;
    }
    return modify(scope, [&](RegistryFile& file) { return file.deleteValue(path, name); });
}

bool RegistryStore::deleteKey(HKEY root, const std::string& subkey, Scope scope) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.size() < 2) {
        return false;  // a root key cannot be deleted
    }
    return modify(scope, [&](RegistryFile& file) { return file.deleteTree(path); });
}

std::vector<std::string> RegistryStore::valueNames(HKEY root, const std::string& subkey) {
    RegistryFile::KeyPath path = keyPath(root, subkey);
    if (path.empty()) {
        return {};
    }
    std::vector<std::string> names;
    for (const RegistryFile& file : loadForReading()) {
        for (const std::string& name : file.valueNames(path)) {
            const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
                return sameNameNoCase(n, name);
            });
            if (!known) {
                names.push_back(name);
            }
        }
    }
    return names;
}

}  // namespace zeb::platform

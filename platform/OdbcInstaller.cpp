#include "platform/OdbcInstaller.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>

#include <cstdint>
#include <cstdlib>

#include "platform/UniqueFd.h"

namespace zeb::platform {

namespace {

// Types and values of the installer interface (odbcinst.h of unixODBC on a
// 64-bit system), kept here so that users of this header need none of it.
using Bool = int;
using Word = unsigned short;
using Dword = uint32_t;
using SqlReturn = short;

using GetInstalledDriversFn = Bool (*)(char* buffer, Word bufferMax, Word* bufferOut);
using SetConfigModeFn = Bool (*)(Word mode);
using WriteDsnToIniFn = Bool (*)(const char* dsn, const char* driver);
using WritePrivateProfileStringFn = Bool (*)(const char* section, const char* entry,
                                             const char* text, const char* file);
using RemoveDsnFromIniFn = Bool (*)(const char* dsn);
using ConfigDataSourceFn = Bool (*)(void* window, Word request, const char* driver,
                                    const char* attributes);
// Not in odbcinst.h, but exported: the folder of the system odbc.ini as the
// library uses it (ODBCSYSINI or the built-in folder).
using SystemFilePathFn = char* (*)(char* buffer);
using InstallerErrorFn = SqlReturn (*)(Word error, Dword* errorCode, char* message, Word messageMax,
                                       Word* messageOut);

constexpr Word kAddDsn = 1;     // ODBC_ADD_DSN
constexpr Word kAddSysDsn = 4;  // ODBC_ADD_SYS_DSN
constexpr Word kBothDsn = 0;
constexpr Word kUserDsn = 1;
constexpr Word kSystemDsn = 2;
constexpr SqlReturn kSuccess = 0;
constexpr SqlReturn kSuccessWithInfo = 1;
constexpr Word kMaxInstallerErrors = 8;  // the installer keeps at most this many
constexpr const char* kIniFile = "odbc.ini";

bool hasLineBreak(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// Characters that the driver manager does not allow in a data source name.
bool isValidDsn(const std::string& dsn) {
    return !dsn.empty() && dsn.size() <= 32 && !hasLineBreak(dsn) &&
           dsn.find_first_of("[]{}(),;?*=!@\\") == std::string::npos;
}

}  // namespace

struct OdbcInstaller::Library {
    void* handle = nullptr;
    std::string missing;
    GetInstalledDriversFn getInstalledDrivers = nullptr;
    SetConfigModeFn setConfigMode = nullptr;
    WriteDsnToIniFn writeDsnToIni = nullptr;
    WritePrivateProfileStringFn writePrivateProfileString = nullptr;
    RemoveDsnFromIniFn removeDsnFromIni = nullptr;
    ConfigDataSourceFn configDataSource = nullptr;
    InstallerErrorFn installerError = nullptr;
    SystemFilePathFn systemFilePath = nullptr;  // optional

    ~Library() {
        if (handle != nullptr) {
            dlclose(handle);
        }
    }

    template <typename Fn>
    void resolve(Fn& slot, const char* name) {
        slot = reinterpret_cast<Fn>(dlsym(handle, name));
        if (slot == nullptr && missing.empty()) {
            missing = name;
        }
    }

    std::string systemIniPath() const {
        std::string folder;
        if (systemFilePath != nullptr) {
            std::vector<char> buffer(8192, '\0');  // the library copies a path of up to 4096
            const char* path = systemFilePath(buffer.data());
            if (path != nullptr) {
                folder = path;
            }
        }
        if (folder.empty()) {
            const char* env = std::getenv("ODBCSYSINI");
            folder = env != nullptr && *env != '\0' ? env : "/etc";
        }
        return folder + "/" + kIniFile;
    }

    bool complete() const { return handle != nullptr && missing.empty(); }

    // The installer's messages for the call that just failed, and the code
    // of the first.
    std::string errors(int* firstCode = nullptr) const {
        std::string text;
        if (firstCode != nullptr) {
            *firstCode = 0;
        }
        for (Word i = 1; i <= kMaxInstallerErrors; ++i) {
            Dword code = 0;
            char message[512] = {};
            Word length = 0;
            SqlReturn rc = installerError(i, &code, message, sizeof message, &length);
            if (rc != kSuccess && rc != kSuccessWithInfo) {
                break;
            }
            if (i == 1 && firstCode != nullptr) {
                *firstCode = static_cast<int>(code);
            }
            if (!text.empty()) {
                text += "; ";
            }
            text += message;
        }
        return text;
    }
};

OdbcInstaller::OdbcInstaller(const std::string& library)
    : m_library(new Library), m_requested(library) {
    // The library keeps its messages and what it read of the odbc.ini files
    // in memory of its own, which unloading it would strand: it stays
    // resident, as the driver manager keeps it too.
    m_library->handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (m_library->handle == nullptr) {
        const char* why = dlerror();
        m_error = why != nullptr ? why : "cannot load " + library;
        return;
    }
    Library& lib = *m_library;
    lib.resolve(lib.getInstalledDrivers, "SQLGetInstalledDrivers");
    lib.resolve(lib.setConfigMode, "SQLSetConfigMode");
    lib.resolve(lib.writeDsnToIni, "SQLWriteDSNToIni");
    lib.resolve(lib.writePrivateProfileString, "SQLWritePrivateProfileString");
    lib.resolve(lib.removeDsnFromIni, "SQLRemoveDSNFromIni");
    lib.resolve(lib.configDataSource, "SQLConfigDataSource");
    lib.resolve(lib.installerError, "SQLInstallerError");
    lib.systemFilePath =
        reinterpret_cast<SystemFilePathFn>(dlsym(lib.handle, "odbcinst_system_file_path"));
    if (!lib.missing.empty()) {
        m_error = library + " lacks " + lib.missing;
    }
}

OdbcInstaller::~OdbcInstaller() = default;

bool OdbcInstaller::isLoaded() const {
    return m_library->complete();
}

std::string OdbcInstaller::libraryPath() const {
    struct link_map* map = nullptr;
    if (m_library->handle != nullptr && dlinfo(m_library->handle, RTLD_DI_LINKMAP, &map) == 0 &&
        map != nullptr && map->l_name != nullptr && *map->l_name != '\0') {
        return map->l_name;
    }
    return m_requested;
}

std::string OdbcInstaller::missingFunction() const {
    return m_library->missing;
}

std::string OdbcInstaller::lastError() const {
    return m_error;
}

bool OdbcInstaller::installedDrivers(std::vector<std::string>& out) {
    if (!isLoaded()) {
        return false;
    }
    m_error.clear();
    m_errorCode = 0;
    std::string buffer(65535, '\0');
    Word used = 0;
    if (!m_library->getInstalledDrivers(&buffer[0], static_cast<Word>(buffer.size()), &used)) {
        m_error = m_library->errors(&m_errorCode);
        return false;
    }
    // Names one after another, each ending in a zero byte; an empty one ends
    // the list.
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos < buffer.size() && buffer[pos] != '\0') {
        size_t end = buffer.find('\0', pos);
        if (end == std::string::npos) {
            end = buffer.size();
        }
        names.push_back(buffer.substr(pos, end - pos));
        pos = end + 1;
    }
    out.swap(names);
    return true;
}

bool OdbcInstaller::writeDataSource(
    bool system, const std::string& dsn, const std::string& driver,
    const std::vector<std::pair<std::string, std::string>>& attributes) {
    if (!isLoaded()) {
        return false;
    }
    m_error.clear();
    m_errorCode = 0;
    if (!isValidDsn(dsn)) {
        m_error = "invalid data source name \"" + dsn + "\"";
        return false;
    }
    if (driver.empty() || hasLineBreak(driver)) {
        m_error = "invalid driver name";
        return false;
    }
    for (const auto& attribute : attributes) {
        if (attribute.first.empty() || hasLineBreak(attribute.first) ||
            attribute.first.find_first_of("=[]") != std::string::npos ||
            hasLineBreak(attribute.second)) {
            m_error = "invalid attribute \"" + attribute.first + "\"";
            return false;
        }
    }
    Library& lib = *m_library;
    if (system) {
        // The library writes into an existing system odbc.ini only (it makes
        // the user's file itself); a fresh system has none.
        UniqueFd created(open(lib.systemIniPath().c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644));
    }
    bool ok = lib.setConfigMode(system ? kSystemDsn : kUserDsn) &&
              lib.writeDsnToIni(dsn.c_str(), driver.c_str());
    for (size_t i = 0; ok && i < attributes.size(); ++i) {
        ok = lib.writePrivateProfileString(dsn.c_str(), attributes[i].first.c_str(),
                                           attributes[i].second.c_str(), kIniFile);
    }
    if (!ok) {
        m_error = lib.errors(&m_errorCode);  // before the next call clears them
    }
    lib.setConfigMode(kBothDsn);
    return ok;
}

bool OdbcInstaller::removeDataSource(bool system, const std::string& dsn) {
    if (!isLoaded()) {
        return false;
    }
    m_error.clear();
    m_errorCode = 0;
    if (!isValidDsn(dsn)) {
        m_error = "invalid data source name \"" + dsn + "\"";
        return false;
    }
    Library& lib = *m_library;
    bool ok =
        lib.setConfigMode(system ? kSystemDsn : kUserDsn) && lib.removeDsnFromIni(dsn.c_str());
    if (!ok) {
        m_error = lib.errors(&m_errorCode);
    }
    lib.setConfigMode(kBothDsn);
    return ok;
}

bool OdbcInstaller::configDataSource(
    bool system, const std::string& driver,
    const std::vector<std::pair<std::string, std::string>>& attributes) {
    if (!isLoaded()) {
        return false;
    }
    m_error.clear();
    m_errorCode = 0;
    // "KEY=value" entries, each ending in a zero byte, and one more zero byte.
    std::string list;
    for (const auto& attribute : attributes) {
        if (attribute.first.empty() ||
            attribute.first.find_first_of(std::string("=\0", 2)) != std::string::npos ||
            attribute.second.find('\0') != std::string::npos) {
            m_error = "invalid attribute \"" + attribute.first + "\"";
            return false;
        }
        list += attribute.first + "=" + attribute.second;
        list += '\0';
    }
    list += '\0';
    if (driver.find('\0') != std::string::npos) {
        m_error = "invalid driver name";
        return false;
    }
    Library& lib = *m_library;
    if (!lib.configDataSource(nullptr, system ? kAddSysDsn : kAddDsn, driver.c_str(),
                              list.c_str())) {
        m_error = lib.errors(&m_errorCode);
        return false;
    }
    return true;
}

}  // namespace zeb::platform

#pragma once

#include <string>
#include <vector>

#include "platform/PlatformExport.h"

// Root keys, as opaque handles the way the desktop registry names them.
struct HKEY__;
typedef HKEY__* HKEY;
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(0x80000000UL))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(0x80000001UL))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(0x80000002UL))

namespace zeb::platform {

// The registry: string values under keys, kept in one text file in .reg form:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Quorvane\ZEBDOC\UserInfo]
//   "DSN"="zebdoc"
//
// Key paths compare case-insensitively; a trailing or doubled "\" does not
// matter. Writes replace the file atomically (temporary file in the same
// folder, flushed, renamed) under an advisory lock, with mode 0600.
//
// Two files: the user's, $XDG_CONFIG_HOME/zebdoc/registry.reg (default
// ~/.config/zebdoc/...), mode 0600, and the system's,
// $ZEBDOC_SYSTEM_REGISTRY or else /etc/zebdoc/registry.reg, readable by every
// user (0644) since it holds what serves them all, such as the registration
// of the file manager's extension that a root install writes. A password
// therefore never goes to the system file: setup keeps the user information
// (data source, user id, password, installation folder) in the user's file,
// also when it runs as root.
//
// A value is read from the user's file when it is there, else from the
// system's: value by value, so that a user's own values do not hide the
// system's others. Writes go to the user's file unless the system's is asked
// for. $ZEBDOC_REGISTRY, when set, names the only file, for reads and writes
// alike (mode 0600).
class ZEBPLATFORM_API RegistryStore {
public:
    // The file a write goes to.
    enum class Scope { User, System };

    // Name of a root key ("HKEY_LOCAL_MACHINE"), or empty for an unknown one.
    static std::string rootName(HKEY root);

    // The user's file when it exists, else the system's.
    static std::string readPath();
    // Empty when there is no home folder for the user's file.
    static std::string writePath(Scope scope = Scope::User);

    // A missing or unreadable file, key or value gives false and leaves `out`.
    static bool getString(HKEY root, const std::string& subkey, const std::string& name,
                          std::string& out);
    // Creates the key when missing.
    static bool setString(HKEY root, const std::string& subkey, const std::string& name,
                          const std::string& data, Scope scope = Scope::User);
    static bool deleteValue(HKEY root, const std::string& subkey, const std::string& name,
                            Scope scope = Scope::User);
    // Deletes the key, its values and every key below it.
    static bool deleteKey(HKEY root, const std::string& subkey, Scope scope = Scope::User);
    // Names of the values of a key, in file order: the user's first, then
    // those only the system's file has.
    static std::vector<std::string> valueNames(HKEY root, const std::string& subkey);
};

}  // namespace zeb::platform

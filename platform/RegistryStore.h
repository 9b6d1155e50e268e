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
// Location: $ZEBDOC_REGISTRY when set; otherwise reads use the user's
// $XDG_CONFIG_HOME/zebdoc/registry.reg (default ~/.config/zebdoc/...) when it
// exists, else /etc/zebdoc/registry.reg; writes go to the system file when
// running as root, else to the user's.
class ZEBPLATFORM_API RegistryStore {
public:
    // Name of a root key ("HKEY_LOCAL_MACHINE"), or empty for an unknown one.
    static std::string rootName(HKEY root);

    static std::string readPath();
    static std::string writePath();

    // A missing or unreadable file, key or value gives false and leaves `out`.
    static bool getString(HKEY root, const std::string& subkey, const std::string& name,
                          std::string& out);
    // Creates the key when missing.
    static bool setString(HKEY root, const std::string& subkey, const std::string& name,
                          const std::string& data);
    static bool deleteValue(HKEY root, const std::string& subkey, const std::string& name);
    // Deletes the key, its values and every key below it.
    static bool deleteKey(HKEY root, const std::string& subkey);
    // Names of the values of a key, in file order.
    static std::vector<std::string> valueNames(HKEY root, const std::string& subkey);
};

}  // namespace zeb::platform

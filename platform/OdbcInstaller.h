#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/PlatformExport.h"

namespace zeb::platform {

// The ODBC installer library (unixODBC's libodbcinst), loaded by name when the
// object is made and unloaded when it goes. Lists the installed drivers and
// writes or removes data sources in odbc.ini directly: the driver's own setup
// routine (SQLConfigDataSource) is not used, since the common drivers do not
// provide one.
class ZEBPLATFORM_API OdbcInstaller {
public:
    static constexpr const char* kLibraryName = "libodbcinst.so.2";

    explicit OdbcInstaller(const std::string& library = kLibraryName);
    ~OdbcInstaller();
    OdbcInstaller(const OdbcInstaller&) = delete;
    OdbcInstaller& operator=(const OdbcInstaller&) = delete;

    // The library is loaded and provides every function used here.
    bool isLoaded() const;
    // File the library was loaded from, or the name asked for when not loaded.
    std::string libraryPath() const;
    // The first function the library lacks, empty when none or not loaded.
    std::string missingFunction() const;

    // Names of the installed drivers (the sections of odbcinst.ini).
    bool installedDrivers(std::vector<std::string>& out);
    // Writes the data source `dsn` for `driver` (a driver name as listed by
    // installedDrivers) with its attributes, replacing any data source of that
    // name: in the system odbc.ini when `system`, else in the user's.
    bool writeDataSource(bool system, const std::string& dsn, const std::string& driver,
                         const std::vector<std::pair<std::string, std::string>>& attributes);
    bool removeDataSource(bool system, const std::string& dsn);
    // What went wrong in the last call that failed: the installer's messages,
    // or why the call was refused.
    std::string lastError() const;

private:
    struct Library;
    std::unique_ptr<Library> m_library;
    std::string m_requested;
    std::string m_error;
};

}  // namespace zeb::platform

#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/PlatformExport.h"

namespace zeb::platform {

// The ODBC installer library (unixODBC's libodbcinst), loaded by name when the
// object is made and unloaded when it goes. Lists the installed drivers and
// writes or removes data sources in odbc.ini directly (writeDataSource), or
// through the driver's own setup routine (configDataSource), which the common
// drivers do not provide.
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

    // SQLConfigDataSource: asks the setup routine of `driver` to add a data
    // source (a system one when `system`) with the attributes, each passed
    // as "KEY=value". Fails with kGeneralError where the driver has no setup
    // routine.
    bool configDataSource(bool system, const std::string& driver,
                          const std::vector<std::pair<std::string, std::string>>& attributes);
    // The installer's code of the first error of the last call that failed
    // (ODBC_ERROR_*), 0 when the installer reported none.
    int lastErrorCode() const { return m_errorCode; }
    static constexpr int kGeneralError = 1;  // ODBC_ERROR_GENERAL_ERR

    // What went wrong in the last call that failed: the installer's messages,
    // or why the call was refused.
    std::string lastError() const;

private:
    struct Library;
    std::unique_ptr<Library> m_library;
    std::string m_requested;
    std::string m_error;
    int m_errorCode = 0;
};

}  // namespace zeb::platform

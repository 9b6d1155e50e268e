#include "setup/model/DataSourcePage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "core/DatabaseInstance.h"
#include "core/Registry.h"
#include "core/Schema.h"
#include "platform/FileSystem.h"
#include "platform/OdbcInstaller.h"
#include "platform/RegistryStore.h"
#include "platform/UniqueFd.h"
#include "setup/model/SetupStrings.h"

namespace setup {

namespace {

namespace fs = zeb::platform;
using zeb::platform::OdbcInstaller;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The fields each kind of driver shows.
const std::vector<int>& databaseFields(DriverKind kind) {
    static const std::vector<int> none;
    static const std::vector<int> sqlite = {kDatabaseFile};
    static const std::vector<int> postgres = {kServer, kPort, kDatabaseName};
    switch (kind) {
        case DriverKind::SQLite:
            return sqlite;
        case DriverKind::PostgreSQL:
            return postgres;
        default:
            return none;
    }
}

class DataSourcePage : public Page {
public:
    using Page::Page;

    void init(PageFields& fields) override {
        std::vector<std::string> drivers;
        OdbcInstaller installer(m_context.odbcInstaller);
        if (usable(installer)) {
            installer.installedDrivers(drivers);
        }
        fields.setChoices(kDriver, drivers);
        fields.setText(kDriver, "");  // nothing is preselected
        showFieldsFor(fields);
    }

    std::optional<int> command(int id, PageFields& fields) override {
        switch (id) {
            case kDriver:
                showFieldsFor(fields);
                return std::nullopt;
            case kDataSourceBack:
                return kDataSourceBack;
            case kDataSourceCancel:
                return kEndCancel;
            case kDataSourceNext:
                return next(fields);
            default:
                return std::nullopt;
        }
    }

private:
    // The database fields of the chosen driver appear, with their defaults
    // where they are empty; the others go.
    void showFieldsFor(PageFields& fields) {
        const DriverKind kind = driverKind(fields.text(kDriver));
        for (int id : {kDatabaseFile, kServer, kPort, kDatabaseName}) {
            const auto& shown = databaseFields(kind);
            fields.setHidden(id, std::find(shown.begin(), shown.end(), id) == shown.end());
        }
        auto fill = [&](int id, const std::string& value) {
            if (fields.text(id).empty()) {
                fields.setText(id, value);
            }
        };
        if (kind == DriverKind::SQLite) {
            // Beside the archive, in the folder the destination page offers.
            fill(kDatabaseFile, m_context.places.defaultDestination() + "/zebdoc.db");
        } else if (kind == DriverKind::PostgreSQL) {
            fill(kServer, "localhost");
            fill(kPort, "5432");
            fill(kDatabaseName, "zebdoc");
        }
    }

    int next(PageFields& fields) {
        const std::string driver = fields.text(kDriver);
        const std::string dsn = fields.text(kDataSourceName);
        if (driverKind(driver) == DriverKind::SQLite) {
            // A relative name means the current folder's file, as the person
            // sees it: the data source needs it whole.
            fields.setText(kDatabaseFile, fs::fullPath(fields.text(kDatabaseFile)));
        }
        if (!addDataSource(driver, dsn, dataSourceAttributes(fields)) || !writeRegistry(fields)) {
            m_context.person->messageBox(kMsgCannotConfigure, kTextCannotConfigure,
                                         kCaptionSetupError, kStyleOk | kStyleIconError);
            return kEndCancel;
        }
        if (driverKind(driver) == DriverKind::SQLite) {
            prepareDatabaseFile(fields.text(kDatabaseFile));
        }
        // The tables go to the data source just configured, also when an
        // earlier visit of this page connected to another one.
        if (DatabaseInstance::hasInstance()) {
            delete DatabaseInstance::instance();
        }
        if (Schema::createTables(false)) {
            trace("created the tables in the data source \"" + dsn + "\"");
            return kDataSourceNext;
        }
        DatabaseInstance* db = DatabaseInstance::instance();
        if (db == nullptr || !db->isConnected()) {
            trace("cannot connect to the data source \"" + dsn +
                  "\": " + DatabaseInstance::lastError());
            m_context.person->messageBox(
                kMsgCannotConnect, format(kTextCannotConnect, dsn, DatabaseInstance::lastError()),
                kCaptionSetupError, kStyleOk | kStyleIconError);
            return kDataSourceBack;
        }
        trace("the tables cannot be created: " + DatabaseInstance::lastError());
        if (m_context.person->messageBox(kMsgTablesFailed, kTextTablesFailed, kCaptionSetupError,
                                         kStyleOkCancel | kStyleIconError) != kAnswerOk) {
            return kDataSourceBack;
        }
        Schema::createTables(true);
        if (!tablesExist()) {
            const std::string why = DatabaseInstance::lastError();
            trace("the tables are still missing after overwriting: " + why);
            m_context.person->messageBox(kMsgTablesStillMissing,
                                         format(kTextTablesStillMissing, dsn, why),
                                         kCaptionSetupError, kStyleOk | kStyleIconError);
            return kDataSourceBack;
        }
        trace("overwrote the tables in the data source \"" + dsn + "\"");
        return kDataSourceNext;
    }

    // Shows what is wrong with the installer library; true when it can be
    // used.
    bool usable(const OdbcInstaller& installer) {
        if (installer.isLoaded()) {
            return true;
        }
        if (installer.missingFunction().empty()) {
            trace("the ODBC installer library is missing: " + installer.lastError());
            m_context.person->messageBox(kMsgInstallerMissing,
                                         format(kTextInstallerMissing, installer.libraryPath()),
                                         kCaptionInstallerError, kStyleOk | kStyleIconInformation);
        } else {
            trace("the ODBC installer library lacks " + installer.missingFunction());
            m_context.person->messageBox(
                kMsgInstallerFunctionMissing,
                format(kTextInstallerFunctionMissing, m_context.programPath,
                       installer.missingFunction(), installer.libraryPath()),
                kCaptionInstallerError, kStyleOk | kStyleIconInformation);
        }
        return false;
    }

    // The driver's own setup routine first; where the driver has none (the
    // installer's general error), the data source is written directly, for
    // a driver that is installed.
    bool addDataSource(const std::string& driver, const std::string& dsn,
                       const std::vector<std::pair<std::string, std::string>>& attributes) {
        OdbcInstaller installer(m_context.odbcInstaller);
        if (!usable(installer)) {
            return false;
        }
        const bool system = m_context.places.isSystem();
        if (installer.configDataSource(system, driver, attributes)) {
            trace("the driver \"" + driver + "\" added the data source \"" + dsn + "\"");
            return true;
        }
        trace("SQLConfigDataSource for \"" + driver + "\": " + installer.lastError());
        if (installer.lastErrorCode() != OdbcInstaller::kGeneralError) {
            return false;
        }
        std::vector<std::string> drivers;
        installer.installedDrivers(drivers);
        if (driver.empty() || std::find(drivers.begin(), drivers.end(), driver) == drivers.end()) {
            trace("no driver \"" + driver + "\" is installed");
            return false;
        }
        std::vector<std::pair<std::string, std::string>> rest;
        for (const auto& attribute : attributes) {
            if (attribute.first != "DSN") {
                rest.push_back(attribute);
            }
        }
        if (!installer.writeDataSource(system, dsn, driver, rest)) {
            trace("cannot write the data source \"" + dsn + "\": " + installer.lastError());
            return false;
        }
        trace(std::string("wrote the ") + (system ? "system" : "user") + " data source \"" + dsn +
              "\" for the driver \"" + driver + "\"");
        return true;
    }

    // "DSN", "UID" and "PWD", in this order, in the user's own file (mode
    // 0600), also for a system install.
    bool writeRegistry(const PageFields& fields) {
        using zeb::platform::RegistryStore;
        for (const auto& [name, id] : {std::pair<const char*, int>{"DSN", kDataSourceName},
                                       {"UID", kUserId},
                                       {"PWD", kPassword}}) {
            if (!RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name,
                                          fields.text(id), RegistryStore::Scope::User)) {
                trace(std::string("cannot write the registry value ") + name + " to " +
                      RegistryStore::writePath());
                return false;
            }
        }
        return true;
    }

    // SQLite makes a missing database file with the process's umask, and its
    // journals with the file's mode: the repository's names and notes are
    // the user's own, so the file is made private first, in a folder that
    // exists (the driver does not make one).
    void prepareDatabaseFile(const std::string& path) {
        const std::string folder = fs::parentPath(path);
        if (!fs::isDirectory(folder)) {
            fs::createDirectories(folder, m_context.places.isSystem() ? 0755 : 0700);
        }
        zeb::platform::UniqueFd fd(
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (fd.valid()) {
            trace("made the database file " + path);
        }
    }

    static bool tablesExist() {
        DatabaseInstance* db = DatabaseInstance::instance();
        if (db == nullptr) {
            return false;
        }
        for (const char* table : {"MASTERZEB", "REVTABLE", "FILETABLE"}) {
            if (!db->executeUpdate(std::string("SELECT * FROM ") + table + " WHERE 1 = 0")) {
                return false;
            }
        }
        return true;
    }
};

}  // namespace

DriverKind driverKind(const std::string& driver) {
    const std::string name = lowerCase(driver);
    if (name.find("sqlite") != std::string::npos) {
        return DriverKind::SQLite;
    }
    if (name.find("postgres") != std::string::npos || name.find("psql") != std::string::npos) {
        return DriverKind::PostgreSQL;
    }
    return DriverKind::Other;
}

std::vector<std::pair<std::string, std::string>> dataSourceAttributes(const PageFields& fields) {
    std::vector<std::pair<std::string, std::string>> attributes = {
        {"DSN", fields.text(kDataSourceName)}, {"UID", fields.text(kUserId)}};
    switch (driverKind(fields.text(kDriver))) {
        case DriverKind::SQLite:
            attributes.insert(attributes.end(), {{"Database", fields.text(kDatabaseFile)},
                                                 {"JournalMode", "WAL"},
                                                 {"SyncPragma", "FULL"},
                                                 {"Timeout", "10000"}});
            break;
        case DriverKind::PostgreSQL:
            attributes.insert(attributes.end(), {{"Servername", fields.text(kServer)},
                                                 {"Port", fields.text(kPort)},
                                                 {"Database", fields.text(kDatabaseName)}});
            break;
        default:
            break;
    }
    return attributes;
}

std::unique_ptr<Page> makeDataSourcePage(SetupContext& context) {
    return std::make_unique<DataSourcePage>(context);
}

}  // namespace setup

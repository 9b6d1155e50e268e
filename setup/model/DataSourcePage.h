#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "setup/model/Pages.h"

namespace setup {

// The kind of database a driver serves, from its name, which decides the
// fields the page asks for: the drivers of this platform have no dialog of
// their own for it.
enum class DriverKind { Other, SQLite, PostgreSQL };
DriverKind driverKind(const std::string& driver);

// The attributes of the data source, in the order given to the installer:
// "DSN", "UID", then the database's ("Database", "JournalMode", "SyncPragma",
// "Timeout" for SQLite; "Servername", "Port", "Database" for PostgreSQL).
// The password is not among them: it is kept in the user's registry file
// only (see DataSourcePage).
std::vector<std::pair<std::string, std::string>> dataSourceAttributes(const PageFields& fields);

// The "Configure ODBC" page. Next adds the data source (a system one for a
// system install, the user's own otherwise), writes "DSN", "UID" and "PWD",
// and creates the tables, offering to overwrite them when that fails.
std::unique_ptr<Page> makeDataSourcePage(SetupContext& context);

}  // namespace setup

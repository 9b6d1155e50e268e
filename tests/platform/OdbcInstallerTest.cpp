#include "platform/OdbcInstaller.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/BackendTest.h"

using zeb::platform::OdbcInstaller;

namespace {

using Section = std::map<std::string, std::string>;

// The sections of an ini file and their keys, blanks around "=" removed.
std::map<std::string, Section> readIni(const std::string& path) {
    std::map<std::string, Section> ini;
    std::istringstream text(zebtest::readFile(path));
    std::string line;
    std::string section;
    auto trim = [](const std::string& s) {
        const size_t first = s.find_first_not_of(" \t\r");
        return first == std::string::npos
                   ? ""
                   : s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
    };
    while (std::getline(text, line)) {
        line = trim(line);
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            ini[section = line.substr(1, line.size() - 2)];
        } else if (size_t eq = line.find('='); eq != std::string::npos && !section.empty()) {
            ini[section][trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
        }
    }
    return ini;
}

TEST(OdbcInstaller, MissingLibraryOrFunctionsFailCleanly) {
    OdbcInstaller none("libzeb-no-such-library.so.9");
    EXPECT_FALSE(none.isLoaded());
    EXPECT_FALSE(none.lastError().empty());
    std::vector<std::string> drivers = {"kept"};
    EXPECT_FALSE(none.installedDrivers(drivers));
    EXPECT_EQ(drivers, std::vector<std::string>{"kept"});
    EXPECT_FALSE(none.writeDataSource(false, "x", "y", {}));
    EXPECT_FALSE(none.removeDataSource(false, "x"));
    EXPECT_FALSE(none.configDataSource(false, "y", {{"DSN", "x"}}));

    OdbcInstaller wrong("libm.so.6");
    EXPECT_FALSE(wrong.isLoaded());
    EXPECT_EQ(wrong.missingFunction(), "SQLGetInstalledDrivers");
    EXPECT_FALSE(wrong.installedDrivers(drivers));
}

TEST(OdbcInstaller, WritesAndRemovesDataSourcesInPrivateConfiguration) {
    zebtest::TempDir dir;
    zebtest::EnvGuard env;
    const std::string userIni = dir.path() + "/user.odbc.ini";  // made when missing
    zebtest::writeFile(dir.path() + "/sys/odbcinst.ini",
                       "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n\n"
                       "[PostgreSQL ANSI]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so\n\n"
                       "[Zeb Test Driver]\nDriver=/nonexistent/libzebtest.so\n");
    env.set("ODBCSYSINI", dir.path() + "/sys");
    env.set("ODBCINI", userIni);

    OdbcInstaller installer;
    ASSERT_TRUE(installer.isLoaded()) << installer.lastError();
    EXPECT_NE(installer.libraryPath().find("libodbcinst.so.2"), std::string::npos)
        << installer.libraryPath();
    std::vector<std::string> drivers;
    ASSERT_TRUE(installer.installedDrivers(drivers)) << installer.lastError();
    EXPECT_EQ(drivers, (std::vector<std::string>{"SQLite3", "PostgreSQL ANSI", "Zeb Test Driver"}));

    const Section user = {
        {"Database", "/data/my docs/zebdoc.db"}, {"JournalMode", "WAL"}, {"PWD", ""}};
    ASSERT_TRUE(installer.writeDataSource(false, "zeb_user", "SQLite3", {user.begin(), user.end()}))
        << installer.lastError();
    ASSERT_TRUE(installer.writeDataSource(false, "zeb_other", "PostgreSQL ANSI",
                                          {{"Servername", "127.0.0.1"}}));
    Section expected = user;
    expected["Driver"] = "SQLite3";
    EXPECT_EQ(readIni(userIni)["zeb_user"], expected) << zebtest::readFile(userIni);
    EXPECT_EQ(readIni(userIni)["zeb_other"]["Servername"], "127.0.0.1");

    // Writing again replaces the data source as a whole.
    ASSERT_TRUE(installer.writeDataSource(false, "zeb_user", "Zeb Test Driver", {{"Port", "1"}}));
    EXPECT_EQ(readIni(userIni)["zeb_user"],
              (Section{{"Driver", "Zeb Test Driver"}, {"Port", "1"}}));

    // A system data source goes to the system odbc.ini beside odbcinst.ini,
    // made when missing.
    ASSERT_TRUE(installer.writeDataSource(true, "zeb_system", "SQLite3", {{"Database", "/x.db"}}))
        << installer.lastError();
    EXPECT_EQ(readIni(dir.path() + "/sys/odbc.ini")["zeb_system"]["Database"], "/x.db");
    EXPECT_EQ(readIni(userIni).count("zeb_system"), 0u);

    ASSERT_TRUE(installer.removeDataSource(false, "zeb_user")) << installer.lastError();
    EXPECT_EQ(readIni(userIni).count("zeb_user"), 0u);
    EXPECT_EQ(readIni(userIni).count("zeb_other"), 1u);

    // Names and values that would break the file's lines are refused.
    EXPECT_FALSE(installer.writeDataSource(false, "bad]name", "SQLite3", {}));
    EXPECT_NE(installer.lastError().find("bad]name"), std::string::npos);
    EXPECT_FALSE(installer.writeDataSource(false, "", "SQLite3", {}));
    EXPECT_FALSE(installer.writeDataSource(false, "zeb_x", "SQLite3", {{"Key", "a\n[evil]"}}));
    EXPECT_FALSE(installer.writeDataSource(false, "zeb_x", "SQLite3", {{"K=ey", "v"}}));
    EXPECT_EQ(readIni(userIni).count("zeb_x") + readIni(userIni).count("evil"), 0u);
}

// The stock drivers have no setup routine: SQLConfigDataSource answers with
// the installer's general error, which is what setup falls back on, and
// writes nothing.
TEST(OdbcInstaller, SetupRoutineOfTheStockDriversIsTheGeneralError) {
    zebtest::TempDir dir;
    zebtest::EnvGuard env;
    const std::string userIni = dir.path() + "/user.odbc.ini";
    zebtest::writeFile(dir.path() + "/sys/odbcinst.ini",
                       "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n"
                       "Setup=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n\n"
                       "[PostgreSQL ANSI]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbca.so\n");
    zebtest::writeFile(userIni, "");
    env.set("ODBCSYSINI", dir.path() + "/sys");
    env.set("ODBCINI", userIni);

    OdbcInstaller installer;
    ASSERT_TRUE(installer.isLoaded()) << installer.lastError();
    for (const char* driver : {"SQLite3", "PostgreSQL ANSI"}) {
        for (bool system : {false, true}) {
            EXPECT_FALSE(installer.configDataSource(system, driver,
                                                    {{"DSN", "zeb_cfg"}, {"Database", "/x.db"}}))
                << driver;
            EXPECT_EQ(installer.lastErrorCode(), OdbcInstaller::kGeneralError)
                << driver << ": " << installer.lastError();
        }
    }
    EXPECT_EQ(readIni(userIni).count("zeb_cfg"), 0u);
    // An attribute that would change the list's meaning is refused before
    // the driver sees it.
    EXPECT_FALSE(installer.configDataSource(false, "SQLite3", {{"DS=N", "x"}}));
    EXPECT_EQ(installer.lastErrorCode(), 0);
    EXPECT_FALSE(installer.configDataSource(false, "SQLite3", {{"DSN", std::string("a\0b", 3)}}));
}

}  // namespace

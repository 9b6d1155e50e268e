// The "Configure ODBC" page against real data sources: the data source it
// adds, the registry values, and the tables with and without overwriting.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/DatabaseInstance.h"
#include "core/Registry.h"
#include "core/Statements.h"
#include "platform/RegistryStore.h"
#include "setup/model/DataSourcePage.h"
#include "setup/model/SetupStrings.h"
#include "tests/setup/SetupTestSupport.h"
#include "tests/support/BackendTest.h"

using namespace setup;
using zeb::platform::RegistryStore;

namespace {

std::string registryValue(const std::string& name) {
    std::string value = "<none>";
    RegistryStore::getString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name, value);
    return value;
}

class DataSourcePageTest : public zebtest::BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        m_user = registryValue("UID");
        m_password = registryValue("PWD");
        m_source = zebtest::readIni(workDir() + "/odbc.ini")[dataSourceName()];
        m_context.person = &m_person;
        m_context.places = Places::make(Places::Scope::User, workDir() + "/home",
                                        workDir() + "/data", workDir() + "/config", "");
        m_context.odbcInstaller = "libodbcinst.so.2";
        m_context.programPath = "/release/install";
    }

    std::string driver() const {
        return backend() == zebtest::Backend::SQLite ? "SQLite3" : "PostgreSQL ANSI";
    }

    // A new page, filled in for this test's database under a new name (the
    // driver manager keeps what it read of a data source for a while).
    std::unique_ptr<Page> open(PageFields& fields, const std::string& database = "") {
        auto page = makeDataSourcePage(m_context);
        page->init(fields);
        fields.setText(kDriver, driver());
        page->command(kDriver, fields);
        fields.setText(kDataSourceName, dataSourceName() + "_p" + std::to_string(++m_pages));
        fields.setText(kUserId, m_user);
        fields.setText(kPassword, m_password);
        if (backend() == zebtest::Backend::SQLite) {
            fields.setText(kDatabaseFile, database.empty() ? m_source["Database"] : database);
        } else {
            fields.setText(kServer, m_source["Servername"]);
            fields.setText(kPort, m_source["Port"]);
            fields.setText(kDatabaseName, database.empty() ? m_source["Database"] : database);
        }
        return page;
    }

    int next(Page& page, PageFields& fields) {
        const std::optional<int> code = page.command(kDataSourceNext, fields);
        EXPECT_TRUE(code.has_value());
        return code.value_or(0);
    }

    bool tableExists(const char* table) {
        return rawExec(std::string("SELECT * FROM ") + table + " WHERE 1 = 0");
    }
    std::vector<bool> tables() {
        return {tableExists("MASTERZEB"), tableExists("REVTABLE"), tableExists("FILETABLE")};
    }

    zebtest::ScriptedPerson m_person;
    SetupContext m_context;
    std::string m_user;
    std::string m_password;
    zebtest::IniSection m_source;
    int m_pages = 0;
};

const std::vector<bool> kAllTables = {true, true, true};

// An empty database: the data source is added for the user, "DSN", "UID"
// and "PWD" go to the registry in this order, the three tables are made,
// and the wizard goes on.
TEST_P(DataSourcePageTest, EmptyDatabaseGetsTheDataSourceTheValuesAndTheTables) {
    zebtest::EnvGuard env;
    env.set("ZEBDOC_REGISTRY", workDir() + "/fresh.reg");
    PageFields fields;
    auto page = open(fields);
    const std::string dsn = fields.text(kDataSourceName);
    EXPECT_EQ(next(*page, fields), kDataSourceNext);
    EXPECT_TRUE(m_person.messages.empty());
    EXPECT_EQ(tables(), kAllTables);

    EXPECT_EQ(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY),
              (std::vector<std::string>{"DSN", "UID", "PWD"}));
    EXPECT_EQ(registryValue("DSN"), dsn);
    EXPECT_EQ(registryValue("UID"), m_user);
    EXPECT_EQ(registryValue("PWD"), m_password);
    struct stat st {};
    ASSERT_EQ(stat((workDir() + "/fresh.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The user's data source, with the database the page asked for and
    // without the password, which odbc.ini would show to others.
    auto section = zebtest::readIni(workDir() + "/odbc.ini")[dsn];
    EXPECT_EQ(section["Driver"], driver());
    EXPECT_EQ(section["UID"], m_user);
    EXPECT_EQ(section.count("PWD") + section.count("Password"), 0u);
    if (backend() == zebtest::Backend::SQLite) {
        EXPECT_EQ(section["Database"], m_source["Database"]);
        EXPECT_EQ(section["JournalMode"], "WAL");
        EXPECT_EQ(section["SyncPragma"], "FULL");
        EXPECT_EQ(section["Timeout"], "10000");
    } else {
        EXPECT_EQ(section["Servername"], m_source["Servername"]);
        EXPECT_EQ(section["Port"], m_source["Port"]);
        EXPECT_EQ(section["Database"], m_source["Database"]);
        EXPECT_FALSE(m_password.empty());
        EXPECT_EQ(zebtest::readFile(workDir() + "/odbc.ini").find(m_password), std::string::npos);
    }
    const char* sysini = std::getenv("ODBCSYSINI");
    ASSERT_NE(sysini, nullptr);
    EXPECT_EQ(zebtest::readIni(std::string(sysini) + "/odbc.ini").count(dsn), 0u);
}

TEST_P(DataSourcePageTest, SystemInstallAddsASystemDataSource) {
    m_context.places = Places::make(Places::Scope::System, workDir() + "/home", workDir() + "/data",
                                    workDir() + "/config", workDir() + "/root");
    PageFields fields;
    auto page = open(fields);
    const std::string dsn = fields.text(kDataSourceName);
    EXPECT_EQ(next(*page, fields), kDataSourceNext);
    EXPECT_EQ(tables(), kAllTables);
    const char* sysini = std::getenv("ODBCSYSINI");
    ASSERT_NE(sysini, nullptr);
    EXPECT_EQ(zebtest::readIni(std::string(sysini) + "/odbc.ini")[dsn]["Driver"], driver());
    EXPECT_EQ(zebtest::readIni(workDir() + "/odbc.ini").count(dsn), 0u);
    // The password stays in the user's own registry file.
    EXPECT_EQ(RegistryStore::writePath(), std::string(std::getenv("ZEBDOC_REGISTRY")));
    EXPECT_EQ(registryValue("PWD"), m_password);
}

// MASTERZEB is there: the question of string 1023. Cancel goes back to the
// User information page without making the other two; OK drops and makes
// all three again.
TEST_P(DataSourcePageTest, ExistingMasterTableAsksBeforeOverwriting) {
    ASSERT_TRUE(rawExec(Statements::createMasterTable()));
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB (UID, VerName) VALUES('u1', 'n')"));
    resetInstance();

    PageFields fields;
    auto page = open(fields);
    EXPECT_EQ(next(*page, fields), kDataSourceBack);
    ASSERT_EQ(m_person.messageIds(), std::vector<int>{kMsgTablesFailed});
    EXPECT_EQ(m_person.messages[0].text, kTextTablesFailed);
    EXPECT_EQ(m_person.messages[0].caption, "Setup Error");
    EXPECT_EQ(m_person.messages[0].style, kStyleOkCancel | kStyleIconError);
    EXPECT_EQ(tables(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(rawCount("SELECT * FROM MASTERZEB"), 1u) << "Cancel keeps the rows";

    m_person.answers[kMsgTablesFailed] = kAnswerOk;
    PageFields again;
    auto second = open(again);
    EXPECT_EQ(next(*second, again), kDataSourceNext);
    EXPECT_EQ(tables(), kAllTables);
    EXPECT_EQ(rawCount("SELECT * FROM MASTERZEB"), 0u) << "OK overwrote the table";
}

// Only FILETABLE is there: the first attempt makes MASTERZEB and REVTABLE
// and fails on FILETABLE; OK makes all three again from the start.
TEST_P(DataSourcePageTest, OnlyFileTableExists) {
    ASSERT_TRUE(rawExec(Statements::createFileTable()));
    ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('u1', '/a/b.txt')"));
    resetInstance();

    PageFields fields;
    auto page = open(fields);
    EXPECT_EQ(next(*page, fields), kDataSourceBack);
    EXPECT_EQ(tables(), kAllTables) << "the first attempt made the first two";
    EXPECT_EQ(rawCount("SELECT * FROM FILETABLE"), 1u);

    m_person.answers[kMsgTablesFailed] = kAnswerOk;
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB (UID, VerName) VALUES('u1', 'n')"));
    resetInstance();
    PageFields again;
    auto second = open(again);
    EXPECT_EQ(next(*second, again), kDataSourceNext);
    EXPECT_EQ(tables(), kAllTables);
    EXPECT_EQ(rawCount("SELECT * FROM FILETABLE"), 0u);
    EXPECT_EQ(rawCount("SELECT * FROM MASTERZEB"), 0u) << "the overwrite pass starts at the first";
    EXPECT_EQ(m_person.messageIds(), (std::vector<int>{kMsgTablesFailed, kMsgTablesFailed}));
}

// A data source that cannot be reached gets no offer to overwrite tables
// that cannot be there: the page says why and goes back.
TEST_P(DataSourcePageTest, ConnectionThatFailsGoesBackWithTheReason) {
    PageFields fields;
    std::unique_ptr<Page> page;
    if (backend() == zebtest::Backend::SQLite) {
        zebtest::writeFile(workDir() + "/plainfile", "x");
        page = open(fields, workDir() + "/plainfile/zebdoc.db");
    } else {
        page = open(fields);
        fields.setText(kPort, "1");  // nothing listens there
    }
    const std::string dsn = fields.text(kDataSourceName);
    m_person.answers[kMsgTablesFailed] = kAnswerOk;
    EXPECT_EQ(next(*page, fields), kDataSourceBack);
    ASSERT_EQ(m_person.messageIds(), std::vector<int>{kMsgCannotConnect});
    EXPECT_NE(m_person.messages[0].text.find("\"" + dsn + "\""), std::string::npos);
    EXPECT_NE(m_person.messages[0].text.find("SQL Error State"), std::string::npos)
        << m_person.messages[0].text;
    // What the page did before the tables stays: the data source and the
    // registry values.
    EXPECT_EQ(registryValue("DSN"), dsn);
}

// No driver, an unknown one or a name the driver manager refuses: string
// 1021, and setup ends; the registry keeps its values.
TEST_P(DataSourcePageTest, DataSourceThatCannotBeAddedEndsSetup) {
    const std::string before = registryValue("DSN");
    const struct {
        const char* driver;
        const char* dsn;
    } cases[] = {{"", "zeb_nodriver"},
                 {"No Such Driver", "zeb_unknown"},
                 {nullptr, "bad]name"},
                 {nullptr, ""}};
    for (const auto& c : cases) {
        PageFields fields;
        auto page = open(fields);
        if (c.driver != nullptr) {
            fields.setText(kDriver, c.driver);
        }
        fields.setText(kDataSourceName, c.dsn);
        m_person.messages.clear();
        EXPECT_EQ(next(*page, fields), kEndCancel) << c.dsn;
        ASSERT_EQ(m_person.messageIds(), std::vector<int>{kMsgCannotConfigure}) << c.dsn;
        EXPECT_EQ(m_person.messages[0].text,
                  "Cannot configure data source. Setup cannot continue.");
        EXPECT_EQ(m_person.messages[0].caption, "Setup Error");
        EXPECT_EQ(m_person.messages[0].style, kStyleOk | kStyleIconError);
    }
    EXPECT_EQ(registryValue("DSN"), before);
    EXPECT_EQ(tables(), (std::vector<bool>{false, false, false}));
}

// After Back, another data source: its tables go to it, not to the one the
// process connected to first.
TEST_P(DataSourcePageTest, AnotherDataSourceAfterBackGetsTheTables) {
    if (backend() == zebtest::Backend::PostgreSQL) {
        GTEST_SKIP() << "one database per test on the shared cluster";
    }
    PageFields fields;
    auto page = open(fields);
    ASSERT_EQ(next(*page, fields), kDataSourceNext);

    const std::string other = workDir() + "/other/second.db";
    PageFields again;
    auto second = open(again, other);
    again.setText(kPassword, "");  // an empty password is a value too
    EXPECT_EQ(next(*second, again), kDataSourceNext);
    EXPECT_TRUE(m_person.messages.empty());
    EXPECT_EQ(registryValue("DSN"), again.text(kDataSourceName));
    EXPECT_EQ(registryValue("PWD"), "");
    // The database file was made private before the driver opened it.
    struct stat st {};
    ASSERT_EQ(stat(other.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat((workDir() + "/other").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    DatabaseInstance* db = DatabaseInstance::instance();
    for (const char* table : {"MASTERZEB", "REVTABLE", "FILETABLE"}) {
        EXPECT_TRUE(db->executeUpdate(std::string("SELECT * FROM ") + table + " WHERE 1 = 0"))
            << table;
    }
}

ZEB_INSTANTIATE_BACKENDS(DataSourcePageTest);

class DataSourceFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        zebtest::writeFile(m_dir.path() + "/odbcinst.ini",
                           "[SQLite3]\nDriver=/nonexistent/libsqlite3odbc.so\n\n"
                           "[PostgreSQL ANSI]\nDriver=/nonexistent/psqlodbca.so\n\n"
                           "[Other Driver]\nDriver=/nonexistent/other.so\n");
        m_env.set("ODBCSYSINI", m_dir.path());
        m_env.set("ODBCINI", m_dir.path() + "/odbc.ini");
        m_context.person = &m_person;
        m_context.places = Places::make(Places::Scope::User, "/h", "/h/data", "/h/cfg", "");
        m_context.odbcInstaller = "libodbcinst.so.2";
        m_context.programPath = "/release/install";
    }

    zebtest::TempDir m_dir;
    zebtest::EnvGuard m_env;
    zebtest::ScriptedPerson m_person;
    SetupContext m_context;
};

// The installed drivers are offered, none chosen; the fields of the
// database appear for the driver chosen, with defaults where empty.
TEST_F(DataSourceFieldsTest, DatabaseFieldsFollowTheDriver) {
    auto page = makeDataSourcePage(m_context);
    PageFields fields;
    page->init(fields);
    EXPECT_EQ(fields.choices(kDriver),
              (std::vector<std::string>{"SQLite3", "PostgreSQL ANSI", "Other Driver"}));
    EXPECT_EQ(fields.text(kDriver), "");
    auto shown = [&] {
        std::vector<int> ids;
        for (int id : {kDatabaseFile, kServer, kPort, kDatabaseName}) {
            if (!fields.isHidden(id)) {
                ids.push_back(id);
            }
        }
        return ids;
    };
    EXPECT_EQ(shown(), std::vector<int>{});

    fields.setText(kDriver, "SQLite3");
    page->command(kDriver, fields);
    EXPECT_EQ(shown(), std::vector<int>{kDatabaseFile});
    EXPECT_EQ(fields.text(kDatabaseFile), "/h/data/zebdoc/zebdoc.db");
    fields.setText(kDatabaseFile, "/mine/z.db");

    fields.setText(kDriver, "PostgreSQL ANSI");
    page->command(kDriver, fields);
    EXPECT_EQ(shown(), (std::vector<int>{kServer, kPort, kDatabaseName}));
    EXPECT_EQ(fields.text(kServer), "localhost");
    EXPECT_EQ(fields.text(kPort), "5432");
    EXPECT_EQ(fields.text(kDatabaseName), "zebdoc");

    fields.setText(kDriver, "Other Driver");
    page->command(kDriver, fields);
    EXPECT_EQ(shown(), std::vector<int>{});
    fields.setText(kDriver, "SQLite3");
    page->command(kDriver, fields);
    EXPECT_EQ(fields.text(kDatabaseFile), "/mine/z.db") << "what was typed stays";
    EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(DataSourceFieldsTest, AttributesForEachKindOfDriverWithoutThePassword) {
    using Attributes = std::vector<std::pair<std::string, std::string>>;
    PageFields fields;
    fields.setText(kDataSourceName, "zebdoc");
    fields.setText(kUserId, "jo");
    fields.setText(kPassword, "s3cret");
    fields.setText(kDatabaseFile, "/d/zebdoc.db");
    fields.setText(kServer, "db.example.org");
    fields.setText(kPort, "5433");
    fields.setText(kDatabaseName, "docs");
    const struct {
        const char* driver;
        DriverKind kind;
        Attributes attributes;
    } cases[] = {
        {"SQLite3",
         DriverKind::SQLite,
         {{"DSN", "zebdoc"},
          {"UID", "jo"},
          {"Database", "/d/zebdoc.db"},
          {"JournalMode", "WAL"},
          {"SyncPragma", "FULL"},
          {"Timeout", "10000"}}},
        {"PostgreSQL Unicode",
         DriverKind::PostgreSQL,
         {{"DSN", "zebdoc"},
          {"UID", "jo"},
          {"Servername", "db.example.org"},
          {"Port", "5433"},
          {"Database", "docs"}}},
        {"psqlODBC", DriverKind::PostgreSQL, {}},
        {"sqlite", DriverKind::SQLite, {}},
        {"Other Driver", DriverKind::Other, {{"DSN", "zebdoc"}, {"UID", "jo"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(driverKind(c.driver), c.kind) << c.driver;
        if (!c.attributes.empty()) {
            fields.setText(kDriver, c.driver);
            EXPECT_EQ(dataSourceAttributes(fields), c.attributes) << c.driver;
        }
    }
}

// The installer library missing, or lacking a function: the messages say
// so, the driver list stays empty and Next cannot configure.
TEST_F(DataSourceFieldsTest, InstallerLibraryMissingOrIncomplete) {
    const struct {
        const char* library;
        int message;
        std::vector<std::string> inText;
    } cases[] = {
        {"libzeb-no-such-installer.so.9",
         kMsgInstallerMissing,
         {"The ODBC installer DLL (libzeb-no-such-installer.so.9) is not installed on this "
          "system."}},
        {"libm.so.6",
         kMsgInstallerFunctionMissing,
         {"The program /release/install, or one of its DLLs attempted to call the function "
          "SQLGetInstalledDrivers which is not supported in the loaded ODBC installer DLL (",
          "libm.so.6).  Press OK to proceed."}},
    };
    for (const auto& c : cases) {
        m_context.odbcInstaller = c.library;
        m_person.messages.clear();
        auto page = makeDataSourcePage(m_context);
        PageFields fields;
        page->init(fields);
        EXPECT_TRUE(fields.choices(kDriver).empty());
        fields.setText(kDriver, "SQLite3");
        fields.setText(kDataSourceName, "zebdoc");
        EXPECT_EQ(page->command(kDataSourceNext, fields), std::optional<int>(kEndCancel));
        ASSERT_EQ(m_person.messageIds(),
                  (std::vector<int>{c.message, c.message, kMsgCannotConfigure}));
        for (const std::string& piece : c.inText) {
            EXPECT_NE(m_person.messages[0].text.find(piece), std::string::npos)
                << m_person.messages[0].text;
        }
        EXPECT_EQ(m_person.messages[0].caption, "ODBC Installer Error");
        EXPECT_EQ(m_person.messages[0].style, kStyleOk | kStyleIconInformation);
    }
}

}  // namespace

#include "tests/support/BackendTest.h"

#include <dlfcn.h>
#include <glob.h>
#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/Registry.h"
#include "core/Schema.h"
#include "platform/RegistryStore.h"

namespace fs = std::filesystem;

namespace zebtest {
namespace {

// Numbers the data sources and databases of the process: names are never
// reused, because unixODBC caches what it read from odbc.ini.
std::atomic<int> g_serial{0};

std::string uniqueSuffix() {
    static const unsigned salt = std::random_device{}() & 0xFFFF;
    std::ostringstream out;
    out << getpid() << '_' << std::hex << salt << std::dec << '_' << ++g_serial;
    return out.str();
}

std::string pgClusterDir() {
    const char* dir = std::getenv("ZEBDOC_TEST_PGDIR");
    return dir != nullptr && *dir != '\0' ? dir : ZEBDOC_TEST_PGDIR;
}

// The first file matching one of the patterns, or empty.
std::string findFile(const std::vector<std::string>& patterns) {
    for (const std::string& pattern : patterns) {
        glob_t matches{};
        if (glob(pattern.c_str(), 0, nullptr, &matches) == 0 && matches.gl_pathc > 0) {
            std::string found = matches.gl_pathv[0];
            globfree(&matches);
            return found;
        }
        globfree(&matches);
    }
    return std::string();
}

std::string findDriver(const std::string& file) {
    return findFile({"/usr/lib/*/odbc/" + file, "/usr/lib/odbc/" + file, "/usr/lib64/" + file,
                     "/usr/local/lib/" + file, "/usr/lib/*/" + file});
}

// KEY=VALUE lines of the cluster's env file.
std::map<std::string, std::string> readEnvFile(const std::string& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos) {
            values[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return values;
}

std::string diagnosticText(SQLSMALLINT type, SQLHANDLE handle) {
    std::string text;
    for (SQLSMALLINT record = 1; record < 20; ++record) {
        SQLCHAR state[6] = {0};
        SQLINTEGER native = 0;
        SQLCHAR message[512] = {0};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, record, state, &native, message,
                                         sizeof(message), &length))) {
            break;
        }
        text += std::string(reinterpret_cast<char*>(state)) + ": " +
                reinterpret_cast<char*>(message) + "\n";
    }
    return text;
}

void appendFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << bytes;
}

void makeTreeWritable(const std::string& path) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
}

void removeTree(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    makeTreeWritable(path);
    fs::remove_all(path, ec);
}

// The SQLite driver loads the ODBC installer library for every connection
// and unloads it at disconnect, which strands the library's cache of odbc.ini
// look-ups (LeakSanitizer reports it). DatabaseInstance keeps the library
// resident; so do the raw connections here, which may come first.
void keepInstallerLibraryResident() {
    static const bool done = [] {
        void* handle = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle != nullptr) {
            dlclose(handle);
        }
        return true;
    }();
    (void)done;
}

std::string makeTempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zebtest.XXXXXX";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    return mkdtemp(name.data()) != nullptr ? std::string(name.data()) : std::string();
}

// unixODBC reads odbcinst.ini from the ODBCSYSINI folder it saw first in the
// process, whatever the variable says later: the drivers are declared once
// per process, in a folder that lives as long as the process. Data sources
// go to each test's own user odbc.ini (ODBCINI is read anew every time).
class SystemOdbcDir {
public:
    SystemOdbcDir() : m_path(makeTempDir()) {
        if (m_path.empty()) {
            return;
        }
        m_sqliteDriver = findDriver("libsqlite3odbc.so");
        m_pgDriver = findDriver("psqlodbca.so");
        std::string drivers;
        if (!m_sqliteDriver.empty()) {
            drivers += "[SQLite3]\nDriver=" + m_sqliteDriver + "\nSetup=" + m_sqliteDriver +
                       "\nThreading=2\n\n";
        }
        if (!m_pgDriver.empty()) {
            drivers += "[PostgreSQL ANSI]\nDriver=" + m_pgDriver + "\n\n";
        }
        writeFile(m_path + "/odbcinst.ini", drivers);
        writeFile(m_path + "/odbc.ini", "");
    }
    ~SystemOdbcDir() { removeTree(m_path); }
    SystemOdbcDir(const SystemOdbcDir&) = delete;
    SystemOdbcDir& operator=(const SystemOdbcDir&) = delete;

    const std::string& path() const { return m_path; }
    const std::string& sqliteDriver() const { return m_sqliteDriver; }
    const std::string& pgDriver() const { return m_pgDriver; }

private:
    std::string m_path;
    std::string m_sqliteDriver;
    std::string m_pgDriver;
};

const SystemOdbcDir& systemOdbcDir() {
    static const SystemOdbcDir dir;
    return dir;
}

}  // namespace

// A connection of its own, outside the classes under test. Reads every
// column as text with SQLGetData.
class BackendTest::RawConnection {
public:
    RawConnection() = default;
    ~RawConnection() {
        if (m_dbc != SQL_NULL_HDBC) {
            SQLDisconnect(m_dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        }
        if (m_env != SQL_NULL_HENV) {
            SQLFreeHandle(SQL_HANDLE_ENV, m_env);
        }
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool open(const std::string& dsn, const std::string& user, const std::string& password) {
        if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env) != SQL_SUCCESS) {
            m_error = "cannot allocate an ODBC environment";
            return false;
        }
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                      SQL_IS_INTEGER);
        if (SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc) != SQL_SUCCESS) {
            m_error = "cannot allocate an ODBC connection";
            return false;
        }
        SQLRETURN rc = SQLConnect(m_dbc, sqlText(dsn), SQL_NTS, sqlText(user), SQL_NTS,
                                  sqlText(password), SQL_NTS);
        if (!SQL_SUCCEEDED(rc)) {
            m_error = "connecting to " + dsn + ": " + diagnosticText(SQL_HANDLE_DBC, m_dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
            m_dbc = SQL_NULL_HDBC;
            return false;
        }
        return true;
    }

    // Runs `sql`; collects its rows into `rows` when given.
    bool exec(const std::string& sql, std::vector<Row>* rows) {
        m_error.clear();
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        if (m_dbc == SQL_NULL_HDBC ||
            SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt) != SQL_SUCCESS) {
            m_error = "no connection";
            return false;
        }
        bool ok = run(stmt, sql, rows);
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return ok;
    }

    const std::string& error() const { return m_error; }

private:
    static SQLCHAR* sqlText(const std::string& text) {
        return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
    }

    bool run(SQLHSTMT stmt, const std::string& sql, std::vector<Row>* rows) {
        SQLRETURN rc = SQLExecDirect(stmt, sqlText(sql), static_cast<SQLINTEGER>(sql.size()));
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO && rc != SQL_NO_DATA) {
            m_error = diagnosticText(SQL_HANDLE_STMT, stmt);
            return false;
        }
        if (rows == nullptr) {
            return true;
        }
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt, &columns);
        if (columns <= 0) {
            return true;
        }
        while (true) {
            rc = SQLFetch(stmt);
            if (rc == SQL_NO_DATA) {
                return true;
            }
            if (!SQL_SUCCEEDED(rc)) {
                m_error = diagnosticText(SQL_HANDLE_STMT, stmt);
                return false;
            }
            Row row;
            for (SQLUSMALLINT column = 1; column <= static_cast<SQLUSMALLINT>(columns); ++column) {
                row.push_back(readColumn(stmt, column));
            }
            rows->push_back(std::move(row));
        }
    }

    static std::optional<std::string> readColumn(SQLHSTMT stmt, SQLUSMALLINT column) {
        std::string value;
        char buffer[4096];
        while (true) {
            SQLLEN indicator = 0;
            SQLRETURN rc = SQLGetData(stmt, column, SQL_C_CHAR, buffer, sizeof(buffer), &indicator);
            if (rc == SQL_NO_DATA) {
                break;
            }
            if (!SQL_SUCCEEDED(rc)) {
                break;
            }
            if (indicator == SQL_NULL_DATA) {
                return std::nullopt;
            }
            size_t got = strnlen(buffer, sizeof(buffer));
            value.append(buffer, got);
            if (rc == SQL_SUCCESS) {
                break;
            }
            // SQL_SUCCESS_WITH_INFO: the rest follows in the next call.
        }
        return value;
    }

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    std::string m_error;
};

std::string backendName(Backend backend) {
    return backend == Backend::SQLite ? "SQLite" : "PostgreSQL";
}

void BackendTest::SetUp() {
    m_workDir = makeTempDir();
    ASSERT_FALSE(m_workDir.empty()) << "cannot make a temporary folder";
    m_installDir = m_workDir + "/install";
    fs::create_directories(m_installDir);

    keepInstallerLibraryResident();
    // Set before any ODBC call of the process (see systemOdbcDir()).
    const SystemOdbcDir& sys = systemOdbcDir();
    ASSERT_FALSE(sys.path().empty()) << "cannot make the ODBC configuration folder";
    writeFile(m_workDir + "/odbc.ini", "");
    setenv("ODBCSYSINI", sys.path().c_str(), 1);
    setenv("ODBCINI", (m_workDir + "/odbc.ini").c_str(), 1);
    setenv("ZEBDOC_REGISTRY", (m_workDir + "/registry.reg").c_str(), 1);

    if (backend() == Backend::SQLite) {
        ASSERT_FALSE(sys.sqliteDriver().empty())
            << "the SQLite ODBC driver (libsqliteodbc) is missing";
        m_database = m_workDir + "/zebdoc.db";
        m_dsn = addDataSource({{"Driver", "SQLite3"},
                               {"Database", m_database},
                               {"JournalMode", "WAL"},
                               {"SyncPragma", "FULL"},
                               {"Timeout", "10000"}});
    } else {
        std::string dir = pgClusterDir();
        if (fs::exists(dir + "/unavailable")) {
            m_skipped = true;
            std::string reason = readFile(dir + "/unavailable");
            while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) {
                reason.pop_back();
            }
            GTEST_SKIP() << "PostgreSQL cluster not available: " << reason;
        }
        std::map<std::string, std::string> env = readEnvFile(dir + "/env");
        if (env["PORT"].empty()) {
            m_skipped = true;
            GTEST_SKIP() << "PostgreSQL cluster not available: no running cluster described in "
                         << dir << "/env (run the tests through ctest, which starts one)";
        }
        ASSERT_FALSE(sys.pgDriver().empty())
            << "the PostgreSQL ODBC driver (odbc-postgresql) is missing";
        m_user = env["USER"];
        m_password = env["PASSWORD"];
        m_adminDsn = addDataSource({{"Driver", "PostgreSQL ANSI"},
                                    {"Servername", "127.0.0.1"},
                                    {"Port", env["PORT"]},
                                    {"Database", "postgres"}});
        m_database = "zt_" + uniqueSuffix();
        createPostgresDatabase();
        if (HasFatalFailure()) {
            return;
        }
        m_dsn = addDataSource({{"Driver", "PostgreSQL ANSI"},
                               {"Servername", "127.0.0.1"},
                               {"Port", env["PORT"]},
                               {"Database", m_database}});
    }

    setRegistryValue("DSN", m_dsn);
    setRegistryValue("UID", m_user);
    setRegistryValue("PWD", m_password);
    setRegistryValue("DestinationPath", m_installDir);
    ArchiveRoot::refresh();
}

void BackendTest::TearDown() {
    if (DatabaseInstance::hasInstance()) {
        delete DatabaseInstance::instance();
    }
    m_raw.reset();
    if (backend() == Backend::PostgreSQL && !m_skipped && !m_adminDsn.empty()) {
        dropPostgresDatabase();
    }
    const char* keep = std::getenv("ZEBDOC_KEEP_TEST_DIRS");
    if (keep == nullptr || *keep == '\0') {
        removeTree(m_workDir);
    }
}

std::string BackendTest::addDataSource(
    const std::vector<std::pair<std::string, std::string>>& attributes) {
    std::string name = "zeb_" + uniqueSuffix();
    std::string section = "[" + name + "]\n";
    for (const auto& [key, value] : attributes) {
        section += key + "=" + value + "\n";
    }
    appendFile(m_workDir + "/odbc.ini", section + "\n");
    return name;
}

void BackendTest::createTables() {
    EXPECT_TRUE(Schema::createTables(false)) << DatabaseInstance::lastError();
}

bool BackendTest::adminExec(const std::string& sql) {
    RawConnection admin;
    if (!admin.open(m_adminDsn, m_user, m_password)) {
        ADD_FAILURE() << admin.error();
        return false;
    }
    if (!admin.exec(sql, nullptr)) {
        ADD_FAILURE() << sql << ": " << admin.error();
        return false;
    }
    return true;
}

void BackendTest::createPostgresDatabase() {
    ASSERT_TRUE(adminExec("CREATE DATABASE " + m_database));
}

void BackendTest::dropPostgresDatabase() {
    adminExec("DROP DATABASE IF EXISTS " + m_database + " WITH (FORCE)");
}

BackendTest::RawConnection* BackendTest::rawConnection() {
    // A SQLite connection can miss a schema change made by another one (an
    // INSERT is checked against the columns it knew), so on SQLite every raw
    // statement gets a connection of its own; they are cheap there.
    if (backend() == Backend::SQLite) {
        m_raw.reset();
    }
    if (m_raw == nullptr) {
        auto raw = std::make_shared<RawConnection>();
        if (!raw->open(m_dsn, m_user, m_password)) {
            ADD_FAILURE() << "raw connection: " << raw->error();
            return nullptr;
        }
        m_raw = raw;
    }
    return m_raw.get();
}

std::vector<Row> BackendTest::rawQuery(const std::string& sql) {
    std::vector<Row> rows;
    RawConnection* raw = rawConnection();
    if (raw != nullptr && !raw->exec(sql, &rows)) {
        ADD_FAILURE() << "raw query failed: " << sql << "\n" << raw->error();
    }
    return rows;
}

bool BackendTest::rawExec(const std::string& sql) {
    RawConnection* raw = rawConnection();
    return raw != nullptr && raw->exec(sql, nullptr);
}

void BackendTest::resetInstance() {
    if (DatabaseInstance::hasInstance()) {
        delete DatabaseInstance::instance();
    }
}

void BackendTest::stopServer() {
    if (backend() != Backend::PostgreSQL || m_skipped) {
        return;
    }
    m_raw.reset();
    // pg_terminate_backend with a timeout waits until the session is gone.
    adminExec("ALTER DATABASE " + m_database + " ALLOW_CONNECTIONS false");
    adminExec("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity WHERE datname = '" +
              m_database + "' AND pid <> pg_backend_pid()");
}

void BackendTest::startServer() {
    if (backend() != Backend::PostgreSQL || m_skipped) {
        return;
    }
    adminExec("ALTER DATABASE " + m_database + " ALLOW_CONNECTIONS true");
}

void BackendTest::setRegistryValue(const std::string& name, const std::string& value) {
    EXPECT_TRUE(zeb::platform::RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY,
                                                        name, value))
        << "cannot write the registry value " << name;
}

TempDir::TempDir() : m_path(makeTempDir()) {}

TempDir::~TempDir() {
    removeTree(m_path);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) {
        fs::create_directories(parent, ec);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace zebtest

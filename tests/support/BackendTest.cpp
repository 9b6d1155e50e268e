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

// Names of data sources and databases are never reused in a process, because
// unixODBC caches what it read from odbc.ini.
std::string uniqueSuffix() {
    static std::atomic<int> serial{0};
    static const unsigned salt = std::random_device{}() & 0xFFFF;
    std::ostringstream out;
    out << getpid() << '_' << std::hex << salt << std::dec << '_' << ++serial;
    return out.str();
}

// The driver library `file` in the usual places, or empty.
std::string findDriver(const std::string& file) {
    for (const char* folder :
         {"/usr/lib/*/odbc/", "/usr/lib/odbc/", "/usr/lib64/", "/usr/local/lib/", "/usr/lib/*/"}) {
        glob_t matches{};
        const bool found = glob((folder + file).c_str(), 0, nullptr, &matches) == 0;
        const std::string path = found ? matches.gl_pathv[0] : "";
        globfree(&matches);
        if (found) {
            return path;
        }
    }
    return std::string();
}

std::string diagnosticText(SQLSMALLINT type, SQLHANDLE handle) {
    std::string text;
    SQLCHAR state[6];
    SQLCHAR message[512];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLSMALLINT record = 1;
    while (record < 20 && SQL_SUCCEEDED(SQLGetDiagRec(type, handle, record++, state, &native,
                                                      message, sizeof(message), &length))) {
        text += std::string(reinterpret_cast<char*>(state)) + ": " +
                reinterpret_cast<char*>(message) + "\n";
    }
    return text;
}

// Removes a tree, also below folders a test made unreadable.
void removeTree(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(path, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(path, ec);
}

// The SQLite driver loads the ODBC installer library for every connection
// and unloads it at disconnect, which strands the library's cache of odbc.ini
// look-ups (LeakSanitizer reports it). DatabaseInstance keeps the library
// resident; so do the raw connections here, which may come first.
void keepInstallerLibraryResident() {
    static const bool done = [] {
        if (void* handle = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)) {
            dlclose(handle);
        }
        return true;
    }();
    (void)done;
}

std::string makeTempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string name =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zebtest.XXXXXX";
    return mkdtemp(name.data()) != nullptr ? name : std::string();
}

// unixODBC reads odbcinst.ini from the ODBCSYSINI folder it saw first in the
// process, whatever the variable says later: the drivers are declared once
// per process, in a folder that lives as long as the process. Data sources
// go to each test's own user odbc.ini (ODBCINI is read anew every time).
struct SystemOdbcDir {
    SystemOdbcDir() : path(makeTempDir()) {
        std::string drivers;
        if (!sqliteDriver.empty()) {
            drivers += "[SQLite3]\nDriver=" + sqliteDriver + "\nSetup=" + sqliteDriver +
                       "\nThreading=2\n\n";
        }
        if (!pgDriver.empty()) {
            drivers += "[PostgreSQL ANSI]\nDriver=" + pgDriver + "\n\n";
        }
        if (!path.empty()) {
            writeFile(path + "/odbcinst.ini", drivers);
            writeFile(path + "/odbc.ini", "");
        }
    }
    ~SystemOdbcDir() { removeTree(path); }

    const std::string path;
    const std::string sqliteDriver = findDriver("libsqlite3odbc.so");
    const std::string pgDriver = findDriver("psqlodbca.so");
};

const SystemOdbcDir& systemOdbcDir() {
    static const SystemOdbcDir dir;
    return dir;
}

SQLCHAR* sqlText(const std::string& text) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str()));
}

}  // namespace

// A connection of its own, outside the classes under test. Reads every
// column as text with SQLGetData.
class BackendTest::RawConnection {
public:
    RawConnection() = default;
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    ~RawConnection() {
        if (m_dbc != SQL_NULL_HDBC) {
            SQLDisconnect(m_dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        }
        if (m_env != SQL_NULL_HENV) {
            SQLFreeHandle(SQL_HANDLE_ENV, m_env);
        }
    }

    bool open(const std::string& dsn, const std::string& user, const std::string& password) {
        if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env) != SQL_SUCCESS ||
            SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                          SQL_IS_INTEGER) != SQL_SUCCESS ||
            SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc) != SQL_SUCCESS) {
            m_error = "cannot allocate ODBC handles";
            return false;
        }
        if (!SQL_SUCCEEDED(SQLConnect(m_dbc, sqlText(dsn), SQL_NTS, sqlText(user), SQL_NTS,
                                      sqlText(password), SQL_NTS))) {
            m_error = "connecting to " + dsn + ": " + diagnosticText(SQL_HANDLE_DBC, m_dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
            m_dbc = SQL_NULL_HDBC;
            return false;
        }
        return true;
    }

    // Runs `sql`; collects its rows into `rows` when given.
    bool exec(const std::string& sql, std::vector<Row>* rows) {
        m_error = "no connection";
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        if (m_dbc == SQL_NULL_HDBC ||
            SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt) != SQL_SUCCESS) {
            return false;
        }
        m_error.clear();
        SQLRETURN rc = SQLExecDirect(stmt, sqlText(sql), static_cast<SQLINTEGER>(sql.size()));
        SQLSMALLINT columns = 0;
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO && rc != SQL_NO_DATA) {
            m_error = diagnosticText(SQL_HANDLE_STMT, stmt);
        } else if (rows != nullptr && SQL_SUCCEEDED(SQLNumResultCols(stmt, &columns))) {
            while (columns > 0 && SQL_SUCCEEDED(rc = SQLFetch(stmt))) {
                Row row;
                for (SQLUSMALLINT column = 1; column <= columns; ++column) {
                    row.push_back(readColumn(stmt, column));
                }
                rows->push_back(std::move(row));
            }
            if (columns > 0 && rc != SQL_NO_DATA) {
                m_error = diagnosticText(SQL_HANDLE_STMT, stmt);
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return m_error.empty();
    }

    const std::string& error() const { return m_error; }

private:
    static std::optional<std::string> readColumn(SQLHSTMT stmt, SQLUSMALLINT column) {
        std::string value;
        char buffer[4096];
        SQLLEN indicator = 0;
        SQLRETURN rc = SQL_SUCCESS_WITH_INFO;
        // SQL_SUCCESS_WITH_INFO: the rest follows in the next call.
        while (rc == SQL_SUCCESS_WITH_INFO) {
            rc = SQLGetData(stmt, column, SQL_C_CHAR, buffer, sizeof(buffer), &indicator);
            if (!SQL_SUCCEEDED(rc)) {
                break;
            }
            if (indicator == SQL_NULL_DATA) {
                return std::nullopt;
            }
            value.append(buffer, strnlen(buffer, sizeof(buffer)));
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
    ASSERT_FALSE(sys.path.empty()) << "cannot make the ODBC configuration folder";
    writeFile(m_workDir + "/odbc.ini", "");
    setenv("ODBCSYSINI", sys.path.c_str(), 1);
    setenv("ODBCINI", (m_workDir + "/odbc.ini").c_str(), 1);
    setenv("ZEBDOC_REGISTRY", (m_workDir + "/registry.reg").c_str(), 1);

    if (backend() == Backend::SQLite) {
        ASSERT_FALSE(sys.sqliteDriver.empty())
            << "the SQLite ODBC driver (libsqliteodbc) is missing";
        m_database = m_workDir + "/zebdoc.db";
        m_dsn = addDataSource({{"Driver", "SQLite3"},
                               {"Database", m_database},
                               {"JournalMode", "WAL"},
                               {"SyncPragma", "FULL"},
                               {"Timeout", "10000"}});
    } else {
        const char* pgdir = std::getenv("ZEBDOC_TEST_PGDIR");
        const std::string dir = pgdir != nullptr && *pgdir != '\0' ? pgdir : ZEBDOC_TEST_PGDIR;
        std::string reason = readFile(dir + "/unavailable");
        // KEY=VALUE lines of the cluster's env file.
        std::map<std::string, std::string> env;
        std::istringstream lines(readFile(dir + "/env"));
        for (std::string line; std::getline(lines, line);) {
            if (size_t eq = line.find('='); eq != std::string::npos) {
                env[line.substr(0, eq)] = line.substr(eq + 1);
            }
        }
        if (reason.empty() && env["PORT"].empty()) {
            reason = "no running cluster described in " + dir +
                     "/env (run the tests through ctest, which starts one)";
        }
        if (!reason.empty()) {
            m_skipped = true;
            reason.erase(reason.find_last_not_of("\r\n") + 1);
            GTEST_SKIP() << "PostgreSQL cluster not available: " << reason;
        }
        ASSERT_FALSE(sys.pgDriver.empty())
            << "the PostgreSQL ODBC driver (odbc-postgresql) is missing";
        m_user = env["USER"];
        m_password = env["PASSWORD"];
        auto pgSource = [&](const std::string& database) {
            return addDataSource({{"Driver", "PostgreSQL ANSI"},
                                  {"Servername", "127.0.0.1"},
                                  {"Port", env["PORT"]},
                                  {"Database", database}});
        };
        m_adminDsn = pgSource("postgres");  // the cluster's maintenance database
        m_database = "zt_" + uniqueSuffix();
        ASSERT_TRUE(adminExec("CREATE DATABASE " + m_database));
        m_dsn = pgSource(m_database);
    }

    setRegistryValue("DSN", m_dsn);
    setRegistryValue("UID", m_user);
    setRegistryValue("PWD", m_password);
    setRegistryValue("DestinationPath", m_installDir);
    ArchiveRoot::refresh();
}

void BackendTest::TearDown() {
    resetInstance();
    m_raw.reset();
    if (backend() == Backend::PostgreSQL && !m_skipped && !m_adminDsn.empty()) {
        adminExec("DROP DATABASE IF EXISTS " + m_database + " WITH (FORCE)");
    }
    const char* keep = std::getenv("ZEBDOC_KEEP_TEST_DIRS");
    if (keep == nullptr || *keep == '\0') {
        removeTree(m_workDir);
    }
}

std::string BackendTest::addDataSource(
    const std::vector<std::pair<std::string, std::string>>& attributes) {
    const std::string name = "zeb_" + uniqueSuffix();
    std::ofstream out(m_workDir + "/odbc.ini", std::ios::app);
    out << "[" << name << "]\n";
    for (const auto& [key, value] : attributes) {
        out << key << "=" << value << "\n";
    }
    out << "\n";
    return name;
}

void BackendTest::createTables() {
    EXPECT_TRUE(Schema::createTables(false)) << DatabaseInstance::lastError();
}

bool BackendTest::adminExec(const std::string& sql) {
    RawConnection admin;
    if (!admin.open(m_adminDsn, m_user, m_password) || !admin.exec(sql, nullptr)) {
        ADD_FAILURE() << sql << ": " << admin.error();
        return false;
    }
    return true;
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
    if (backend() == Backend::PostgreSQL && !m_skipped) {
        adminExec("ALTER DATABASE " + m_database + " ALLOW_CONNECTIONS true");
    }
}

void BackendTest::setRegistryValue(const std::string& name, const std::string& value) {
    EXPECT_TRUE(zeb::platform::RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY,
                                                        name, value))
        << "cannot write the registry value " << name;
}

EnvGuard::~EnvGuard() {
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second) {
            setenv(it->first.c_str(), it->second->c_str(), 1);
        } else {
            unsetenv(it->first.c_str());
        }
    }
}

void EnvGuard::set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    m_saved.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
        setenv(name.c_str(), value->c_str(), 1);
    } else {
        unsetenv(name.c_str());
    }
}

TempDir::TempDir() : m_path(makeTempDir()) {}

TempDir::~TempDir() {
    removeTree(m_path);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readFile(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

void TablesTest::SetUp() {
    BackendTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    createTables();
    db = DatabaseInstance::instance();
}

}  // namespace zebtest

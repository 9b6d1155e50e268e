#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class DatabaseInstance;

namespace zebtest {

enum class Backend { SQLite, PostgreSQL };

std::string backendName(Backend backend);
// Names the parameter in test names and messages.
inline void PrintTo(Backend backend, std::ostream* out) {
    *out << backendName(backend);
}

// One row of a plain query: every column as text, NULL as nullopt.
using Row = std::vector<std::optional<std::string>>;

// A test case against a real data source. SetUp makes a private world in a
// temporary folder: the user's odbc.ini (ODBCINI; the drivers are declared
// once per process in a folder of its own, ODBCSYSINI, because unixODBC
// keeps reading odbcinst.ini from the first such folder it saw), a
// registry file (ZEBDOC_REGISTRY) holding "DSN", "UID", "PWD" and
// "DestinationPath" (= installDir()), an empty database (a SQLite file, or a
// fresh database in the run's private PostgreSQL cluster), and a fresh
// DatabaseInstance and archive root. PostgreSQL cases skip with a visible
// message when the cluster is not available. TearDown closes the instance,
// drops the database and removes the folder.
class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    void TearDown() override;

    Backend backend() const { return GetParam(); }
    // The temporary folder of this test; the installation folder below it.
    const std::string& workDir() const { return m_workDir; }
    const std::string& installDir() const { return m_installDir; }

    // Creates the three repository tables through the code under test.
    void createTables();

    // Plain SQL on a connection of its own, not through the classes under
    // test: for checking what they stored. Note that a SQLite connection can
    // miss tables another connection created or dropped since it last read
    // them: after changing tables with rawExec, call resetInstance().
    std::vector<Row> rawQuery(const std::string& sql);
    bool rawExec(const std::string& sql);
    // Number of rows of a query.
    size_t rawCount(const std::string& sql) { return rawQuery(sql).size(); }

    // Makes DatabaseInstance connect again on its next use (with the
    // registry's values at that time).
    void resetInstance();

    // For PostgreSQL cases: the server goes away in the middle of a session
    // and comes back. The run's cluster serves tests running in parallel, so
    // the server is not really stopped: every connection to this test's
    // database is ended by the server (as a shut-down ends them) and new ones
    // are refused until startServer(). No effect on SQLite cases.
    void stopServer();
    void startServer();

    // Writes the registry value under the system's key.
    void setRegistryValue(const std::string& name, const std::string& value);

    // The data source of this test, as written to the registry's "DSN".
    const std::string& dataSourceName() const { return m_dsn; }
    // Adds a user data source with these attributes (Driver first) and
    // returns its name, which is new for the process: unixODBC keeps what
    // it read from odbc.ini for about half a minute, so a section is never
    // rewritten, only added.
    std::string addDataSource(const std::vector<std::pair<std::string, std::string>>& attributes);

private:
    class RawConnection;
    RawConnection* rawConnection();
    bool adminExec(const std::string& sql);

    std::string m_workDir;
    std::string m_installDir;
    std::string m_database;  // file (SQLite) or database name (PostgreSQL)
    bool m_skipped = false;
    std::string m_dsn;
    std::string m_user;
    std::string m_password;
    std::string m_adminDsn;  // PostgreSQL: the cluster's maintenance database
    std::shared_ptr<RawConnection> m_raw;
};

// A BackendTest with the repository tables made through the code under test
// and the process's DatabaseInstance at hand.
class TablesTest : public BackendTest {
protected:
    void SetUp() override;

    DatabaseInstance* db = nullptr;
};

// Instantiates a parameterised suite for both data sources.
#define ZEB_INSTANTIATE_BACKENDS(Suite)                                                \
    INSTANTIATE_TEST_SUITE_P(                                                          \
        Backends, Suite,                                                               \
        ::testing::Values(::zebtest::Backend::SQLite, ::zebtest::Backend::PostgreSQL), \
        [](const ::testing::TestParamInfo<::zebtest::Backend>& info) {                 \
            return ::zebtest::backendName(info.param);                                 \
        })

// Sets or clears (nullopt) environment variables for the life of the object
// and puts the old values back afterwards.
class EnvGuard {
public:
    EnvGuard() = default;
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;
    void set(const std::string& name, const std::optional<std::string>& value);

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// A temporary folder removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Writes `bytes` to `path` (creating parent folders).
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

}  // namespace zebtest

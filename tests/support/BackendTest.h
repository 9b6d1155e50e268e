#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace zebtest {

enum class Backend { SQLite, PostgreSQL };

std::string backendName(Backend backend);

// One row of a plain query: every column as text, NULL as nullopt.
using Row = std::vector<std::optional<std::string>>;

// A test case against a real data source. SetUp makes a private world in a
// temporary folder: unixODBC's configuration (ODBCSYSINI, ODBCINI), a
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
    // test: for checking what they stored.
    std::vector<Row> rawQuery(const std::string& sql);
    bool rawExec(const std::string& sql);
    // Number of rows of a query.
    size_t rawCount(const std::string& sql) { return rawQuery(sql).size(); }

    // Makes DatabaseInstance connect again on its next use (with the
    // registry's values at that time).
    void resetInstance();

    // For PostgreSQL cases: stops / starts the run's server (for tests of a
    // server that goes away in the middle of a session).
    void stopServer();
    void startServer();

    // Writes the registry value under the system's key.
    void setRegistryValue(const std::string& name, const std::string& value);

private:
    std::string m_workDir;
    std::string m_installDir;
    std::string m_database;  // file (SQLite) or database name (PostgreSQL)
    bool m_skipped = false;
};

// Instantiates a parameterised suite for both data sources.
#define ZEB_INSTANTIATE_BACKENDS(Suite)                                                     \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite,                                               \
                             ::testing::Values(::zebtest::Backend::SQLite,                 \
                                               ::zebtest::Backend::PostgreSQL),            \
                             [](const ::testing::TestParamInfo<::zebtest::Backend>& info) { \
                                 return ::zebtest::backendName(info.param);                 \
                             })

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

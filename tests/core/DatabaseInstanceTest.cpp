#include <gtest/gtest.h>

#include <sql.h>

#include <unistd.h>
#include <fstream>
#include <regex>
#include <string>

#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "tests/support/BackendTest.h"

using zebtest::Backend;
using zebtest::BackendTest;

namespace {

class DatabaseInstanceTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        db = DatabaseInstance::instance();
        ASSERT_NE(db, nullptr);
        ASSERT_TRUE(db->isConnected()) << DatabaseInstance::lastError();
        ASSERT_TRUE(db->executeUpdate("CREATE TABLE T (UID varchar(32), N int)"));
    }

    DatabaseInstance* db = nullptr;
};

const std::regex kErrorLine(
    "SQL Error State:[0-9A-Z]{5}, Native Error Code: [0-9A-F]+, ODBC Error: .*");

// Resident set size of the process in bytes.
[[maybe_unused]] long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

TEST_P(DatabaseInstanceTest, IsOneConnectionThatRunsStatementsInTurn) {
    EXPECT_EQ(db, DatabaseInstance::instance());
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    EXPECT_EQ(db->lastReturnCode(), SQL_SUCCESS);
    ResultSet* rs = db->executeQuery("SELECT * FROM T");
    ASSERT_TRUE(rs->next());
    char text[1024];
    int n = 0;
    EXPECT_TRUE(rs->getString("UID", text, sizeof(text)));
    EXPECT_STREQ(text, "a");
    EXPECT_TRUE(rs->getInt("N", &n));
    EXPECT_EQ(n, 1);
    EXPECT_FALSE(rs->next());
    EXPECT_EQ(rawCount("SELECT * FROM T"), 1u);

    // A query that matches nothing, and an INSERT run as a query.
    EXPECT_FALSE(db->executeQuery("SELECT * FROM T WHERE UID = 'none'")->next());
    rs = db->executeQuery("INSERT INTO T VALUES('b', 2)");
    EXPECT_EQ(rs->columnCount(), 0);
    EXPECT_FALSE(rs->next());
    EXPECT_FALSE(rs->getString("UID", text, sizeof(text)));
    EXPECT_EQ(rawCount("SELECT * FROM T"), 2u);
}

TEST_P(DatabaseInstanceTest, RunsStatementsLongerThan1027Characters) {
    std::string where = "SELECT * FROM T WHERE UID = 'a'";
    for (int i = 0; i < 100; ++i) {
        where += " OR UID = 'x" + std::to_string(i) + "'";
    }
    ASSERT_GT(where.size(), 1100u);
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 7)"));
    ResultSet* rs = db->executeQuery(where);
    ASSERT_TRUE(rs->next()) << DatabaseInstance::lastError();
    int n = 0;
    EXPECT_TRUE(rs->getInt("N", &n));
    EXPECT_EQ(n, 7);
}

TEST_P(DatabaseInstanceTest, FailedStatementReportsAndGivesAnEmptyResultSet) {
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('it's', 1)"));
    EXPECT_EQ(db->lastReturnCode(), SQL_ERROR);
    EXPECT_FALSE(db->lastMatchedNoRow());
    std::string error = DatabaseInstance::lastError();
    ASSERT_FALSE(error.empty());
    EXPECT_TRUE(std::regex_match(error.substr(0, error.find('\n')), kErrorLine)) << error;
    ASSERT_FALSE(DatabaseInstance::lastStates().empty());
    EXPECT_EQ(DatabaseInstance::lastStates()[0],
              backend() == Backend::PostgreSQL ? "42601" : "HY000");

    ResultSet* rs = db->executeQuery("SELECT * FROM NO_SUCH_TABLE");
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(rs->columnCount(), 0);
    EXPECT_FALSE(rs->next());
    char text[16] = "unchanged";
    EXPECT_FALSE(rs->getString("UID", text, sizeof(text)));
    EXPECT_STREQ(text, "unchanged");

    // The connection is still good afterwards.
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('b', 2)"));
}

TEST_P(DatabaseInstanceTest, ErrorTextKeepsTo389Characters) {
    // Both drivers quote the offending token, here a long literal, in their
    // message, which is longer than any line may be.
    std::string literal(600, 'q');
    EXPECT_FALSE(db->executeUpdate("SELECT 1 AS a '" + literal + "' FROM T"));
    std::string error = DatabaseInstance::lastError();
    EXPECT_LE(error.size(), 389u);
    EXPECT_EQ(error.rfind("SQL Error State:", 0), 0u) << error;
    if (backend() == Backend::SQLite) {
        EXPECT_EQ(error.size(), 389u) << error;  // one record, its line cut
    }
    EXPECT_FALSE(DatabaseInstance::lastStates().empty());
}

TEST_P(DatabaseInstanceTest, UpdateThatMatchesNoRowIsToldApartFromAnError) {
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    EXPECT_FALSE(db->executeUpdate("DELETE FROM T WHERE UID = 'none'"));
    EXPECT_TRUE(db->lastMatchedNoRow());
    EXPECT_EQ(db->lastReturnCode(), SQL_NO_DATA);
    EXPECT_FALSE(db->executeUpdate("UPDATE T SET N = 2 WHERE UID = 'none'"));
    EXPECT_TRUE(db->lastMatchedNoRow());

    EXPECT_TRUE(db->executeUpdate("DELETE FROM T WHERE UID = 'a'"));
    EXPECT_FALSE(db->lastMatchedNoRow());
    EXPECT_EQ(rawCount("SELECT * FROM T"), 0u);
}

TEST_P(DatabaseInstanceTest, ReplacedStatementsDoNotAccumulate) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine";
#else
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    for (int i = 0; i < 500; ++i) {
        db->executeQuery("SELECT * FROM T")->next();
    }
    long before = residentBytes();
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(db->executeQuery("SELECT * FROM T")->next());
    }
    // Kept handles would take 15-23 KiB each: 75 MiB and more here.
    EXPECT_LT(residentBytes() - before, 8L << 20);
#endif
}

TEST_P(DatabaseInstanceTest, NewInstanceConnectsWithTheRegistryOfItsTime) {
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    setRegistryValue("DSN", "no_such_data_source");
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('b', 2)"));  // still the old connection

    resetInstance();
    db = DatabaseInstance::instance();
    EXPECT_FALSE(db->isConnected());

    setRegistryValue("DSN", dataSourceName());
    resetInstance();
    db = DatabaseInstance::instance();
    ASSERT_TRUE(db->isConnected()) << DatabaseInstance::lastError();
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('c', 3)"));
    EXPECT_EQ(rawCount("SELECT * FROM T"), 3u);
}

TEST_P(DatabaseInstanceTest, ClosedInstanceFailsEveryStatement) {
    db->close();
    EXPECT_FALSE(db->isConnected());
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    EXPECT_FALSE(db->executeQuery("SELECT * FROM T")->next());
    db->close();  // twice is harmless
    EXPECT_EQ(rawCount("SELECT * FROM T"), 0u);
}

// Connections that fail: every statement then fails, and nothing crashes.
class FailedConnectionTest : public BackendTest {
protected:
    void expectEveryStatementFails() {
        DatabaseInstance* db = DatabaseInstance::instance();
        ASSERT_NE(db, nullptr);
        EXPECT_FALSE(db->isConnected());
        std::string error = DatabaseInstance::lastError();
        EXPECT_TRUE(std::regex_match(error.substr(0, error.find('\n')), kErrorLine)) << error;
        EXPECT_FALSE(db->executeUpdate("CREATE TABLE T (UID varchar(32))"));
        ResultSet* rs = db->executeQuery("SELECT 1");
        ASSERT_NE(rs, nullptr);
        EXPECT_FALSE(rs->next());
        // The report of the failed connection stays the latest one.
        EXPECT_EQ(DatabaseInstance::lastError(), error);
    }
};

TEST_P(FailedConnectionTest, UnknownDataSource) {
    setRegistryValue("DSN", "no_such_data_source");
    expectEveryStatementFails();
    EXPECT_EQ(DatabaseInstance::lastStates(), std::vector<std::string>{"IM002"});
}

TEST_P(FailedConnectionTest, DataSourceThatCannotBeReached) {
    if (backend() == Backend::SQLite) {
        setRegistryValue("DSN", addDataSource({{"Driver", "SQLite3"},
                                               {"Database", workDir() + "/missing/zebdoc.db"}}));
    } else {
        setRegistryValue("PWD", "wrong password");
    }
    expectEveryStatementFails();
    ASSERT_FALSE(DatabaseInstance::lastStates().empty());
    EXPECT_EQ(DatabaseInstance::lastStates()[0], backend() == Backend::SQLite ? "HY000" : "08001");
}

// A server that goes away: PostgreSQL only.
class ServerGoneTest : public DatabaseInstanceTest {};

TEST_P(ServerGoneTest, StatementsFailAfterTheServerWentAway) {
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    stopServer();
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('b', 2)"));
    EXPECT_FALSE(DatabaseInstance::lastError().empty());
    ResultSet* rs = db->executeQuery("SELECT * FROM T");
    ASSERT_NE(rs, nullptr);
    EXPECT_FALSE(rs->next());
    EXPECT_FALSE(db->executeUpdate("DELETE FROM T"));

    // There is no reconnection; a new instance connects again.
    startServer();
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('c', 3)"));
    resetInstance();
    db = DatabaseInstance::instance();
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('d', 4)"));
    EXPECT_EQ(rawCount("SELECT * FROM T"), 2u);
}

TEST_P(ServerGoneTest, NewConnectionWhileTheServerIsAway) {
    resetInstance();
    stopServer();
    DatabaseInstance* fresh = DatabaseInstance::instance();
    EXPECT_FALSE(fresh->isConnected());
    EXPECT_FALSE(fresh->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    EXPECT_FALSE(fresh->executeQuery("SELECT * FROM T")->next());
    startServer();
    EXPECT_EQ(rawCount("SELECT * FROM T"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Server, ServerGoneTest, ::testing::Values(Backend::PostgreSQL),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return zebtest::backendName(info.param);
                         });
ZEB_INSTANTIATE_BACKENDS(DatabaseInstanceTest);
ZEB_INSTANTIATE_BACKENDS(FailedConnectionTest);

}  // namespace

#include "core/DatabaseInstance.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <string>

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
        ASSERT_TRUE(db != nullptr && db->isConnected()) << DatabaseInstance::lastError();
        ASSERT_TRUE(db->executeUpdate("CREATE TABLE T (UID varchar(32), N int)"));
    }
    size_t rows() { return rawCount("SELECT * FROM T"); }

    DatabaseInstance* db = nullptr;
};

// The first line of a report has this form.
void expectReportLine(const std::string& error) {
    static const std::regex line(
        "SQL Error State:[0-9A-Z]{5}, Native Error Code: [0-9A-F]+, ODBC Error: .*");
    EXPECT_TRUE(std::regex_match(error.substr(0, error.find('\n')), line)) << error;
}

TEST_P(DatabaseInstanceTest, RunsStatementsInTurnAndTellsNoRowFromAnError) {
    EXPECT_EQ(db, DatabaseInstance::instance());
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    EXPECT_EQ(db->lastReturnCode(), SQL_SUCCESS);
    EXPECT_FALSE(db->lastMatchedNoRow());
    // Longer than 1027 characters.
    std::string sql = "SELECT * FROM T WHERE UID = 'a'";
    for (int i = 0; i < 100; ++i) {
        sql += " OR UID = 'x" + std::to_string(i) + "'";
    }
    ResultSet* rs = db->executeQuery(sql);
    ASSERT_TRUE(rs->next()) << DatabaseInstance::lastError();
    char text[1024];
    int n = 0;
    EXPECT_TRUE(rs->getString("UID", text, sizeof(text)) && rs->getInt("N", &n));
    EXPECT_STREQ(text, "a");
    EXPECT_EQ(n, 1);
    EXPECT_FALSE(rs->next());
    EXPECT_FALSE(db->executeQuery("SELECT * FROM T WHERE UID = 'none'")->next());

    // An INSERT run as a query has no columns.
    rs = db->executeQuery("INSERT INTO T VALUES('b', 2)");
    EXPECT_EQ(rs->columnCount(), 0);
    EXPECT_FALSE(rs->next());
    EXPECT_FALSE(rs->getString("UID", text, sizeof(text)));
    EXPECT_EQ(rows(), 2u);

    for (const char* none :
         {"DELETE FROM T WHERE UID = 'none'", "UPDATE T SET N = 2 WHERE N = 9"}) {
        EXPECT_FALSE(db->executeUpdate(none));
        EXPECT_TRUE(db->lastMatchedNoRow()) << none;
        EXPECT_EQ(db->lastReturnCode(), SQL_NO_DATA);
    }
    EXPECT_TRUE(db->executeUpdate("DELETE FROM T WHERE UID = 'a'"));
    EXPECT_EQ(rows(), 1u);
}

TEST_P(DatabaseInstanceTest, FailedStatementReportsAndGivesAnEmptyResultSet) {
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('it's', 1)"));
    EXPECT_EQ(db->lastReturnCode(), SQL_ERROR);
    EXPECT_FALSE(db->lastMatchedNoRow());
    expectReportLine(DatabaseInstance::lastError());
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

    // Both drivers quote the offending token, here a long literal, in their
    // message, which is longer than any line may be: the text keeps to 389.
    EXPECT_FALSE(db->executeUpdate("SELECT 1 AS a '" + std::string(600, 'q') + "' FROM T"));
    const std::string error = DatabaseInstance::lastError();
    EXPECT_LE(error.size(), 389u);
    expectReportLine(error);
    if (backend() == Backend::SQLite) {
        EXPECT_EQ(error.size(), 389u) << error;  // one record, its line cut
    }

    // The connection is still good afterwards.
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('b', 2)"));
}

TEST_P(DatabaseInstanceTest, ReplacedStatementsDoNotAccumulate) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine";
#else
    auto residentBytes = [] {
        std::ifstream statm("/proc/self/statm");
        long size = 0;
        long resident = 0;
        statm >> size >> resident;
        return resident * sysconf(_SC_PAGESIZE);
    };
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    for (int i = 0; i < 500; ++i) {
        db->executeQuery("SELECT * FROM T")->next();
    }
    const long before = residentBytes();
    for (int i = 0; i < 5000; ++i) {
        ASSERT_TRUE(db->executeQuery("SELECT * FROM T")->next());
    }
    // Kept handles would take 15-23 KiB each: 75 MiB and more here.
    EXPECT_LT(residentBytes() - before, 8L << 20);
#endif
}

TEST_P(DatabaseInstanceTest, NewInstanceConnectsWithTheRegistryOfItsTimeAndClosedOneFails) {
    setRegistryValue("DSN", "no_such_data_source");
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));  // still the old connection
    resetInstance();
    EXPECT_FALSE(DatabaseInstance::instance()->isConnected());
    setRegistryValue("DSN", dataSourceName());
    resetInstance();
    db = DatabaseInstance::instance();
    ASSERT_TRUE(db->isConnected()) << DatabaseInstance::lastError();
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('b', 2)"));

    EXPECT_FALSE(db->executeUpdate("DELETE FROM T WHERE UID = 'none'"));
    EXPECT_TRUE(db->lastMatchedNoRow());
    db->close();
    EXPECT_FALSE(db->isConnected());
    EXPECT_FALSE(db->executeUpdate("DELETE FROM T WHERE UID = 'none'"));
    EXPECT_FALSE(db->lastMatchedNoRow()) << "no connection is no \"matched no row\"";
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('c', 3)"));
    EXPECT_FALSE(db->executeQuery("SELECT * FROM T")->next());
    db->close();  // twice is harmless
    EXPECT_EQ(rows(), 2u);
}

// Connections that fail: every statement then fails, the report of the
// failed connection stays the latest one, and nothing crashes.
class FailedConnectionTest : public BackendTest {};

TEST_P(FailedConnectionTest, UnknownOrUnreachableDataSource) {
    const std::string unreachable =
        backend() == Backend::SQLite
            ? addDataSource({{"Driver", "SQLite3"}, {"Database", workDir() + "/missing/zebdoc.db"}})
            : dataSourceName();
    struct Case {
        std::string dsn, password, state;
    };
    const Case cases[] = {
        {"no_such_data_source", "", "IM002"},
        {unreachable, "wrong password", backend() == Backend::SQLite ? "HY000" : "08001"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dsn);
        setRegistryValue("DSN", c.dsn);
        setRegistryValue("PWD", c.password);
        resetInstance();
        DatabaseInstance* db = DatabaseInstance::instance();
        ASSERT_NE(db, nullptr);
        EXPECT_FALSE(db->isConnected());
        const std::string error = DatabaseInstance::lastError();
        expectReportLine(error);
        ASSERT_FALSE(DatabaseInstance::lastStates().empty());
        EXPECT_EQ(DatabaseInstance::lastStates()[0], c.state);
        EXPECT_FALSE(db->executeUpdate("CREATE TABLE T (UID varchar(32))"));
        ResultSet* rs = db->executeQuery("SELECT 1");
        ASSERT_NE(rs, nullptr);
        EXPECT_FALSE(rs->next());
        EXPECT_EQ(DatabaseInstance::lastError(), error);
    }
}

// A connection that is lost (a PostgreSQL server that goes away and comes
// back; on SQLite a lost connection reported on purpose) is opened again by
// the next statement, with the registry's values of that time; the statement
// that failed is not repeated. Any other failure keeps the connection.
TEST_P(DatabaseInstanceTest, ALostConnectionIsOpenedAgainByTheNextStatement) {
    ASSERT_TRUE(db->executeUpdate("INSERT INTO T VALUES('a', 1)"));
    if (backend() == Backend::PostgreSQL) {
        stopServer();
    } else {
        DatabaseInstance::failStatementForTesting(1, "08S01");
    }
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('b', 2)"));
    EXPECT_FALSE(DatabaseInstance::lastError().empty());
    if (backend() == Backend::PostgreSQL) {
        EXPECT_FALSE(db->executeQuery("SELECT * FROM T")->next()) << "still away";
        startServer();
    }
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('c', 3)")) << DatabaseInstance::lastError();
    EXPECT_EQ(rows(), 2u);

    setRegistryValue("DSN", "no_such_data_source");
    DatabaseInstance::failStatementForTesting(1, "42601");
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('d', 4)"));
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('e', 5)")) << "a plain error keeps it";
    DatabaseInstance::failStatementForTesting(1, "08S01");
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('f', 6)"));
    EXPECT_FALSE(db->executeUpdate("INSERT INTO T VALUES('g', 7)"));
    EXPECT_EQ(DatabaseInstance::lastStates(), std::vector<std::string>{"IM002"});
    setRegistryValue("DSN", dataSourceName());
    EXPECT_TRUE(db->executeUpdate("INSERT INTO T VALUES('h', 8)"));
    EXPECT_EQ(rows(), 4u);
}

ZEB_INSTANTIATE_BACKENDS(DatabaseInstanceTest);
ZEB_INSTANTIATE_BACKENDS(FailedConnectionTest);

}  // namespace

#include "core/Schema.h"

#include <gtest/gtest.h>

#include <string>

#include "core/DatabaseInstance.h"
#include "tests/support/BackendTest.h"

using zebtest::Backend;
using zebtest::BackendTest;

namespace {

class SchemaTest : public BackendTest {
protected:
    // Rows of each table, or -1 for a table that cannot be read.
    std::string rowsOfTables() {
        std::string out;
        for (const char* table : {"MASTERZEB", "REVTABLE", "FILETABLE"}) {
            const std::string sql = std::string("SELECT * FROM ") + table;
            out += (out.empty() ? "" : " ") +
                   (rawExec(sql) ? std::to_string(rawCount(sql)) : std::string("-1"));
        }
        return out;
    }
    size_t indexCount() {
        return rawCount(backend() == Backend::SQLite
                            ? "SELECT name FROM sqlite_master WHERE type = 'index' AND name LIKE "
                              "'%\\_IX' ESCAPE '\\'"
                            : "SELECT indexname FROM pg_indexes WHERE indexname LIKE "
                              "'%\\_ix' ESCAPE '\\'");
    }
    void addRows() {
        ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('m1', 'n', 'o', ' ', '1')"));
        ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r1', 'n', 'o', 1, 'm1', ' ', '1')"));
        ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('m1', 'C:/a.txt')"));
    }
};

TEST_P(SchemaTest, CreatesTheTablesAndIndexesOnceAndAgainOnlyWithOverwrite) {
    // Without a connection nothing is made.
    setRegistryValue("DSN", "no_such_data_source");
    EXPECT_FALSE(Schema::createTables(false));
    EXPECT_EQ(rowsOfTables(), "-1 -1 -1");
    setRegistryValue("DSN", dataSourceName());
    resetInstance();

    ASSERT_TRUE(Schema::createTables(false)) << DatabaseInstance::lastError();
    EXPECT_EQ(indexCount(), 2u);
    addRows();
    // Again without overwrite: fails at the first table and keeps the data.
    EXPECT_FALSE(Schema::createTables(false));
    EXPECT_EQ(rowsOfTables(), "1 1 1");
    // With overwrite: all three tables empty again, indexes back.
    EXPECT_TRUE(Schema::createTables(true));
    EXPECT_EQ(rowsOfTables(), "0 0 0");
    EXPECT_EQ(indexCount(), 2u);
}

TEST_P(SchemaTest, StopsAtTheFirstTableThatExistsAndOverwriteReplacesIt) {
    ASSERT_TRUE(rawExec("CREATE TABLE REVTABLE (UID varchar(32))"));
    EXPECT_FALSE(Schema::createTables(false));
    EXPECT_EQ(rowsOfTables(), "0 0 -1");
    EXPECT_TRUE(Schema::createTables(true));
    addRows();
    EXPECT_EQ(rowsOfTables(), "1 1 1");
}

ZEB_INSTANTIATE_BACKENDS(SchemaTest);

}  // namespace

#include "core/Schema.h"

#include <gtest/gtest.h>

#include <string>

#include "core/DatabaseInstance.h"
#include "tests/support/BackendTest.h"

using zebtest::Backend;
using zebtest::BackendTest;
using zebtest::Row;

namespace {

const char* const kIndexes = "FILETABLE_FILEPATH_UX REVTABLE_MASTERUID_IX";

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
    // Our indexes, upper case, sorted.
    std::string indexes() {
        std::string out;
        for (const Row& row :
             rawQuery(backend() == Backend::SQLite
                          ? "SELECT UPPER(name) FROM sqlite_master WHERE type = 'index' AND sql "
                            "IS NOT NULL ORDER BY 1"
                          : "SELECT UPPER(indexname) FROM pg_indexes WHERE schemaname = 'public' "
                            "AND indexname NOT LIKE '%pkey' ORDER BY 1")) {
            out += (out.empty() ? "" : " ") + row[0].value_or("");
        }
        return out;
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
    EXPECT_EQ(indexes(), kIndexes);
    addRows();
    // Again without overwrite: fails at the first table and keeps the data.
    EXPECT_FALSE(Schema::createTables(false));
    EXPECT_EQ(rowsOfTables(), "1 1 1");
    // With overwrite: all three tables empty again, indexes back.
    EXPECT_TRUE(Schema::createTables(true));
    EXPECT_EQ(rowsOfTables(), "0 0 0");
    EXPECT_EQ(indexes(), kIndexes);
}

TEST_P(SchemaTest, OnePathOneFileRowWhereTheRowsAllowIt) {
    // Tables of an older installation: a plain path index, and a path
    // recorded twice. The unique index cannot be made; the plain one stays.
    ASSERT_TRUE(Schema::createTables(false));
    ASSERT_TRUE(rawExec("DROP INDEX FILETABLE_FILEPATH_UX"));
    ASSERT_TRUE(rawExec("CREATE INDEX FILETABLE_FILEPATH_IX ON FILETABLE (FilePath)"));
    ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('a1', '/d/a.txt')"));
    ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('a2', '/d/a.txt')"));
    resetInstance();
    Schema::createIndexes();
    EXPECT_EQ(indexes(), "FILETABLE_FILEPATH_IX REVTABLE_MASTERUID_IX");
    // Once the rows allow it the unique index replaces the plain one, and
    // the data source refuses a second row for a path; running it again
    // changes nothing.
    ASSERT_TRUE(rawExec("DELETE FROM FILETABLE WHERE UID = 'a2'"));
    resetInstance();
    Schema::createIndexes();
    Schema::createIndexes();
    EXPECT_EQ(indexes(), kIndexes);
    EXPECT_FALSE(rawExec("INSERT INTO FILETABLE VALUES('a3', '/d/a.txt')"));
    EXPECT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('a3', '/d/b.txt')"));
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

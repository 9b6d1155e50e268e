#include <gtest/gtest.h>

#include <string>

#include "core/DatabaseInstance.h"
#include "core/Schema.h"
#include "tests/support/BackendTest.h"

using zebtest::Backend;
using zebtest::BackendTest;
using zebtest::Row;

namespace {

class SchemaTest : public BackendTest {
protected:
    // True when the table can be read.
    bool tableExists(const std::string& table) { return rawExec("SELECT * FROM " + table); }

    size_t indexCount() {
        return backend() == Backend::SQLite
                   ? rawCount(
                         "SELECT name FROM sqlite_master WHERE type = 'index' AND name LIKE "
                         "'%\\_IX' ESCAPE '\\'")
                   : rawCount(
                         "SELECT indexname FROM pg_indexes WHERE indexname LIKE "
                         "'%\\_ix' ESCAPE '\\'");
    }

    void addRows() {
        ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('m1', 'n', 'o', ' ', '1')"));
        ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r1', 'n', 'o', 1, 'm1', ' ', '1')"));
        ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('m1', 'C:/a.txt')"));
    }
};

TEST_P(SchemaTest, CreatesTheTablesAndIndexesOnce) {
    ASSERT_TRUE(Schema::createTables(false)) << DatabaseInstance::lastError();
    EXPECT_TRUE(tableExists("MASTERZEB"));
    EXPECT_TRUE(tableExists("REVTABLE"));
    EXPECT_TRUE(tableExists("FILETABLE"));
    EXPECT_EQ(indexCount(), 2u);
    addRows();

    // Again without overwrite: fails at the first table and keeps the data.
    EXPECT_FALSE(Schema::createTables(false));
    EXPECT_EQ(rawCount("SELECT * FROM MASTERZEB"), 1u);
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE"), 1u);
    EXPECT_EQ(rawCount("SELECT * FROM FILETABLE"), 1u);

    // With overwrite: all three tables empty again, indexes back.
    EXPECT_TRUE(Schema::createTables(true));
    EXPECT_EQ(rawCount("SELECT * FROM MASTERZEB"), 0u);
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE"), 0u);
    EXPECT_EQ(rawCount("SELECT * FROM FILETABLE"), 0u);
    EXPECT_EQ(indexCount(), 2u);
}

TEST_P(SchemaTest, StopsAtTheFirstTableThatExists) {
    ASSERT_TRUE(rawExec("CREATE TABLE REVTABLE (UID varchar(32))"));
    EXPECT_FALSE(Schema::createTables(false));
    EXPECT_TRUE(tableExists("MASTERZEB"));
    EXPECT_FALSE(tableExists("FILETABLE"));

    // The overwrite pass replaces the foreign REVTABLE with the real one.
    EXPECT_TRUE(Schema::createTables(true));
    EXPECT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r1', 'n', 'o', 1, 'm1', ' ', '1')"));
    EXPECT_TRUE(tableExists("FILETABLE"));
}

TEST_P(SchemaTest, WithoutConnectionOnlyTheOverwritePassSucceeds) {
    setRegistryValue("DSN", "no_such_data_source");
    EXPECT_FALSE(Schema::createTables(false));
    EXPECT_TRUE(Schema::createTables(true));
    EXPECT_FALSE(tableExists("MASTERZEB"));
}

ZEB_INSTANTIATE_BACKENDS(SchemaTest);

}  // namespace

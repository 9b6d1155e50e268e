#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "core/Statements.h"
#include "tests/support/BackendTest.h"

using zebtest::Backend;
using zebtest::BackendTest;

namespace {

class ResultSetTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        createTables();
        db = DatabaseInstance::instance();
    }

    // The one row of a query, positioned.
    ResultSet* row(const std::string& sql) {
        ResultSet* rs = db->executeQuery(sql);
        EXPECT_TRUE(rs->next()) << sql << "\n" << DatabaseInstance::lastError();
        return rs;
    }

    DatabaseInstance* db = nullptr;
};

TEST_P(ResultSetTest, ReadsColumnsByTheirDeclaredNames) {
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('m1', 'Name', 'Notes', ' ', '1050850167')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r1', 'Rev', 'RevNotes', 3, 'm1', ' ', '7')"));
    ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('m1', 'C:/Docs/a.txt')"));

    char text[1024];
    int version = 0;
    ResultSet* rs = row(Statements::selectObject("m1"));
    EXPECT_TRUE(rs->getString("VerName", text, sizeof(text)));
    EXPECT_STREQ(text, "Name");
    EXPECT_TRUE(rs->getString("VerTime", text, sizeof(text)));
    EXPECT_STREQ(text, "1050850167");

    // The join names REVTABLE.UID plainly "UID".
    rs = row(Statements::selectRevisionsWithPaths());
    EXPECT_TRUE(rs->getString("UID", text, sizeof(text)));
    EXPECT_STREQ(text, "r1");
    EXPECT_TRUE(rs->getString("MASTERUID", text, sizeof(text)));
    EXPECT_STREQ(text, "m1");
    EXPECT_TRUE(rs->getString("FilePath", text, sizeof(text)));
    EXPECT_STREQ(text, "C:/Docs/a.txt");
    EXPECT_TRUE(rs->getInt("REVVER", &version));
    EXPECT_EQ(version, 3);
    EXPECT_FALSE(rs->next());
}

TEST_P(ResultSetTest, NameCaseCountsWhereTheDataSourceKeepsIt) {
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('m1', 'Name', 'Notes', ' ', '1')"));
    ResultSet* rs = row(Statements::selectObject("m1"));
    char text[64] = "unchanged";
    if (backend() == Backend::SQLite) {
        // Names as declared; another case is another name.
        EXPECT_FALSE(rs->getString("uid", text, sizeof(text)));
        EXPECT_FALSE(rs->getString("VERNAME", text, sizeof(text)));
        EXPECT_STREQ(text, "unchanged");
    } else {
        // The server folds unquoted names, and so do the look-ups.
        EXPECT_TRUE(rs->getString("uid", text, sizeof(text)));
        EXPECT_STREQ(text, "m1");
    }
    EXPECT_FALSE(rs->getString("VerNam", text, sizeof(text)));
}

TEST_P(ResultSetTest, ReadsOnlyTheColumnTypeAsked) {
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r1', 'Rev', 'N', 3, 'm1', ' ', '7')"));
    ResultSet* rs = row(Statements::selectRevision("r1"));
    char text[64] = "unchanged";
    int value = 42;
    EXPECT_FALSE(rs->getString("REVVER", text, sizeof(text)));
    EXPECT_FALSE(rs->getInt("REVNAME", &value));
    EXPECT_FALSE(rs->getInt("NOSUCH", &value));
    EXPECT_STREQ(text, "unchanged");
    EXPECT_EQ(value, 42);

    // Long text columns are described but not read.
    ASSERT_TRUE(db->executeUpdate("CREATE TABLE LONGTEXT (T text)"));
    ASSERT_TRUE(db->executeUpdate("INSERT INTO LONGTEXT VALUES('x')"));
    rs = row("SELECT T FROM LONGTEXT");
    EXPECT_EQ(rs->columnCount(), 1);
    EXPECT_FALSE(rs->getString("T", text, sizeof(text)));
}

TEST_P(ResultSetTest, NullReadsAsEmptyNotAsThePreviousRow) {
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r1', 'Rev', 'N', 3, 'm1', ' ', '7')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE (UID) VALUES('r2')"));
    ResultSet* rs = db->executeQuery("SELECT * FROM REVTABLE ORDER BY UID");
    char text[64];
    int version = 0;
    ASSERT_TRUE(rs->next());
    EXPECT_TRUE(rs->getString("REVNAME", text, sizeof(text)));
    EXPECT_STREQ(text, "Rev");
    ASSERT_TRUE(rs->next());
    EXPECT_TRUE(rs->getString("REVNAME", text, sizeof(text)));
    EXPECT_STREQ(text, "");
    EXPECT_TRUE(rs->getInt("REVVER", &version));
    EXPECT_EQ(version, -1);
    EXPECT_FALSE(rs->next());
}

TEST_P(ResultSetTest, CopiesHalfTheBufferOnCharacterBoundaries) {
    const std::string notes = "a\xC3\xA4\xE2\x82\xAC";  // "a", "ä", "€": 1 + 2 + 3 bytes
    ASSERT_TRUE(db->executeUpdate(Statements::insertObject("m1", "abcdefgh", notes, "1")));
    ResultSet* rs = row(Statements::selectObject("m1"));

    unsigned char out[10];
    std::memset(out, 'x', sizeof(out));
    ASSERT_TRUE(rs->getString(reinterpret_cast<const unsigned char*>("VerName"), out, 10));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 6), std::string("abcde\0", 6));
    EXPECT_EQ(out[6], 'x');  // past size / 2 + 1 nothing is written

    // Five bytes would end inside the "€": only "aä" and zeros.
    std::memset(out, 'x', sizeof(out));
    ASSERT_TRUE(rs->getString(reinterpret_cast<const unsigned char*>("VerNotes"), out, 10));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 6), std::string("a\xC3\xA4\0\0\0", 6));

    char whole[1024];
    ASSERT_TRUE(rs->getString("VerNotes", whole, sizeof(whole)));
    EXPECT_EQ(std::string(whole), notes);
}

TEST_P(ResultSetTest, FullWidthNonAsciiColumnsArriveWhole) {
    std::string name;
    std::string notes;
    for (int i = 0; i < 32; ++i) {
        name += "\xE2\x82\xAC";  // 32 "€": 96 bytes in varchar(32)
    }
    for (int i = 0; i < 255; ++i) {
        notes += "\xC3\xA4";  // 255 "ä": 510 bytes in varchar(255)
    }
    ASSERT_TRUE(db->executeUpdate(Statements::insertObject("m1", name, notes, "1")))
        << DatabaseInstance::lastError();
    ResultSet* rs = row(Statements::selectObject("m1"));
    char text[1024];
    ASSERT_TRUE(rs->getString("VerName", text, sizeof(text)));
    EXPECT_EQ(std::string(text), name);
    ASSERT_TRUE(rs->getString("VerNotes", text, sizeof(text)));
    EXPECT_EQ(std::string(text), notes);
}

ZEB_INSTANTIATE_BACKENDS(ResultSetTest);

TEST(EmptyResultSetTest, ReadsNothing) {
    ResultSet rs;
    char text[8] = "keep";
    int value = 5;
    EXPECT_FALSE(rs.next());
    EXPECT_FALSE(rs.getString("UID", text, sizeof(text)));
    EXPECT_FALSE(rs.getInt("N", &value));
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(value, 5);
}

}  // namespace

#include "core/ResultSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/DatabaseInstance.h"
#include "core/Statements.h"
#include "tests/support/BackendTest.h"

using zebtest::Backend;
using zebtest::BackendTest;

namespace {

class ResultSetTest : public zebtest::TablesTest {
protected:
    // The first row of a query, positioned.
    ResultSet* row(const std::string& sql) {
        ResultSet* rs = db->executeQuery(sql);
        EXPECT_TRUE(rs->next()) << sql << "\n" << DatabaseInstance::lastError();
        return rs;
    }
    // A text column of the current row, or "<none>" when it cannot be read.
    static std::string text(ResultSet* rs, const char* column) {
        char out[1024] = "<none>";
        rs->getString(column, out, sizeof(out));
        return out;
    }
};

TEST_P(ResultSetTest, ReadsColumnsByTheirDeclaredNameAndTypeOnly) {
    ASSERT_TRUE(rawExec("INSERT INTO MASTERZEB VALUES('m1', 'Name', 'Notes', ' ', '1050850167')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r1', 'Rev', 'RevNotes', 3, 'm1', ' ', '7')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE (UID) VALUES('r2')"));
    ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('m1', 'C:/Docs/a.txt')"));

    ResultSet* rs = row(Statements::selectObject("m1"));
    EXPECT_EQ(text(rs, "VerName"), "Name");
    EXPECT_EQ(text(rs, "VerTime"), "1050850167");
    // Another case is another name where the data source keeps names as
    // declared; where it folds unquoted names, so do the look-ups.
    EXPECT_EQ(text(rs, "uid"), backend() == Backend::SQLite ? "<none>" : "m1");
    EXPECT_EQ(text(rs, "VERNAME"), backend() == Backend::SQLite ? "<none>" : "Name");
    EXPECT_EQ(text(rs, "VerNam"), "<none>");

    // The join names REVTABLE.UID plainly "UID".
    rs = row(Statements::selectRevisionsWithPaths());
    EXPECT_EQ(text(rs, "UID"), "r1");
    EXPECT_EQ(text(rs, "MASTERUID"), "m1");
    EXPECT_EQ(text(rs, "FilePath"), "C:/Docs/a.txt");
    int value = 0;
    EXPECT_TRUE(rs->getInt("REVVER", &value));
    EXPECT_EQ(value, 3);
    EXPECT_FALSE(rs->next());

    // Only the type asked; NULL reads as empty and -1, not as the previous row.
    rs = row("SELECT * FROM REVTABLE ORDER BY UID");
    value = 42;
    EXPECT_EQ(text(rs, "REVVER"), "<none>");
    EXPECT_FALSE(rs->getInt("REVNAME", &value));
    EXPECT_FALSE(rs->getInt("NOSUCH", &value));
    EXPECT_EQ(value, 42);
    ASSERT_TRUE(rs->next());
    EXPECT_EQ(text(rs, "REVNAME"), "");
    EXPECT_TRUE(rs->getInt("REVVER", &value));
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(rs->next());

    // Long text columns are described but not read.
    ASSERT_TRUE(db->executeUpdate("CREATE TABLE LONGTEXT (T text)"));
    ASSERT_TRUE(db->executeUpdate("INSERT INTO LONGTEXT VALUES('x')"));
    rs = row("SELECT T FROM LONGTEXT");
    EXPECT_EQ(rs->columnCount(), 1);
    EXPECT_EQ(text(rs, "T"), "<none>");

    ResultSet empty;
    EXPECT_FALSE(empty.next());
    EXPECT_EQ(text(&empty, "UID"), "<none>");
    EXPECT_FALSE(empty.getInt("N", &value));
}

TEST_P(ResultSetTest, CopiesHalfTheBufferOnCharacterBoundariesAndWholeColumnsWhole) {
    const std::string notes = "a\xC3\xA4\xE2\x82\xAC";  // "a", "ä", "€": 1 + 2 + 3 bytes
    ASSERT_TRUE(db->executeUpdate(Statements::insertObject("m1", "abcdefgh", notes, "1")));
    ResultSet* rs = row(Statements::selectObject("m1"));
    unsigned char out[10];
    std::memset(out, 'x', sizeof(out));
    ASSERT_TRUE(rs->getString(reinterpret_cast<const unsigned char*>("VerName"), out, 10));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 7), std::string("abcde\0x", 7))
        << "past size / 2 + 1 nothing is written";
    // Five bytes would end inside the "€": only "aä" and zeros.
    std::memset(out, 'x', sizeof(out));
    ASSERT_TRUE(rs->getString(reinterpret_cast<const unsigned char*>("VerNotes"), out, 10));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 6), std::string("a\xC3\xA4\0\0\0", 6));
    EXPECT_EQ(text(rs, "VerNotes"), notes);

    // Columns full of characters of several bytes arrive whole.
    std::string name;
    std::string longNotes;
    for (int i = 0; i < 255; ++i) {
        name += i < 32 ? "\xE2\x82\xAC" : "";  // 32 "€": 96 bytes in varchar(32)
        longNotes += "\xC3\xA4";               // 255 "ä": 510 bytes in varchar(255)
    }
    ASSERT_TRUE(db->executeUpdate(Statements::insertObject("m2", name, longNotes, "1")))
        << DatabaseInstance::lastError();
    rs = row(Statements::selectObject("m2"));
    EXPECT_EQ(text(rs, "VerName"), name);
    EXPECT_EQ(text(rs, "VerNotes"), longNotes);
}

ZEB_INSTANTIATE_BACKENDS(ResultSetTest);

}  // namespace

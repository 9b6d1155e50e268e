#include "core/Statements.h"

#include <gtest/gtest.h>

#include <string>

#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "tests/support/BackendTest.h"

using zebtest::BackendTest;
using zebtest::Row;

namespace {

// The statements whose exact text is the system's own, quoting, and cutting.
TEST(StatementsTextTest, KeepsTheSystemsSpellingQuotesAndCutsNamesAndNotes) {
    EXPECT_EQ(Statements::selectFileByUid("u"), "SELECT * FROM FILETABLE WHERE UID='u'");
    EXPECT_EQ(Statements::deleteFile("u"), "DELETE FROM FILETABLE WHERE UID ='u'");
    EXPECT_EQ(Statements::insertRevision("u", "n", "o", 10, "m", "-5"),
              "INSERT INTO REVTABLE VALUES('u', 'n', 'o', 10, 'm', ' ', '-5')");
    EXPECT_EQ(Statements::selectRevisionsWithPaths(),
              "SELECT REVNAME, REVNOTES, REVVER, REVTIME, MASTERUID, FilePath, REVTABLE.UID  "
              "FROM REVTABLE, FILETABLE  WHERE REVTABLE.MASTERUID = FILETABLE.UID");
    EXPECT_EQ(Statements::selectFileByPath("C:/O'Neil/it's ''"),
              "SELECT * FROM FILETABLE WHERE FilePath = 'C:/O''Neil/it''s '''''");

    // Names keep 32 characters, notes 255; never half a character, and a
    // quote at the cut is doubled whole.
    std::string name(30, 'n');
    name += "\xC3\xA4\xC3\xA4\xC3\xA4";  // three "ä"
    EXPECT_EQ(Statements::cutText(name, 32), name.substr(0, 34));
    EXPECT_EQ(Statements::countChars(name), 33);
    EXPECT_EQ(Statements::updateRevision("u", std::string(31, 'n') + "''", std::string(300, 'o')),
              "UPDATE REVTABLE SET REVNAME = '" + std::string(31, 'n') + "''', REVNOTES = '" +
                  std::string(255, 'o') + "' WHERE UID = 'u'");
    // Paths are never cut: a cut path would name another file.
    const std::string path(300, 'p');
    EXPECT_NE(Statements::insertFile("u", path).find(path), std::string::npos);
}

class StatementsTest : public zebtest::TablesTest {
protected:
    void run(const std::string& sql) {
        EXPECT_TRUE(db->executeUpdate(sql)) << sql << "\n" << DatabaseInstance::lastError();
    }
    // A text column of the first row of a query through the classes under test.
    std::string text(const std::string& sql, const char* column) {
        ResultSet* rs = db->executeQuery(sql);
        char buffer[1024] = "";
        EXPECT_TRUE(rs->next()) << sql << "\n" << DatabaseInstance::lastError();
        EXPECT_TRUE(rs->getString(column, buffer, sizeof(buffer))) << column;
        return buffer;
    }
    int rows(const std::string& sql) {
        ResultSet* rs = db->executeQuery(sql);
        int n = 0;
        while (rs->next()) {
            ++n;
        }
        return n;
    }
};

TEST_P(StatementsTest, EveryStatementRunsOnTheDataSource) {
    run(Statements::insertObject("m1", "Object", "Notes", Statements::timeText(1050850167)));
    run(Statements::insertObject("m2", "Other", "", Statements::timeText(-1)));
    run(Statements::insertFile("m1", "C:/Docs/a.txt"));
    run(Statements::insertRevision("r1", "One", "First", 1, "m1", "100"));
    run(Statements::insertRevision("r2", "Two", "Second", 10, "m1", "200"));
    run(Statements::insertRevision("r3", "Other", "", 1, "m2", "300"));

    EXPECT_EQ(text(Statements::selectObject("m1"), "VerName"), "Object");
    EXPECT_EQ(text(Statements::selectObject("m2"), "VerTime"), "-1");
    EXPECT_EQ(rows(Statements::selectRevisionsOfObject("m1")), 2);
    EXPECT_EQ(text(Statements::selectRevision("r2"), "REVNOTES"), "Second");
    EXPECT_EQ(text(Statements::selectRevisionOwner("r3"), "MASTERUID"), "m2");
    EXPECT_EQ(rows(Statements::selectVersionsOfObject("m1")), 2);
    EXPECT_EQ(rows(Statements::selectAnyRevisionOfObject("m2")), 1);
    EXPECT_EQ(text(Statements::selectFileByPath("C:/Docs/a.txt"), "UID"), "m1");
    EXPECT_EQ(rows(Statements::selectFileByPath("c:/docs/a.txt")), 0);
    EXPECT_EQ(text(Statements::selectFileByUid("m1"), "FilePath"), "C:/Docs/a.txt");
    EXPECT_EQ(rows(Statements::selectAllFilePaths()), 1);
    // Only revisions of objects with a file row are joined.
    EXPECT_EQ(rows(Statements::selectRevisionsWithPaths()), 2);

    run(Statements::updateObject("m1", "Renamed", "New notes"));
    run(Statements::updateRevision("r1", "Uno", "Primo"));
    EXPECT_EQ(rawQuery("SELECT VerName, VerNotes, UserData FROM MASTERZEB WHERE UID = 'm1'"),
              (std::vector<Row>{{"Renamed", "New notes", " "}}));
    EXPECT_EQ(rawQuery("SELECT REVNAME, REVNOTES, USERDATA FROM REVTABLE WHERE UID = 'r1'"),
              (std::vector<Row>{{"Uno", "Primo", " "}}));

    run(Statements::deleteRevision("r2"));
    run(Statements::deleteFile("m1"));
    run(Statements::deleteRevisionsOfObject("m1"));
    run(Statements::deleteObject("m1"));
    EXPECT_EQ(rawQuery("SELECT UID FROM REVTABLE UNION ALL SELECT UID FROM MASTERZEB"),
              (std::vector<Row>{{"r3"}, {"m2"}}));
    EXPECT_EQ(rawCount("SELECT * FROM FILETABLE"), 0u);

    run(Statements::insertFile("m2", "C:/b.txt"));
    run(Statements::deleteAllFiles());
    run(Statements::deleteAllRevisions());
    run(Statements::deleteAllObjects());
    EXPECT_EQ(rawCount("SELECT UID FROM REVTABLE UNION ALL SELECT UID FROM MASTERZEB UNION ALL "
                       "SELECT UID FROM FILETABLE"),
              0u);
}

ZEB_INSTANTIATE_BACKENDS(StatementsTest);

}  // namespace

#include <gtest/gtest.h>

#include <string>

#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "core/Statements.h"
#include "tests/support/BackendTest.h"

using zebtest::Backend;
using zebtest::BackendTest;
using zebtest::Row;

namespace {

// The pieces whose exact spelling other readers of the tables rely on.
TEST(StatementsTextTest, KeepsTheStoredFormatsSpelling) {
    EXPECT_EQ(Statements::selectFileByUid("u"), "SELECT * FROM FILETABLE WHERE UID='u'");
    EXPECT_EQ(Statements::deleteFile("u"), "DELETE FROM FILETABLE WHERE UID ='u'");
    EXPECT_EQ(Statements::insertRevision("u", "n", "o", 10, "m", "-5"),
              "INSERT INTO REVTABLE VALUES('u', 'n', 'o', 10, 'm', ' ', '-5')");
    EXPECT_EQ(Statements::insertObject("u", "n", "o", "1050850167"),
              "INSERT INTO MASTERZEB VALUES('u', 'n', 'o', ' ', '1050850167')");
    EXPECT_EQ(Statements::updateObject("u", "n", "o"),
              "UPDATE MASTERZEB SET VerName = 'n', VerNotes = 'o' WHERE UID = 'u'");
    EXPECT_EQ(Statements::selectRevisionsWithPaths(),
              "SELECT REVNAME, REVNOTES, REVVER, REVTIME, MASTERUID, FilePath, REVTABLE.UID  "
              "FROM REVTABLE, FILETABLE  WHERE REVTABLE.MASTERUID = FILETABLE.UID");
    EXPECT_EQ(Statements::timeText(-12), "-12");
}

TEST(StatementsTextTest, QuotesAndCutsValues) {
    EXPECT_EQ(Statements::quote("it's ''"), "'it''s '''''");
    EXPECT_EQ(Statements::selectFileByPath("C:/O'Neil/a.txt"),
              "SELECT * FROM FILETABLE WHERE FilePath = 'C:/O''Neil/a.txt'");

    // Names keep 32 characters, notes 255; never half a character.
    std::string name(30, 'n');
    name += "\xC3\xA4\xC3\xA4\xC3\xA4";  // three "ä"
    EXPECT_EQ(Statements::cutText(name, 32), name.substr(0, 34));
    EXPECT_EQ(Statements::countChars(name), 33);
    std::string quoteAtCut(31, 'n');
    quoteAtCut += "''";
    EXPECT_EQ(Statements::updateRevision("u", quoteAtCut, std::string(300, 'o')),
              "UPDATE REVTABLE SET REVNAME = '" + std::string(31, 'n') + "''', REVNOTES = '" +
                  std::string(255, 'o') + "' WHERE UID = 'u'");
    // Paths are never cut: a cut path would name another file.
    std::string path(300, 'p');
    EXPECT_NE(Statements::insertFile("u", path).find(path), std::string::npos);
}

class StatementsTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        createTables();
        db = DatabaseInstance::instance();
    }

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

    DatabaseInstance* db = nullptr;
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

    ResultSet* rs = db->executeQuery(Statements::selectRevision("r2"));
    int version = 0;
    ASSERT_TRUE(rs->next());
    EXPECT_TRUE(rs->getInt("REVVER", &version));
    EXPECT_EQ(version, 10);

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
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE"), 1u);
    EXPECT_EQ(rawCount("SELECT * FROM MASTERZEB"), 1u);
    EXPECT_EQ(rawCount("SELECT * FROM FILETABLE"), 0u);

    run(Statements::insertFile("m2", "C:/b.txt"));
    run(Statements::deleteAllFiles());
    run(Statements::deleteAllRevisions());
    run(Statements::deleteAllObjects());
    EXPECT_EQ(rawCount("SELECT * FROM MASTERZEB"), 0u);
}

TEST_P(StatementsTest, AwkwardTextIsStoredAndFoundExactly) {
    const std::string name = "O'Brien's \"draft\" \\x";
    const std::string notes =
        "'; DROP TABLE MASTERZEB; -- \\' \xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::string path = "C:/Docs/O'Brien\\n/\xC3\xA9t\xC3\xA9 '.txt";
    run(Statements::insertObject("m1", name, notes, "1"));
    run(Statements::insertFile("m1", path));
    run(Statements::insertRevision("r1", name, notes, 1, "m1", "1"));

    EXPECT_EQ(rawQuery("SELECT VerName, VerNotes FROM MASTERZEB"),
              (std::vector<Row>{{name, notes}}));
    EXPECT_EQ(text(Statements::selectObject("m1"), "VerNotes"), notes);
    EXPECT_EQ(text(Statements::selectRevision("r1"), "REVNAME"), name);
    EXPECT_EQ(text(Statements::selectFileByPath(path), "UID"), "m1");
    EXPECT_EQ(text(Statements::selectFileByUid("m1"), "FilePath"), path);
}

TEST_P(StatementsTest, OverlongNamesAndNotesAreCutToTheirColumns) {
    std::string name;
    for (int i = 0; i < 40; ++i) {
        name += "\xC3\xA4";
    }
    run(Statements::insertObject("m1", name, std::string(300, 'o'), "1"));
    run(Statements::insertRevision("r1", name, std::string(300, 'o'), 1, "m1", "1"));
    EXPECT_EQ(rawQuery("SELECT VerName, VerNotes FROM MASTERZEB"),
              (std::vector<Row>{{name.substr(0, 64), std::string(255, 'o')}}));
    EXPECT_EQ(rawQuery("SELECT REVNAME FROM REVTABLE"), (std::vector<Row>{{name.substr(0, 64)}}));
}

ZEB_INSTANTIATE_BACKENDS(StatementsTest);

}  // namespace

#include "core/VersionedObject.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/RevisionObject.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

class VersionedObjectTest : public ItemTest {};

std::string repeat(const std::string& piece, int times) {
    std::string out;
    while (times-- > 0) {
        out += piece;
    }
    return out;
}

std::string versionOf(RevisionObject& revision) {
    char text[1024];
    revision.getVersion(text, sizeof text);
    return text;
}

TEST_P(VersionedObjectTest, FirstSaveWritesInitialRevisionAndObjectAndLaterSavesOnlyNameAndNotes) {
    const long long before = static_cast<long long>(std::time(nullptr));
    VersionedObject object("Report", "first draft");
    const std::string uid = uidOf(object);
    ASSERT_TRUE(object.save());

    const std::vector<Row> objects =
        rawQuery("SELECT UID, VerName, VerNotes, UserData, VerTime FROM MASTERZEB");
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0], (Row{uid, "Report", "first draft", " ", objects[0][4]}));
    EXPECT_LE(before, std::stoll(*objects[0][4]));
    const std::vector<Row> revisions =
        rawQuery("SELECT REVNAME, REVNOTES, REVVER, MASTERUID, USERDATA, REVTIME FROM REVTABLE");
    ASSERT_EQ(revisions.size(), 1u);
    EXPECT_EQ(revisions[0], (Row{"Report", "first draft", "1", uid, " ", revisions[0][5]}));
    EXPECT_LE(before, std::stoll(*revisions[0][5]));

    object.setName("Final report");
    object.setNotes("for the board");
    ASSERT_TRUE(object.save());
    EXPECT_EQ(rawQuery("SELECT UID, VerName, VerNotes, UserData, VerTime FROM MASTERZEB"),
              (std::vector<Row>{{uid, "Final report", "for the board", " ", objects[0][4]}}));
    EXPECT_EQ(rawQuery("SELECT REVNAME, REVNOTES, REVVER, MASTERUID, USERDATA, REVTIME FROM "
                       "REVTABLE"),
              revisions);
}

TEST_P(VersionedObjectTest, NewVersionIsOneMoreThanTheHighestAndStartsAtOneAgain) {
    VersionedObject object("Plan", "");
    ASSERT_TRUE(object.save());
    const std::string uid = uidOf(object);
    // Versions 1, 2 and 5: the gap left by deleted revisions is not filled.
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r2', '', '', 2, '" + uid + "', ' ', '0')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r5', '', '', 5, '" + uid + "', ' ', '0')"));
    RevisionObject sixth("six", "", &object);
    ASSERT_TRUE(sixth.save());
    EXPECT_EQ(versionOf(sixth), "6");
    EXPECT_EQ(value("SELECT REVVER FROM REVTABLE WHERE UID = '" + uidOf(sixth) + "'"), "6");

    ASSERT_TRUE(rawExec("DELETE FROM REVTABLE"));
    RevisionObject first("again", "", &object);
    ASSERT_TRUE(first.save());
    EXPECT_EQ(versionOf(first), "1");
}

TEST_P(VersionedObjectTest, DeletingTheLastRevisionDeletesTheObject) {
    VersionedObject object("Letter", "");
    ASSERT_TRUE(object.save());
    RevisionObject second("second", "", &object);
    ASSERT_TRUE(second.save());
    RevisionObject first(uidFrom(value("SELECT UID FROM REVTABLE WHERE REVVER = 1")), &object);
    ASSERT_TRUE(first.destroy());
    EXPECT_EQ(rowsOf("MASTERZEB"), 1u);
    EXPECT_FALSE(first.destroy());
    ASSERT_TRUE(second.destroy());
    EXPECT_EQ(allRows(), 0u);

    // Saved again after destroy: inserted again under the same identifier.
    ASSERT_TRUE(object.save());
    EXPECT_EQ(column("SELECT MASTERUID FROM REVTABLE"), std::vector<std::string>{uidOf(object)});

    // An object whose revision rows are gone already is still deleted.
    ASSERT_TRUE(rawExec("DELETE FROM REVTABLE"));
    EXPECT_TRUE(object.destroy());
    EXPECT_EQ(allRows(), 0u);
    EXPECT_FALSE(object.destroy());
}

TEST_P(VersionedObjectTest, RevisionListAndCount) {
    const UID none = uidFrom(uidOf(VersionedObject("Empty", "")));
    RevisionListElement untouched[1] = {};
    EXPECT_EQ(VersionedObject::getNumRevs(none), 0);
    EXPECT_TRUE(VersionedObject::getRevisions(none, untouched));
    EXPECT_EQ(untouched[0][0][0], '\0');

    VersionedObject object("Notes", "n0");
    ASSERT_TRUE(object.save());
    RevisionObject second("v2", "n2", &object);
    ASSERT_TRUE(second.save());
    const UID uid = uidFrom(uidOf(object));
    ASSERT_EQ(VersionedObject::getNumRevs(uid), 2);
    std::unique_ptr<RevisionListElement[]> list(new RevisionListElement[2]);
    ASSERT_TRUE(VersionedObject::getRevisions(uid, list.get()));
    for (int i = 0; i < 2; ++i) {
        const std::vector<Row> row =
            rawQuery("SELECT REVVER, REVNAME, REVNOTES, REVTIME, UID FROM REVTABLE WHERE UID = '" +
                     std::string(list[i][4]) + "'");
        ASSERT_EQ(row.size(), 1u);
        EXPECT_EQ(row[0], (Row{list[i][0], list[i][1], list[i][2], list[i][3], list[i][4]}));
    }
    // The bounded form writes no more than the room it is given.
    int count = -1;
    EXPECT_TRUE(VersionedObject::getRevisions(uid, list.get(), 1, &count));
    EXPECT_EQ(count, 1);
}

TEST_P(VersionedObjectTest, LongNamesAndNotesAreCutAlikeOnEveryDataSource) {
    // 40 characters of name and 300 of notes, multibyte, with quotes.
    VersionedObject object(("'" + repeat("ä", 39)).c_str(), repeat("€'", 150).c_str());
    ASSERT_TRUE(object.save());
    const std::string name = "'" + repeat("ä", 31);
    const std::string notes = repeat("€'", 127) + "€";
    EXPECT_EQ(rawQuery("SELECT VerName, VerNotes FROM MASTERZEB"),
              (std::vector<Row>{{name, notes}}));
    EXPECT_EQ(rawQuery("SELECT REVNAME, REVNOTES FROM REVTABLE"),
              (std::vector<Row>{{name, notes}}));

    // What is read back is what was stored, whole.
    VersionedObject reread(uidFrom(uidOf(object)));
    char text[1024];
    reread.getNotes(text, sizeof text);
    EXPECT_EQ(text, notes);
    RevisionListElement list[1];
    ASSERT_TRUE(VersionedObject::getRevisions(uidFrom(uidOf(object)), list));
    EXPECT_EQ(list[0][1], name);
    EXPECT_EQ(list[0][2], notes);
    // A getter cuts to its buffer without splitting a character.
    reread.getName(text, 4);
    EXPECT_STREQ(text, "'ä");
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(VersionedObjectTest);

}  // namespace zebtest

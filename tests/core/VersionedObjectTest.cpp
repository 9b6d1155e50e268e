#include "core/VersionedObject.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/RevisionFile.h"
#include "core/RevisionObject.h"
#include "core/VersionedFile.h"
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

std::string textOf(RevisionObject& revision, void (RevisionObject::*getter)(char*, int)) {
    char text[1024] = "unchanged";
    (revision.*getter)(text, sizeof text);
    return text;
}

TEST_P(VersionedObjectTest, FirstSaveWritesInitialRevisionAndObjectAndLaterSavesOnlyNameAndNotes) {
    const std::string before = std::to_string(std::time(nullptr));
    VersionedObject object("Report", "first draft");
    const std::string uid = uidOf(object);
    ASSERT_TRUE(object.save());
    const std::string objects = "SELECT UID, VerName, VerNotes, UserData, VerTime FROM MASTERZEB";
    const std::string revisions =
        "SELECT REVNAME, REVNOTES, REVVER, MASTERUID, USERDATA, REVTIME FROM REVTABLE";
    const std::vector<Row> object1 = rawQuery(objects);
    const std::vector<Row> revision1 = rawQuery(revisions);
    ASSERT_TRUE(object1.size() == 1 && revision1.size() == 1);
    EXPECT_EQ(object1[0], (Row{uid, "Report", "first draft", " ", object1[0][4]}));
    EXPECT_EQ(revision1[0], (Row{"Report", "first draft", "1", uid, " ", revision1[0][5]}));
    EXPECT_LE(std::stoll(before), std::stoll(*object1[0][4]));
    EXPECT_LE(std::stoll(before), std::stoll(*revision1[0][5]));

    object.setName("Final report");
    object.setNotes("for the board");
    ASSERT_TRUE(object.save());
    EXPECT_EQ(rawQuery(objects),
              (std::vector<Row>{{uid, "Final report", "for the board", " ", object1[0][4]}}));
    EXPECT_EQ(rawQuery(revisions), revision1);
}

TEST_P(VersionedObjectTest, NewVersionIsOneMoreThanTheHighestAndTheLastRevisionTakesTheObject) {
    VersionedObject object("Plan", "");
    ASSERT_TRUE(object.save());
    const std::string uid = uidOf(object);
    // Versions 1, 2 and 5: the gap left by deleted revisions is not filled.
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r2', '', '', 2, '" + uid + "', ' ', '0')"));
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('r5', '', '', 5, '" + uid + "', ' ', '0')"));
    RevisionObject sixth("six", "", &object);
    ASSERT_TRUE(sixth.save());
    EXPECT_EQ(textOf(sixth, &RevisionObject::getVersion), "6");
    EXPECT_EQ(value("SELECT REVVER FROM REVTABLE WHERE UID = '" + uidOf(sixth) + "'"), "6");

    // Deleting revisions: the object goes with the last one, not before.
    ASSERT_TRUE(rawExec("DELETE FROM REVTABLE WHERE REVVER <> 6"));
    RevisionObject seventh("seven", "", &object);
    ASSERT_TRUE(seventh.save());
    ASSERT_TRUE(sixth.destroy());
    EXPECT_FALSE(sixth.destroy());
    EXPECT_EQ(rowsOf("MASTERZEB"), 1u);
    ASSERT_TRUE(seventh.destroy());
    EXPECT_EQ(allRows(), 0u);

    // Saved again after that: inserted again under the same identifier,
    // numbered from 1.
    ASSERT_TRUE(object.save());
    EXPECT_EQ(rawQuery("SELECT MASTERUID, REVVER FROM REVTABLE"), (std::vector<Row>{{uid, "1"}}));
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
    RevisionListElement list[2];
    ASSERT_TRUE(VersionedObject::getRevisions(uid, list));
    for (const auto& element : list) {
        EXPECT_EQ(rawQuery("SELECT REVVER, REVNAME, REVNOTES, REVTIME, UID FROM REVTABLE WHERE "
                           "UID = '" +
                           std::string(element[4]) + "'"),
                  (std::vector<Row>{{element[0], element[1], element[2], element[3], element[4]}}));
    }
    // The bounded form writes no more than the room it is given.
    int count = -1;
    EXPECT_TRUE(VersionedObject::getRevisions(uid, list, 1, &count));
    EXPECT_EQ(count, 1);
}

TEST_P(VersionedObjectTest, LongNamesAndNotesAreCutAlikeOnEveryDataSource) {
    // 40 characters of name and 300 of notes, multibyte, with quotes.
    VersionedObject object(("'" + repeat("ä", 39)).c_str(), repeat("€'", 150).c_str());
    ASSERT_TRUE(object.save());
    const std::string name = "'" + repeat("ä", 31);
    const std::string notes = repeat("€'", 127) + "€";
    EXPECT_EQ(rawQuery("SELECT VerName, VerNotes FROM MASTERZEB UNION ALL SELECT REVNAME, "
                       "REVNOTES FROM REVTABLE"),
              (std::vector<Row>{{name, notes}, {name, notes}}));

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

TEST_P(VersionedObjectTest, RevisionMadeFromItsUidAloneOwnsAPlainObject) {
    writeFile(docsDir() + "/memo.txt", "memo");
    VersionedFile file("Memo", "", (docsDir() + "/memo.txt").c_str());
    ASSERT_TRUE(file.save());
    RevisionFile second("second", "more", &file);
    ASSERT_TRUE(second.save());

    RevisionObject loaded(uidFrom(uidOf(second)));
    EXPECT_EQ(textOf(loaded, &RevisionObject::getName), "second");
    EXPECT_EQ(textOf(loaded, &RevisionObject::getVersion), "2");
    EXPECT_EQ(textOf(loaded, &RevisionObject::getMasterUID), uidOf(file));
    ASSERT_NE(loaded.getObject(), nullptr);
    EXPECT_EQ(dynamic_cast<const VersionedFile*>(loaded.getObject()), nullptr);
    EXPECT_TRUE(loaded.read(uidFrom(uidOf(file))));  // changes nothing
    EXPECT_EQ(textOf(loaded, &RevisionObject::getName), "second");

    // Copies own copies of the owner (each is deleted once).
    RevisionObject copy(loaded);
    RevisionObject assigned("x", "", nullptr);
    assigned = copy;
    EXPECT_NE(copy.getObject(), loaded.getObject());
    EXPECT_NE(assigned.getObject(), copy.getObject());
    EXPECT_EQ(textOf(assigned, &RevisionObject::getMasterUID), uidOf(file));

    // Such a revision deletes its row only; the archived copy is left.
    EXPECT_TRUE(loaded.destroy());
    EXPECT_EQ(rowsOf("REVTABLE"), 1u);
    EXPECT_EQ(listNames(vfsRoot() + docsDir() + "/memo.txt").size(), 2u);
}

TEST_P(VersionedObjectTest, RevisionWithoutOwnerIsHarmless) {
    RevisionObject unknown(uidFrom("1x2x3"));
    EXPECT_EQ(textOf(unknown, &RevisionObject::getName), "");
    EXPECT_EQ(textOf(unknown, &RevisionObject::getVersion), "0");
    EXPECT_EQ(textOf(unknown, &RevisionObject::getMasterUID), "");
    EXPECT_EQ(unknown.getObject(), nullptr);
    RevisionObject orphan("orphan", "no owner", nullptr);
    RevisionFile noFile("orphan", "", nullptr);
    for (RevisionObject* revision : {&unknown, &orphan, static_cast<RevisionObject*>(&noFile)}) {
        EXPECT_FALSE(revision->save());
        EXPECT_FALSE(revision->destroy());
    }
    EXPECT_FALSE(noFile.restore());
    EXPECT_EQ(allRows(), 0u);
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(VersionedObjectTest);

}  // namespace zebtest

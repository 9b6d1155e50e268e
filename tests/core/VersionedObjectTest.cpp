#include "core/VersionedObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/RevisionObject.h"
#include "core/UID.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

class VersionedObjectTest : public ItemTest {};

UID uidFrom(const std::string& text) {
    UID uid;
    uid = text.c_str();
    return uid;
}

std::string repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST_P(VersionedObjectTest, FirstSaveWritesInitialRevisionAndObjectAndLaterSavesOnlyNameAndNotes) {
    VersionedObject object("Report", "first draft");
    const std::string uid = uidOf(object);
    const long long before = static_cast<long long>(std::time(nullptr));
    EXPECT_FALSE(object.isVersionSaved());
    ASSERT_TRUE(object.save());
    EXPECT_TRUE(object.isVersionSaved());

    const std::vector<Row> objects =
        rawQuery("SELECT UID, VerName, VerNotes, UserData, VerTime FROM MASTERZEB");
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(*objects[0][0], uid);
    EXPECT_EQ(*objects[0][1], "Report");
    EXPECT_EQ(*objects[0][2], "first draft");
    EXPECT_EQ(*objects[0][3], " ");
    const std::string verTime = *objects[0][4];
    EXPECT_GE(std::stoll(verTime), before);
    EXPECT_LE(std::stoll(verTime), before + 5);

    const std::vector<Row> revisions = rawQuery(
        "SELECT REVNAME, REVNOTES, REVVER, MASTERUID, USERDATA, REVTIME, UID FROM REVTABLE");
    ASSERT_EQ(revisions.size(), 1u);
    EXPECT_EQ(*revisions[0][0], "Report");
    EXPECT_EQ(*revisions[0][1], "first draft");
    EXPECT_EQ(*revisions[0][2], "1");
    EXPECT_EQ(*revisions[0][3], uid);
    EXPECT_EQ(*revisions[0][4], " ");
    EXPECT_GE(std::stoll(*revisions[0][5]), before);
    EXPECT_NE(*revisions[0][6], uid);

    // Edit: only VerName and VerNotes change; no revision is added.
    object.setName("Final report");
    object.setNotes("for the board");
    ASSERT_TRUE(object.save());
    EXPECT_EQ(value("SELECT VerName FROM MASTERZEB"), "Final report");
    EXPECT_EQ(value("SELECT VerNotes FROM MASTERZEB"), "for the board");
    EXPECT_EQ(value("SELECT VerTime FROM MASTERZEB"), verTime);
    EXPECT_EQ(value("SELECT REVNAME FROM REVTABLE"), "Report");

    VersionedObject reread(uidFrom(uid));
    char text[1024];
    reread.getName(text, sizeof text);
    EXPECT_STREQ(text, "Final report");
    reread.getNotes(text, sizeof text);
    EXPECT_STREQ(text, "for the board");
    reread.getName(text, 6);
    EXPECT_STREQ(text, "Final");
}

TEST_P(VersionedObjectTest, NewVersionIsOneMoreThanTheHighestAndStartsAtOneAgain) {
    VersionedObject object("Plan", "");
    ASSERT_TRUE(object.save());
    const std::string uid = uidOf(object);
    // Versions 1, 2 and 5: the gap left by deleted revisions is not filled.
    ASSERT_TRUE(
        rawExec("INSERT INTO REVTABLE VALUES('r2', 'two', '', 2, '" + uid + "', ' ', '0')"));
    ASSERT_TRUE(
        rawExec("INSERT INTO REVTABLE VALUES('r5', 'five', '', 5, '" + uid + "', ' ', '0')"));
    RevisionObject sixth("six", "", &object);
    ASSERT_TRUE(sixth.save());
    char text[1024];
    sixth.getVersion(text, sizeof text);
    EXPECT_STREQ(text, "6");
    EXPECT_EQ(value("SELECT REVVER FROM REVTABLE WHERE UID = '" + uidOf(sixth) + "'"), "6");

    ASSERT_TRUE(rawExec("UPDATE REVTABLE SET REVVER = 11 WHERE UID = 'r5'"));
    RevisionObject twelfth("twelve", "", &object);
    ASSERT_TRUE(twelfth.save());
    twelfth.getVersion(text, sizeof text);
    EXPECT_STREQ(text, "12");

    ASSERT_TRUE(rawExec("DELETE FROM REVTABLE"));
    RevisionObject first("again", "", &object);
    ASSERT_TRUE(first.save());
    first.getVersion(text, sizeof text);
    EXPECT_STREQ(text, "1");
}

TEST_P(VersionedObjectTest, DeletingTheLastRevisionDeletesTheObject) {
    VersionedObject object("Letter", "");
    ASSERT_TRUE(object.save());
    const std::string uid = uidOf(object);
    RevisionObject second("second", "", &object);
    ASSERT_TRUE(second.save());
    const std::string firstUid = value("SELECT UID FROM REVTABLE WHERE REVVER = 1");

    RevisionObject first(uidFrom(firstUid), &object);
    ASSERT_TRUE(first.destroy());
    EXPECT_EQ(rowsOf("MASTERZEB"), 1u);
    EXPECT_EQ(column("SELECT UID FROM REVTABLE"), std::vector<std::string>{uidOf(second)});
    EXPECT_FALSE(first.destroy());  // gone already

    ASSERT_TRUE(second.destroy());
    EXPECT_EQ(allRows(), 0u);
    EXPECT_FALSE(object.isVersionSaved());

    // An object whose revision rows are already gone is still deleted: the
    // DELETE of its revisions matching nothing is not a failure.
    VersionedObject bare("Bare", "");
    ASSERT_TRUE(bare.save());
    ASSERT_TRUE(rawExec("DELETE FROM REVTABLE"));
    EXPECT_TRUE(bare.destroy());
    EXPECT_EQ(allRows(), 0u);
    EXPECT_FALSE(bare.destroy());

    // Saved again after destroy: inserted again under the same identifier.
    ASSERT_TRUE(object.save());
    EXPECT_EQ(value("SELECT UID FROM MASTERZEB"), uid);
    EXPECT_EQ(value("SELECT REVVER FROM REVTABLE"), "1");
}

TEST_P(VersionedObjectTest, RevisionListAndCount) {
    VersionedObject empty("Empty", "");
    RevisionListElement untouched[1];
    untouched[0][0][0] = 'z';
    UID emptyUid = uidFrom(uidOf(empty));
    EXPECT_EQ(VersionedObject::getNumRevs(emptyUid), 0);
    EXPECT_TRUE(VersionedObject::getRevisions(emptyUid, untouched));
    EXPECT_EQ(untouched[0][0][0], 'z');

    VersionedObject object("Notes", "n0");
    ASSERT_TRUE(object.save());
    for (int i = 2; i <= 3; ++i) {
        RevisionObject revision(("v" + std::to_string(i)).c_str(), "note", &object);
        ASSERT_TRUE(revision.save());
    }
    const UID uid = uidFrom(uidOf(object));
    ASSERT_EQ(VersionedObject::getNumRevs(uid), 3);
    std::unique_ptr<RevisionListElement[]> list(new RevisionListElement[3]);
    ASSERT_TRUE(VersionedObject::getRevisions(uid, list.get()));
    std::vector<std::string> versions;
    for (int i = 0; i < 3; ++i) {
        const RevisionListElement& element = list[i];
        versions.push_back(element[0]);
        const std::string revUid = element[4];
        EXPECT_EQ(value("SELECT REVNAME FROM REVTABLE WHERE UID = '" + revUid + "'"), element[1]);
        EXPECT_EQ(value("SELECT REVTIME FROM REVTABLE WHERE UID = '" + revUid + "'"), element[3]);
        EXPECT_EQ(std::string(element[2]), std::string(element[0]) == "1" ? "n0" : "note");
    }
    std::sort(versions.begin(), versions.end());
    EXPECT_EQ(versions, (std::vector<std::string>{"1", "2", "3"}));

    // The bounded form never writes past the room it is given.
    std::unique_ptr<RevisionListElement[]> small(new RevisionListElement[2]);
    int count = -1;
    EXPECT_TRUE(VersionedObject::getRevisions(uid, small.get(), 2, &count));
    EXPECT_EQ(count, 2);
}

TEST_P(VersionedObjectTest, LongNamesAndNotesAreCutAlikeOnEveryDataSource) {
    // 40 two-byte letters and 300 three-byte signs, with quotes among them.
    const std::string name = "'" + repeat("ä", 39);
    const std::string notes = repeat("€'", 150);
    VersionedObject object(name.c_str(), notes.c_str());
    ASSERT_TRUE(object.save());

    const std::string cutName = "'" + repeat("ä", 31);
    const std::string cutNotes = repeat("€'", 127) + "€";
    EXPECT_EQ(value("SELECT VerName FROM MASTERZEB"), cutName);
    EXPECT_EQ(value("SELECT VerNotes FROM MASTERZEB"), cutNotes);
    EXPECT_EQ(value("SELECT REVNAME FROM REVTABLE"), cutName);
    EXPECT_EQ(value("SELECT REVNOTES FROM REVTABLE"), cutNotes);

    // What is read back is what was stored, whole.
    VersionedObject reread(uidFrom(uidOf(object)));
    char text[1024];
    reread.getName(text, sizeof text);
    EXPECT_EQ(std::string(text), cutName);
    reread.getNotes(text, sizeof text);
    EXPECT_EQ(std::string(text), cutNotes);
    std::unique_ptr<RevisionListElement[]> list(new RevisionListElement[1]);
    ASSERT_TRUE(VersionedObject::getRevisions(uidFrom(uidOf(object)), list.get()));
    EXPECT_EQ(std::string(list[0][1]), cutName);
    EXPECT_EQ(std::string(list[0][2]), cutNotes);

    // A getter cuts to its buffer without splitting a character.
    reread.getName(text, 4);
    EXPECT_EQ(std::string(text), "'ä");
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(VersionedObjectTest);

}  // namespace zebtest

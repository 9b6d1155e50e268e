#include "core/RevisionObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "core/VersionedObject.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

class RevisionObjectTest : public ItemTest {};

UID uidFrom(const std::string& text) {
    UID uid;
    uid = text.c_str();
    return uid;
}

std::string nameOf(IZEB& item) {
    char text[1024];
    item.getName(text, sizeof text);
    return text;
}

std::string versionOf(RevisionObject& revision) {
    char text[1024];
    revision.getVersion(text, sizeof text);
    return text;
}

std::string masterOf(RevisionObject& revision) {
    char text[1024] = "unchanged";
    revision.getMasterUID(text, sizeof text);
    return text;
}

TEST_P(RevisionObjectTest, RevisionMadeFromItsUidAloneOwnsAPlainObject) {
    writeFile(docsDir() + "/memo.txt", "memo");
    VersionedFile file("Memo", "", (docsDir() + "/memo.txt").c_str());
    ASSERT_TRUE(file.save());
    RevisionFile second("second", "more", &file);
    ASSERT_TRUE(second.save());

    RevisionObject loaded(uidFrom(uidOf(second)));
    EXPECT_EQ(nameOf(loaded), "second");
    EXPECT_EQ(versionOf(loaded), "2");
    EXPECT_EQ(masterOf(loaded), uidOf(file));
    ASSERT_NE(loaded.getObject(), nullptr);
    EXPECT_EQ(dynamic_cast<const VersionedFile*>(loaded.getObject()), nullptr);
    EXPECT_NE(loaded.getObject(), &file);
    EXPECT_TRUE(loaded.read(uidFrom(uidOf(file))));  // changes nothing
    EXPECT_EQ(nameOf(loaded), "second");

    // Copies own copies of the owner: each one is deleted once.
    RevisionObject copy(loaded);
    EXPECT_NE(copy.getObject(), loaded.getObject());
    EXPECT_EQ(masterOf(copy), uidOf(file));
    RevisionObject assigned("x", "", nullptr);
    assigned = copy;
    assigned = assigned;
    EXPECT_NE(assigned.getObject(), copy.getObject());
    EXPECT_EQ(versionOf(assigned), "2");

    // Such a revision deletes its row only; the archived copy is left.
    EXPECT_TRUE(loaded.destroy());
    EXPECT_EQ(rowsOf("REVTABLE"), 1u);
    EXPECT_EQ(rowsOf("MASTERZEB"), 1u);
    EXPECT_EQ(listNames(vfsRoot() + docsDir() + "/memo.txt").size(), 2u);
}

TEST_P(RevisionObjectTest, RevisionWithoutOwnerIsHarmless) {
    RevisionObject unknown(uidFrom("1x2x3"));
    EXPECT_EQ(nameOf(unknown), "");
    EXPECT_EQ(versionOf(unknown), "0");
    EXPECT_EQ(unknown.getObject(), nullptr);
    EXPECT_EQ(masterOf(unknown), "");
    EXPECT_FALSE(unknown.save());
    EXPECT_FALSE(unknown.destroy());

    RevisionObject orphan("orphan", "no owner", nullptr);
    EXPECT_FALSE(orphan.save());
    EXPECT_FALSE(orphan.destroy());
    EXPECT_EQ(allRows(), 0u);

    // A revision row whose owner has no object row still gets an owner
    // object, with empty texts.
    ASSERT_TRUE(rawExec("INSERT INTO REVTABLE VALUES('7x7x7', 'stray', '', 3, 'ax1x2', ' ', '0')"));
    RevisionObject stray(uidFrom("7x7x7"));
    ASSERT_NE(stray.getObject(), nullptr);
    EXPECT_EQ(masterOf(stray), "ax1x2");
    EXPECT_EQ(versionOf(stray), "3");
}

TEST_P(RevisionObjectTest, EditSavesOnlyNameAndNotes) {
    VersionedObject object("Thesis", "draft");
    ASSERT_TRUE(object.save());
    const std::string revUid = value("SELECT UID FROM REVTABLE");
    const std::vector<Row> before = rawQuery("SELECT REVVER, MASTERUID, REVTIME FROM REVTABLE");

    RevisionObject revision(uidFrom(revUid), &object);
    EXPECT_EQ(nameOf(revision), "Thesis");
    revision.setName("Thesis, chapter 1");
    revision.setNotes("it's \"done\" \\ nearly");
    ASSERT_TRUE(revision.save());

    EXPECT_EQ(rawQuery("SELECT REVVER, MASTERUID, REVTIME FROM REVTABLE"), before);
    EXPECT_EQ(value("SELECT REVNAME FROM REVTABLE"), "Thesis, chapter 1");
    EXPECT_EQ(value("SELECT REVNOTES FROM REVTABLE"), "it's \"done\" \\ nearly");
    EXPECT_EQ(value("SELECT VerName FROM MASTERZEB"), "Thesis");
    EXPECT_EQ(versionOf(revision), "1");
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(RevisionObjectTest);

}  // namespace zebtest

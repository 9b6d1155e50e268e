#include "core/RevisionObject.h"

#include <gtest/gtest.h>

#include <string>

#include "core/RevisionFile.h"
#include "core/VersionedFile.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

class RevisionObjectTest : public ItemTest {};

std::string textOf(RevisionObject& revision, void (RevisionObject::*getter)(char*, int)) {
    char text[1024] = "unchanged";
    (revision.*getter)(text, sizeof text);
    return text;
}

TEST_P(RevisionObjectTest, RevisionMadeFromItsUidAloneOwnsAPlainObject) {
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

TEST_P(RevisionObjectTest, RevisionWithoutOwnerIsHarmless) {
    RevisionObject unknown(uidFrom("1x2x3"));
    EXPECT_EQ(textOf(unknown, &RevisionObject::getName), "");
    EXPECT_EQ(textOf(unknown, &RevisionObject::getVersion), "0");
    EXPECT_EQ(textOf(unknown, &RevisionObject::getMasterUID), "");
    EXPECT_EQ(unknown.getObject(), nullptr);
    EXPECT_FALSE(unknown.save());
    EXPECT_FALSE(unknown.destroy());
    RevisionObject orphan("orphan", "no owner", nullptr);
    EXPECT_FALSE(orphan.save());
    EXPECT_FALSE(orphan.destroy());
    EXPECT_EQ(allRows(), 0u);
    RevisionFile noFile("orphan", "", nullptr);
    EXPECT_FALSE(noFile.save());
    EXPECT_FALSE(noFile.restore());
    EXPECT_EQ(allRows(), 0u);
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(RevisionObjectTest);

}  // namespace zebtest

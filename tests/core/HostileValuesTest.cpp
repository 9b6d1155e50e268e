// Names, notes and paths that a literal must carry unchanged, also on a
// PostgreSQL database whose sessions treat a backslash in a literal as an
// escape by default.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/VersionedFile.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

class HostileValuesTest : public ItemTest {};

TEST_P(HostileValuesTest, QuotesBackslashesAndWildcardsComeBackExactlyAndTakeNoRowWithThem) {
    if (backend() == Backend::PostgreSQL) {
        const std::string database = value("SELECT current_database()");
        ASSERT_TRUE(
            rawExec("ALTER DATABASE " + database + " SET standard_conforming_strings = off"));
        // Every session ends; new ones, the classes' included, start with the
        // database's default.
        stopServer();
        startServer();
        resetInstance();
        ASSERT_EQ(value("SHOW standard_conforming_strings"), "off");
    }
    const std::vector<std::string> values = {
        "O'Neil",     "back\\slash", "back\\'quote?{d '2020-01-01'}",   "100% _done_",
        "Grüße 日本", "trailing\\",  "\\'); DELETE FROM FILETABLE; --", "''\\\\''"};
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string& v = values[i];
        SCOPED_TRACE(v);
        const std::string path = docsDir() + "/" + v + ".txt";
        writeFile(path, v);
        // Notes go in with the insert, the name with an update.
        VersionedFile file("-", v.c_str(), path.c_str());
        ASSERT_TRUE(file.save());
        file.setName(v.c_str());
        ASSERT_TRUE(file.save());
        const std::string uid = uidOf(file);

        const size_t count = i + 1;
        EXPECT_EQ(rowsOf("MASTERZEB"), count);
        EXPECT_EQ(rowsOf("REVTABLE"), count);
        EXPECT_EQ(rowsOf("FILETABLE"), count);
        EXPECT_EQ(rawQuery("SELECT m.VerName, m.VerNotes, r.REVNAME, r.REVNOTES, f.FilePath "
                           "FROM MASTERZEB m, REVTABLE r, FILETABLE f WHERE m.UID = '" +
                           uid + "' AND r.MASTERUID = m.UID AND f.UID = m.UID"),
                  (std::vector<Row>{{v, v, "-", v, path}}));

        VersionedFile reread(uidFrom(uid));
        char text[1024];
        reread.getName(text, sizeof text);
        EXPECT_EQ(text, v);
        reread.getNotes(text, sizeof text);
        EXPECT_EQ(text, v);
        reread.getFileFullPath(text, sizeof text);
        EXPECT_EQ(text, path);
        UID found = UID::none();
        EXPECT_TRUE(VersionedFile::isFileVersioned(path.c_str(), found));
        found.toString(text, sizeof text);
        EXPECT_EQ(text, uid);
        RevisionListElement revision;
        int listed = 0;
        VersionedObject::getRevisions(uidFrom(uid), &revision, 1, &listed);
        ASSERT_EQ(listed, 1);
        EXPECT_EQ(revision[2], v);
    }
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(HostileValuesTest);

}  // namespace zebtest

// A selection context turns identifiers into the core library's objects and
// owns them until the next resolution.

#include <gtest/gtest.h>

#include "app/SelectContext.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "tests/support/BackendTest.h"

namespace zebtest {
namespace {

class SelectContextTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        createTables();
        for (const char* name : {"a.txt", "b.txt"}) {
            const std::string path = workDir() + "/docs/" + name;
            writeFile(path, name);
            VersionedFile file(name, "", path.c_str());
            ASSERT_TRUE(file.save());
            char uid[1024];
            file.getUID(uid, sizeof uid);
            m_files.push_back(uid);
            const std::vector<Row> rows =
                rawQuery(std::string("SELECT UID FROM REVTABLE WHERE MASTERUID = '") + uid + "'");
            ASSERT_EQ(rows.size(), 1u);
            m_revisions.push_back(*rows[0][0]);
        }
    }

    static UID uidOf(const std::string& text) {
        UID uid;
        uid = text.c_str();
        return uid;
    }
    static std::string nameOf(IZEB* item) {
        char name[1024] = "";
        item->getName(name, sizeof name);
        return name;
    }
    static std::string uidText(const IZEB* item) {
        char uid[1024] = "";
        item->getUID(uid, sizeof uid);
        return uid;
    }

    std::vector<std::string> m_files;
    std::vector<std::string> m_revisions;
};

TEST_P(SelectContextTest, EachResolutionReplacesTheHeldObjects) {
    SelectContext selection;
    EXPECT_EQ(selection.current(), nullptr);
    EXPECT_EQ(selection.commandState(), SelectContext::kNothing);
    EXPECT_EQ(selection.selectedPath(), "");

    RevisionFile* first = selection.resolveRevision(uidOf(m_files[0]), uidOf(m_revisions[0]));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(selection.current(), first);
    EXPECT_EQ(uidText(first), m_revisions[0]);
    EXPECT_EQ(nameOf(first), "a.txt");
    EXPECT_EQ(uidText(selection.versionedFile()), m_files[0]);

    RevisionFile* second = selection.resolveRevision(uidOf(m_files[1]), uidOf(m_revisions[1]));
    EXPECT_EQ(selection.current(), second);
    EXPECT_EQ(nameOf(second), "b.txt");
    EXPECT_EQ(uidText(selection.versionedFile()), m_files[1]);

    VersionedFile* file = selection.resolveVersionedFile(uidOf(m_files[0]));
    EXPECT_EQ(selection.current(), file);
    EXPECT_EQ(selection.revisionFile(), nullptr);
    EXPECT_EQ(uidText(file), m_files[0]);
    // The sanitizer build tells whether the replaced objects were freed.
}

INSTANTIATE_TEST_SUITE_P(SQLite, SelectContextTest, ::testing::Values(Backend::SQLite),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return backendName(info.param);
                         });

}  // namespace
}  // namespace zebtest

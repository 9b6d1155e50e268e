// In-place edits of the attribute list change the current revision in the
// repository: the name and note rows do, the identifier and version rows
// keep their values, and every edit that was not cancelled saves the item.

#include <wx/textctrl.h>

#include "app/EditView.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/BackendTest.h"

namespace zebtest {
namespace {

class EditRoutingTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        createTables();
        const std::string doc = workDir() + "/docs/report.txt";
        writeFile(doc, "first draft\n");
        VersionedFile file("report.txt", "first", doc.c_str());
        ASSERT_TRUE(file.save());
        file.getUID(m_fileUid, sizeof m_fileUid);
        const std::vector<Row> rows = rawQuery("SELECT UID FROM REVTABLE");
        ASSERT_EQ(rows.size(), 1u);
        m_revisionUid = *rows[0][0];

        setPaneMakers(
            [this](wxWindow* main) { return new RecordingPane(main, "browse", m_journal, 1); },
            nullptr);
        setUserInterface(&m_ui);
        m_window = startUp();
        ASSERT_NE(m_window, nullptr);
        ASSERT_EQ(AppState::installPath(), installDir());

        // What the browse tree does when a revision is selected.
        UID fileUid;
        fileUid = m_fileUid;
        UID revisionUid;
        revisionUid = m_revisionUid.c_str();
        selection()->resolveRevision(fileUid, revisionUid);
        m_view = new EditView(m_window);
        m_view->setColumns(
            {"Value", "Rev. Attribute"},
            {{m_revisionUid, "UID"}, {"report.txt", "Name"}, {"first", "Note"}, {"1", "Version"}},
            {70, 30});
        m_view->setColumnOrder({1, 0});
        m_window->setRightPane(m_view);
    }

    void TearDown() override {
        if (m_window) {
            m_window->Destroy();
            pumpFor(50);
        }
        setUserInterface(nullptr);
        setPaneMakers(nullptr, nullptr);
        BackendTest::TearDown();
    }

    SelectContext* selection() {
        return static_cast<RecordingPane*>(m_window->leftPane())->selectContext();
    }

    // Types `text` into the value of `row` and ends the edit.
    void edit(int row, const std::string& text, bool cancel = false) {
        ASSERT_TRUE(m_view->editValue(row));
        ASSERT_NE(m_view->editor(), nullptr);
        m_view->editor()->SetValue(wxString::FromUTF8(text));
        m_view->endEdit(cancel);
        pumpFor(20);
    }

    std::string stored(const char* column) {
        return *rawQuery(std::string("SELECT ") + column + " FROM REVTABLE WHERE UID = '" +
                         m_revisionUid + "'")[0][0];
    }
    std::string cell(int row) { return m_view->rows()[row][0]; }

    Journal m_journal;
    ScriptedUserInterface m_ui;
    MainWindow* m_window = nullptr;
    EditView* m_view = nullptr;
    char m_fileUid[1024] = "";
    std::string m_revisionUid;
};

TEST_P(EditRoutingTest, NameAndNoteEditsAreShownAndStored) {
    edit(1, "final report");
    EXPECT_EQ(cell(1), "final report");
    EXPECT_EQ(stored("REVNAME"), "final report");
    edit(2, "checked by Ann");
    EXPECT_EQ(cell(2), "checked by Ann");
    EXPECT_EQ(stored("REVNOTES"), "checked by Ann");
}

TEST_P(EditRoutingTest, IdentifierAndVersionEditsAreDroppedButTheItemIsSaved) {
    // A change made in memory only shows whether an edit saves the item.
    selection()->current()->setName("renamed in memory");
    edit(3, "7");
    EXPECT_EQ(cell(3), "1");
    EXPECT_EQ(stored("REVVER"), "1");
    EXPECT_EQ(stored("REVNAME"), "renamed in memory");

    selection()->current()->setNotes("noted in memory");
    edit(0, "not-an-id");
    EXPECT_EQ(cell(0), m_revisionUid);
    EXPECT_EQ(stored("UID"), m_revisionUid);
    EXPECT_EQ(stored("REVNOTES"), "noted in memory");
}

TEST_P(EditRoutingTest, CancelledEditChangesAndSavesNothing) {
    selection()->current()->setName("renamed in memory");
    edit(1, "typed then abandoned", true);
    EXPECT_EQ(cell(1), "report.txt");
    EXPECT_EQ(stored("REVNAME"), "report.txt");
}

INSTANTIATE_TEST_SUITE_P(SQLite, EditRoutingTest, ::testing::Values(Backend::SQLite),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return backendName(info.param);
                         });

}  // namespace
}  // namespace zebtest

// The main window's keyboard shortcuts, typed for real.

#include <wx/uiaction.h>

#include "tests/app/MainWindowFixture.h"

namespace zebtest {
namespace {

class MainWindowKeysTest : public MainWindowTest {
protected:
    DisplayInputLock m_inputLock;

    // Types the key with the modifiers into the left pane's field and waits
    // until `happened` holds.
    bool type(int key, int modifiers, const std::function<bool()>& happened) {
        return withKeyboard([&] {
            wxWindow* field = pane()->field();
            field->SetFocus();
            if (!pumpUntil([&] { return wxWindow::FindFocus() == field; }, 1000)) {
                return false;
            }
            wxUIActionSimulator keys;
            keys.Char(key, modifiers);
            return pumpUntil(happened, 1500);
        });
    }
};

TEST_F(MainWindowKeysTest, VersionKeysRunTheirCommands) {
    int added = 0;
    window->setAddNewVersionProcedure([&](wxWindow*) { ++added; });
    EXPECT_TRUE(type('a', wxMOD_CONTROL, [&] { return added == 1; }));
    EXPECT_TRUE(
        type('e', wxMOD_CONTROL, [&] { return journal.count("browse 1: editAttributes") == 1; }));
    EXPECT_TRUE(
        type('o', wxMOD_CONTROL, [&] { return journal.count("browse 1: openRevisions") == 1; }));
    EXPECT_TRUE(
        type('d', wxMOD_CONTROL, [&] { return journal.count("browse 1: deleteItems") == 1; }));
    EXPECT_TRUE(
        type('g', wxMOD_CONTROL, [&] { return journal.count("browse 1: restoreRevisions") == 1; }));
}

TEST_F(MainWindowKeysTest, ViewAndHelpKeysRunTheirCommands) {
    EXPECT_TRUE(type('s', wxMOD_CONTROL, [&] { return journal.count("search 2: made") == 1; }));
    EXPECT_TRUE(type('b', wxMOD_CONTROL, [&] { return journal.count("browse 3: made") == 1; }));
    EXPECT_TRUE(type(WXK_F1, wxMOD_NONE, [&] { return ui.helpRequests.size() == 1; }));
    EXPECT_TRUE(type('/', wxMOD_ALT, [&] { return ui.dialogTitles.size() == 1; }));
    // Alt+? : on a US layout "?" is Shift and "/".
    EXPECT_TRUE(type('/', wxMOD_ALT | wxMOD_SHIFT, [&] { return ui.dialogTitles.size() == 2; }));
}

TEST_F(MainWindowKeysTest, CtrlRDoesNothingThoughBrowseShowsIt) {
    const std::vector<std::string> before = journal.entries;
    // Ctrl+R, then Ctrl+S to know that the keys arrive: only the search
    // pane may follow.
    EXPECT_TRUE(withKeyboard([&] {
        wxWindow* field = pane()->field();
        field->SetFocus();
        if (!pumpUntil([&] { return wxWindow::FindFocus() == field; }, 1000)) {
            return false;
        }
        wxUIActionSimulator keys;
        keys.Char('r', wxMOD_CONTROL);
        keys.Char('s', wxMOD_CONTROL);
        return pumpUntil([&] { return journal.entries.size() > before.size(); }, 1500);
    }));
    pumpFor(200);
    std::vector<std::string> expected = before;
    expected.push_back("browse 1: deleted");
    expected.push_back("search 2: made");
    EXPECT_EQ(journal.entries, expected);
}

}  // namespace
}  // namespace zebtest

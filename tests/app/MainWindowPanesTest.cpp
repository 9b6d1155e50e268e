// Layout of the main window's bands and panes (the arithmetic, then the
// window), the splitter's notices, where the panes' notifications go; and
// the ids of the texts and commands.

#include <wx/listctrl.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include <set>

#include "app/window/MainLayout.h"
#include "app/window/Splitter.h"
#include "app/window/StringTable.h"
#include "tests/app/AppTestSupport.h"
#include "ui/ListView.h"
#include "ui/ReportView.h"

namespace zebtest {
namespace {

std::string show(const PaneBox& b) {
    return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) + "x" +
           std::to_string(b.height);
}

std::string boxOf(const wxWindow* w) {
    const wxRect r = w->GetRect();
    return show({r.x, r.y, r.width, r.height});
}

TEST(MainLayout, BandsAtTopAndBottomPanesBetweenBesideTheBar) {
    const MainLayout l = layoutMainWindow(800, 600, MainBands{27, 20}, 264, 2);
    EXPECT_EQ(show(l.toolbar), "0,0 800x27");
    EXPECT_EQ(show(l.statusBar), "0,580 800x20");
    EXPECT_EQ(show(l.leftPane), "0,27 264x553");
    EXPECT_EQ(show(l.rightPane), "266,27 534x553");
    EXPECT_EQ(show(rightPaneArea(800, 600, MainBands{27, 20}, 264, 2)), show(l.rightPane));
    // Other band heights shift the panes the same way.
    const MainLayout tall = layoutMainWindow(800, 600, MainBands{46, 31}, 264, 2);
    EXPECT_EQ(show(tall.leftPane), "0,46 264x523");
    EXPECT_EQ(show(tall.statusBar), "0,569 800x31");
    // A window too small gets empty panes, not negative ones.
    const MainLayout small = layoutMainWindow(200, 30, MainBands{27, 20}, 264, 2);
    EXPECT_EQ(show(small.leftPane), "0,27 264x0");
    EXPECT_EQ(show(small.rightPane), "266,27 0x0");
    EXPECT_EQ(small.statusBar.y, 10);

    // The panes follow a dropped bar; past the right pane's edge the right
    // pane is empty, not negative.
    PaneBox left{0, 27, 264, 553};
    PaneBox right{266, 27, 534, 553};
    EXPECT_FALSE(followSplitter(0, 2, left, right));
    EXPECT_EQ(show(left) + " " + show(right), "0,27 264x553 266,27 534x553");
    EXPECT_TRUE(followSplitter(500, 2, left, right));
    EXPECT_EQ(show(left) + " " + show(right), "0,27 500x553 502,27 298x553");
    EXPECT_TRUE(followSplitter(900, 2, left, right));
    EXPECT_EQ(show(right), "902,27 0x553");
}

TEST(MainLayout, TextAndCommandIdsAreUniqueAndCommandsTravelAsValidWxIds) {
    std::set<int> ids;
    for (const strings::Entry& e : strings::kTable) {
        EXPECT_TRUE(ids.insert(e.id).second) << e.id;
    }
    EXPECT_STREQ(strings::text(143), "");
    std::set<int> wxIds;
    for (CommandId command : kAllCommands) {
        const int id = toWxId(command);
        EXPECT_GE(id, 0);
        EXPECT_LT(id, 0x7fff);
        EXPECT_TRUE(wxIds.insert(id).second) << command;
        EXPECT_EQ(commandOf(id), command);
    }
    EXPECT_EQ(commandOf(kToolbarWindowId), 0);
}

class MainWindowPanesTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        view = new ReportView(window, nullptr);
        view->setColumns({"Ver.", "Name", "Notes", "Date"},
                         {{"2", "b", "", "100", "uid2"}, {"10", "a", "", "99", "uid10"}});
        window->setRightPane(view);
    }

    // Resizes the window, waits until the panes follow and checks them.
    void resizeTo(int width, int height) {
        window->SetClientSize(width, height);
        ASSERT_TRUE(pumpUntil([&] { return window->GetClientSize() == wxSize(width, height); }));
        pumpFor(50);
        const MainLayout expected =
            layoutMainWindow(width, height, window->bands(), window->splitter()->getX(),
                             window->splitter()->getWidth());
        EXPECT_EQ(boxOf(window->toolbar()), show(expected.toolbar));
        EXPECT_EQ(boxOf(window->statusBar()), show(expected.statusBar));
        EXPECT_EQ(boxOf(pane()->getWindow()), show(expected.leftPane));
        EXPECT_EQ(boxOf(view->getWindow()), show(expected.rightPane));
    }

    void notifySplitter(int x) {
        SplitterEvent moved(ZEB_EVT_SPLITTER_MOVED, window->splitter()->GetId(), x, 0);
        moved.SetEventObject(window->splitter());
        window->ProcessWindowEvent(moved);
    }

    ReportView* view = nullptr;
};

TEST_F(MainWindowPanesTest, PanesFollowTheWindowSizeAndTheBarsNotices) {
    // The bands have this platform's own heights.
    EXPECT_GT(window->bands().toolbarHeight, 10);
    EXPECT_GT(window->bands().statusHeight, 10);
    resizeTo(900, 600);
    const int barX = window->splitter()->getX();
    resizeTo(700, 450);
    // The bar keeps its pixel position, so the left pane keeps its width.
    EXPECT_EQ(window->splitter()->getX(), barX);
    EXPECT_EQ(pane()->getWindow()->GetSize().x, barX);
    // The bar stands between the bands.
    EXPECT_EQ(window->splitter()->GetPosition().y, window->bands().toolbarHeight + 2);
    // Where a left pane puts a new right pane.
    EXPECT_EQ(window->rightPaneRect(), view->getWindow()->GetRect());
    // Too narrow for both panes: the bar gives way so that the right pane
    // stays usable, and comes back when the window grows.
    resizeTo(420, 450);
    EXPECT_GE(420 - view->getWindow()->GetPosition().x, 150);
    resizeTo(700, 450);
    EXPECT_EQ(window->splitter()->getX(), barX);

    const wxRect left = pane()->getWindow()->GetRect();
    const wxRect right = view->getWindow()->GetRect();
    notifySplitter(0);
    EXPECT_EQ(pane()->getWindow()->GetRect(), left);
    EXPECT_EQ(view->getWindow()->GetRect(), right);
    notifySplitter(400);
    EXPECT_EQ(pane()->getWindow()->GetRect(), wxRect(left.x, left.y, 400, left.height));
    const int beyond = 400 + window->splitter()->getWidth();
    EXPECT_EQ(view->getWindow()->GetRect(),
              wxRect(beyond, right.y, right.GetRight() + 1 - beyond, right.height));
}

TEST_F(MainWindowPanesTest, DraggingTheBarMovesThePanesWhenItEnds) {
    DisplayInputLock inputLock;
    resizeTo(900, 600);
    Splitter* bar = window->splitter();
    const int startX = bar->getX();
    EXPECT_TRUE(withKeyboard([&] {
        const wxPoint from =
            bar->ClientToScreen(wxPoint(bar->GetSize().x / 2, bar->GetSize().y / 2));
        wxUIActionSimulator mouse;
        mouse.MouseMove(from);
        mouse.MouseDown();
        mouse.MouseMove(from + wxPoint(60, 0));
        mouse.MouseMove(from + wxPoint(120, 0));
        mouse.MouseUp();
        return pumpUntil([&] { return bar->getX() != startX && !bar->isDragging(); }, 1500);
    }));
    pumpFor(50);
    EXPECT_EQ(pane()->getWindow()->GetSize().x, bar->getX());
    EXPECT_EQ(view->getWindow()->GetPosition().x, bar->getX() + bar->getWidth());
    EXPECT_EQ(view->getWindow()->GetRect().GetRight() + 1, window->GetClientSize().x);
}

TEST_F(MainWindowPanesTest, NotificationsAndTheCommandStateOfTheSelection) {
    SelectContext* selection = pane()->selectContext();
    const std::pair<int, const char*> kinds[] = {{SelectContext::kNothing, "0000"},
                                                 {SelectContext::kVersionedFile, "1001"},
                                                 {SelectContext::kRevision, "1111"},
                                                 {7, "0000"}};
    for (const auto& [kind, states] : kinds) {
        selection->setCommandState(window, kind);
        EXPECT_EQ(versionCommandStates(window), states) << kind;
    }

    // A row click is the main window's: it enables the commands, and the
    // left pane hears nothing of it.
    wxCommandEvent click(ZEB_EVT_LIST_CLICK, kListControlId);
    click.SetEventObject(view->getWindow());
    click.SetInt(0);
    view->getWindow()->ProcessWindowEvent(click);
    EXPECT_EQ(selection->commandState(), SelectContext::kRightPaneRow);
    EXPECT_EQ(versionCommandStates(window), "1111");
    EXPECT_EQ(journal.count("browse 1: onNotify"), 0);
    // A second row click changes nothing, even when the commands were
    // changed meanwhile by something else.
    window->GetMenuBar()->Enable(toWxId(kCmdEdit), false);
    view->getWindow()->ProcessWindowEvent(click);
    EXPECT_FALSE(window->GetMenuBar()->IsEnabled(toWxId(kCmdEdit)));
    // The Browse button stays down throughout.
    EXPECT_TRUE(window->toolbar()->GetToolState(toWxId(kCmdBrowse)));

    // Other notifications of the right pane go to its view: sorted as text.
    wxListEvent columnClick(wxEVT_LIST_COL_CLICK, kListControlId);
    columnClick.SetEventObject(view->getWindow());
    columnClick.m_col = 0;
    view->getWindow()->ProcessWindowEvent(columnClick);
    EXPECT_EQ(view->rows()[0][0], "10");

    // The left pane gets its controls' notifications, not their plain
    // commands.
    wxWindow* field = pane()->field();
    wxNotifyEvent notification(wxEVT_LIST_ITEM_SELECTED, field->GetId());
    notification.SetEventObject(field);
    field->ProcessWindowEvent(notification);
    wxCommandEvent text(wxEVT_TEXT, field->GetId());
    text.SetEventObject(field);
    field->ProcessWindowEvent(text);
    EXPECT_EQ(journal.count("browse 1: onNotify"), 1);
}

// Rows chosen with the arrow keys count as clicked ones.
TEST_F(MainWindowPanesTest, RowsChosenWithTheKeysSetTheCommands) {
    DisplayInputLock inputLock;
    pane()->selectContext()->setCommandState(window, SelectContext::kVersionedFile);
    EXPECT_TRUE(withKeyboard([&] {
        view->getWindow()->SetFocus();
        const auto inList = [&] {
            const wxWindow* focus = wxWindow::FindFocus();
            return focus && (focus == view->getWindow() || focus->GetParent() == view->getWindow());
        };
        if (!pumpUntil(inList, 500)) {
            return false;
        }
        wxUIActionSimulator keys;
        keys.Char(WXK_DOWN);
        return pumpUntil([&] { return versionCommandStates(window) == "1111"; }, 1000);
    }));
}

}  // namespace
}  // namespace zebtest

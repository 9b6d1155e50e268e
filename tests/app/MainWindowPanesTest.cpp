// Layout of the main window's bands and panes, the splitter's notices, and
// where the panes' notifications go.

#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/uiaction.h>

#include "app/ListView.h"
#include "app/ReportView.h"
#include "app/Splitter.h"
#include "tests/app/MainWindowFixture.h"

namespace zebtest {
namespace {

PaneBox boxOf(const wxWindow* w) {
    const wxRect r = w->GetRect();
    return {r.x, r.y, r.width, r.height};
}

std::string show(const PaneBox& b) {
    return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) + "x" +
           std::to_string(b.height);
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

    // Resizes the window and waits until the panes follow.
    void resizeTo(int width, int height) {
        window->SetClientSize(width, height);
        ASSERT_TRUE(pumpUntil([&] { return window->GetClientSize() == wxSize(width, height); }));
        pumpFor(50);
    }

    void expectLaidOut() {
        const wxSize client = window->GetClientSize();
        const MainLayout expected =
            layoutMainWindow(client.x, client.y, window->bands(), window->splitter()->getX(),
                             window->splitter()->getWidth());
        EXPECT_EQ(show(boxOf(window->toolbar())), show(expected.toolbar));
        EXPECT_EQ(show(boxOf(window->statusBar())), show(expected.statusBar));
        EXPECT_EQ(show(boxOf(pane()->getWindow())), show(expected.leftPane));
        EXPECT_EQ(show(boxOf(view->getWindow())), show(expected.rightPane));
    }

    void notifySplitter(int x) {
        SplitterEvent moved(ZEB_EVT_SPLITTER_MOVED, window->splitter()->GetId(), x, 0);
        moved.SetEventObject(window->splitter());
        window->splitter()->GetParent()->ProcessWindowEvent(moved);
    }

    ReportView* view = nullptr;
};

TEST_F(MainWindowPanesTest, BandsAndPanesFollowTheWindowSize) {
    // The bands have this platform's own heights.
    EXPECT_GT(window->bands().toolbarHeight, 10);
    EXPECT_GT(window->bands().statusHeight, 10);
    resizeTo(900, 600);
    expectLaidOut();
    const int barX = window->splitter()->getX();
    resizeTo(700, 450);
    expectLaidOut();
    // The bar keeps its pixel position, so the left pane keeps its width.
    EXPECT_EQ(window->splitter()->getX(), barX);
    EXPECT_EQ(pane()->getWindow()->GetSize().x, barX);
    // The bar stands between the bands.
    EXPECT_EQ(window->splitter()->GetPosition().y, window->bands().toolbarHeight + 2);
    // Where a left pane puts a new right pane.
    EXPECT_EQ(window->rightPaneRect(), view->getWindow()->GetRect());
}

TEST_F(MainWindowPanesTest, SplitterNoticeMovesThePanesUnlessTheBarIsAtZero) {
    resizeTo(900, 600);
    const PaneBox left = boxOf(pane()->getWindow());
    const PaneBox right = boxOf(view->getWindow());

    notifySplitter(0);
    EXPECT_EQ(show(boxOf(pane()->getWindow())), show(left));
    EXPECT_EQ(show(boxOf(view->getWindow())), show(right));

    notifySplitter(400);
    EXPECT_EQ(show(boxOf(pane()->getWindow())), show({left.x, left.y, 400, left.height}));
    EXPECT_EQ(show(boxOf(view->getWindow())),
              show({402, right.y, right.right() - 402, right.height}));
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

TEST_F(MainWindowPanesTest, RowClickEnablesTheVersionCommands) {
    wxMenuBar* menus = window->GetMenuBar();
    wxToolBar* tools = window->toolbar();
    SelectContext* selection = pane()->selectContext();
    selection->setCommandState(window, SelectContext::kNothing);
    for (int id : {kCmdEdit, kCmdGet, kCmdOpen, kCmdDelete}) {
        EXPECT_FALSE(menus->IsEnabled(toWxId(id)));
        EXPECT_FALSE(tools->GetToolEnabled(toWxId(id)));
    }
    wxCommandEvent click(ZEB_EVT_LIST_CLICK, kListControlId);
    click.SetEventObject(view->getWindow());
    click.SetInt(0);
    view->getWindow()->ProcessWindowEvent(click);
    EXPECT_EQ(selection->commandState(), SelectContext::kRightPaneRow);
    for (int id : {kCmdEdit, kCmdGet, kCmdOpen, kCmdDelete}) {
        EXPECT_TRUE(menus->IsEnabled(toWxId(id)));
        EXPECT_TRUE(tools->GetToolEnabled(toWxId(id)));
    }
    // The click is the main window's: the left pane hears nothing of it.
    EXPECT_EQ(journal.count("browse 1: onNotify"), 0);
}

TEST_F(MainWindowPanesTest, OtherRightPaneNotificationsGoToTheView) {
    wxListEvent columnClick(wxEVT_LIST_COL_CLICK, kListControlId);
    columnClick.SetEventObject(view->getWindow());
    columnClick.m_col = 0;
    view->getWindow()->ProcessWindowEvent(columnClick);
    EXPECT_EQ(view->sortColumn(), 0);
    // Sorted as text: "10" before "2".
    EXPECT_EQ(view->rows()[0][0], "10");
}

TEST_F(MainWindowPanesTest, LeftPaneGetsItsControlsNotificationsOnly) {
    wxWindow* field = pane()->field();
    wxNotifyEvent notification(wxEVT_LIST_ITEM_SELECTED, field->GetId());
    notification.SetEventObject(field);
    field->ProcessWindowEvent(notification);
    EXPECT_EQ(journal.count("browse 1: onNotify"), 1);
    // A plain command of one of its controls stays with the pane.
    wxCommandEvent text(wxEVT_TEXT, field->GetId());
    text.SetEventObject(field);
    field->ProcessWindowEvent(text);
    EXPECT_EQ(journal.count("browse 1: onNotify"), 1);
}

TEST_F(MainWindowPanesTest, CommandStateFollowsTheKindOfSelection) {
    wxMenuBar* menus = window->GetMenuBar();
    wxToolBar* tools = window->toolbar();
    SelectContext* selection = pane()->selectContext();
    auto enabled = [&] {
        std::string s;
        for (int id : {kCmdEdit, kCmdGet, kCmdOpen, kCmdDelete}) {
            const bool menu = menus->IsEnabled(toWxId(id));
            EXPECT_EQ(tools->GetToolEnabled(toWxId(id)), menu) << id;
            s += menu ? "1" : "0";
        }
        return s;
    };
    selection->setCommandState(window, SelectContext::kVersionedFile);
    EXPECT_EQ(enabled(), "1001");
    selection->setCommandState(window, SelectContext::kRevision);
    EXPECT_EQ(enabled(), "1111");
    selection->setCommandState(window, 7);
    EXPECT_EQ(enabled(), "0000");
    selection->setCommandState(window, SelectContext::kRightPaneRow);
    EXPECT_EQ(enabled(), "1111");
    // A second row click changes nothing, even when the commands were
    // changed meanwhile by something else.
    menus->Enable(toWxId(kCmdEdit), false);
    selection->setCommandState(window, SelectContext::kRightPaneRow);
    EXPECT_FALSE(menus->IsEnabled(toWxId(kCmdEdit)));
    // The Browse button stays down throughout.
    EXPECT_TRUE(tools->GetToolState(toWxId(kCmdBrowse)));
}

}  // namespace
}  // namespace zebtest

// The splitter window: creation, notifications, drags and double-clicks,
// driven through its mouse handlers and, once, through the real pointer.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/uiaction.h>

#include <memory>
#include <vector>

#include "app/Splitter.h"
#include "tests/app/WxPump.h"

namespace {

class SplitterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "splitter", wxPoint(20, 20), wxSize(820, 640));
        m_frame->Show();
        zebtest::pumpFor(50);
        m_frame->Bind(ZEB_EVT_SPLITTER_MOVED, [this](SplitterEvent& event) {
            m_moves.push_back({event.getX(), event.getY()});
            EXPECT_EQ(event.GetEventObject(), m_bar);
        });
    }
    void TearDown() override { m_frame->Destroy(); }

    Splitter* make(int percent, unsigned options) {
        m_bar = new Splitter;
        if (!m_bar->create(m_frame, percent, options)) {
            delete m_bar;
            m_bar = nullptr;
        }
        return m_bar;
    }

    // A mouse event at `x`, `y` of the bar's own client area.
    void send(wxEventType type, int x, int y, bool left = true, bool control = false,
              bool shift = false) {
        wxMouseEvent event(type);
        event.SetEventObject(m_bar);
        event.SetPosition(wxPoint(x, y));
        event.SetLeftDown(left);
        event.SetControlDown(control);
        event.SetShiftDown(shift);
        m_bar->ProcessWindowEvent(event);
    }

    // Moves the pointer to `parentX` in the parent's coordinates.
    void moveTo(int parentX, int parentY, bool left = true, bool control = false,
                bool shift = false) {
        const wxPoint at = wxPoint(parentX, parentY) - m_bar->GetPosition();
        send(wxEVT_MOTION, at.x, at.y, left, control, shift);
    }

    wxSize client() const { return m_frame->GetClientSize(); }

    struct Move {
        int x;
        int y;
    };
    wxFrame* m_frame = nullptr;
    Splitter* m_bar = nullptr;
    std::vector<Move> m_moves;
};

}  // namespace

TEST_F(SplitterTest, CreationPlacesAndNotifiesOnce) {
    ASSERT_NE(make(33, kSplitterPlain), nullptr);
    const wxSize size = client();
    EXPECT_EQ(m_bar->getX(), 33 * size.x / 100);
    EXPECT_EQ(m_bar->getY(), 29);
    EXPECT_EQ(m_bar->getWidth(), 2);
    EXPECT_EQ(m_bar->GetRect(), wxRect(m_bar->getX(), 29, 2, size.y - 49));
    EXPECT_EQ(m_bar->GetName(), "wespliter");
    EXPECT_TRUE(m_bar->IsShown());
    ASSERT_EQ(m_moves.size(), 1u);
    EXPECT_EQ(m_moves[0].x, m_bar->getX());
    EXPECT_EQ(m_moves[0].y, 29);
}

TEST_F(SplitterTest, CreationFailuresLeaveNoWindow) {
    const size_t children = m_frame->GetChildren().size();
    EXPECT_EQ(make(-1, kSplitterFixed), nullptr);
    EXPECT_EQ(make(100, kSplitterPlain), nullptr);
    EXPECT_EQ(make(100, kSplitterHorizontal), nullptr);
    Splitter orphan;
    EXPECT_FALSE(orphan.create(nullptr, 10, 0));
    EXPECT_EQ(m_frame->GetChildren().size(), children);
    EXPECT_TRUE(m_moves.empty());

    ASSERT_NE(make(150, kSplitterFixed | kSplitterHorizontal), nullptr);
    EXPECT_EQ(m_bar->GetName(), "fxdspliter");
    EXPECT_TRUE(m_bar->isFixed());
    ASSERT_NE(make(50, kSplitterHorizontal), nullptr);
    EXPECT_EQ(m_bar->GetName(), "nsspliter");
    EXPECT_EQ(m_bar->GetRect(), wxRect(0, client().y / 2, client().x, 4));
}

TEST_F(SplitterTest, DragMovesTheBarAndNotifiesOnlyAtTheEnd) {
    ASSERT_NE(make(33, kSplitterPlain), nullptr);
    m_moves.clear();
    const int y = 100;
    send(wxEVT_LEFT_DOWN, 1, 50);
    EXPECT_TRUE(m_bar->isDragging());
    moveTo(400, y);
    EXPECT_EQ(m_bar->getX(), 400);
    EXPECT_EQ(m_bar->GetPosition().x, 400);
    moveTo(-20, y);
    EXPECT_EQ(m_bar->getX(), 1);
    EXPECT_EQ(m_bar->getPercent(), 1);
    moveTo(5000, y);
    EXPECT_EQ(m_bar->getX(), client().x - 5);
    EXPECT_EQ(m_bar->getPercent(), 99);
    moveTo(300, y);
    // The bar keeps its top and height while it moves.
    EXPECT_EQ(m_bar->GetRect(), wxRect(300, 29, 2, client().y - 49));
    EXPECT_TRUE(m_moves.empty());

    send(wxEVT_LEFT_UP, 0, 0, false);
    EXPECT_FALSE(m_bar->isDragging());
    EXPECT_FALSE(m_bar->HasCapture());
    ASSERT_EQ(m_moves.size(), 1u);
    EXPECT_EQ(m_moves[0].x, 300);
    EXPECT_EQ(m_bar->getPercent(), 300 * 100 / client().x);

    // Moving afterwards, or with the button up, does nothing.
    moveTo(200, y);
    moveTo(200, y, false);
    EXPECT_EQ(m_bar->getX(), 300);
    EXPECT_EQ(m_moves.size(), 1u);
}

TEST_F(SplitterTest, OnlyTheLeftButtonAloneDrags) {
    ASSERT_NE(make(33, kSplitterPlain), nullptr);
    const int start = m_bar->getX();
    send(wxEVT_LEFT_DOWN, 1, 50);
    moveTo(500, 100, true, true);
    moveTo(500, 100, true, false, true);
    EXPECT_EQ(m_bar->getX(), start);
    wxMouseEvent both(wxEVT_MOTION);
    both.SetPosition(wxPoint(500 - start, 50));
    both.SetLeftDown(true);
    both.SetRightDown(true);
    m_bar->ProcessWindowEvent(both);
    EXPECT_EQ(m_bar->getX(), start);
    moveTo(500, 100);
    EXPECT_EQ(m_bar->getX(), 500);
    send(wxEVT_LEFT_UP, 0, 0, false);
}

TEST_F(SplitterTest, LosingTheCaptureEndsTheDrag) {
    ASSERT_NE(make(33, kSplitterPlain), nullptr);
    m_moves.clear();
    send(wxEVT_LEFT_DOWN, 1, 50);
    moveTo(250, 100);
    wxMouseCaptureLostEvent lost(m_bar->GetId());
    m_bar->ProcessWindowEvent(lost);
    EXPECT_FALSE(m_bar->isDragging());
    ASSERT_EQ(m_moves.size(), 1u);
    EXPECT_EQ(m_moves[0].x, 250);
    if (m_bar->HasCapture()) {
        m_bar->ReleaseMouse();
    }
}

TEST_F(SplitterTest, DoubleClicksMoveToTheEdgesWithTheirOptions) {
    ASSERT_NE(make(33, kSplitterLeftDoubleClickNear | kSplitterRightDoubleClickFar), nullptr);
    m_moves.clear();
    send(wxEVT_RIGHT_DCLICK, 1, 10, false);
    EXPECT_EQ(m_bar->getX(), client().x - 4);
    EXPECT_EQ(m_bar->GetPosition().x, client().x - 4);
    EXPECT_EQ(m_bar->getPercent(), 99);
    ASSERT_EQ(m_moves.size(), 1u);
    EXPECT_EQ(m_moves[0].x, client().x - 4);

    // As the toolkit delivers a double-click: press, release, press,
    // double-click, release. The drag the second press began ends without
    // a move of its own.
    send(wxEVT_LEFT_DOWN, 1, 10);
    send(wxEVT_LEFT_UP, 1, 10, false);
    send(wxEVT_LEFT_DOWN, 1, 10);
    send(wxEVT_LEFT_DCLICK, 1, 10);
    EXPECT_FALSE(m_bar->isDragging());
    send(wxEVT_LEFT_UP, 1, 10, false);
    EXPECT_EQ(m_bar->getX(), 1);
    EXPECT_EQ(m_bar->getPercent(), 1);
    ASSERT_EQ(m_moves.size(), 3u);
    EXPECT_EQ(m_moves.back().x, 1);
}

TEST_F(SplitterTest, DoubleClicksWithoutOptionsAndFixedBarsDoNothing) {
    ASSERT_NE(make(33, kSplitterPlain), nullptr);
    const int start = m_bar->getX();
    m_moves.clear();
    send(wxEVT_LEFT_DCLICK, 1, 10);
    send(wxEVT_RIGHT_DCLICK, 1, 10, false);
    EXPECT_EQ(m_bar->getX(), start);
    EXPECT_TRUE(m_moves.empty());

    ASSERT_NE(
        make(40, kSplitterFixed | kSplitterLeftDoubleClickNear | kSplitterRightDoubleClickFar),
        nullptr);
    const int fixedX = m_bar->getX();
    m_moves.clear();
    send(wxEVT_LEFT_DOWN, 1, 10);
    EXPECT_FALSE(m_bar->isDragging());
    EXPECT_FALSE(m_bar->HasCapture());
    moveTo(100, 100);
    send(wxEVT_LEFT_UP, 1, 10, false);
    send(wxEVT_LEFT_DCLICK, 1, 10);
    send(wxEVT_RIGHT_DCLICK, 1, 10, false);
    EXPECT_EQ(m_bar->getX(), fixedX);
    EXPECT_TRUE(m_moves.empty());
}

TEST_F(SplitterTest, ResizeKeepsPixelsOrPercentAndNotifies) {
    Splitter* pixels = make(50, kSplitterPlain);
    ASSERT_NE(pixels, nullptr);
    Splitter* percent = make(50, kSplitterKeepPercent);
    ASSERT_NE(percent, nullptr);
    const int before = pixels->getX();
    m_frame->SetClientSize(wxSize(1000, 700));
    ASSERT_TRUE(zebtest::pumpUntil([&] { return client() == wxSize(1000, 700); }));
    m_moves.clear();
    m_bar = pixels;
    pixels->resize();
    m_bar = percent;
    percent->resize();
    EXPECT_EQ(pixels->getX(), before);
    EXPECT_EQ(pixels->GetRect(), wxRect(before, 29, 2, 700 - 49));
    EXPECT_EQ(percent->getX(), 500);
    EXPECT_EQ(percent->GetRect(), wxRect(500, 29, 2, 651));
    ASSERT_EQ(m_moves.size(), 2u);
    EXPECT_EQ(m_moves[0].x, before);
    EXPECT_EQ(m_moves[1].x, 500);

    // Bands given later take effect at the next resize.
    percent->setBands(SplitterBands{40, 30});
    percent->resize();
    EXPECT_EQ(percent->GetRect(), wxRect(500, 42, 2, 700 - 42 - 30));
}

TEST_F(SplitterTest, RealPointerDragNotifiesOnRelease) {
    ASSERT_NE(make(33, kSplitterPlain), nullptr);
    m_moves.clear();
    const wxPoint grip = m_bar->ClientToScreen(wxPoint(1, 100));
    wxUIActionSimulator sim;
    sim.MouseMove(grip);
    zebtest::pumpFor(50);
    sim.MouseDown();
    ASSERT_TRUE(zebtest::pumpUntil([&] { return m_bar->isDragging(); }));
    const wxPoint target = m_frame->ClientToScreen(wxPoint(500, 120));
    sim.MouseMove(target);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return m_bar->getX() == 500; }));
    EXPECT_TRUE(m_moves.empty());
    sim.MouseUp();
    ASSERT_TRUE(zebtest::pumpUntil([&] { return !m_moves.empty(); }));
    EXPECT_EQ(m_moves.size(), 1u);
    EXPECT_EQ(m_moves[0].x, 500);
    EXPECT_FALSE(m_bar->isDragging());
}

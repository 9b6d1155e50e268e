// The splitter bar: its placement arithmetic, and the window's
// notifications to its parent, driven through its mouse handlers (the real
// pointer is shared by every test on the display).

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/settings.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app/window/Splitter.h"
#include "app/window/SplitterLayout.h"
#include "tests/app/WxPump.h"

namespace {

constexpr int kBarWidth = SplitterLayout::kVerticalWidth;

// What the window tests below do not reach: the limits of the arithmetic,
// and the horizontal bar.
TEST(SplitterLayout, LimitsAndTheHorizontalBar) {
    SplitterLayout layout;
    EXPECT_FALSE(SplitterLayout::accepts(100, kSplitterHorizontal | kSplitterKeepPercent));
    EXPECT_TRUE(SplitterLayout::accepts(100, kSplitterFixed));
    // A huge percentage of a fixed bar does not overflow.
    ASSERT_TRUE(layout.init(2000000000, kSplitterFixed, 800, 600));
    EXPECT_GT(layout.x(), 800);
    // A parent lower than the bands gives an empty bar, not a negative one.
    ASSERT_TRUE(layout.init(10, 0, 500, 30));
    EXPECT_EQ(layout.height(), 0);
    // Dragged past the near edge: 1 pixel, 1 percent.
    ASSERT_TRUE(layout.init(33, kSplitterPlain, 800, 600));
    layout.dragTo(-50, 300, 800, 600);
    EXPECT_EQ(std::make_pair(layout.x(), layout.percent()), std::make_pair(1, 1));
    layout.dragTo(203, 300, 800, 600);
    EXPECT_EQ(std::make_pair(layout.x(), layout.percent()), std::make_pair(203, 25));

    SplitterLayout horizontal;
    ASSERT_TRUE(horizontal.init(50, kSplitterHorizontal | kSplitterRightDoubleClickFar, 640, 333));
    EXPECT_EQ(horizontal.x(), 0);
    EXPECT_EQ(horizontal.y(), 166);
    EXPECT_EQ(horizontal.width(), 640);
    EXPECT_EQ(horizontal.height(), 4);
    horizontal.dragTo(700, 150, 800, 600);
    EXPECT_EQ(std::make_pair(horizontal.x(), horizontal.y()), std::make_pair(0, 150));
    EXPECT_EQ(horizontal.percent(), 25);
    horizontal.dragTo(0, 900, 800, 600);
    EXPECT_EQ(horizontal.y(), 595);
    EXPECT_FALSE(horizontal.leftDoubleClick());
    EXPECT_TRUE(horizontal.rightDoubleClick(800, 600));
    EXPECT_EQ(horizontal.y(), 596);
    EXPECT_EQ(horizontal.percent(), 99);
    horizontal.resize(1000, 1000);
    EXPECT_EQ(horizontal.y(), 596);
    EXPECT_EQ(horizontal.width(), 1000);
}

// A parent made too narrow for the pane beyond the bar: the bar gives way,
// down to the middle, and goes back to where it was put when the parent
// grows again. Put against the far edge, it stays there.
TEST(SplitterLayout, GivesWayToThePaneBeyondItAndComesBack) {
    const int room = SplitterLayout::kFarPaneRoom;
    const int bar = SplitterLayout::kVerticalWidth;
    SplitterLayout layout;
    ASSERT_TRUE(layout.init(33, kSplitterPlain, 960, 640));
    const std::pair<int, int> widthAndX[] = {
        {316 + bar + room, 316}, {500, 500 - bar - room}, {300, 150}, {9, 4}, {960, 316}};
    for (const auto& [width, x] : widthAndX) {
        layout.resize(width, 640);
        EXPECT_EQ(layout.x(), x) << width;
    }
    layout.dragTo(955, 300, 960, 640);
    layout.resize(960, 500);
    EXPECT_EQ(layout.x(), 955);
    ASSERT_TRUE(layout.init(50, kSplitterHorizontal, 640, 800));
    layout.resize(640, 500);
    EXPECT_EQ(layout.y(), 500 - SplitterLayout::kHorizontalHeight - room);
    layout.resize(640, 900);
    EXPECT_EQ(layout.y(), 400);
}

class SplitterTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "splitter", wxPoint(20, 20), wxSize(820, 640));
        m_frame->Show();
        zebtest::pumpFor(50);
        m_frame->Bind(ZEB_EVT_SPLITTER_MOVED, [this](SplitterEvent& event) {
            EXPECT_EQ(event.GetEventObject(), m_bar);
            EXPECT_EQ(event.getY(), m_bar->getY());
            m_moves.push_back(event.getX());
        });
    }
    void TearDown() override { m_frame->Destroy(); }

    Splitter* make(int percent, unsigned options) {
        m_bar = new Splitter;
        if (!m_bar->create(m_frame, percent, options)) {
            delete m_bar;
            m_bar = nullptr;
        }
        m_moves.clear();
        return m_bar;
    }

    // A mouse event at `parentX` (in the parent's coordinates) and y 100.
    void send(wxEventType type, int parentX, bool left = true, bool control = false,
              bool shift = false, bool right = false) {
        wxMouseEvent event(type);
        event.SetEventObject(m_bar);
        event.SetPosition(wxPoint(parentX, 100) - m_bar->GetPosition());
        event.SetLeftDown(left);
        event.SetControlDown(control);
        event.SetShiftDown(shift);
        event.SetRightDown(right);
        m_bar->ProcessWindowEvent(event);
    }

    int width() const { return m_frame->GetClientSize().x; }

    wxFrame* m_frame = nullptr;
    Splitter* m_bar = nullptr;
    std::vector<int> m_moves;
};

TEST_F(SplitterTest, CreationPlacesTheWindowAndNotifiesOnce) {
    std::vector<int> created;
    m_frame->Bind(ZEB_EVT_SPLITTER_MOVED, [&](SplitterEvent& event) {
        created.push_back(event.getX());
        event.Skip();
    });
    EXPECT_EQ(make(-1, kSplitterFixed), nullptr);
    EXPECT_EQ(make(100, kSplitterPlain), nullptr);
    EXPECT_TRUE(m_frame->GetChildren().empty());
    EXPECT_TRUE(created.empty());

    ASSERT_NE(make(33, kSplitterPlain), nullptr);
    const wxSize client = m_frame->GetClientSize();
    EXPECT_EQ(m_bar->GetRect(), wxRect(33 * client.x / 100, 29, kBarWidth, client.y - 49));
    EXPECT_EQ(created, std::vector<int>{m_bar->getX()});
    // The window's name tells its kind.
    EXPECT_EQ(m_bar->GetName(), "wespliter");
    EXPECT_EQ(make(150, kSplitterFixed | kSplitterHorizontal)->GetName(), "fxdspliter");
    EXPECT_EQ(make(50, kSplitterHorizontal)->GetName(), "nsspliter");
    EXPECT_EQ(m_bar->GetRect(), wxRect(0, client.y / 2, client.x, 4));
}

TEST_F(SplitterTest, DragMovesTheBarButNotifiesOnlyWhenItEnds) {
    ASSERT_NE(make(33, kSplitterPlain), nullptr);
    const int start = m_bar->getX();
    send(wxEVT_LEFT_DOWN, start);
    EXPECT_TRUE(m_bar->isDragging());
    // Ctrl, Shift or a second button stop the bar.
    send(wxEVT_MOTION, 500, true, true);
    send(wxEVT_MOTION, 500, true, false, true);
    send(wxEVT_MOTION, 500, true, false, false, true);
    EXPECT_EQ(m_bar->getX(), start);
    send(wxEVT_MOTION, 5000);
    EXPECT_EQ(m_bar->GetPosition().x, width() - 5);
    send(wxEVT_MOTION, 300);
    EXPECT_EQ(m_bar->GetRect(), wxRect(300, 29, kBarWidth, m_frame->GetClientSize().y - 49));
    EXPECT_TRUE(m_moves.empty());

    send(wxEVT_LEFT_UP, 300, false);
    EXPECT_FALSE(m_bar->isDragging());
    EXPECT_FALSE(m_bar->HasCapture());
    EXPECT_EQ(m_moves, std::vector<int>{300});
    send(wxEVT_MOTION, 200);
    EXPECT_EQ(m_bar->getX(), 300);

    // A capture taken away ends the drag too.
    send(wxEVT_LEFT_DOWN, 300);
    send(wxEVT_MOTION, 250);
    wxMouseCaptureLostEvent lost(m_bar->GetId());
    m_bar->ProcessWindowEvent(lost);
    EXPECT_FALSE(m_bar->isDragging());
    EXPECT_EQ(m_moves, (std::vector<int>{300, 250}));
    if (m_bar->HasCapture()) {
        m_bar->ReleaseMouse();
    }
}

TEST_F(SplitterTest, DoubleClicksMoveWithTheirOptionsOnly) {
    ASSERT_NE(make(33, kSplitterLeftDoubleClickNear | kSplitterRightDoubleClickFar), nullptr);
    send(wxEVT_RIGHT_DCLICK, m_bar->getX(), false);
    EXPECT_EQ(m_bar->GetPosition().x, width() - 4);
    EXPECT_EQ(m_bar->getPercent(), 99);
    EXPECT_EQ(m_moves, std::vector<int>{width() - 4});

    // As the toolkit delivers a left double-click: press, release, press,
    // double-click, release. The drag of the second press ends without a
    // notification of its own.
    const int x = m_bar->getX();
    send(wxEVT_LEFT_DOWN, x);
    send(wxEVT_LEFT_UP, x, false);
    send(wxEVT_LEFT_DOWN, x);
    send(wxEVT_LEFT_DCLICK, x);
    send(wxEVT_LEFT_UP, x, false);
    EXPECT_FALSE(m_bar->isDragging());
    EXPECT_EQ(m_bar->GetPosition().x, 1);
    EXPECT_EQ(m_moves, (std::vector<int>{width() - 4, x, 1}));

    for (const unsigned options :
         {unsigned{kSplitterPlain},
          kSplitterFixed | kSplitterLeftDoubleClickNear | kSplitterRightDoubleClickFar}) {
        ASSERT_NE(make(40, options), nullptr);
        const int before = m_bar->getX();
        send(wxEVT_LEFT_DCLICK, before);
        send(wxEVT_RIGHT_DCLICK, before, false);
        if (options & kSplitterFixed) {
            send(wxEVT_LEFT_DOWN, before);
            EXPECT_FALSE(m_bar->HasCapture());
            send(wxEVT_MOTION, 100);
            send(wxEVT_LEFT_UP, 100, false);
        }
        EXPECT_EQ(m_bar->getX(), before);
        EXPECT_TRUE(m_moves.empty());
    }
}

TEST_F(SplitterTest, ResizeFollowsTheParentAndNotifies) {
    Splitter* pixels = make(50, kSplitterPlain);
    ASSERT_NE(pixels, nullptr);
    const int before = pixels->getX();
    m_frame->SetClientSize(wxSize(1000, 700));
    ASSERT_TRUE(zebtest::pumpUntil([&] { return width() == 1000; }));
    pixels->resize();
    EXPECT_EQ(pixels->GetRect(), wxRect(before, 29, kBarWidth, 700 - 49));
    EXPECT_EQ(m_moves, (std::vector<int>{before}));
    ASSERT_NE(make(50, kSplitterKeepPercent), nullptr);
    m_frame->SetClientSize(wxSize(800, 600));
    ASSERT_TRUE(zebtest::pumpUntil([&] { return width() == 800; }));
    m_bar->setBands(SplitterBands{40, 30});
    m_bar->resize();
    EXPECT_EQ(m_bar->GetRect(), wxRect(400, 42, kBarWidth, 600 - 42 - 30));
    EXPECT_EQ(m_moves, (std::vector<int>{400}));
}

// At rest the bar stands out from the panes beside it (drawn here over the
// panes' colour): a shadow line along each long edge, and a grip in the
// middle where it can be moved.
TEST_F(SplitterTest, TheBarStandsOutFromThePanes) {
    const wxColour pane = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    const auto standsOut = [&](const wxImage& image, int x, int y) {
        const int luminance = image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y);
        return std::abs(luminance - (pane.Red() + pane.Green() + pane.Blue())) >= 3 * 30;
    };
    for (const unsigned options :
         {unsigned{kSplitterPlain}, unsigned{kSplitterHorizontal}, unsigned{kSplitterFixed}}) {
        SCOPED_TRACE(options);
        ASSERT_NE(make(40, options), nullptr);
        const wxSize size = m_bar->GetSize();
        EXPECT_GE(std::min(size.x, size.y), 4);
        wxBitmap bitmap(size);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(wxBrush(pane));
            dc.Clear();
            m_bar->paint(dc, size);
        }
        const wxImage image = bitmap.ConvertToImage();
        const bool across = options & kSplitterHorizontal;
        const wxPoint edge = across ? wxPoint(size.x / 4, 0) : wxPoint(0, size.y / 4);
        const wxPoint otherEdge =
            across ? wxPoint(size.x / 4, size.y - 1) : wxPoint(size.x - 1, size.y / 4);
        EXPECT_TRUE(standsOut(image, edge.x, edge.y));
        EXPECT_TRUE(standsOut(image, otherEdge.x, otherEdge.y));
        EXPECT_EQ(standsOut(image, size.x / 2, size.y / 2), !(options & kSplitterFixed));
    }
}

}  // namespace

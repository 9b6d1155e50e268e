// Splitter placement arithmetic, without a display.

#include <gtest/gtest.h>

#include "app/SplitterLayout.h"

TEST(SplitterLayout, CreationRulesAndPlacement) {
    EXPECT_FALSE(SplitterLayout::accepts(-1, kSplitterFixed));
    EXPECT_TRUE(SplitterLayout::accepts(99, kSplitterHorizontal));
    EXPECT_FALSE(SplitterLayout::accepts(100, kSplitterHorizontal | kSplitterKeepPercent));
    EXPECT_TRUE(SplitterLayout::accepts(100, kSplitterFixed));

    SplitterLayout layout;
    EXPECT_FALSE(layout.init(100, kSplitterPlain, 800, 600));
    // A huge percentage of a fixed bar does not overflow.
    ASSERT_TRUE(layout.init(2000000000, kSplitterFixed, 800, 600));
    EXPECT_GT(layout.x(), 800);

    ASSERT_TRUE(layout.init(33, kSplitterPlain, 1001, 700));
    EXPECT_EQ(layout.x(), 330);  // 330.33 rounded toward zero
    EXPECT_EQ(layout.y(), 29);
    EXPECT_EQ(layout.width(), 2);
    EXPECT_EQ(layout.height(), 700 - 49);

    ASSERT_TRUE(layout.init(50, kSplitterHorizontal, 640, 333));
    EXPECT_EQ(layout.x(), 0);
    EXPECT_EQ(layout.y(), 166);
    EXPECT_EQ(layout.width(), 640);
    EXPECT_EQ(layout.height(), 4);

    // Other bands move both ends of a vertical bar; a parent lower than the
    // bands gives an empty bar, not a negative one.
    ASSERT_TRUE(layout.init(10, 0, 500, 400, SplitterBands{40, 25}));
    EXPECT_EQ(layout.y(), 42);
    EXPECT_EQ(layout.height(), 400 - 42 - 25);
    ASSERT_TRUE(layout.init(10, 0, 500, 30));
    EXPECT_EQ(layout.height(), 0);
}

TEST(SplitterLayout, DragClampsAtBothEdges) {
    SplitterLayout layout;
    ASSERT_TRUE(layout.init(33, kSplitterPlain, 800, 600));
    const auto drag = [&](int to) {
        layout.dragTo(to, 300, 800, 600);
        return std::make_pair(layout.x(), layout.percent());
    };
    EXPECT_EQ(drag(203), std::make_pair(203, 25));
    EXPECT_EQ(drag(-50), std::make_pair(1, 1));
    EXPECT_EQ(drag(1), std::make_pair(1, 1));
    EXPECT_EQ(drag(2), std::make_pair(2, 0));
    EXPECT_EQ(drag(795), std::make_pair(795, 99));
    EXPECT_EQ(drag(796), std::make_pair(795, 99));
    EXPECT_EQ(drag(5000), std::make_pair(795, 99));
    EXPECT_EQ(layout.y(), 29);

    SplitterLayout horizontal;
    ASSERT_TRUE(horizontal.init(50, kSplitterHorizontal, 800, 600));
    horizontal.dragTo(700, 150, 800, 600);
    EXPECT_EQ(horizontal.y(), 150);
    EXPECT_EQ(horizontal.x(), 0);
    EXPECT_EQ(horizontal.percent(), 25);
    horizontal.dragTo(0, 900, 800, 600);
    EXPECT_EQ(horizontal.y(), 595);
}

TEST(SplitterLayout, HorizontalBarsMoveAlongY) {
    // (Vertical bars: SplitterTest drives them through the window.)
    SplitterLayout layout;
    ASSERT_TRUE(layout.init(33, kSplitterHorizontal | kSplitterRightDoubleClickFar, 800, 600));
    EXPECT_FALSE(layout.leftDoubleClick());
    EXPECT_TRUE(layout.rightDoubleClick(800, 600));
    EXPECT_EQ(layout.y(), 596);
    EXPECT_EQ(layout.x(), 0);
    EXPECT_EQ(layout.percent(), 99);
}

TEST(SplitterLayout, ResizeKeepsPixelsOrPercent) {
    for (const unsigned keep : {0u, unsigned{kSplitterKeepPercent}}) {
        SplitterLayout horizontal;
        ASSERT_TRUE(horizontal.init(25, kSplitterHorizontal | keep, 800, 600));
        horizontal.resize(1000, 1000);
        EXPECT_EQ(horizontal.y(), keep ? 250 : 150);
        EXPECT_EQ(horizontal.width(), 1000);
        EXPECT_EQ(horizontal.height(), 4);
    }
}

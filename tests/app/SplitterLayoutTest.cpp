// Splitter placement arithmetic, without a display.

#include <gtest/gtest.h>

#include "app/SplitterLayout.h"

TEST(SplitterLayout, CreationRules) {
    EXPECT_FALSE(SplitterLayout::accepts(-1, 0));
    EXPECT_FALSE(SplitterLayout::accepts(-1, kSplitterFixed));
    EXPECT_TRUE(SplitterLayout::accepts(0, 0));
    EXPECT_TRUE(SplitterLayout::accepts(99, kSplitterHorizontal));
    EXPECT_FALSE(SplitterLayout::accepts(100, 0));
    EXPECT_FALSE(SplitterLayout::accepts(100, kSplitterHorizontal | kSplitterKeepPercent));
    EXPECT_TRUE(SplitterLayout::accepts(100, kSplitterFixed));
    EXPECT_TRUE(SplitterLayout::accepts(2000000000, kSplitterFixed | kSplitterHorizontal));

    SplitterLayout layout;
    EXPECT_FALSE(layout.init(100, kSplitterPlain, 800, 600));
    EXPECT_EQ(layout.x(), 0);
    EXPECT_EQ(layout.width(), 2);
    // A huge percentage of a fixed bar does not overflow.
    ASSERT_TRUE(layout.init(2000000000, kSplitterFixed, 800, 600));
    EXPECT_GT(layout.x(), 800);
}

TEST(SplitterLayout, PlacementOfEachKind) {
    SplitterLayout vertical;
    ASSERT_TRUE(vertical.init(33, kSplitterPlain, 1001, 700));
    EXPECT_EQ(vertical.x(), 330);  // 33 × 1001 / 100 = 330.33
    EXPECT_EQ(vertical.y(), 29);
    EXPECT_EQ(vertical.width(), 2);
    EXPECT_EQ(vertical.height(), 700 - 49);
    EXPECT_EQ(vertical.percent(), 33);
    EXPECT_FALSE(vertical.isFixed());

    SplitterLayout horizontal;
    ASSERT_TRUE(horizontal.init(50, kSplitterHorizontal, 640, 333));
    EXPECT_EQ(horizontal.x(), 0);
    EXPECT_EQ(horizontal.y(), 166);
    EXPECT_EQ(horizontal.width(), 640);
    EXPECT_EQ(horizontal.height(), 4);

    // Other bands move the top and the bottom of a vertical bar alike.
    SplitterLayout banded;
    ASSERT_TRUE(banded.init(10, 0, 500, 400, SplitterBands{40, 25}));
    EXPECT_EQ(banded.y(), 42);
    EXPECT_EQ(banded.height(), 400 - 42 - 25);
    // A parent lower than the bands gives an empty bar, not a negative one.
    ASSERT_TRUE(banded.init(10, 0, 500, 30));
    EXPECT_EQ(banded.height(), 0);
}

TEST(SplitterLayout, DragClampsAtBothEdges) {
    SplitterLayout layout;
    ASSERT_TRUE(layout.init(33, kSplitterPlain, 800, 600));
    layout.dragTo(400, 5, 800, 600);
    EXPECT_EQ(layout.x(), 400);
    EXPECT_EQ(layout.percent(), 50);
    layout.dragTo(203, 300, 800, 600);
    EXPECT_EQ(layout.x(), 203);
    EXPECT_EQ(layout.percent(), 25);  // 20300 / 800 = 25.375
    layout.dragTo(1, 0, 800, 600);
    EXPECT_EQ(layout.x(), 1);
    EXPECT_EQ(layout.percent(), 1);
    layout.dragTo(-50, 0, 800, 600);
    EXPECT_EQ(layout.x(), 1);
    layout.dragTo(2, 0, 800, 600);
    EXPECT_EQ(layout.x(), 2);
    EXPECT_EQ(layout.percent(), 0);
    layout.dragTo(795, 0, 800, 600);
    EXPECT_EQ(layout.x(), 795);
    layout.dragTo(796, 0, 800, 600);
    EXPECT_EQ(layout.x(), 795);
    EXPECT_EQ(layout.percent(), 99);
    layout.dragTo(5000, 0, 800, 600);
    EXPECT_EQ(layout.x(), 795);
    // The other coordinate and the bar's size never change.
    EXPECT_EQ(layout.y(), 29);
    EXPECT_EQ(layout.height(), 551);

    SplitterLayout horizontal;
    ASSERT_TRUE(horizontal.init(50, kSplitterHorizontal, 800, 600));
    horizontal.dragTo(700, 150, 800, 600);
    EXPECT_EQ(horizontal.y(), 150);
    EXPECT_EQ(horizontal.x(), 0);
    EXPECT_EQ(horizontal.percent(), 25);
    horizontal.dragTo(0, 900, 800, 600);
    EXPECT_EQ(horizontal.y(), 595);

    SplitterLayout fixed;
    ASSERT_TRUE(
        fixed.init(40, kSplitterFixed | kSplitterLeftDoubleClickNear | kSplitterRightDoubleClickFar,
                   800, 600));
    fixed.dragTo(100, 100, 800, 600);
    EXPECT_FALSE(fixed.leftDoubleClick());
    EXPECT_FALSE(fixed.rightDoubleClick(800, 600));
    EXPECT_EQ(fixed.x(), 320);
    EXPECT_EQ(fixed.percent(), 40);
}

TEST(SplitterLayout, DoubleClicksNeedTheirOptions) {
    SplitterLayout plain;
    ASSERT_TRUE(plain.init(33, kSplitterPlain, 800, 600));
    EXPECT_FALSE(plain.leftDoubleClick());
    EXPECT_FALSE(plain.rightDoubleClick(800, 600));
    EXPECT_EQ(plain.x(), 264);

    SplitterLayout both;
    ASSERT_TRUE(
        both.init(33, kSplitterLeftDoubleClickNear | kSplitterRightDoubleClickFar, 800, 600));
    EXPECT_TRUE(both.rightDoubleClick(800, 600));
    EXPECT_EQ(both.x(), 796);  // one pixel further than a drag reaches
    EXPECT_EQ(both.percent(), 99);
    EXPECT_TRUE(both.leftDoubleClick());
    EXPECT_EQ(both.x(), 1);
    EXPECT_EQ(both.percent(), 1);

    SplitterLayout horizontal;
    ASSERT_TRUE(horizontal.init(33, kSplitterHorizontal | kSplitterRightDoubleClickFar, 800, 600));
    EXPECT_TRUE(horizontal.rightDoubleClick(800, 600));
    EXPECT_EQ(horizontal.y(), 596);
    EXPECT_EQ(horizontal.x(), 0);
}

TEST(SplitterLayout, ResizeKeepsPixelsOrPercent) {
    SplitterLayout pixels;
    ASSERT_TRUE(pixels.init(33, kSplitterPlain, 800, 600));
    pixels.dragTo(400, 0, 800, 600);
    pixels.resize(1200, 900);
    EXPECT_EQ(pixels.x(), 400);
    EXPECT_EQ(pixels.height(), 900 - 49);
    EXPECT_EQ(pixels.y(), 29);

    SplitterLayout percent;
    ASSERT_TRUE(percent.init(33, kSplitterKeepPercent, 800, 600));
    percent.dragTo(400, 0, 800, 600);
    percent.resize(1200, 900);
    EXPECT_EQ(percent.x(), 600);
    EXPECT_EQ(percent.height(), 851);

    SplitterLayout horizontal;
    ASSERT_TRUE(horizontal.init(25, kSplitterHorizontal | kSplitterKeepPercent, 800, 600));
    horizontal.resize(1000, 1000);
    EXPECT_EQ(horizontal.y(), 250);
    EXPECT_EQ(horizontal.width(), 1000);
    EXPECT_EQ(horizontal.height(), 4);
    SplitterLayout horizontalPixels;
    ASSERT_TRUE(horizontalPixels.init(25, kSplitterHorizontal, 800, 600));
    horizontalPixels.resize(1000, 1000);
    EXPECT_EQ(horizontalPixels.y(), 150);
    EXPECT_EQ(horizontalPixels.width(), 1000);
}

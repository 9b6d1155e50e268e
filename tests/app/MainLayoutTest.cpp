// The main window's layout arithmetic and its tables of texts and ids,
// without a window.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/CommandIds.h"
#include "app/MainLayout.h"
#include "app/StringTable.h"

namespace {

std::string show(const PaneBox& b) {
    return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) + "x" +
           std::to_string(b.height);
}

TEST(MainLayout, BandsAtTopAndBottomPanesBetweenBesideTheBar) {
    const MainBands bands{27, 20};
    const MainLayout l = layoutMainWindow(800, 600, bands, 264, 2);
    EXPECT_EQ(show(l.toolbar), "0,0 800x27");
    EXPECT_EQ(show(l.statusBar), "0,580 800x20");
    EXPECT_EQ(show(l.leftPane), "0,27 264x553");
    EXPECT_EQ(show(l.rightPane), "266,27 534x553");
    EXPECT_EQ(show(rightPaneArea(800, 600, bands, 264, 2)), show(l.rightPane));
    // Other band heights shift the panes the same way.
    const MainLayout tall = layoutMainWindow(800, 600, MainBands{46, 31}, 264, 2);
    EXPECT_EQ(show(tall.leftPane), "0,46 264x523");
    EXPECT_EQ(show(tall.statusBar), "0,569 800x31");
}

TEST(MainLayout, TooSmallWindowGetsEmptyPanesNotNegativeOnes) {
    const MainLayout l = layoutMainWindow(200, 30, MainBands{27, 20}, 264, 2);
    EXPECT_EQ(l.leftPane.height, 0);
    EXPECT_EQ(l.rightPane.width, 0);
    EXPECT_EQ(l.rightPane.height, 0);
    EXPECT_EQ(l.statusBar.y, 10);
}

TEST(MainLayout, PanesFollowTheDroppedBar) {
    PaneBox left{0, 27, 264, 553};
    PaneBox right{266, 27, 534, 553};
    EXPECT_FALSE(followSplitter(0, 2, left, right));
    EXPECT_EQ(show(left), "0,27 264x553");
    EXPECT_EQ(show(right), "266,27 534x553");

    EXPECT_TRUE(followSplitter(500, 2, left, right));
    EXPECT_EQ(show(left), "0,27 500x553");
    EXPECT_EQ(show(right), "502,27 298x553");
    // Past the right pane's edge the right pane is empty, not negative.
    EXPECT_TRUE(followSplitter(900, 2, left, right));
    EXPECT_EQ(show(right), "902,27 0x553");
}

TEST(StringTable, HoldsEachIdOnce) {
    std::set<int> ids;
    for (const strings::Entry& e : strings::kTable) {
        EXPECT_TRUE(ids.insert(e.id).second) << e.id;
    }
    EXPECT_STREQ(strings::text(143), "");
}

TEST(CommandIds, TravelAsValidWxIdsAndComeBack) {
    std::set<int> wxIds;
    for (CommandId command : kAllCommands) {
        const int id = toWxId(command);
        EXPECT_GE(id, 0);
        EXPECT_LT(id, 0x7fff);
        EXPECT_TRUE(wxIds.insert(id).second) << command;
        EXPECT_EQ(commandOf(id), command);
    }
    EXPECT_EQ(toWxId(kCmdAbout), 104);
    EXPECT_EQ(toWxId(kCmdExit), 105);
    EXPECT_EQ(commandOf(kToolbarWindowId), 0);
}

}  // namespace

#include "app/window/MainLayout.h"

#include <algorithm>

namespace {

int atLeastZero(int value) {
    return std::max(value, 0);
}

}  // namespace

MainLayout layoutMainWindow(int width, int height, const MainBands& bands, int splitterX,
                            int splitterWidth) {
    MainLayout layout;
    const int paneHeight = atLeastZero(height - bands.toolbarHeight - bands.statusHeight);
    layout.toolbar = {0, 0, atLeastZero(width), bands.toolbarHeight};
    layout.statusBar = {0, atLeastZero(height - bands.statusHeight), atLeastZero(width),
                        bands.statusHeight};
    layout.leftPane = {0, bands.toolbarHeight, atLeastZero(splitterX), paneHeight};
    layout.rightPane = rightPaneArea(width, height, bands, splitterX, splitterWidth);
    return layout;
}

PaneBox rightPaneArea(int width, int height, const MainBands& bands, int splitterX,
                      int splitterWidth) {
    return {splitterX + splitterWidth, bands.toolbarHeight,
            atLeastZero(width - splitterWidth - splitterX),
            atLeastZero(height - bands.toolbarHeight - bands.statusHeight)};
}

bool followSplitter(int barX, int splitterWidth, PaneBox& left, PaneBox& right) {
    if (barX == 0) {
        return false;
    }
    const int rightEdge = right.right();
    left.width = atLeastZero(barX - left.x);
    right.x = barX + splitterWidth;
    right.width = atLeastZero(rightEdge - right.x);
    return true;
}

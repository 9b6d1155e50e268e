#pragma once

// Placement of the main window's bands and panes, free of any window so that
// it can be checked without a display. Positions are in the main window's
// client coordinates.
//
// From top to bottom: the toolbar band, the two panes with the splitter bar
// between them, the status bar band. The left pane ends where the bar
// starts; the right pane starts where the bar ends.

struct PaneBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }
    bool operator==(const PaneBox& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

struct MainBands {
    int toolbarHeight = 0;
    int statusHeight = 0;
};

struct MainLayout {
    PaneBox toolbar;
    PaneBox statusBar;
    PaneBox leftPane;
    PaneBox rightPane;
};

// The layout for a client area of `width` by `height` with the splitter bar
// at `splitterX`, `splitterWidth` wide. Sizes never go below 0: a window too
// small for its panes gets empty panes rather than negative ones.
MainLayout layoutMainWindow(int width, int height, const MainBands& bands, int splitterX,
                            int splitterWidth);

// The area in which a left pane makes the right pane's view.
PaneBox rightPaneArea(int width, int height, const MainBands& bands, int splitterX,
                      int splitterWidth);

// The bar was dropped at `barX`: the left pane's right edge moves to the
// bar, the right pane's left edge to just after it; tops, heights and the
// right pane's right edge stay. A bar at 0 moves nothing (returns false).
bool followSplitter(int barX, int splitterWidth, PaneBox& left, PaneBox& right);

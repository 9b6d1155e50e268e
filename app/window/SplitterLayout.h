#pragma once

// Placement arithmetic of a splitter bar, free of any window so that it can
// be checked without a display. All positions are in the parent's client
// coordinates; integer arithmetic rounds toward zero.

// Option bits given when a bar is created.
enum SplitterOption : unsigned {
    // A horizontal bar ("nsspliter") that moves up and down; without it a
    // vertical bar ("wespliter") that moves left and right.
    kSplitterHorizontal = 1,
    // What the main window passes for a plain vertical bar; no effect.
    kSplitterPlain = 2,
    // A fixed bar ("fxdspliter"): never moves, any percentage from 0 up.
    kSplitterFixed = 4,
    // A right double-click moves the bar to the far edge.
    kSplitterRightDoubleClickFar = 8,
    // A left double-click moves the bar to the near edge.
    kSplitterLeftDoubleClickNear = 16,
    // On a resize of the parent the bar keeps its percentage; without it the
    // bar keeps its pixel position.
    kSplitterKeepPercent = 32,
};

// The heights of the parent's bands that a vertical bar leaves free: the
// bar starts two pixels below the top band and ends at the bottom band.
// The defaults give a bar from y 29 down to 20 pixels above the bottom.
struct SplitterBands {
    int top = 27;
    int bottom = 20;
};

class SplitterLayout {
public:
    // Width of a vertical bar, height of a horizontal one. A vertical bar
    // is wide enough to be seen and grabbed.
    static constexpr int kVerticalWidth = 6;
    static constexpr int kHorizontalHeight = 4;
    // The room a movable bar keeps for the pane beyond it when the parent
    // shrinks (at most what that pane had when the bar was put in place).
    static constexpr int kFarPaneRoom = 200;

    // Whether a bar with these options may be made at `percent`: never below
    // 0; a movable bar at most 99.
    static bool accepts(int percent, unsigned options);

    // Places a new bar in a parent of `width` by `height`. Returns false
    // (and changes nothing) when accepts() refuses.
    bool init(int percent, unsigned options, int width, int height,
              const SplitterBands& bands = SplitterBands());

    // Follows the pointer during a drag: the bar goes to the pointer's x
    // (vertical bar) or y (horizontal bar), clamped to 1 at the near edge
    // (percent 1) and to the extent less 5 at the far edge (percent 99).
    // A fixed bar does not move.
    void dragTo(int pointerX, int pointerY, int width, int height);

    // A left double-click: with kSplitterLeftDoubleClickNear on a movable
    // bar, the bar goes to 1, percent 1, and the result is true; otherwise
    // nothing changes.
    bool leftDoubleClick();

    // A right double-click: with kSplitterRightDoubleClickFar on a movable
    // bar, the bar goes to the extent less 4, percent 99, and the result is
    // true; otherwise nothing changes.
    bool rightDoubleClick(int width, int height);

    // The parent is now `width` by `height`: the bar spans the new width
    // (horizontal) or the height between the bands (vertical); with
    // kSplitterKeepPercent its position follows the percentage. Without it
    // a movable bar stays where it was put as long as the pane beyond it
    // keeps its room (kFarPaneRoom, or less if it had less then); in a
    // parent too small for that the bar gives way, down to the middle, and
    // it goes back to where it was put when the parent grows again.
    void resize(int width, int height);

    void setBands(const SplitterBands& bands) { m_bands = bands; }
    const SplitterBands& bands() const { return m_bands; }

    int percent() const { return m_percent; }
    int x() const { return m_x; }
    int y() const { return m_y; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    unsigned options() const { return m_options; }
    bool isFixed() const { return m_fixed; }
    bool isHorizontal() const { return (m_options & kSplitterHorizontal) != 0; }

private:
    int barTop() const { return m_bands.top + 2; }
    int barHeight(int parentHeight) const;
    int thickness() const { return isHorizontal() ? m_height : m_width; }
    int& position() { return isHorizontal() ? m_y : m_x; }
    // The bar was put at `position` in a parent `extent` long.
    void putAt(int position, int extent);

    int m_percent = 0;
    int m_x = 0;
    int m_y = 0;
    int m_width = kVerticalWidth;
    int m_height = 0;
    unsigned m_options = 0;
    bool m_fixed = false;
    int m_chosen = 0;   // where the bar was put
    int m_farRoom = 0;  // what the pane beyond it keeps
    SplitterBands m_bands;
};

#pragma once

#include <wx/event.h>
#include <wx/window.h>

#include "app/window/SplitterLayout.h"

// Sent to the parent of a Splitter, synchronously, to say where the bar
// stands: after creation, after each resize(), after a double-click move
// and when a drag ends. Never while the bar is being dragged, so that the
// panes follow only at the end of a drag. The event object is the
// Splitter; x and y are the bar's position in the parent's client
// coordinates (the parent lays its panes out by x alone).
class SplitterEvent : public wxCommandEvent {
public:
    SplitterEvent(wxEventType type = wxEVT_NULL, int id = 0, int x = 0, int y = 0)
        : wxCommandEvent(type, id), m_x(x), m_y(y) {}

    int getX() const { return m_x; }
    int getY() const { return m_y; }

    wxEvent* Clone() const override { return new SplitterEvent(*this); }

private:
    int m_x;
    int m_y;
};

wxDECLARE_EVENT(ZEB_EVT_SPLITTER_MOVED, SplitterEvent);

// A thin bar that divides its parent into two panes and lets the user move
// the division with the mouse. It keeps its own position, in pixels and as
// a percentage of the parent's client width (vertical bar) or height
// (horizontal bar), and tells the parent where it stands with
// ZEB_EVT_SPLITTER_MOVED; the parent moves the panes.
//
// Three kinds, chosen by option bits (SplitterLayout.h): a vertical bar
// dragged left and right (window name "wespliter", west-east cursor), a
// horizontal bar dragged up and down ("nsspliter", north-south cursor) and
// a fixed bar that never moves ("fxdspliter", arrow cursor).
//
// Use:
//     auto* bar = new Splitter;
//     parent->Bind(ZEB_EVT_SPLITTER_MOVED, ...);   // before create()
//     if (!bar->create(parent, 33, kSplitterPlain, bands)) delete bar;
// Once created the bar is a child window of the parent and goes with it.
//
// Dragging: a left press on a movable bar captures the mouse; moving with
// the left button alone (no Ctrl, Shift or other button) moves the bar to
// the pointer (clamped, see SplitterLayout::dragTo); the drag ends when the
// button is released or the capture is lost, and only then is the parent
// notified. At rest the bar shows a shadow line along each long edge and,
// when it can be moved, a grip of dots; while dragging it is dark grey.
class Splitter : public wxWindow {
public:
    Splitter();
    ~Splitter() override;

    // Creates the bar on `parent` at `percent` with option bits `options`.
    // Fails when the parent is absent, the percentage negative, or above 99
    // for a movable bar; on failure no window exists. Notifies the parent
    // once on success.
    bool create(wxWindow* parent, int percent, unsigned options,
                const SplitterBands& bands = SplitterBands());

    // To be called by the parent after its own size changed: places the
    // bar for the new client size (SplitterLayout::resize), notifies the
    // parent and repaints.
    void resize();

    // Changes the bands a vertical bar leaves free; takes effect at the
    // next resize().
    void setBands(const SplitterBands& bands) { m_layout.setBands(bands); }

    int getX() const { return m_layout.x(); }
    int getY() const { return m_layout.y(); }
    int getWidth() const { return m_layout.width(); }
    int getHeight() const { return m_layout.height(); }
    int getPercent() const { return m_layout.percent(); }
    unsigned getOptions() const { return m_layout.options(); }
    bool isFixed() const { return m_layout.isFixed(); }
    bool isDragging() const { return m_dragging; }

    // Draws the bar, `size` large, into `dc` (its paint handler uses this).
    void paint(wxDC& dc, const wxSize& size) const;

    // The window name of the bar's kind: "wespliter", "nsspliter" or
    // "fxdspliter" (fixed before horizontal before vertical).
    static const char* kindName(unsigned options);

private:
    bool isHorizontalBar() const { return (getOptions() & kSplitterHorizontal) != 0; }
    void notifyParent();
    void applyPlacement();
    void endDrag();

    void onPaint(wxPaintEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onMotion(wxMouseEvent& event);
    void onLeftDoubleClick(wxMouseEvent& event);
    void onRightDoubleClick(wxMouseEvent& event);
    void onCaptureLost(wxMouseCaptureLostEvent& event);
    void onCaptureChanged(wxMouseCaptureChangedEvent& event);

    SplitterLayout m_layout;
    bool m_dragging = false;
};

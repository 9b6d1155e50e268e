#include "app/window/Splitter.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

wxDEFINE_EVENT(ZEB_EVT_SPLITTER_MOVED, SplitterEvent);

namespace {

// The bar's colour while it is being dragged.
const wxColour kDragColour(64, 64, 64);
// Its grip: dots of this size, this far apart.
constexpr int kGripDot = 2;
constexpr int kGripGap = 3;
constexpr int kGripDots = 3;

}  // namespace

Splitter::Splitter() = default;

Splitter::~Splitter() {
    if (HasCapture()) {
        ReleaseMouse();
    }
}

const char* Splitter::kindName(unsigned options) {
    if (options & kSplitterFixed) {
        return "fxdspliter";
    }
    return (options & kSplitterHorizontal) ? "nsspliter" : "wespliter";
}

bool Splitter::create(wxWindow* parent, int percent, unsigned options, const SplitterBands& bands) {
    if (!parent || GetHandle() || !SplitterLayout::accepts(percent, options)) {
        return false;
    }
    const wxSize client = parent->GetClientSize();
    if (!m_layout.init(percent, options, client.x, client.y, bands)) {
        return false;
    }
    if (!wxWindow::Create(parent, wxID_ANY, wxPoint(m_layout.x(), m_layout.y()),
                          wxSize(m_layout.width(), m_layout.height()),
                          wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE, kindName(options))) {
        return false;
    }
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    wxStockCursor cursor = wxCURSOR_SIZEWE;
    if (isFixed()) {
        cursor = wxCURSOR_ARROW;
    } else if (options & kSplitterHorizontal) {
        cursor = wxCURSOR_SIZENS;
    }
    SetCursor(wxCursor(cursor));

    Bind(wxEVT_PAINT, &Splitter::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &Splitter::onLeftDown, this);
    Bind(wxEVT_LEFT_UP, &Splitter::onLeftUp, this);
    Bind(wxEVT_MOTION, &Splitter::onMotion, this);
    Bind(wxEVT_LEFT_DCLICK, &Splitter::onLeftDoubleClick, this);
    Bind(wxEVT_RIGHT_DCLICK, &Splitter::onRightDoubleClick, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &Splitter::onCaptureLost, this);
    Bind(wxEVT_MOUSE_CAPTURE_CHANGED, &Splitter::onCaptureChanged, this);

    Show();
    Update();
    notifyParent();
    return true;
}

void Splitter::notifyParent() {
    wxWindow* parent = GetParent();
    if (!parent) {
        return;
    }
    SplitterEvent event(ZEB_EVT_SPLITTER_MOVED, GetId(), m_layout.x(), m_layout.y());
    event.SetEventObject(this);
    parent->ProcessWindowEvent(event);
}

void Splitter::applyPlacement() {
    SetSize(m_layout.x(), m_layout.y(), m_layout.width(), m_layout.height(),
            wxSIZE_ALLOW_MINUS_ONE);
}

void Splitter::resize() {
    wxWindow* parent = GetParent();
    if (!parent) {
        return;
    }
    const wxSize client = parent->GetClientSize();
    m_layout.resize(client.x, client.y);
    applyPlacement();
    notifyParent();
    Refresh();
    Update();
}

void Splitter::endDrag() {
    if (!m_dragging) {
        return;
    }
    m_dragging = false;
    applyPlacement();
    notifyParent();
    Refresh();
}

void Splitter::onPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    paint(dc, GetClientSize());
}

void Splitter::paint(wxDC& dc, const wxSize& size) const {
    dc.SetPen(*wxTRANSPARENT_PEN);
    if (m_dragging) {
        dc.SetBrush(wxBrush(kDragColour));
        dc.DrawRectangle(wxPoint(0, 0), size);
        return;
    }
    dc.SetBrush(wxBrush(GetBackgroundColour()));
    dc.DrawRectangle(wxPoint(0, 0), size);
    // A shadow line along each long edge sets the bar off from the panes,
    // and a grip of dots in the middle shows that it can be taken.
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    dc.SetBrush(wxBrush(shadow));
    const bool across = isHorizontalBar();
    const int length = across ? size.x : size.y;
    const int depth = across ? size.y : size.x;
    const auto box = [across](int along, int deep, int alongSize, int deepSize) {
        return across ? wxRect(along, deep, alongSize, deepSize)
                      : wxRect(deep, along, deepSize, alongSize);
    };
    dc.DrawRectangle(box(0, 0, length, 1));
    dc.DrawRectangle(box(0, depth - 1, length, 1));
    if (isFixed()) {
        return;
    }
    const int grip = kGripDots * kGripDot + (kGripDots - 1) * kGripGap;
    for (int i = 0; i < kGripDots; ++i) {
        dc.DrawRectangle(box((length - grip) / 2 + i * (kGripDot + kGripGap),
                             (depth - kGripDot) / 2, kGripDot, kGripDot));
    }
}

void Splitter::onLeftDown(wxMouseEvent& event) {
    if (isFixed()) {
        event.Skip();
        return;
    }
    if (!HasCapture()) {
        CaptureMouse();
    }
    m_dragging = true;
    Refresh(false);
}

void Splitter::onLeftUp(wxMouseEvent& event) {
    if (isFixed()) {
        event.Skip();
        return;
    }
    if (HasCapture()) {
        ReleaseMouse();
    }
    endDrag();
}

void Splitter::onMotion(wxMouseEvent& event) {
    // Only the left button alone moves the bar: no other button, no Ctrl or
    // Shift.
    if (isFixed() || !m_dragging || !event.LeftIsDown() || event.MiddleIsDown() ||
        event.RightIsDown() || event.Aux1IsDown() || event.Aux2IsDown() || event.ControlDown() ||
        event.ShiftDown()) {
        event.Skip();
        return;
    }
    wxWindow* parent = GetParent();
    const wxSize client = parent->GetClientSize();
    const wxPoint pointer = event.GetPosition() + GetPosition();
    m_layout.dragTo(pointer.x, pointer.y, client.x, client.y);
    applyPlacement();
    Refresh(false);
}

void Splitter::onLeftDoubleClick(wxMouseEvent& event) {
    if (isFixed() || !(getOptions() & kSplitterLeftDoubleClickNear)) {
        event.Skip();
        return;
    }
    // The second press of the double-click began a drag: it ends here,
    // without a notification of its own.
    if (HasCapture()) {
        ReleaseMouse();
    }
    m_dragging = false;
    m_layout.leftDoubleClick();
    notifyParent();
    applyPlacement();
    Refresh();
}

void Splitter::onRightDoubleClick(wxMouseEvent& event) {
    if (isFixed() || !(getOptions() & kSplitterRightDoubleClickFar)) {
        event.Skip();
        return;
    }
    const wxSize client = GetParent()->GetClientSize();
    m_layout.rightDoubleClick(client.x, client.y);
    notifyParent();
    applyPlacement();
    Refresh();
}

void Splitter::onCaptureLost(wxMouseCaptureLostEvent&) {
    endDrag();
}

void Splitter::onCaptureChanged(wxMouseCaptureChangedEvent& event) {
    if (event.GetCapturedWindow() != this) {
        endDrag();
    }
}

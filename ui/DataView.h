#pragma once

class wxEvent;
class wxWindow;

// The right pane of the main window: a view over a window, told about the
// events of that window by its owner. The order of the operations is the
// layout of the interface: do not reorder or insert.
class DataView {
public:
    // The view's window (for a list view, its list control).
    virtual wxWindow* getWindow() = 0;

    // Handles an event that the view's window sent to its parent and the
    // parent passed on (`mainWindow` is that parent). Returns 0.
    virtual long onNotify(wxWindow* mainWindow, wxEvent& event) = 0;

    virtual ~DataView();
};

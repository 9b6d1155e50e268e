#pragma once

class SelectContext;
class wxCommandEvent;
class wxEvent;
class wxWindow;

// The left pane of the main window: the browse tree or the search form.
// The main window owns the current pane and talks to it only through these
// operations; keep their order.
class Control {
public:
    // The pane's top window: the main window places it, and routes the
    // notifications of the controls inside it to onNotify.
    virtual wxWindow* getWindow() = 0;
    // A notification from a control inside the pane; the result is not used.
    virtual long onNotify(wxWindow* mainWindow, wxEvent& event) = 0;
    // The Edit, Delete, Open and Get commands.
    virtual void editAttributes(wxWindow* mainWindow, wxCommandEvent& event) = 0;
    virtual void deleteItems(wxWindow* mainWindow, wxCommandEvent& event) = 0;
    virtual void openRevisions(wxWindow* mainWindow) = 0;
    virtual void restoreRevisions(wxWindow* mainWindow) = 0;
    // The pane's selection state; owned by the pane.
    virtual SelectContext* selectContext() = 0;
    virtual ~Control() = default;

protected:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
};

#pragma once

class wxToolBar;
class wxWindow;

// The main window's toolbar, a child of `parent` with the window id
// kToolbarWindowId. Nine slots: Add, separator, Get, Edit, Open, Delete,
// separator, Browse, Search; each button with its label beside the image
// and its tooltip. Of Browse and Search, the one of the current pane is down.
// Images come from the desktop's icon theme. Every button starts enabled.
wxToolBar* createMainToolbar(wxWindow* parent);

// Puts Browse (`browse` true) or Search down and the other up.
void checkPaneButton(wxToolBar* toolbar, bool browse);

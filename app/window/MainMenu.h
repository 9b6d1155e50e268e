#pragma once

#include <wx/string.h>

class wxAcceleratorTable;
class wxMenuBar;
class wxMenuItem;

// The main window's menu bar and keyboard shortcuts.
//
// The items carry the texts of the command table, shortcut labels after
// the tab included. A label only shows the shortcut: the keys are bound by
// the accelerator table alone, so that a label can name a key that is bound
// to something else or to nothing (Browse shows "Ctrl+R", while Ctrl+B runs
// it and Ctrl+R does nothing).

// File (Add New Version, separator, Exit), Version (Edit, Open, Delete,
// Get), View (Browse, Search; check items), Help (Contents, separator,
// About). Every item starts enabled and unchecked.
wxMenuBar* createMainMenu();

// Ctrl+A, Ctrl+E, Ctrl+O, Ctrl+D, Ctrl+G, Ctrl+B, Ctrl+S, F1, Alt+/ and
// Alt+? (also with Shift, which is how "?" is typed on most layouts).
wxAcceleratorTable createAccelerators();

// The item's text as the command table gives it: its label, a tab and the
// shortcut its label shows ("&Browse\tCtrl+R"), or the label alone.
wxString menuItemText(const wxMenuItem* item);

#pragma once

#include <wx/string.h>

class wxMenuBar;
class wxMenuItem;

// The main window's menu bar and keyboard shortcuts.
//
// The items carry the texts of the command table, shortcut labels after
// the tab included. A label only shows the shortcut: the keys are bound by
// commandForKey alone, which the main window asks for every key before the
// focused control sees it.

// File (Add New Version, separator, Exit), Version (Edit, Open, Delete,
// Get), View (Browse, Search; check items), Help (Contents, separator,
// About). Every item starts enabled and unchecked.
wxMenuBar* createMainMenu();

// The command a key runs, or 0: Ctrl+A, Ctrl+E, Ctrl+O, Ctrl+D, Ctrl+G,
// Ctrl+B and Ctrl+R (Browse, whose item shows Ctrl+R), Ctrl+S, F1, Alt+/ and
// Alt+? (also with Shift, which is how "?" is typed on most layouts).
// `keyCode` is a wx key code (letters in upper case), `modifiers` wxMOD_
// bits, of which only Ctrl, Alt and Shift count. While a text field or an
// in-place editor has the focus (`inTextField`), Ctrl+A, Ctrl+C, Ctrl+V,
// Ctrl+X and Ctrl+Z are the field's editing keys and run no command.
int commandForKey(int keyCode, int modifiers, bool inTextField);

// The item's text as the command table gives it: its label, a tab and the
// shortcut its label shows ("&Browse\tCtrl+R"), or the label alone.
wxString menuItemText(const wxMenuItem* item);

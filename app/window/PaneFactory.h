#pragma once

#include <functional>

class Control;
class wxWindow;

// Makes the left panes for the Browse and Search commands. The new pane is
// a child of the main window and belongs to the caller.
Control* makeBrowsePane(wxWindow* mainWindow);
Control* makeSearchPane(wxWindow* mainWindow);

// Tests put their own makers in place; an empty function restores the
// program's own.
using PaneMaker = std::function<Control*(wxWindow* mainWindow)>;
void setPaneMakers(PaneMaker browse, PaneMaker search);

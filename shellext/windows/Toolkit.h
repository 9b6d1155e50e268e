#pragma once

// The window toolkit, in the window library. The host that loads the
// extension is no toolkit program, so the toolkit starts with the first
// window the extension shows and stops when the extension is unloaded;
// inside a program that already runs it (the tests), that program's is used.

#include "shellext/windows/WindowsApi.h"

namespace zebui {

// Starts the toolkit unless it runs. Without a display, or when it would not
// start, it is not tried again.
ToolkitState startWindowToolkit();

// Stops the toolkit if startWindowToolkit() started it.
void stopWindowToolkit();

}  // namespace zebui

#pragma once

// The extension's window library (windows/WindowsApi.h), loaded the first
// time a window is needed from beside libzebui's own file, and unloaded with
// libzebui.

#include "shellext/windows/WindowsApi.h"

namespace zebui {

// The library's entry; null when it cannot be loaded (said once on the
// standard error), and then not tried again.
Windows* windowsLibrary();

// The entry if the library is loaded, else null; never loads it.
Windows* loadedWindowsLibrary();

}  // namespace zebui

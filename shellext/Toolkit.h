#pragma once

// The window toolkit of the extension, in the window library
// (WindowsLibrary.h): it starts with the first window the extension shows
// and stops when the library is unloaded; inside a program that already
// runs it (the tests), that program's is used.

// True when windows can be shown: the toolkit runs or has just started.
// False when it cannot start (no display, or no window library); it is not
// tried again.
bool startToolkit();

// Stops the toolkit if startToolkit() started it.
void stopToolkit();

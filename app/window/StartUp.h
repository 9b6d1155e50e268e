#pragma once

class MainWindow;

// Start-up of the main program, in this order: the installation folder and
// the archive root from the registry, the file-system handlers the help
// viewer needs, the main window (with its toolbar, status bar, splitter and
// browse pane and its keys, shown), "Ready" in the status bar.
// Without a usable archive root the program is not set up: the status bar
// says so instead, a message names the reason and the setup program, and
// the version commands stay disabled for the run. Returns the main window,
// or null when it could not be made. The caller then runs the event loop.
MainWindow* startUp();

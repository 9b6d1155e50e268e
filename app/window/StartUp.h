#pragma once

class MainWindow;

// Start-up of the main program, in this order: the installation folder and
// the archive root from the registry, the file-system handlers the help
// viewer needs, the main window (with its toolbar, status bar, splitter and
// browse pane and its keys, shown), "Ready" in the status bar.
// Returns the main window, or null when it could not be made. The caller
// then runs the event loop.
MainWindow* startUp();

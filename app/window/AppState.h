#pragma once

#include <string>

class MainWindow;

// Process-wide state of the main program: where it is installed, where the
// archive is, and its one main window.
class AppState {
public:
    // Reads the installation folder from the registry value
    // "DestinationPath" and derives the archive root (folder + "/VFS"). A
    // missing value leaves the folder empty. Without a usable archive root
    // the program is not set up, and stays so for the run.
    static void readInstallPath();

    static const std::string& installPath();
    // Empty when there is no usable archive root.
    static const std::string& archiveRoot();

    // False when start-up found no usable archive root; setUpProblem() then
    // says why, as a sentence for the user.
    static bool isSetUp();
    static const std::string& setUpProblem();

    // The name of the ODBC data source the program uses (registry "DSN").
    static std::string dataSourceName();

    static MainWindow* mainWindow();
    static void setMainWindow(MainWindow* window);

    // The help book "zebdoc.htb": in the installation folder, or else in
    // share/zebdoc beside the program's bin folder (where the build and the
    // installation put it). When neither exists, the second.
    static std::string helpBookPath();
};

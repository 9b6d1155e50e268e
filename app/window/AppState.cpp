#include "app/window/AppState.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "core/ArchiveRoot.h"
#include "core/Registry.h"
#include "platform/FileSystem.h"

namespace {

constexpr char kUserInfoKey[] = "SOFTWARE\\Quorvane\\ZEBDOC\\UserInfo\\";
constexpr char kHelpBook[] = "zebdoc.htb";
// From the program's folder (bin) to the program's data.
constexpr char kDataFolder[] = "/../share/zebdoc/";

std::string g_installPath;
std::string g_archiveRoot;
std::string g_setUpProblem;
bool g_setUp = true;
MainWindow* g_mainWindow = nullptr;

}  // namespace

void AppState::readInstallPath() {
    char buffer[1024] = "";
    GetRegString(HKEY_LOCAL_MACHINE, kUserInfoKey, "DestinationPath", buffer);
    buffer[sizeof buffer - 1] = '\0';
    g_installPath = buffer;
    // The core library keeps its own copy, read when it was loaded.
    ArchiveRoot::refresh();
    g_archiveRoot = ArchiveRoot::path();
    g_setUp = ArchiveRoot::isValid();
    g_setUpProblem = g_setUp ? std::string() : ArchiveRoot::problem();
}

const std::string& AppState::installPath() {
    return g_installPath;
}

const std::string& AppState::archiveRoot() {
    return g_archiveRoot;
}

bool AppState::isSetUp() {
    return g_setUp;
}

const std::string& AppState::setUpProblem() {
    return g_setUpProblem;
}

std::string AppState::dataSourceName() {
    char buffer[1024] = "";
    GetRegString(HKEY_LOCAL_MACHINE, kUserInfoKey, "DSN", buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

MainWindow* AppState::mainWindow() {
    return g_mainWindow;
}

void AppState::setMainWindow(MainWindow* window) {
    g_mainWindow = window;
}

std::string AppState::helpBookPath() {
    if (!g_installPath.empty()) {
        const std::string installed = g_installPath + "/" + kHelpBook;
        if (zeb::platform::isRegularFile(installed)) {
            return installed;
        }
    }
    const wxFileName program(wxStandardPaths::Get().GetExecutablePath());
    return zeb::platform::fullPath(program.GetPath().utf8_string() + kDataFolder + kHelpBook);
}

#include "app/window/StartUp.h"

#include <wx/filesys.h>
#include <wx/fs_arc.h>

#include "app/window/AppState.h"
#include "app/window/MainWindow.h"
#include "app/window/StringTable.h"
#include "ui/UserInterface.h"

MainWindow* startUp() {
    AppState::readInstallPath();
    // The help book is a zip archive read through wx's file systems.
    static bool handlersAdded = false;
    if (!handlersAdded) {
        wxFileSystem::AddHandler(new wxArchiveFSHandler);
        handlersAdded = true;
    }
    auto* window = new MainWindow;
    if (!window->create()) {
        window->Destroy();
        return nullptr;
    }
    window->ready();
    if (!AppState::isSetUp()) {
        userInterface().messageBox(
            window,
            wxString::FromUTF8(strings::filled(strings::kNotSetUp, {AppState::setUpProblem()})),
            wxString::FromUTF8(strings::text(strings::kTitle)), wxOK | wxICON_WARNING);
    }
    return window;
}

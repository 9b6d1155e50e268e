#include "app/StartUp.h"

#include <wx/filesys.h>
#include <wx/fs_arc.h>

#include "app/AppState.h"
#include "app/MainMenu.h"
#include "app/MainWindow.h"
#include "app/StringTable.h"

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
    window->SetAcceleratorTable(createAccelerators());
    window->setStatusText(wxString::FromUTF8(strings::text(strings::kReady)));
    return window;
}

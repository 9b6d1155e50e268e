#include "shellext/Toolkit.h"

#include <dlfcn.h>

#include "shellext/WindowsLibrary.h"

namespace {

// A toolkit, once started, leaves its hooks in the process that lead into
// the window library, which this library holds: from now on this library
// stays loaded until the process ends, too.
void stayLoaded() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&stayLoaded), &info) != 0 && info.dli_fname != nullptr) {
        // Not closed again: the reference is what keeps the library.
        dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
}

}  // namespace

bool startToolkit() {
    zebui::Windows* windows = zebui::windowsLibrary();
    if (windows == nullptr) {
        return false;
    }
    switch (windows->startToolkit()) {
        case zebui::ToolkitState::started:
            stayLoaded();
            return true;
        case zebui::ToolkitState::running:
            return true;
        case zebui::ToolkitState::failed:
            break;
    }
    return false;
}

void stopToolkit() {
    if (zebui::Windows* windows = zebui::loadedWindowsLibrary()) {
        windows->stopToolkit();
    }
}

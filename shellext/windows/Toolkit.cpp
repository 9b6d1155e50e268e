#include "shellext/windows/Toolkit.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <dlfcn.h>

#include <cstdlib>

namespace {

class ExtensionApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

bool g_started = false;
bool g_failed = false;

// A toolkit, once started, leaves its hooks in the process (type
// registrations, exit handlers) that lead into its libraries and into this
// one: from now on the library stays loaded until the process ends (and
// libzebui, which holds it, with it).
void stayLoaded() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&stayLoaded), &info) != 0 && info.dli_fname != nullptr) {
        // Not closed again: the reference is what keeps the library.
        dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
}

}  // namespace

namespace zebui {

ToolkitState startWindowToolkit() {
    if (wxTheApp != nullptr) {
        return ToolkitState::running;
    }
    if (g_failed) {
        return ToolkitState::failed;
    }
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0')) {
        g_failed = true;
        return ToolkitState::failed;
    }
    static char name[] = "zebui";
    static char* argv[] = {name, nullptr};
    static int argc = 1;
    wxApp::SetInstance(new ExtensionApp);
    if (!wxEntryStart(argc, argv)) {
        g_failed = true;
        return ToolkitState::failed;
    }
    // Problems go to the standard error, not into a window of their own.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        g_failed = true;
        return ToolkitState::failed;
    }
    g_started = true;
    stayLoaded();
    // Stopped at exit before the toolkit's own static objects go, which
    // were made before this handler is registered.
    std::atexit(stopWindowToolkit);
    return ToolkitState::started;
}

void stopWindowToolkit() {
    if (!g_started) {
        return;
    }
    g_started = false;
    wxTheApp->OnExit();
    wxEntryCleanup();
}

}  // namespace zebui

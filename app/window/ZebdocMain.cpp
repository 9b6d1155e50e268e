// The main program: start-up, then the event loop until the main window is
// gone.

#include <wx/app.h>
#include <wx/init.h>

#include "app/commands/VersionCommands.h"
#include "app/window/StartUp.h"
#include "app/window/StringTable.h"

namespace {

class ZebdocApp : public wxApp {
public:
    bool OnInit() override {
        SetAppName("zebdoc");
        SetAppDisplayName(wxString::FromUTF8(strings::text(strings::kTitle)));
        // Copies that Open kept for a run that crashed.
        VersionCommands::cleanStaleOpenedCopies();
        return startUp() != nullptr;
    }
};

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new ZebdocApp);
    if (!wxEntryStart(argc, argv)) {
        return 1;
    }
    int result = 0;
    // Without a main window the program ends at once, with 0.
    if (wxTheApp->CallOnInit()) {
        result = wxTheApp->OnRun();
        wxTheApp->OnExit();
        VersionCommands::removeOpenedCopies();
    }
    wxEntryCleanup();
    return result;
}

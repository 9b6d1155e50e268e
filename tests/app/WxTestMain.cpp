// Test entry for window tests: a real wxApp under the X display (Xvfb in the
// test command), a private HOME and XDG folders, and wx asserts turned into
// test failures instead of dialogs.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/init.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

void failOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str(), line)
        << "wx assert in " << func.utf8_str() << ": " << cond.utf8_str() << " " << msg.utf8_str();
}

std::string makePrivateHome() {
    char pattern[] = "/tmp/zebdoc-apptest-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (!dir) {
        return {};
    }
    const std::string home = dir;
    for (const char* sub : {"/config", "/data", "/cache", "/runtime"}) {
        ::mkdir((home + sub).c_str(), 0700);
    }
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
    return home;
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    ::setenv("GSETTINGS_BACKEND", "memory", 1);
    ::setenv("NO_AT_BRIDGE", "1", 1);
    const std::string home = makePrivateHome();
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "No display: run the window tests under xvfb-run.\n");
        return 1;
    }

    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "Cannot initialise wxWidgets.\n");
        return 1;
    }
    wxSetAssertHandler(failOnAssert);
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
    int result = 1;
    if (wxTheApp->CallOnInit()) {
        result = RUN_ALL_TESTS();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    if (!home.empty()) {
        const std::string command = "rm -rf '" + home + "'";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "Could not remove %s\n", home.c_str());
        }
    }
    return result;
}

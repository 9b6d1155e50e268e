// Test entry for setup's window test: a real wxApp under the X display
// (Xvfb in the test command), in the sandbox every test process gets, with
// wx asserts turned into test failures.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>

#include "tests/support/Sandbox.h"

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

}  // namespace

// Caches that fontconfig and GIO keep until the process ends.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libgio-2.0.so\n";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    ::setenv("GSETTINGS_BACKEND", "memory", 1);
    ::setenv("NO_AT_BRIDGE", "1", 1);
    if (zebtest::enterSandbox().empty()) {
        std::fprintf(stderr, "Cannot make the test's sandbox.\n");
        return 1;
    }
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
    // What wx logs goes to the error output, never into a message box.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    int result = 1;
    if (wxTheApp->CallOnInit()) {
        result = RUN_ALL_TESTS();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return result;
}

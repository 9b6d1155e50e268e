// Opening a file with the default application of its type and waiting for
// that application while the windows go on working.

#include <sys/stat.h>
#include <wx/app.h>
#include <wx/weakref.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "tests/app/AppTestSupport.h"
#include "ui/DefaultApplication.h"
#include "ui/ProcessWait.h"

namespace zebtest {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, FieldCodesTakeTheFileAndTheRestGo) {
    const std::string path = "/tmp/my docs/a&b.txt";
    const std::string uri = "file:///tmp/my%20docs/a&b.txt";
    const std::pair<const char*, Args> cases[] = {
        {"editor %f", {"editor", path}},
        {"editor --new-window %F", {"editor", "--new-window", path}},
        {"viewer %U", {"viewer", uri}},
        {"viewer --file=%u", {"viewer", "--file=" + uri}},
        // Quoted arguments stay whole.
        {"sh -c 'cat \"$1\"' sh %f", {"sh", "-c", "cat \"$1\"", "sh", path}},
        {"player %i %c %k --level=100%%", {"player", "--level=100%", path}},
        // No file named: it is added.
        {"plain", {"plain", path}},
        {"", {"<refused>"}},
        {"broken 'quote", {"<refused>"}},
    };
    for (const auto& [line, expected] : cases) {
        Args argv;
        if (!expandCommandLine(line, path, argv)) {
            argv = {"<refused>"};
        }
        EXPECT_EQ(argv, expected) << line;
    }
}

// A desktop with one application, the default for plain text: a script that
// notes the file it was given, waits a moment and ends.
class LaunchTest : public MainWindowTest {
protected:
    void SetUp() override {
        const std::string home = std::getenv("HOME");
        m_marker = home + "/opened.txt";
        m_document = home + "/notes.txt";
        writeFile(m_document, "some notes\n");
        const std::string script = home + "/viewer.sh";
        writeFile(script, "#!/bin/sh\necho \"$1\" > '" + m_marker + "'\nsleep 1\n");
        ::chmod(script.c_str(), 0755);
        setTextApplication("zebtest-viewer", script);
        MainWindowTest::SetUp();
    }

    std::string m_marker;
    std::string m_document;
};

TEST_F(LaunchTest, WaitsForTheApplicationWhileTheWindowWorks) {
    // Open runs the wait inside its command; About comes in meanwhile.
    bool ended = false;
    std::chrono::steady_clock::duration waited{};
    pane()->duringCommand = [&] {
        wxTheApp->CallAfter([this] { menuCommand(kCmdAbout); });
        const auto start = std::chrono::steady_clock::now();
        ended = desktopUserInterface().launchAndWait(m_document);
        waited = std::chrono::steady_clock::now() - start;
    };
    menuCommand(kCmdOpen);
    EXPECT_TRUE(ended);
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    std::string opened;
    std::getline(std::ifstream(m_marker), opened);
    EXPECT_EQ(opened, m_document);
    EXPECT_EQ(ui.dialogTitles, (Args{"About"}));
    EXPECT_EQ(runningWaits(), 0);
}

TEST_F(LaunchTest, ExitDuringTheWaitClosesTheWindowAfterIt) {
    wxWeakRef<wxWindow> ref(window);
    bool shownDuringWait = true;
    pane()->duringCommand = [&] {
        wxTheApp->CallAfter([&] {
            menuCommand(kCmdExit);
            shownDuringWait = window->IsShown();
        });
        desktopUserInterface().launchAndWait(m_document);
        EXPECT_NE(ref.get(), nullptr);
    };
    menuCommand(kCmdOpen);
    windowGone();
    EXPECT_FALSE(shownDuringWait);
    EXPECT_TRUE(pumpUntil([&] { return ref.get() == nullptr; }));
}

TEST_F(LaunchTest, MissingProgramFailsAndAWaitReportsTheEnd) {
    setTextApplication("zebtest-gone", "/nonexistent/zebtest-gone");
    Args argv;
    std::string error;
    // The desktop does not offer an application whose program is missing.
    EXPECT_FALSE(defaultApplicationCommand(m_document, argv, error));
    EXPECT_EQ(error, "no application is set to open files of type text/plain");
    EXPECT_TRUE(argv.empty());
    EXPECT_FALSE(desktopUserInterface().launchAndWait(m_document));
    EXPECT_FALSE(waitWithDispatch(nullptr));
    EXPECT_EQ(startProcess({}), nullptr);

    const auto process = startProcess({"sh", "-c", "exit 3"});
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(waitWithDispatch(process));
    EXPECT_TRUE(process->ended);
    EXPECT_EQ(process->exitCode, 3);
}

}  // namespace
}  // namespace zebtest

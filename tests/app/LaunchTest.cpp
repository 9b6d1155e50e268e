// Opening a file with the default application of its type and waiting for
// that application while the windows go on working.

#include <sys/stat.h>
#include <wx/app.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "app/DefaultApplication.h"
#include "app/ProcessWait.h"
#include "tests/app/MainWindowFixture.h"

namespace zebtest {
namespace {

using Args = std::vector<std::string>;

Args expand(const std::string& line, const std::string& path) {
    Args argv;
    if (!expandCommandLine(line, path, argv)) {
        return {"<refused>"};
    }
    return argv;
}

TEST(CommandLine, FieldCodesTakeTheFile) {
    const std::string path = "/tmp/my docs/a&b.txt";
    EXPECT_EQ(expand("editor %f", path), (Args{"editor", path}));
    EXPECT_EQ(expand("editor --new-window %F", path), (Args{"editor", "--new-window", path}));
    EXPECT_EQ(expand("viewer %U", path), (Args{"viewer", "file:///tmp/my%20docs/a&b.txt"}));
    EXPECT_EQ(expand("viewer --file=%u", path),
              (Args{"viewer", "--file=file:///tmp/my%20docs/a&b.txt"}));
    // Quoted arguments stay whole.
    EXPECT_EQ(expand("sh -c 'cat \"$1\"' sh %f", path),
              (Args{"sh", "-c", "cat \"$1\"", "sh", path}));
}

TEST(CommandLine, OtherCodesGoAndAFileIsAddedWhenNoneIsNamed) {
    const std::string path = "/tmp/x.txt";
    EXPECT_EQ(expand("player %i %c %k --level=100%%", path),
              (Args{"player", "--level=100%", path}));
    EXPECT_EQ(expand("plain", path), (Args{"plain", path}));
    EXPECT_EQ(expand("", path), (Args{"<refused>"}));
    EXPECT_EQ(expand("broken 'quote", path), (Args{"<refused>"}));
}

// A desktop with one application, the default for plain text: a script that
// notes the file it was given, waits a moment and ends.
class LaunchTest : public MainWindowTest {
protected:
    void SetUp() override {
        const std::string home = std::getenv("HOME");
        m_marker = home + "/opened.txt";
        m_document = home + "/notes.txt";
        std::ofstream(m_document) << "some notes\n";
        writeApplication("zebtest-viewer", home + "/viewer.sh");
        const std::string script = home + "/viewer.sh";
        std::ofstream(script) << "#!/bin/sh\necho \"$1\" > '" << m_marker << "'\nsleep 1\n";
        ::chmod(script.c_str(), 0755);
        MainWindowTest::SetUp();
    }

    void writeApplication(const std::string& name, const std::string& program) {
        const std::string data = std::getenv("XDG_DATA_HOME");
        const std::string config = std::getenv("XDG_CONFIG_HOME");
        ::mkdir((data + "/applications").c_str(), 0700);
        std::ofstream(data + "/applications/" + name + ".desktop")
            << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << program
            << " %f\nMimeType=text/plain;\n";
        std::ofstream(config + "/mimeapps.list")
            << "[Default Applications]\ntext/plain=" << name << ".desktop\n";
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
        ended = userInterface().launchAndWait(m_document);
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
        userInterface().launchAndWait(m_document);
        EXPECT_NE(ref.get(), nullptr);
    };
    menuCommand(kCmdOpen);
    windowGone();
    EXPECT_FALSE(shownDuringWait);
    EXPECT_TRUE(pumpUntil([&] { return ref.get() == nullptr; }));
}

TEST_F(LaunchTest, MissingProgramIsALaunchFailure) {
    writeApplication("zebtest-gone", "/nonexistent/zebtest-gone");
    Args argv;
    std::string error;
    // The desktop does not offer an application whose program is missing.
    EXPECT_FALSE(defaultApplicationCommand(m_document, argv, error));
    EXPECT_EQ(error, "no application is set to open files of type text/plain");
    EXPECT_TRUE(argv.empty());
    EXPECT_FALSE(userInterface().launchAndWait(m_document));
    EXPECT_FALSE(waitWithDispatch(nullptr));
    EXPECT_EQ(startProcess({}), nullptr);
}

TEST_F(LaunchTest, WaitReportsTheEndOfAProcess) {
    const auto process = startProcess({"sh", "-c", "exit 3"});
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(waitWithDispatch(process));
    EXPECT_TRUE(process->ended);
    EXPECT_EQ(process->exitCode, 3);
}

}  // namespace
}  // namespace zebtest

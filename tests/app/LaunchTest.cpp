// Opening a file with an application the way the desktop does, and waiting
// for that application while the windows go on working.

#include <gio/gdesktopappinfo.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/weakref.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "platform/FileSystem.h"
#include "tests/app/AppTestSupport.h"
#include "ui/DefaultApplication.h"
#include "ui/ProcessWait.h"

namespace zebtest {
namespace {

using Args = std::vector<std::string>;
namespace fs = zeb::platform;

// Writes the desktop entry `name`.desktop into the test's private
// applications folder and waits until GIO has read it.
void writeEntry(const std::string& name, const std::string& exec, const std::string& more = "") {
    static int serial = 0;
    const std::string mark = std::to_string(++serial);
    writeFile(std::string(std::getenv("XDG_DATA_HOME")) + "/applications/" + name + ".desktop",
              "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec +
                  "\nX-Zebtest-Serial=" + mark + "\n" + more);
    EXPECT_TRUE(pumpUntil([&] {
        GDesktopAppInfo* app = g_desktop_app_info_new((name + ".desktop").c_str());
        char* read = app ? g_desktop_app_info_get_string(app, "X-Zebtest-Serial") : nullptr;
        const bool current = read && mark == read;
        g_free(read);
        if (app) {
            g_object_unref(app);
        }
        return current;
    })) << name;
}

std::string writeScript(const std::string& path, const std::string& body) {
    writeFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
    return path;
}

// A desktop with one application, the default for plain text: a script that
// notes the file it was given, waits a moment and ends.
class LaunchTest : public MainWindowTest {
protected:
    void SetUp() override {
        m_home = std::getenv("HOME");
        m_marker = m_home + "/opened.txt";
        m_document = m_home + "/notes.txt";
        writeFile(m_document, "some notes\n");
        ::unlink(m_marker.c_str());
        m_viewer = writeScript(m_home + "/viewer.sh",
                               "printf '%s' \"$1\" > '" + m_marker + "'\n/bin/sleep 1\n");
        setTextApplication("zebtest-viewer", m_viewer);
        MainWindowTest::SetUp();
    }

    std::string opened() const { return fs::exists(m_marker) ? readFile(m_marker) : "<none>"; }

    std::string m_home;
    std::string m_marker;
    std::string m_document;
    std::string m_viewer;
};

TEST_F(LaunchTest, WaitsForTheApplicationWhileTheWindowWorks) {
    // Open runs the wait inside its command; About comes in meanwhile.
    bool ended = false;
    std::chrono::steady_clock::duration waited{};
    pane()->duringCommand = [&] {
        wxTheApp->CallAfter([this] { menuCommand(kCmdAbout); });
        const auto start = std::chrono::steady_clock::now();
        ended = desktopUserInterface().launchAndWait(window, m_document);
        waited = std::chrono::steady_clock::now() - start;
    };
    menuCommand(kCmdOpen);
    EXPECT_TRUE(ended);
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_EQ(opened(), m_document);
    EXPECT_EQ(ui.dialogTitles, (Args{"About"}));
    EXPECT_TRUE(ui.chooserTypes.empty());
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
        desktopUserInterface().launchAndWait(window, m_document);
        EXPECT_NE(ref.get(), nullptr);
    };
    menuCommand(kCmdOpen);
    windowGone();
    EXPECT_FALSE(shownDuringWait);
    EXPECT_TRUE(pumpUntil([&] { return ref.get() == nullptr; }));
}

// The file's name goes to the application as one argument, whatever it
// holds, also where the Exec line puts the field code inside a script.
TEST_F(LaunchTest, NothingInTheFileNameRuns) {
    TempDir dir;
    const std::string cwd = fs::fullPath("");
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    const std::string save = "> '" + m_marker + "'";
    const struct {
        std::string exec;
        std::string name;
        bool whole;  // false: the name breaks the script, which then fails
    } cases[] = {
        {"sh -c 'printf %%s \"$0\" " + save + "' %f", "a $(touch PWNED); 'b' & `touch PWNED`.txt",
         true},
        {"sh -c 'printf %%s \"$0\" " + save + "' %f", "q\"$(touch PWNED)\".txt", true},
        {"sh -c \"printf %%s %f " + save + "\"", "a $(touch PWNED); 'b' & `touch PWNED`.txt", true},
        {"sh -c \"printf %%s %f " + save + "\"", "q\"$(touch PWNED)\".txt", false},
    };
    for (const auto& c : cases) {
        writeEntry("zebtest-viewer", c.exec, "MimeType=text/plain;\n");
        const std::string path = dir.path() + "/" + c.name;
        writeFile(path, "text\n");
        ::unlink(m_marker.c_str());
        EXPECT_TRUE(desktopUserInterface().launchAndWait(window, path)) << c.exec;
        EXPECT_EQ(opened(), c.whole ? path : "<none>") << c.exec;
        EXPECT_FALSE(fs::exists(dir.path() + "/PWNED")) << c.exec;
        ::unlink(path.c_str());
    }
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
}

// No application opens the type: the person picks one, which opens the file
// this once and is not made the type's application.
TEST_F(LaunchTest, WithoutAnApplicationForTheTypeThePersonChoosesOneAndNothingIsRemembered) {
    const std::string mimeapps = std::string(std::getenv("XDG_CONFIG_HOME")) + "/mimeapps.list";
    writeFile(mimeapps, "");
    writeEntry("zebtest-viewer", m_viewer + " %f", "MimeType=image/png;\n");
    writeEntry("zebtest-other", m_viewer + " %f");
    ASSERT_TRUE(pumpUntil([] { return defaultApplicationId("text/plain").empty(); }));

    // Cancelled: nothing runs.
    EXPECT_FALSE(desktopUserInterface().launchAndWait(window, m_document));
    EXPECT_EQ(ui.chooserTypes, (Args{"text/plain"}));
    EXPECT_EQ(opened(), "<none>");

    ui.chosenApplication = "zebtest-other.desktop";
    EXPECT_TRUE(desktopUserInterface().launchAndWait(window, m_document));
    EXPECT_EQ(opened(), m_document);
    EXPECT_EQ(readFile(mimeapps), "");
    EXPECT_EQ(defaultApplicationId("text/plain"), "");

    // The desktop's own chooser, answered with OK: it names the choice and
    // keeps no note of it.
    guint answer = g_timeout_add(
        50,
        [](gpointer) -> gboolean {
            GList* windows = gtk_window_list_toplevels();
            for (GList* w = windows; w; w = w->next) {
                if (GTK_IS_APP_CHOOSER_DIALOG(w->data) &&
                    gtk_widget_get_visible(GTK_WIDGET(w->data))) {
                    auto* chooser = GTK_APP_CHOOSER_WIDGET(
                        gtk_app_chooser_dialog_get_widget(GTK_APP_CHOOSER_DIALOG(w->data)));
                    gtk_app_chooser_widget_set_show_all(chooser, TRUE);
                    gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_OK);
                }
            }
            g_list_free(windows);
            return G_SOURCE_CONTINUE;
        },
        nullptr);
    EXPECT_EQ(desktopUserInterface().chooseApplication(window, "text/plain"),
              "zebtest-other.desktop");
    g_source_remove(answer);
    EXPECT_EQ(readFile(mimeapps), "");
    EXPECT_EQ(defaultApplicationId("text/plain"), "");
}

// An application that asks for a terminal runs in one, or not at all.
TEST_F(LaunchTest, TerminalApplicationRunsInATerminalOrNotAtAll) {
    const std::string bin = m_home + "/bin";
    EnvGuard env;
    env.set("PATH", bin);
    writeEntry("zebtest-viewer", m_viewer + " %f", "MimeType=text/plain;\nTerminal=true\n");

    writeFile(bin + "/none", "");
    EXPECT_FALSE(desktopUserInterface().launchAndWait(window, m_document));
    EXPECT_EQ(opened(), "<none>");

    const std::string terminal = m_home + "/terminal.txt";
    writeScript(bin + "/xterm", "printf '%s\\n' \"$@\" > '" + terminal + "'\nshift\nexec \"$@\"\n");
    EXPECT_TRUE(desktopUserInterface().launchAndWait(window, m_document));
    EXPECT_EQ(opened(), m_document);
    EXPECT_EQ(readFile(terminal), "-e\n" + m_viewer + "\n" + m_document + "\n");
}

TEST(ProcessWait, WatchesAChildUntilItEnds) {
    EXPECT_EQ(watchChild(0), nullptr);
    EXPECT_FALSE(waitWithDispatch(nullptr));
    EXPECT_TRUE(waitWithDispatch(endedProcess()));
    for (const auto& [command, code] :
         {std::pair<const char*, int>{"exit 3", 3}, {"kill -TERM $$", 128 + 15}}) {
        const char* argv[] = {"/bin/sh", "-c", command, nullptr};
        GPid pid = 0;
        ASSERT_TRUE(g_spawn_async(nullptr, const_cast<char**>(argv), nullptr,
                                  G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid, nullptr));
        const auto process = watchChild(pid);
        ASSERT_NE(process, nullptr);
        EXPECT_TRUE(waitWithDispatch(process));
        EXPECT_EQ(process->exitCode, code) << command;
    }
}

}  // namespace
}  // namespace zebtest

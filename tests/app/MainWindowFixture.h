#pragma once

// A main window made by the program's start-up, with recording left panes
// and a scripted user interface in place of the person at the desk.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <cctype>

#include <functional>

#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/CommandIds.h"
#include "app/Control.h"
#include "app/MainWindow.h"
#include "app/PaneFactory.h"
#include "app/SelectContext.h"
#include "app/StartUp.h"
#include "app/UserInterface.h"
#include "tests/app/WxPump.h"

namespace zebtest {

// Keyboard and mouse simulation goes through the display server, whose
// pointer and modifier keys all the tests of a run share: tests that type
// or drag hold this lock (one per display) while they do.
class DisplayInputLock {
public:
    DisplayInputLock() {
        const char* display = std::getenv("DISPLAY");
        std::string name = "/tmp/zebdoc-input-";
        for (const char* c = display ? display : ""; *c; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        }
        m_fd = ::open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_EX);
        }
    }
    ~DisplayInputLock() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    DisplayInputLock(const DisplayInputLock&) = delete;
    DisplayInputLock& operator=(const DisplayInputLock&) = delete;

private:
    int m_fd = -1;
};

// What happened, in order, as "pane 1: editAttributes" and the like.
struct Journal {
    std::vector<std::string> entries;
    int count(const std::string& entry) const {
        int n = 0;
        for (const auto& e : entries) {
            n += e == entry ? 1 : 0;
        }
        return n;
    }
};

// A left pane that notes every call, with a text field to hold the focus.
class RecordingPane : public Control {
public:
    RecordingPane(wxWindow* main, const std::string& kind, Journal& journal, int number)
        : m_panel(new wxPanel(main)),
          m_field(new wxTextCtrl(m_panel, wxID_ANY, "", wxPoint(4, 4), wxSize(120, -1))),
          m_journal(journal),
          m_name(kind + " " + std::to_string(number)) {
        note("made");
    }
    ~RecordingPane() override {
        note("deleted");
        m_panel->Destroy();
    }

    wxWindow* getWindow() override { return m_panel; }
    long onNotify(wxWindow*, wxEvent&) override {
        note("onNotify");
        return 0;
    }
    void editAttributes(wxWindow* main, wxCommandEvent&) override { act(main, "editAttributes"); }
    void deleteItems(wxWindow* main, wxCommandEvent&) override { act(main, "deleteItems"); }
    void openRevisions(wxWindow* main) override { act(main, "openRevisions"); }
    void restoreRevisions(wxWindow* main) override { act(main, "restoreRevisions"); }
    SelectContext* selectContext() override { return &m_selection; }

    wxTextCtrl* field() const { return m_field; }
    const std::string& name() const { return m_name; }
    // Status text at the latest command.
    std::string statusDuringCommand;
    // Where a command puts the focus while it runs (none: unchanged).
    wxWindow* focusDuringCommand = nullptr;
    // What else a command does.
    std::function<void()> duringCommand;

private:
    void note(const std::string& what) { m_journal.entries.push_back(m_name + ": " + what); }
    void act(wxWindow* main, const std::string& what) {
        note(what);
        statusDuringCommand = static_cast<MainWindow*>(main)->statusText().utf8_string();
        if (focusDuringCommand) {
            focusDuringCommand->SetFocus();
        }
        if (duringCommand) {
            duringCommand();
        }
    }

    wxPanel* m_panel;
    wxTextCtrl* m_field;
    Journal& m_journal;
    std::string m_name;
    SelectContext m_selection;
};

// Answers instead of a person and notes what was asked.
class ScriptedUserInterface : public UserInterface {
public:
    int messageBox(wxWindow*, const wxString& text, const wxString& caption, long) override {
        messages.push_back((caption + ": " + text).utf8_string());
        return answer;
    }
    bool chooseFiles(wxWindow*, const wxString&, const wxString&, ChosenFiles& chosen) override {
        chosen = files;
        return !files.paths.empty();
    }
    int showModal(wxDialog& dialog) override {
        dialogTitles.push_back(dialog.GetTitle().utf8_string());
        std::string texts;
        for (wxWindow* child : dialog.GetChildren()) {
            if (auto* label = dynamic_cast<wxStaticText*>(child)) {
                texts += label->GetLabel().utf8_string() + "\n";
            }
        }
        dialogTexts.push_back(texts);
        if (duringModal) {
            duringModal(dialog);
        }
        return wxID_OK;
    }
    bool showHelp(wxWindow*, const wxString& book, const wxString& topic) override {
        helpRequests.push_back(book.utf8_string() + " @ " + topic.utf8_string());
        return true;
    }
    bool launchAndWait(const std::string& path) override {
        launched.push_back(path);
        return desktopUserInterface().launchAndWait(path);
    }

    int answer = wxOK;
    ChosenFiles files;
    std::vector<std::string> messages;
    std::vector<std::string> dialogTitles;
    std::vector<std::string> dialogTexts;
    std::vector<std::string> helpRequests;
    std::vector<std::string> launched;
    std::function<void(wxDialog&)> duringModal;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tmp = std::getenv("TMPDIR");
        m_registry = std::string(tmp && *tmp ? tmp : "/tmp") + "/zebdoc-mainwindow-" +
                     std::to_string(::getpid()) + ".reg";
        writeRegistry();
        ::setenv("ZEBDOC_REGISTRY", m_registry.c_str(), 1);
        setPaneMakers(
            [this](wxWindow* main) { return new RecordingPane(main, "browse", journal, ++m_made); },
            [this](wxWindow* main) {
                return new RecordingPane(main, "search", journal, ++m_made);
            });
        setUserInterface(&ui);
        window = startUp();
        ASSERT_NE(window, nullptr);
        pumpUntil([this] { return window->IsShownOnScreen(); });
        pumpFor(100);
    }

    void TearDown() override {
        if (window && !m_windowGone) {
            window->Destroy();
            pumpFor(50);
        }
        setUserInterface(nullptr);
        setPaneMakers(nullptr, nullptr);
        ::unlink(m_registry.c_str());
    }

    // The registry file's contents before start-up; none by default.
    virtual void writeRegistry() {}
    const std::string& registryPath() const { return m_registry; }

    RecordingPane* pane() const { return static_cast<RecordingPane*>(window->leftPane()); }

    // Chooses a command's menu item, as GTK's activation of the item does.
    void menuCommand(int commandId) {
        wxMenu* menu = nullptr;
        ASSERT_NE(window->GetMenuBar()->FindItem(toWxId(commandId), &menu), nullptr);
        menu->SendEvent(toWxId(commandId));
    }
    // Clicks a command's toolbar button, as the toolbar does.
    void toolCommand(int commandId) {
        wxToolBar* tools = window->toolbar();
        const wxToolBarToolBase* tool = tools->FindById(toWxId(commandId));
        ASSERT_NE(tool, nullptr);
        tools->OnLeftClick(toWxId(commandId), tool->CanBeToggled());
    }

    // Makes the main window the one that gets the keyboard. The window
    // tests of a run share one display, so another test's window may take
    // it at any time: callers check and try again.
    bool activate() {
        if (!window->IsActive()) {
            window->Raise();
        }
        return pumpUntil([this] { return window->IsActive(); }, 2000);
    }

    // Runs `attempt` until it reports success, at most three times, making
    // the window active before each try.
    bool withKeyboard(const std::function<bool()>& attempt) {
        for (int i = 0; i < 3; ++i) {
            if (activate() && attempt()) {
                return true;
            }
        }
        return false;
    }

    // Marks the window as destroyed by the test itself.
    void windowGone() { m_windowGone = true; }

    Journal journal;
    ScriptedUserInterface ui;
    MainWindow* window = nullptr;

private:
    std::string m_registry;
    int m_made = 0;
    bool m_windowGone = false;
};

}  // namespace zebtest

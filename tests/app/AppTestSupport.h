#pragma once

// What the window tests share: a user interface that answers instead of a
// person, the main window made by the program's start-up with recording
// left panes, a repository on both data sources with files added through
// the core library, and a selection walk over its objects.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <cctype>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/commands/SelectContext.h"
#include "app/commands/SelectionWalk.h"
#include "app/window/AppState.h"
#include "app/window/CommandIds.h"
#include "app/window/Control.h"
#include "app/window/MainWindow.h"
#include "app/window/PaneFactory.h"
#include "app/window/StartUp.h"
#include "core/IZEB.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "tests/app/WxPump.h"
#include "tests/support/BackendTest.h"
#include "tests/support/DisplayInputLock.h"
#include "ui/UserInterface.h"

namespace zebtest {

struct AskedMessage {
    std::string text;
    std::string caption;
    long style = 0;
};

// Answers instead of a person and notes what was asked; in place of the
// program's user interface while it exists.
class ScriptedUi : public UserInterface {
public:
    ScriptedUi() { m_previous = setUserInterface(this); }
    ~ScriptedUi() override { setUserInterface(m_previous); }

    int messageBox(wxWindow*, const wxString& text, const wxString& caption, long style) override {
        messages.push_back({text.utf8_string(), caption.utf8_string(), style});
        if (answers.empty()) {
            return answer;
        }
        const int next = answers.front();
        answers.pop_front();
        return next;
    }
    bool chooseFiles(wxWindow*, const wxString& title, const wxString& wildcard,
                     const wxString& /*acceptLabel*/, ChosenFiles& chosen) override {
        chooserTitle = title.utf8_string();
        chooserWildcard = wildcard.utf8_string();
        chosen = files;
        return !files.paths.empty();
    }
    // Notes the title, then ends as `onModal` says (Cancel when not set).
    int showModal(wxDialog& dialog) override {
        dialogTitles.push_back(dialog.GetTitle().utf8_string());
        return onModal ? onModal(dialog) : wxID_CANCEL;
    }
    bool showHelp(wxWindow*, const wxString& book, const wxString& topic) override {
        helpRequests.push_back(book.utf8_string() + " @ " + topic.utf8_string());
        return helpOpens;
    }
    bool launchAndWait(wxWindow*, const std::string& path) override {
        launched.push_back(path);
        return onLaunch ? onLaunch(path) : true;
    }
    // Notes the content type and answers `chosenApplication`.
    std::string chooseApplication(wxWindow*, const std::string& contentType) override {
        chooserTypes.push_back(contentType);
        return chosenApplication;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const AskedMessage& m : messages) {
            out.push_back(m.text);
        }
        return out;
    }

    std::deque<int> answers;  // then `answer`
    int answer = wxOK;
    std::vector<AskedMessage> messages;
    ChosenFiles files;
    std::string chooserTitle;
    std::string chooserWildcard;
    std::vector<std::string> dialogTitles;
    std::function<int(wxDialog&)> onModal;
    std::vector<std::string> helpRequests;
    bool helpOpens = true;
    std::vector<std::string> launched;
    std::function<bool(const std::string&)> onLaunch;
    std::vector<std::string> chooserTypes;
    std::string chosenApplication;

private:
    UserInterface* m_previous = nullptr;
};

// Chooses a command's menu item, as GTK's activation of the item does.
inline void menuCommand(MainWindow* window, int commandId) {
    wxMenu* menu = nullptr;
    ASSERT_NE(window->GetMenuBar()->FindItem(toWxId(commandId), &menu), nullptr);
    menu->SendEvent(toWxId(commandId));
}

// Clicks a command's toolbar button, as the toolbar does.
inline void toolCommand(MainWindow* window, int commandId) {
    wxToolBar* tools = window->toolbar();
    const wxToolBarToolBase* tool = tools->FindById(toWxId(commandId));
    ASSERT_NE(tool, nullptr);
    tools->OnLeftClick(toWxId(commandId), tool->CanBeToggled());
}

// Edit, Get, Open, Delete on the menu: "1" enabled, "0" greyed; a button
// whose state differs from its item's fails the test.
inline std::string versionCommandStates(MainWindow* window) {
    std::string states;
    for (int id : {kCmdEdit, kCmdGet, kCmdOpen, kCmdDelete}) {
        const bool menu = window->GetMenuBar()->IsEnabled(toWxId(id));
        EXPECT_EQ(window->toolbar()->GetToolEnabled(toWxId(id)), menu) << id;
        states += menu ? "1" : "0";
    }
    return states;
}

// Makes `program` the desktop's default application for plain text, in the
// test process's private XDG folders.
void setTextApplication(const std::string& name, const std::string& program);

// What happened, in order, as "browse 1: editAttributes" and the like.
struct Journal {
    std::vector<std::string> entries;
    int count(const std::string& entry) const {
        return static_cast<int>(std::count(entries.begin(), entries.end(), entry));
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
    // Status text at the latest command, and what else a command does.
    std::string statusDuringCommand;
    std::function<void()> duringCommand;

private:
    void note(const std::string& what) { m_journal.entries.push_back(m_name + ": " + what); }
    void act(wxWindow* main, const std::string& what) {
        note(what);
        statusDuringCommand = static_cast<MainWindow*>(main)->statusText().utf8_string();
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

// The main window made by start-up, without a repository, with recording
// panes: "browse 1", then "search 2" and so on as panes are made.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The registry's values before start-up: by default an installation
    // folder, installDir(), that does not exist, and no data source.
    virtual void writeRegistry();
    const std::string& registryPath() const { return m_registry; }
    std::string installDir() const { return m_registry + ".install"; }

    RecordingPane* pane() const { return static_cast<RecordingPane*>(window->leftPane()); }
    void menuCommand(int id) { zebtest::menuCommand(window, id); }
    void toolCommand(int id) { zebtest::toolCommand(window, id); }

    // Runs `attempt` with the window active until it reports success, at
    // most three times: the window tests of a run share one display, so
    // another test's window may take the keyboard at any time.
    bool withKeyboard(const std::function<bool()>& attempt);
    // Gives the left pane's field the focus (with the window active) and
    // runs `then`; retried as withKeyboard.
    bool fromField(const std::function<bool()>& then);

    // Marks the window as destroyed by the test itself.
    void windowGone() { m_windowGone = true; }

    Journal journal;
    ScriptedUi ui;
    MainWindow* window = nullptr;

private:
    std::string m_registry;
    int m_made = 0;
    bool m_windowGone = false;
};

// A walk over a fixed list of items, resolved through a real SelectContext
// as a pane resolves its selection: a versioned file's UID alone, or with a
// revision's UID.
class ListWalk final : public SelectionWalk {
public:
    struct Entry {
        std::string file;
        std::string revision;  // empty: the versioned file itself
    };

    explicit ListWalk(std::vector<Entry> entries) : m_entries(std::move(entries)) {}

    IZEB* firstSelected(bool dropping) override {
        m_next = 0;
        ++firstCalls;
        return nextSelected(dropping);
    }
    IZEB* nextSelected(bool dropping) override;

    SelectContext context;
    int firstCalls = 0;
    std::vector<bool> droppingSeen;

private:
    std::vector<Entry> m_entries;
    size_t m_next = 0;
};

// An empty repository on each data source, with the scripted user
// interface in place, and on request the program's main window over it.
class RepositoryTest : public BackendTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A working file below the test's folder.
    std::string workFile(const std::string& relative, const std::string& bytes);
    // Puts `path` under version control; returns the versioned file's UID.
    std::string versionFile(const std::string& path, const std::string& name = "first",
                            const std::string& note = "note");
    // A new revision of a versioned file with the working file's bytes now;
    // returns its UID.
    std::string addRevision(const std::string& fileUid, const std::string& name,
                            const std::string& note = "");
    // The versioned file's UID of a working path, or empty.
    std::string uidOf(const std::string& path);
    // UIDs of a versioned file's revisions by version number.
    std::vector<std::string> revisionsOf(const std::string& fileUid);

    // Start-up over this repository with these left panes (the program's
    // own where a maker is empty).
    void startWindow(PaneMaker browse = {}, PaneMaker search = {});

    ScriptedUi ui;
    MainWindow* window = nullptr;
};

}  // namespace zebtest

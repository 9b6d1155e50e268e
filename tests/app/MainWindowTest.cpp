// The main window after start-up: its texts, commands, pane switching and
// the routing of the panes' events.

#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/weakref.h>

#include <fstream>

#include "app/AboutBox.h"
#include "app/MainMenu.h"
#include "app/ReportView.h"
#include "app/Splitter.h"
#include "app/StringTable.h"
#include "tests/app/MainWindowFixture.h"

namespace zebtest {
namespace {

TEST_F(MainWindowTest, StartsWithoutInstallationFolderOnTheBrowsePane) {
    EXPECT_EQ(AppState::installPath(), "");
    EXPECT_EQ(AppState::archiveRoot(), "/VFS");
    EXPECT_EQ(AppState::mainWindow(), window);
    EXPECT_EQ(window->GetTitle(), "ZEBDOC");
    EXPECT_EQ(window->statusText(), "Ready");
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"browse 1: made"}));
    EXPECT_TRUE(window->isBrowsing());
    EXPECT_TRUE(window->GetMenuBar()->IsChecked(toWxId(kCmdBrowse)));
    EXPECT_FALSE(window->GetMenuBar()->IsChecked(toWxId(kCmdSearch)));
    EXPECT_TRUE(window->toolbar()->GetToolState(toWxId(kCmdBrowse)));
    EXPECT_FALSE(window->toolbar()->GetToolState(toWxId(kCmdSearch)));
    EXPECT_EQ(window->rightPane(), nullptr);
}

class MainWindowInstalledTest : public MainWindowTest {
protected:
    void writeRegistry() override {
        std::ofstream(registryPath())
            << "REGEDIT4\n\n"
               "[HKEY_LOCAL_MACHINE\\Software\\Quorvane\\ZEBDOC\\UserInfo]\n"
               "\"DestinationPath\"=\"/srv/zebdoc data\"\n";
    }
};

TEST_F(MainWindowInstalledTest, TakesTheArchiveRootFromTheInstallationFolder) {
    EXPECT_EQ(AppState::installPath(), "/srv/zebdoc data");
    EXPECT_EQ(AppState::archiveRoot(), "/srv/zebdoc data/VFS");
    // No book in that folder: the one built beside the program serves.
    EXPECT_EQ(AppState::helpBookPath(), std::string(ZEBDOC_BINARY_DIR) + "/bin/zebdoc.htb");
}

TEST_F(MainWindowTest, MenusHoldTheCommandTableTexts) {
    const std::vector<std::vector<std::string>> expected = {
        {"&File", "&Add New Version\tCtrl+A", "-", "E&xit"},
        {"&Version", "&Edit\tCtrl+E", "&Open\tCtrl+O", "&Delete\tCtrl+D", "&Get\tCtrl+G"},
        {"&View", "&Browse\tCtrl+R", "&Search\tCtrl+S"},
        {"&Help", "Contents\tF1", "-", "&About ...\tAlt+?"},
    };
    wxMenuBar* bar = window->GetMenuBar();
    ASSERT_EQ(bar->GetMenuCount(), expected.size());
    for (size_t m = 0; m < expected.size(); ++m) {
        std::vector<std::string> got = {bar->GetMenuLabel(m).utf8_string()};
        for (const wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
            got.push_back(item->IsSeparator() ? "-" : menuItemText(item).utf8_string());
            EXPECT_TRUE(item->IsEnabled());
        }
        EXPECT_EQ(got, expected[m]);
    }
}

TEST_F(MainWindowTest, ToolbarHasNineSlotsWithLabelsAndTooltips) {
    struct Slot {
        int id;
        const char* label;
        const char* tip;
    };
    const Slot expected[] = {
        {kCmdAddNewVersion, "Add", "Add a new version"},
        {-1, "", ""},
        {kCmdGet, "Get", "Get an archived version"},
        {kCmdEdit, "Edit", "Edit attributes of a version"},
        {kCmdOpen, "Open", "Open with associated application"},
        {kCmdDelete, "Delete", "Remove versioned file"},
        {-1, "", ""},
        {kCmdBrowse, "Browse", "Browse versioned files"},
        {kCmdSearch, "Search", "Find revisions"},
    };
    wxToolBar* tools = window->toolbar();
    ASSERT_EQ(tools->GetToolsCount(), 9u);
    for (size_t i = 0; i < 9; ++i) {
        const wxToolBarToolBase* tool = tools->GetToolByPos(static_cast<int>(i));
        SCOPED_TRACE(i);
        if (expected[i].id < 0) {
            EXPECT_TRUE(tool->IsSeparator());
            continue;
        }
        EXPECT_EQ(commandOf(tool->GetId()), expected[i].id);
        EXPECT_EQ(tool->GetLabel(), expected[i].label);
        EXPECT_EQ(tool->GetShortHelp(), expected[i].tip);
        EXPECT_TRUE(tool->IsEnabled());
        EXPECT_EQ(tool->GetKind(), i >= 7 ? wxITEM_RADIO : wxITEM_NORMAL);
    }
}

TEST_F(MainWindowTest, VersionCommandsRunOnTheLeftPaneWithTheirStatusTexts) {
    struct Case {
        int id;
        const char* call;
        const char* status;
    };
    const Case cases[] = {
        {kCmdEdit, "browse 1: editAttributes",
         "Edit attibutes of versioned file or revision of the file"},
        {kCmdOpen, "browse 1: openRevisions",
         "Open a revision of a file with its associated application."},
        {kCmdDelete, "browse 1: deleteItems", "Remove a versioned file or a revision of a file."},
        {kCmdGet, "browse 1: restoreRevisions", "Recover a previously archived revision"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        for (int through = 0; through < 2; ++through) {
            if (through == 0) {
                menuCommand(c.id);
            } else {
                toolCommand(c.id);
            }
            EXPECT_EQ(journal.entries.back(), c.call);
            EXPECT_EQ(pane()->statusDuringCommand, c.status);
            EXPECT_EQ(window->statusText(), "Ready");
        }
        EXPECT_EQ(journal.count(c.call), 2);
    }
}

TEST_F(MainWindowTest, AddNewVersionRunsItsProcedureWithItsStatusText) {
    std::string status;
    wxWindow* given = nullptr;
    window->setAddNewVersionProcedure([&](wxWindow* main) {
        given = main;
        status = window->statusText().utf8_string();
    });
    toolCommand(kCmdAddNewVersion);
    EXPECT_EQ(given, window);
    EXPECT_EQ(status, "Add files to version control");
    EXPECT_EQ(window->statusText(), "Ready");
}

TEST_F(MainWindowTest, SearchAndBrowseReplaceTheLeftPaneAndMoveTheChecks) {
    wxMenuBar* bar = window->GetMenuBar();
    wxToolBar* tools = window->toolbar();
    auto* view = new ReportView(window, nullptr);
    window->setRightPane(view);

    menuCommand(kCmdSearch);
    // The right pane stays until the new left pane replaces it.
    EXPECT_EQ(window->rightPane(), view);
    EXPECT_EQ(journal.entries,
              (std::vector<std::string>{"browse 1: made", "browse 1: deleted", "search 2: made"}));
    EXPECT_FALSE(window->isBrowsing());
    EXPECT_FALSE(bar->IsChecked(toWxId(kCmdBrowse)));
    EXPECT_TRUE(bar->IsChecked(toWxId(kCmdSearch)));
    EXPECT_FALSE(tools->GetToolState(toWxId(kCmdBrowse)));
    EXPECT_TRUE(tools->GetToolState(toWxId(kCmdSearch)));

    toolCommand(kCmdBrowse);
    EXPECT_EQ(journal.entries.back(), "browse 3: made");
    EXPECT_TRUE(bar->IsChecked(toWxId(kCmdBrowse)));
    EXPECT_FALSE(bar->IsChecked(toWxId(kCmdSearch)));
    EXPECT_TRUE(tools->GetToolState(toWxId(kCmdBrowse)));
    EXPECT_FALSE(tools->GetToolState(toWxId(kCmdSearch)));

    // Browse again builds a new pane again.
    menuCommand(kCmdBrowse);
    EXPECT_EQ(journal.entries.back(), "browse 4: made");
    EXPECT_EQ(journal.count("browse 3: deleted"), 1);
    EXPECT_TRUE(bar->IsChecked(toWxId(kCmdBrowse)));
    EXPECT_TRUE(tools->GetToolState(toWxId(kCmdBrowse)));
}

TEST_F(MainWindowTest, ContentsShowsTheOverviewOfTheHelpBook) {
    menuCommand(kCmdContents);
    ASSERT_EQ(ui.helpRequests.size(), 1u);
    EXPECT_EQ(ui.helpRequests[0],
              std::string(ZEBDOC_BINARY_DIR) + "/bin/zebdoc.htb @ zebdoc_overview.htm");
}

TEST_F(MainWindowTest, AboutShowsIconVersionAndNotices) {
    bool hasIcon = false;
    bool hasOk = false;
    ui.duringModal = [&](wxDialog& dialog) {
        for (wxWindow* child : dialog.GetChildren()) {
            auto* icon = dynamic_cast<wxStaticBitmap*>(child);
            hasIcon = hasIcon || (icon && icon->GetBitmap().IsOk());
            hasOk = hasOk || child->GetId() == wxID_OK;
        }
    };
    menuCommand(kCmdAbout);
    ASSERT_EQ(ui.dialogTitles, (std::vector<std::string>{"About"}));
    EXPECT_EQ(ui.dialogTexts[0], std::string("ZEBDOC Version 1.0\n") + AboutBox::kNoticeLines[0] +
                                     "\n" + AboutBox::kNoticeLines[1] + "\n");
    EXPECT_TRUE(hasIcon);
    EXPECT_TRUE(hasOk);
}

TEST_F(MainWindowTest, ExitDestroysTheWindow) {
    wxWeakRef<wxWindow> ref(window);
    menuCommand(kCmdExit);
    windowGone();
    EXPECT_TRUE(pumpUntil([&] { return ref.get() == nullptr; }));
    EXPECT_EQ(AppState::mainWindow(), nullptr);
    EXPECT_EQ(journal.entries.back(), "browse 1: deleted");
}

TEST_F(MainWindowTest, FocusComesBackAfterEveryCommandButDelete) {
    DisplayInputLock inputLock;
    wxTextCtrl* field = pane()->field();
    auto* elsewhere = new wxTextCtrl(window, wxID_ANY, "", wxPoint(500, 200), wxSize(80, -1));
    pane()->focusDuringCommand = elsewhere;
    window->setAddNewVersionProcedure([&](wxWindow*) { elsewhere->SetFocus(); });
    ui.duringModal = [&](wxDialog&) { elsewhere->SetFocus(); };
    for (int id : {kCmdAddNewVersion, kCmdEdit, kCmdOpen, kCmdGet, kCmdAbout, kCmdDelete}) {
        SCOPED_TRACE(id);
        wxWindow* expected = id == kCmdDelete ? elsewhere : field;
        EXPECT_TRUE(withKeyboard([&] {
            field->SetFocus();
            if (!pumpUntil([&] { return wxWindow::FindFocus() == field; }, 1000)) {
                return false;
            }
            menuCommand(id);
            return pumpUntil([&] { return wxWindow::FindFocus() == expected; }, 500) &&
                   window->IsActive();
        }));
    }
}

}  // namespace
}  // namespace zebtest

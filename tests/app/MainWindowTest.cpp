// The main window after start-up: its menus and toolbar, the commands with
// their status texts and keys, pane switching, About, Exit and the focus.

#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <map>

#include "app/window/MainMenu.h"
#include "app/window/StringTable.h"
#include "core/DatabaseInstance.h"
#include "tests/app/AppTestSupport.h"
#include "ui/ReportView.h"

namespace zebtest {
namespace {

// "browse" or "search" as the View menu's checks and the radio buttons
// show it; they must agree with each other and with the window.
std::string shownPane(MainWindow* window) {
    const bool browse = window->GetMenuBar()->IsChecked(toWxId(kCmdBrowse));
    EXPECT_NE(window->GetMenuBar()->IsChecked(toWxId(kCmdSearch)), browse);
    EXPECT_EQ(window->toolbar()->GetToolState(toWxId(kCmdBrowse)), browse);
    EXPECT_EQ(window->toolbar()->GetToolState(toWxId(kCmdSearch)), !browse);
    EXPECT_EQ(window->isBrowsing(), browse);
    return browse ? "browse" : "search";
}

// Clicks a toolbar button through the toolkit, as a person's click does
// (toolCommand goes round it).
void clickTool(MainWindow* window, int commandId) {
    wxToolBar* tools = window->toolbar();
    GtkWidget* bar = tools->GetHandle();
    if (GTK_IS_BIN(bar)) {
        bar = gtk_bin_get_child(GTK_BIN(bar));  // the toolbar in its event box
    }
    ASSERT_TRUE(GTK_IS_TOOLBAR(bar));
    GtkToolItem* item =
        gtk_toolbar_get_nth_item(GTK_TOOLBAR(bar), tools->GetToolPos(toWxId(commandId)));
    ASSERT_NE(item, nullptr);
    gtk_button_clicked(GTK_BUTTON(gtk_bin_get_child(GTK_BIN(item))));
}

TEST_F(MainWindowTest, StartsOnABrowsePaneWhichSearchAndBrowseReplaceUntilExit) {
    EXPECT_EQ(AppState::installPath(), installDir());
    EXPECT_EQ(AppState::archiveRoot(), installDir() + "/VFS");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(AppState::mainWindow(), window);
    EXPECT_EQ(window->GetTitle(), "ZEBDOC");
    EXPECT_EQ(window->statusText(), "Ready");
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"browse 1: made"}));
    EXPECT_EQ(shownPane(window), "browse");
    EXPECT_EQ(window->rightPane(), nullptr);

    auto* view = new ReportView(window, nullptr);
    window->setRightPane(view);
    menuCommand(kCmdSearch);
    // The right pane stays until the new left pane replaces it.
    EXPECT_EQ(window->rightPane(), view);
    EXPECT_EQ(journal.entries,
              (std::vector<std::string>{"browse 1: made", "browse 1: deleted", "search 2: made"}));
    EXPECT_EQ(shownPane(window), "search");
    toolCommand(kCmdBrowse);
    EXPECT_EQ(journal.entries.back(), "browse 3: made");
    EXPECT_EQ(shownPane(window), "browse");
    // Browse clicked while its button is down builds a new pane again.
    clickTool(window, kCmdBrowse);
    EXPECT_EQ(journal.count("browse 3: deleted"), 1);
    EXPECT_EQ(journal.entries.back(), "browse 4: made");
    EXPECT_EQ(shownPane(window), "browse");

    // Exit destroys the window.
    wxWeakRef<wxWindow> ref(window);
    menuCommand(kCmdExit);
    windowGone();
    EXPECT_TRUE(pumpUntil([&] { return ref.get() == nullptr; }));
    EXPECT_EQ(AppState::mainWindow(), nullptr);
    EXPECT_EQ(journal.entries.back(), "browse 4: deleted");
}

// No registry values: no archive root. One message says why and names the
// setup program; what needs the archive stays greyed, and does nothing
// when it comes past the greyed item, for the whole run.
class NotSetUpTest : public MainWindowTest {
protected:
    void writeRegistry() override {}
};

TEST_F(NotSetUpTest, SaysSoOnceAndKeepsTheVersionCommandsAndSearchOff) {
    EXPECT_EQ(AppState::archiveRoot(), "");
    EXPECT_FALSE(AppState::setUpProblem().empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find(AppState::setUpProblem()), std::string::npos);
    EXPECT_NE(ui.messages[0].text.find("the setup program, install"), std::string::npos);
    EXPECT_EQ(ui.messages[0].caption, "ZEBDOC");
    const std::string notSetUp = "Not set up: run the setup program, install";
    EXPECT_EQ(window->statusText(), notSetUp);

    int added = 0;
    window->setAddNewVersionProcedure([&](wxWindow*) { ++added; });
    pane()->selectContext()->setCommandState(window, SelectContext::kRevision);
    for (int id : {kCmdAddNewVersion, kCmdEdit, kCmdOpen, kCmdDelete, kCmdGet, kCmdSearch}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(window->GetMenuBar()->IsEnabled(toWxId(id)));
        EXPECT_FALSE(window->toolbar()->GetToolEnabled(toWxId(id)));
        wxCommandEvent command(wxEVT_MENU, toWxId(id));
        window->ProcessWindowEvent(command);
    }
    EXPECT_EQ(added, 0);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"browse 1: made"}));
    // Browse still makes a new tree; the status bar keeps saying it, and
    // a database without a data source adds nothing to it.
    menuCommand(kCmdBrowse);
    EXPECT_EQ(journal.entries.back(), "browse 2: made");
    DatabaseInstance::instance()->executeQuery("SELECT 1");
    EXPECT_LT(DatabaseInstance::instance()->lastReturnCode(), 0);
    pumpFor(50);
    EXPECT_EQ(window->statusText(), notSetUp);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(MainWindowTest, MenusShowTheShortcutsAndEveryCommandHasItsItem) {
    std::map<int, std::string> shown;
    wxMenuBar* bar = window->GetMenuBar();
    for (size_t m = 0; m < bar->GetMenuCount(); ++m) {
        for (const wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
            shown[commandOf(item->GetId())] = menuItemText(item).utf8_string();
        }
    }
    // Every command and the separators (command 0).
    EXPECT_EQ(shown.size(), std::size(kAllCommands) + 1);
    // The toolkit's own label shows the shortcuts, not bound there: a
    // letter, a named key, a punctuation key.
    EXPECT_EQ(shown[kCmdEdit], "&Edit\tCtrl+E");
    EXPECT_EQ(shown[kCmdContents], "Contents\tF1");
    EXPECT_EQ(shown[kCmdAbout], "&About ...\tAlt+?");
    EXPECT_EQ(shown[kCmdExit], "E&xit");
    // The toolbar: the version commands between two separators, then the
    // two pane buttons.
    wxToolBar* tools = window->toolbar();
    ASSERT_EQ(tools->GetToolsCount(), 9u);
    EXPECT_TRUE(tools->GetToolByPos(1)->IsSeparator() && tools->GetToolByPos(6)->IsSeparator());
    EXPECT_EQ(tools->GetToolPos(toWxId(kCmdGet)), 2);
    EXPECT_EQ(tools->GetToolPos(toWxId(kCmdBrowse)), 7);
    const wxToolBarToolBase* get = tools->FindById(toWxId(kCmdGet));
    EXPECT_EQ(get->GetLabel() + ": " + get->GetShortHelp(), "Get: Get an archived version");
}

TEST_F(MainWindowTest, CommandsRunOnTheLeftPaneWithTheirStatusTexts) {
    window->setAddNewVersionProcedure([&](wxWindow* main) {
        EXPECT_EQ(main, window);
        journal.entries.push_back("add");
        pane()->statusDuringCommand = window->statusText().utf8_string();
    });
    struct Case {
        int id;
        const char* call;
        int status;
    };
    const Case cases[] = {
        {kCmdAddNewVersion, "add", strings::kStatusAdd},
        {kCmdEdit, "browse 1: editAttributes", strings::kStatusEdit},
        {kCmdOpen, "browse 1: openRevisions", strings::kStatusOpen},
        {kCmdDelete, "browse 1: deleteItems", strings::kStatusDelete},
        {kCmdGet, "browse 1: restoreRevisions", strings::kStatusGet},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        menuCommand(c.id);
        EXPECT_EQ(journal.entries.back(), c.call);
        EXPECT_EQ(pane()->statusDuringCommand, strings::text(c.status));
        EXPECT_EQ(window->statusText(), "Ready");
        toolCommand(c.id);
        EXPECT_EQ(journal.count(c.call), 2);
    }
    EXPECT_EQ(pane()->statusDuringCommand, "Recover a previously archived revision");
    menuCommand(kCmdEdit);
    // The program's own spelling.
    EXPECT_EQ(pane()->statusDuringCommand,
              "Edit attibutes of versioned file or revision of the file");
}

TEST_F(MainWindowTest, AboutShowsIconVersionAndNotices) {
    std::vector<std::string> texts;
    bool hasIcon = false;
    bool hasOk = false;
    ui.onModal = [&](wxDialog& dialog) {
        for (wxWindow* child : dialog.GetChildren()) {
            auto* icon = dynamic_cast<wxStaticBitmap*>(child);
            hasIcon = hasIcon || (icon && icon->GetBitmap().IsOk());
            hasOk = hasOk || child->GetId() == wxID_OK;
            if (auto* text = dynamic_cast<wxStaticText*>(child)) {
                texts.push_back(text->GetLabel().utf8_string());
            }
        }
        return wxID_OK;
    };
    menuCommand(kCmdAbout);
    EXPECT_EQ(ui.dialogTitles, (std::vector<std::string>{"About"}));
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "ZEBDOC Version 1.0");
    EXPECT_TRUE(hasIcon);
    EXPECT_TRUE(hasOk);
}

TEST_F(MainWindowTest, FocusComesBackAfterEveryCommandButDeleteOrGoesToANewPane) {
    DisplayInputLock inputLock;
    wxTextCtrl* field = pane()->field();
    auto* elsewhere = new wxTextCtrl(window, wxID_ANY, "", wxPoint(500, 200), wxSize(80, -1));
    pane()->duringCommand = [&] { elsewhere->SetFocus(); };
    window->setAddNewVersionProcedure([&](wxWindow*) { elsewhere->SetFocus(); });
    ui.onModal = [&](wxDialog&) {
        elsewhere->SetFocus();
        return wxID_OK;
    };
    for (int id : {kCmdAddNewVersion, kCmdEdit, kCmdOpen, kCmdGet, kCmdAbout, kCmdDelete}) {
        SCOPED_TRACE(id);
        wxWindow* expected = id == kCmdDelete ? elsewhere : field;
        EXPECT_TRUE(fromField([&] {
            menuCommand(id);
            return pumpUntil([&] { return wxWindow::FindFocus() == expected; }, 500) &&
                   window->IsActive();
        }));
    }
    // A command that shows the focused list anew: the keys go to the new
    // list.
    const auto inList = [&] {
        const wxWindow* focus = wxWindow::FindFocus();
        const wxWindow* list = window->rightPane()->getWindow();
        return focus && (focus == list || focus->GetParent() == list);
    };
    window->setRightPane(new ReportView(window, nullptr));
    pane()->duringCommand = [&] { window->setRightPane(new ReportView(window, nullptr)); };
    EXPECT_TRUE(withKeyboard([&] {
        window->rightPane()->getWindow()->SetFocus();
        if (!pumpUntil(inList, 500)) {
            return false;
        }
        menuCommand(kCmdEdit);
        return pumpUntil(inList, 500);
    }));
    // A command that replaces the left pane, the focused field with it:
    // the keys go to the new pane.
    pane()->duringCommand = nullptr;
    window->setAddNewVersionProcedure([&](wxWindow*) { window->browse(); });
    for (int id : {kCmdBrowse, kCmdSearch, kCmdAddNewVersion}) {
        SCOPED_TRACE(id);
        EXPECT_TRUE(fromField([&] {
            menuCommand(id);
            return pumpUntil([&] { return wxWindow::FindFocus() == pane()->field(); }, 500);
        }));
    }
}

TEST(MainMenu, TheCommandTableHoldsExceptForATextFieldsEditingKeys) {
    struct Case {
        int key;
        int modifiers;
        bool inTextField;
        int command;
    };
    const Case cases[] = {
        {'A', wxMOD_CONTROL, false, kCmdAddNewVersion},
        {'A', wxMOD_CONTROL, true, 0},
        {'E', wxMOD_CONTROL, true, kCmdEdit},
        {'R', wxMOD_CONTROL, false, kCmdBrowse},
        {'A', wxMOD_CONTROL | wxMOD_SHIFT, false, 0},
        {'/', wxMOD_ALT | wxMOD_SHIFT, true, kCmdAbout},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(commandForKey(c.key, c.modifiers, c.inTextField), c.command)
            << char(c.key) << " " << c.modifiers << " " << c.inTextField;
    }
}

// The keys, typed for real.
TEST_F(MainWindowTest, KeysRunTheirCommandsUnlessGreyedOrATextFieldsOwn) {
    DisplayInputLock inputLock;
    int added = 0;
    window->setAddNewVersionProcedure([&](wxWindow*) { ++added; });
    auto* button = new wxButton(window, wxID_ANY, "Elsewhere", wxPoint(500, 200));
    const auto press = [&](int key, int modifiers, const std::function<bool()>& happened) {
        return withKeyboard([&] {
            wxUIActionSimulator keys;
            keys.Char(key, modifiers);
            return pumpUntil(happened, 1500);
        });
    };
    const auto ran = [&](const std::string& call) {
        return [this, call] { return journal.count(call) == 1; };
    };

    // In a text field Ctrl+A selects the text and adds nothing.
    wxTextCtrl* field = pane()->field();
    field->ChangeValue("Meeting");
    EXPECT_TRUE(fromField([&] {
        // Focusing an entry may select its text, now or a little later.
        long from = 0, to = 0;
        pumpFor(100);
        field->SetInsertionPointEnd();
        pumpFor(50);
        field->GetSelection(&from, &to);
        const bool unselected = from == to;
        wxUIActionSimulator keys;
        keys.Char('a', wxMOD_CONTROL);
        return unselected && pumpUntil(
                                 [&] {
                                     field->GetSelection(&from, &to);
                                     return from == 0 && to == 7;
                                 },
                                 1500);
    }));
    pumpFor(100);
    EXPECT_EQ(added, 0);

    // Elsewhere the command table holds.
    EXPECT_TRUE(withKeyboard([&] {
        button->SetFocus();
        return pumpUntil([&] { return wxWindow::FindFocus() == button; }, 1000);
    }));
    EXPECT_TRUE(press('a', wxMOD_CONTROL, [&] { return added == 1; }));
    // A greyed command's key does nothing: Get and Open are greyed for a
    // versioned file.
    pane()->selectContext()->setCommandState(window, SelectContext::kVersionedFile);
    EXPECT_TRUE(withKeyboard([&] {
        wxUIActionSimulator keys;
        keys.Char('g', wxMOD_CONTROL);
        keys.Char('e', wxMOD_CONTROL);
        return pumpUntil(ran("browse 1: editAttributes"), 1500);
    }));
    EXPECT_EQ(journal.count("browse 1: restoreRevisions"), 0);
    pane()->selectContext()->setCommandState(window, SelectContext::kRevision);
    EXPECT_TRUE(press('g', wxMOD_CONTROL, ran("browse 1: restoreRevisions")));
    EXPECT_TRUE(press('o', wxMOD_CONTROL, ran("browse 1: openRevisions")));
    EXPECT_TRUE(press('d', wxMOD_CONTROL, ran("browse 1: deleteItems")));
    // Ctrl+R, which the Browse item shows; the new pane has the keys
    // without a click.
    EXPECT_TRUE(press('r', wxMOD_CONTROL, ran("browse 2: made")));
    EXPECT_EQ(wxWindow::FindFocus(), pane()->field());
    EXPECT_TRUE(press('s', wxMOD_CONTROL, ran("search 3: made")));
    EXPECT_TRUE(press('b', wxMOD_CONTROL, ran("browse 4: made")));
    EXPECT_TRUE(press(WXK_F1, wxMOD_NONE, [&] { return ui.helpRequests.size() == 1; }));
    EXPECT_TRUE(press('/', wxMOD_ALT, [&] { return ui.dialogTitles.size() == 1; }));
    // Alt+? : on a US layout "?" is Shift and "/".
    EXPECT_TRUE(press('/', wxMOD_ALT | wxMOD_SHIFT, [&] { return ui.dialogTitles.size() == 2; }));
}

}  // namespace
}  // namespace zebtest

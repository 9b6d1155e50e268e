// The real wizard on the display: its pages are clicked through with the
// pointer and the keyboard, as a person would.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cctype>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/Registry.h"
#include "platform/RegistryStore.h"
#include "setup/gui/DesktopSetup.h"
#include "setup/gui/PageDialog.h"
#include "setup/model/SetupStrings.h"
#include "tests/support/BackendTest.h"
#include "tests/support/DisplayInputLock.h"
#include "ui/UserInterface.h"

using namespace setup;

namespace {

using zebtest::DisplayInputLock;

// The desktop's choosers and message boxes are native dialogs: a scripted
// person answers them.
class ScriptedInterface : public UserInterface {
public:
    int messageBox(wxWindow*, const wxString& text, const wxString&, long) override {
        messages.push_back(text.utf8_string());
        return wxOK;
    }
    bool chooseFiles(wxWindow*, const wxString&, const wxString&, const wxString&,
                     ChosenFiles&) override {
        return false;
    }
    bool chooseFolder(wxWindow*, const wxString& title, std::string& chosen) override {
        titles.push_back(title.utf8_string());
        chosen = folder;
        return true;
    }
    int showModal(wxDialog& dialog) override { return dialog.ShowModal(); }
    bool showHelp(wxWindow*, const wxString&, const wxString&) override { return false; }
    bool launchAndWait(wxWindow*, const std::string&) override { return false; }
    std::string chooseApplication(wxWindow*, const std::string&) override { return ""; }

    std::string folder;
    std::vector<std::string> messages;
    std::vector<std::string> titles;
};

// One step on a page: when `ready` holds for the page shown, `act` clicks
// or types. A step for a new page waits for a dialog it has not acted on.
struct Step {
    int page;
    bool samePage;
    std::function<bool(PageDialog&)> ready;
    std::function<void(PageDialog&)> act;
};

class Driver : public wxTimer {
public:
    explicit Driver(std::vector<Step> steps) : m_steps(std::move(steps)) {
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        Start(40);
    }
    void Notify() override {
        PageDialog* dialog = PageDialog::current();
        if (std::chrono::steady_clock::now() > m_deadline) {
            ADD_FAILURE() << "the wizard did not get past step " << m_next;
            Stop();
            if (dialog != nullptr && dialog->IsModal()) {
                dialog->EndModal(-1);
            }
            return;
        }
        if (dialog == nullptr || !dialog->IsShown() || m_next >= m_steps.size()) {
            return;
        }
        const Step& step = m_steps[m_next];
        if (dialog->templateId() != step.page ||
            (step.samePage ? dialog->serial() != m_lastSerial : dialog->serial() == m_lastSerial) ||
            (step.ready && !step.ready(*dialog))) {
            return;
        }
        m_lastSerial = dialog->serial();
        ++m_next;
        step.act(*dialog);
    }
    bool done() const { return m_next == m_steps.size(); }

private:
    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_lastSerial = -1;
    std::chrono::steady_clock::time_point m_deadline;
};

void click(PageDialog& dialog, int button) {
    wxWindow* target = dialog.control(button);
    ASSERT_NE(target, nullptr) << button;
    wxUIActionSimulator pointer;
    pointer.MouseMove(target->GetScreenRect().GetPosition() + target->GetSize() / 2);
    pointer.MouseClick();
}

void type(PageDialog& dialog, int field, const std::string& text) {
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.control(field));
    ASSERT_NE(edit, nullptr) << field;
    // Without a window manager the keyboard follows the pointer.
    wxUIActionSimulator input;
    input.MouseMove(edit->GetScreenRect().GetPosition() + edit->GetSize() / 2);
    input.MouseClick();
    edit->SetFocus();
    edit->SelectAll();
    input.Text(text.c_str());
}

std::string textOf(PageDialog& dialog, int id) {
    wxWindow* control = dialog.control(id);
    if (auto* edit = dynamic_cast<wxTextCtrl*>(control)) {
        return edit->GetValue().utf8_string();
    }
    if (auto* label = dynamic_cast<wxStaticText*>(control)) {
        return label->GetLabel().utf8_string();
    }
    return "";
}

class WizardWindowTest : public zebtest::BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        m_previous = setUserInterface(&m_interface);
        m_frame = new wxFrame(nullptr, wxID_ANY, kMainWindowTitle);
        m_frame->Show();
        m_person = std::make_unique<DesktopSetupPerson>(m_frame);
        m_context.person = m_person.get();
        m_context.places = Places::make(Places::Scope::User, workDir() + "/home",
                                        workDir() + "/data", workDir() + "/config", "");
        m_context.odbcInstaller = "libodbcinst.so.2";
        m_context.programPath = workDir() + "/install";
    }
    void TearDown() override {
        m_person.reset();
        if (m_frame != nullptr) {
            m_frame->Destroy();
            wxTheApp->ProcessPendingEvents();
        }
        setUserInterface(m_previous);
        BackendTest::TearDown();
    }

    bool run(std::vector<Step> steps) {
        DisplayInputLock lock;
        Driver driver(std::move(steps));
        DialogPageHost host(m_frame);
        const bool finished = runWizard(m_context, host);
        driver.Stop();
        EXPECT_TRUE(driver.done()) << "not every step was taken";
        return finished;
    }

    ScriptedInterface m_interface;
    UserInterface* m_previous = nullptr;
    wxFrame* m_frame = nullptr;
    std::unique_ptr<DesktopSetupPerson> m_person;
    SetupContext m_context;
};

// Next, Back, typing, the driver's fields appearing, Browse and Finish.
TEST_P(WizardWindowTest, ClickingThroughTheInstallPages) {
    const std::string database = workDir() + "/zebdoc.db";
    const std::string dsn = dataSourceName() + "_wizard";
    std::string seenName = "?";
    bool databaseFieldHiddenFirst = false;
    std::string offeredDatabase;
    std::string destinationShown;
    auto onPage = [](int page, std::function<void(PageDialog&)> act) {
        return Step{page, false, nullptr, std::move(act)};
    };
    const bool finished = run({
        onPage(kPageWelcome,
               [](PageDialog& d) {
                   EXPECT_EQ(d.GetTitle(), "Welcome to ZEBDOC Setup");
                   click(d, kWelcomeNext);
               }),
        onPage(kPageUserInfo,
               [](PageDialog& d) {
                   type(d, kUserName, "Unsaved");
                   click(d, kUserInfoBack);
               }),
        onPage(kPageWelcome, [](PageDialog& d) { click(d, kWelcomeNext); }),
        onPage(kPageUserInfo,
               [&](PageDialog& d) {
                   seenName = textOf(d, kUserName);
                   type(d, kUserName, "Jo");
               }),
        Step{kPageUserInfo, true, [](PageDialog& d) { return textOf(d, kUserName) == "Jo"; },
             [](PageDialog& d) { click(d, kUserInfoNext); }},
        onPage(kPageDataSource,
               [&](PageDialog& d) {
                   databaseFieldHiddenFirst = !d.control(kDatabaseFile)->IsShown();
                   auto* driver = dynamic_cast<wxComboBox*>(d.control(kDriver));
                   ASSERT_NE(driver, nullptr);
                   driver->SetValue("SQLite3");  // as if chosen from the list
                   offeredDatabase = textOf(d, kDatabaseFile);
                   dynamic_cast<wxTextCtrl*>(d.control(kDatabaseFile))->SetValue(database);
                   dynamic_cast<wxTextCtrl*>(d.control(kDataSourceName))->SetValue(dsn);
                   EXPECT_TRUE(d.control(kDatabaseFile)->IsShown());
                   EXPECT_FALSE(d.control(kServer)->IsShown());
                   click(d, kDataSourceNext);
               }),
        onPage(kPageDestination,
               [&](PageDialog& d) {
                   destinationShown = textOf(d, kDestinationFolder);
                   m_interface.folder = "/srv/apps/";
                   click(d, kDestinationBrowse);
               }),
        Step{kPageDestination, true,
             [](PageDialog& d) { return textOf(d, kDestinationFolder) == "/srv/apps/ZEBDOC"; },
             [](PageDialog& d) { click(d, kDestinationFinish); }},
    });
    EXPECT_TRUE(finished);
    EXPECT_EQ(seenName, "") << "Back kept no unsaved edit";
    EXPECT_TRUE(databaseFieldHiddenFirst);
    EXPECT_EQ(offeredDatabase, workDir() + "/data/zebdoc/zebdoc.db");
    EXPECT_EQ(destinationShown, workDir() + "/data/zebdoc");
    EXPECT_EQ(m_context.state.userName, "Jo");
    EXPECT_EQ(m_context.state.destinationPath, "/srv/apps/ZEBDOC");
    EXPECT_EQ(m_interface.titles, std::vector<std::string>{"Select Installation Directory"});
    EXPECT_TRUE(m_interface.messages.empty());
    std::string registered;
    zeb::platform::RegistryStore::getString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN",
                                            registered);
    EXPECT_EQ(registered, dsn);
    EXPECT_TRUE(rawExec("SELECT * FROM FILETABLE WHERE 1 = 0"));
}

// Escape on the uninstall page is its Exit; Continue ends it with Next.
TEST_P(WizardWindowTest, UninstallPageWithEscapeAndWithContinue) {
    m_context.state.installMode = InstallMode::Uninstall;
    EXPECT_FALSE(run({Step{kPageUninstall, false, nullptr, [](PageDialog& d) {
                               EXPECT_EQ(d.GetTitle(), "Uninstall ZEBDOC");
                               d.control(kUninstallContinue)->SetFocus();
                               wxUIActionSimulator keys;
                               keys.Char(WXK_ESCAPE);
                           }}}));
    EXPECT_TRUE(run({Step{kPageUninstall, false, nullptr,
                          [](PageDialog& d) { click(d, kUninstallContinue); }}}));
}

INSTANTIATE_TEST_SUITE_P(SQLite, WizardWindowTest, ::testing::Values(zebtest::Backend::SQLite),
                         [](const auto&) { return std::string("SQLite"); });

}  // namespace

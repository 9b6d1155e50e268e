// The wizard's frame: the mode from the command line, the page table, the
// runner's Next/Back/Cancel rule and the decisions of the Welcome, User
// information, Destination and Uninstall pages.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Registry.h"
#include "platform/RegistryStore.h"
#include "setup/model/Pages.h"
#include "setup/model/SetupStrings.h"
#include "tests/setup/SetupTestSupport.h"
#include "tests/support/BackendTest.h"

using namespace setup;
using zebtest::PageStep;
using zebtest::pressOn;

namespace {

TEST(InstallMode, OnlyTheExactCommandLineUninstallUninstalls) {
    const struct {
        std::vector<const char*> argv;
        InstallMode mode;
    } cases[] = {
        {{"install", "uninstall"}, InstallMode::Uninstall},
        {{"install"}, InstallMode::Install},
        {{"install", "Uninstall"}, InstallMode::Install},
        {{"install", "uninstall "}, InstallMode::Install},
        {{"install", " uninstall"}, InstallMode::Install},
        {{"install", "uninstall", "now"}, InstallMode::Install},
        {{"install", "UNINSTALL"}, InstallMode::Install},
        {{"install", ""}, InstallMode::Install},
    };
    for (const auto& c : cases) {
        const std::string line = commandLineOf(static_cast<int>(c.argv.size()), c.argv.data());
        EXPECT_EQ(installModeFrom(line), c.mode) << "\"" << line << "\"";
    }
}

TEST(PageTable, FourInstallPagesOrOneUninstallPageWithTheirEndCodes) {
    struct Row {
        int page, next, cancel, back;
        bool operator==(const Row& o) const {
            return page == o.page && next == o.next && cancel == o.cancel && back == o.back;
        }
    };
    auto rows = [](InstallMode mode) {
        std::vector<Row> out;
        for (const PageEntry& e : pageTable(mode)) {
            out.push_back({e.templateId, e.nextCode, e.cancelCode, e.backCode});
        }
        return out;
    };
    EXPECT_TRUE(rows(InstallMode::Install) == (std::vector<Row>{{102, 101, -1, -1},
                                                                {106, 1004, -1, 1003},
                                                                {112, 1015, -1, 1014},
                                                                {107, 1008, -1, 1007}}));
    EXPECT_TRUE(rows(InstallMode::Uninstall) == (std::vector<Row>{{109, 1011, -1, -1}}));
    // Every page has a template, and every button of a template is one its
    // page knows.
    for (InstallMode mode : {InstallMode::Install, InstallMode::Uninstall}) {
        for (const PageEntry& e : pageTable(mode)) {
            ASSERT_NE(pageTemplate(e.templateId), nullptr) << e.templateId;
        }
    }
}

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The data-source page lists the drivers of a private configuration.
        m_env.set("ODBCSYSINI", m_dir.path());
        m_env.set("ODBCINI", m_dir.path() + "/odbc.ini");
        zebtest::writeFile(m_dir.path() + "/odbcinst.ini", "");
        m_context.person = &m_person;
        m_context.places = Places::make(Places::Scope::User, m_dir.path() + "/home",
                                        m_dir.path() + "/data", m_dir.path() + "/config", "");
        m_context.odbcInstaller = "libodbcinst.so.2";
    }

    bool run(std::vector<PageStep> steps, std::vector<int> expectedPages) {
        zebtest::ScriptedHost host(std::move(steps));
        const bool finished = runWizard(m_context, host);
        EXPECT_EQ(host.shown, expectedPages);
        EXPECT_TRUE(host.finished()) << "not every scripted step was used";
        return finished;
    }

    zebtest::TempDir m_dir;
    zebtest::EnvGuard m_env;
    zebtest::ScriptedPerson m_person;
    SetupContext m_context;
};

// Every path through the install pages: Next goes on, Back goes to the page
// before, Cancel (and any code a page does not name) ends the wizard.
TEST_F(WizardTest, NextBackAndCancelOnEveryPage) {
    auto next = [](int page) {
        switch (page) {
            case kPageWelcome:
                return pressOn(page, kWelcomeNext);
            case kPageUserInfo:
                return pressOn(page, kUserInfoNext);
            case kPageDestination:
                return pressOn(page, kDestinationFinish);
            default:  // the data source: its decisions have tests of their own
                return PageStep{page, [](Page&, PageFields&) { return int(kDataSourceNext); }};
        }
    };
    auto code = [](int page, int value) {
        return PageStep{page, [value](Page&, PageFields&) { return value; }};
    };
    const struct {
        const char* what;
        std::vector<PageStep> steps;
        std::vector<int> pages;
        bool finished;
    } cases[] = {
        {"straight through",
         {next(102), next(106), next(112), next(107)},
         {102, 106, 112, 107},
         true},
        {"Cancel on Welcome", {pressOn(102, kWelcomeCancel)}, {102}, false},
        {"Cancel on User information",
         {next(102), pressOn(106, kUserInfoCancel)},
         {102, 106},
         false},
        {"Cancel on the data source",
         {next(102), next(106), pressOn(112, kDataSourceCancel)},
         {102, 106, 112},
         false},
        {"Cancel on Destination",
         {next(102), next(106), next(112), pressOn(107, kDestinationCancel)},
         {102, 106, 112, 107},
         false},
        {"Back from User information to a fresh Welcome",
         {next(102), pressOn(106, kUserInfoBack), next(102), next(106), next(112), next(107)},
         {102, 106, 102, 106, 112, 107},
         true},
        {"Back from the data source and from Destination",
         {next(102), next(106), pressOn(112, kDataSourceBack), next(106), next(112),
          pressOn(107, kDestinationBack), next(112), next(107)},
         {102, 106, 112, 106, 112, 107, 112, 107},
         true},
        {"Back all the way, then Cancel on Welcome",
         {next(102), next(106), pressOn(112, kDataSourceBack), pressOn(106, kUserInfoBack),
          pressOn(102, kWelcomeCancel)},
         {102, 106, 112, 106, 102},
         false},
        // Welcome's Back code is its Cancel code: -1 always cancels, also
        // from a dialog that could not be shown.
        {"a page that cannot be shown", {next(102), code(106, -1)}, {102, 106}, false},
        {"a code the page does not name",
         {next(102), next(106), code(112, 1008)},
         {102, 106, 112},
         false},
        {"Welcome's Next code on a later page", {next(102), code(106, 101)}, {102, 106}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(run(c.steps, c.pages), c.finished);
    }
}

TEST_F(WizardTest, UninstallHasOnePage) {
    m_context.state.installMode = InstallMode::Uninstall;
    EXPECT_TRUE(run({pressOn(109, kUninstallContinue)}, {109}));
    EXPECT_FALSE(run({pressOn(109, kUninstallExit)}, {109}));
}

// Back shows a fresh Welcome page; Next then shows User information with
// the values last accepted (or loaded), not the edits Back left behind.
TEST_F(WizardTest, UserInformationKeepsOnlyWhatNextAccepted) {
    m_context.state.userName = "Loaded Name";
    m_context.state.companyName = "Loaded Co";
    m_context.state.emailAddress = "loaded@example.org";
    std::vector<std::vector<std::string>> seen;
    auto look = [&](PageFields& fields) {
        seen.push_back(
            {fields.text(kUserName), fields.text(kCompanyName), fields.text(kEmailAddress)});
    };
    auto editThen = [&](int button, const std::string& name) {
        return PageStep{kPageUserInfo, [&, button, name](Page& page, PageFields& fields) {
                            look(fields);
                            fields.setText(kUserName, name);
                            fields.setText(kEmailAddress, name + "@example.org");
                            return zebtest::press(page, fields, button);
                        }};
    };
    EXPECT_FALSE(run({pressOn(102, kWelcomeNext), editThen(kUserInfoBack, "Unsaved"),
                      pressOn(102, kWelcomeNext), editThen(kUserInfoNext, "J\xC3\xB6rg"),
                      PageStep{112, [](Page&, PageFields&) { return int(kDataSourceBack); }},
                      editThen(kUserInfoCancel, "Gone")},
                     {102, 106, 102, 106, 112, 106}));
    ASSERT_EQ(seen.size(), 3u);
    const std::vector<std::string> loaded = {"Loaded Name", "Loaded Co", "loaded@example.org"};
    EXPECT_EQ(seen[0], loaded);
    EXPECT_EQ(seen[1], loaded) << "Back does not keep the edits";
    EXPECT_EQ(seen[2],
              (std::vector<std::string>{"J\xC3\xB6rg", "Loaded Co", "J\xC3\xB6rg@example.org"}));
    // Cancel empties the three.
    EXPECT_EQ(m_context.state.userName, "");
    EXPECT_EQ(m_context.state.companyName, "");
    EXPECT_EQ(m_context.state.emailAddress, "");
}

TEST_F(WizardTest, UserInformationIsLoadedFromTheRegistryWhenThere) {
    const char* key = ZEBDOC_USERINFO_KEY;
    using zeb::platform::RegistryStore;
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, key, "UserName", "Reg Name"));
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, key, "DestinationPath", "/d/z"));
    SetupState state;
    state.companyName = "kept";
    state.loadFromRegistry();
    EXPECT_EQ(state.userName, "Reg Name");
    EXPECT_EQ(state.companyName, "kept") << "a missing value leaves the field";
    EXPECT_EQ(state.destinationPath, "/d/z");
}

// Browse appends "/ZEBDOC" after dropping one trailing "/"; the default is
// shown afresh each time the page is entered, also after a Browse.
TEST_F(WizardTest, DestinationBrowseAndItsDefault) {
    const std::string fallback = m_dir.path() + "/data/zebdoc";
    const struct {
        const char* chosen;
        std::string shown;
    } browses[] = {
        {"/", "/ZEBDOC"},
        {"/home/jo/Apps", "/home/jo/Apps/ZEBDOC"},
        {"/home/jo/Apps/", "/home/jo/Apps/ZEBDOC"},
        {"/home/jo/Apps//", "/home/jo/Apps//ZEBDOC"},
        {"", fallback},  // the chooser was cancelled
    };
    for (const auto& b : browses) {
        m_person.folders = {b.chosen};
        std::string shown;
        EXPECT_TRUE(run({pressOn(102, kWelcomeNext), pressOn(106, kUserInfoNext),
                         PageStep{112, [](Page&, PageFields&) { return int(kDataSourceNext); }},
                         PageStep{107,
                                  [&](Page& page, PageFields& fields) {
                                      EXPECT_EQ(fields.text(kDestinationFolder), fallback);
                                      EXPECT_FALSE(page.command(kDestinationBrowse, fields));
                                      shown = fields.text(kDestinationFolder);
                                      return zebtest::press(page, fields, kDestinationFinish);
                                  }}},
                        {102, 106, 112, 107}));
        EXPECT_EQ(shown, b.shown) << b.chosen;
        EXPECT_EQ(m_context.state.destinationPath, b.shown);
    }
    EXPECT_EQ(m_person.folderTitles.back(), "Select Installation Directory");

    // Browse, Back, and forward again: the default once more.
    m_person.folders = {"/elsewhere"};
    std::vector<std::string> shown;
    auto destination = [&](int button) {
        return PageStep{107, [&, button](Page& page, PageFields& fields) {
                            shown.push_back(fields.text(kDestinationFolder));
                            page.command(kDestinationBrowse, fields);
                            return zebtest::press(page, fields, button);
                        }};
    };
    auto dataSourceNext = PageStep{112, [](Page&, PageFields&) { return int(kDataSourceNext); }};
    EXPECT_FALSE(
        run({pressOn(102, kWelcomeNext), pressOn(106, kUserInfoNext), dataSourceNext,
             destination(kDestinationBack), dataSourceNext, destination(kDestinationCancel)},
            {102, 106, 112, 107, 112, 107}));
    EXPECT_EQ(shown, (std::vector<std::string>{fallback, fallback}));
    EXPECT_EQ(m_context.state.destinationPath, "") << "Cancel empties the destination";
}

// Buttons a page does not have leave it open.
TEST_F(WizardTest, OtherCommandsLeaveThePageOpen) {
    for (InstallMode mode : {InstallMode::Install, InstallMode::Uninstall}) {
        for (const PageEntry& entry : pageTable(mode)) {
            auto page = entry.makePage(m_context);
            PageFields fields;
            for (int id : {0, 1, 2, 999, 1017, 5100}) {
                EXPECT_FALSE(page->command(id, fields)) << entry.templateId << ": " << id;
            }
        }
    }
}

TEST(Places, FoldersOfEachScope) {
    const Places user = Places::make(Places::Scope::User, "/h", "/h/data", "/h/cfg", "");
    const Places system =
        Places::make(Places::Scope::System, "/root", "/root/.local/share", "/root/.config", "/p");
    EXPECT_EQ(user.defaultDestination(), "/h/data/zebdoc");
    EXPECT_EQ(system.defaultDestination(), "/p/opt/zebdoc");
    const struct {
        int id;
        std::string user;
        std::string system;
    } rows[] = {
        {65601, "/h/.local/bin", "/p/usr/local/bin"},
        {65602, "/h/data/applications", "/p/usr/local/share/applications"},
        {65603, "/h/data/icons/hicolor", "/p/usr/local/share/icons/hicolor"},
        {65604, "/h/data/nemo/actions", "/p/usr/local/share/nemo/actions"},
        {65605, "/h/data/kio/servicemenus", "/p/usr/local/share/kio/servicemenus"},
        {65606, "/h/data/nautilus/scripts", ""},
        {65607, "/h/cfg/caja/scripts", ""},
        {65608, "/h/cfg/Thunar", "/p/etc/xdg/Thunar"},
        {65609, "", "/p/usr/lib/" ZEBDOC_TEST_ARCH "/nautilus/extensions-4"},
        {65612, "", "/p/usr/lib/" ZEBDOC_TEST_ARCH "/thunarx-3"},
    };
    for (const auto& row : rows) {
        std::string u = "?";
        std::string s = "?";
        EXPECT_TRUE(user.projectFolder(row.id, u));
        EXPECT_TRUE(system.projectFolder(row.id, s));
        EXPECT_EQ(u, row.user) << row.id;
        EXPECT_EQ(s, row.system) << row.id;
    }
    std::string none;
    for (int id : {0, 65599, 65600, 65613, 11}) {
        EXPECT_FALSE(user.projectFolder(id, none)) << id;
    }
    EXPECT_EQ(system.systemRegistryFile(), "/p/etc/zebdoc/registry.reg");
}

TEST(Places, TheEnvironmentChoosesTheScopeAndThePrefix) {
    zebtest::EnvGuard env;
    env.set("HOME", "/home/jo");
    env.set("XDG_DATA_HOME", "relative");  // ignored
    env.set("XDG_CONFIG_HOME", "/cfg");
    const struct {
        const char* scope;
        const char* prefix;
        bool ok;
        Places::Scope expected;
        std::string destination;
    } cases[] = {
        {"user", nullptr, true, Places::Scope::User, "/home/jo/.local/share/zebdoc"},
        {"system", "/tmp/root/", true, Places::Scope::System, "/tmp/root/opt/zebdoc"},
        {"system", nullptr, true, Places::Scope::System, "/opt/zebdoc"},
        {"everyone", nullptr, false, Places::Scope::User, ""},
        {"user", "relative/root", false, Places::Scope::User, ""},
    };
    for (const auto& c : cases) {
        env.set("ZEBDOC_SETUP_SCOPE", std::string(c.scope));
        env.set("ZEBDOC_SETUP_PREFIX",
                c.prefix ? std::optional<std::string>(c.prefix) : std::nullopt);
        Places places;
        std::string error;
        EXPECT_EQ(Places::fromEnvironment(places, error), c.ok) << c.scope;
        if (c.ok) {
            EXPECT_EQ(places.scope(), c.expected);
            EXPECT_EQ(places.defaultDestination(), c.destination);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

}  // namespace

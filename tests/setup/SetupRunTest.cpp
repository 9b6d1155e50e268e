// The run of setup on small scripts: the order of its steps, what counts as
// success, the messages, uninstall, and what a cancelled wizard leaves.

#include "setup/model/SetupRun.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/Registry.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "setup/model/SetupStrings.h"
#include "tests/setup/SetupTestSupport.h"
#include "tests/support/BackendTest.h"

using namespace setup;
using zeb::platform::RegistryStore;
using zebtest::PageStep;
using zebtest::pressOn;
namespace fs = zeb::platform;

namespace {

const char* const kScript =
    "[Version]\n"
    "Signature=\"$Chicago$\"\n"
    "[DestinationDirs]\n"
    "DefaultDestDir=65600\n"
    "Bin=65600,bin\n"
    "Apps=65602\n"
    "Icons=65603,scalable/apps\n"
    "[ZEBDOCInstall]\n"
    "CopyFiles=Bin,Apps,Icons\n"
    "AddReg=Reg\n"
    "[Option2Section]\n"
    "CopyFiles=AddOn\n"
    "[MyProgramUninstall]\n"
    "DelFiles=Bin,Apps,Icons,AddOn\n"
    "DelReg=Unreg\n"
    "[Bin]\n"
    "tool,bin/tool\n"
    "[AddOn]\n"
    "addon\n"
    "[Apps]\n"
    "zebdoc.desktop\n"
    "[Icons]\n"
    "zebdoc.svg\n"
    "[Reg]\n"
    "HKCR,Registered,Where,,%65600%/bin/tool\n"
    "[Unreg]\n"
    "HKCR,Registered\n";

std::string value(HKEY root, const std::string& key, const std::string& name) {
    std::string out = "<none>";
    RegistryStore::getString(root, key, name, out);
    return out;
}

std::string userInfo(const std::string& name) {
    return value(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name);
}

class SetupRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        zebtest::writeFile(m_dir.path() + "/odbcinst.ini", "");
        m_env.set("ODBCSYSINI", m_dir.path());
        m_env.set("ODBCINI", m_dir.path() + "/odbc.ini");
        m_env.set("ZEBDOC_REGISTRY", m_dir.path() + "/registry.reg");
        m_env.set("ZEBDOC_TRACE", m_dir.path() + "/trace");
        writeRelease(kScript);
        m_context.person = &m_person;
        m_context.places = Places::make(Places::Scope::User, m_dir.path() + "/home",
                                        m_dir.path() + "/data", m_dir.path() + "/config", "");
        m_context.programPath = release("install");
        m_context.odbcInstaller = "libodbcinst.so.2";
    }

    std::string release(const std::string& file) const { return m_dir.path() + "/release/" + file; }
    std::string dest(const std::string& file = "") const {
        return m_dir.path() + "/data/zebdoc" + (file.empty() ? "" : "/" + file);
    }
    void writeRelease(const std::string& script) {
        zebtest::writeFile(release("zebdoc.inf"), script);
        for (const char* file : {"bin/tool", "addon", "zebdoc.desktop", "zebdoc.svg"}) {
            zebtest::writeFile(release(file), file);
        }
    }

    // The install pages with Next throughout (the data-source page has tests
    // of its own), the user's name typed on the way.
    static std::vector<PageStep> installPages() {
        return {pressOn(kPageWelcome, kWelcomeNext),
                PageStep{kPageUserInfo,
                         [](Page& page, PageFields& fields) {
                             fields.setText(kUserName, "Jo");
                             fields.setText(kEmailAddress, "jo@example.org");
                             return zebtest::press(page, fields, kUserInfoNext);
                         }},
                PageStep{kPageDataSource, [](Page&, PageFields&) { return int(kDataSourceNext); }},
                pressOn(kPageDestination, kDestinationFinish)};
    }

    RunOutcome run(InstallMode mode, std::vector<PageStep> steps) {
        m_context.state.installMode = mode;
        zebtest::ScriptedHost host(std::move(steps));
        const RunOutcome outcome = runSetup(m_context, host);
        m_shown = host.shown;
        return outcome;
    }

    zebtest::TempDir m_dir;
    zebtest::EnvGuard m_env;
    zebtest::ScriptedPerson m_person;
    SetupContext m_context;
    std::vector<int> m_shown;
};

TEST_F(SetupRunTest, InstallWritesTheUserInformationTheFilesAndTheRegistry) {
    ASSERT_EQ(run(InstallMode::Install, installPages()), RunOutcome::Succeeded);
    EXPECT_TRUE(m_person.messages.empty());
    EXPECT_EQ(
        RegistryStore::valueNames(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY),
        (std::vector<std::string>{"UserName", "CompanyName", "EmailAddress", "DestinationPath"}));
    EXPECT_EQ(userInfo("UserName"), "Jo");
    EXPECT_EQ(userInfo("CompanyName"), "");
    EXPECT_EQ(userInfo("EmailAddress"), "jo@example.org");
    EXPECT_EQ(userInfo("DestinationPath"), dest());
    for (const std::string& file :
         {dest("bin/tool"), dest("addon"), m_dir.path() + "/data/applications/zebdoc.desktop",
          m_dir.path() + "/data/icons/hicolor/scalable/apps/zebdoc.svg"}) {
        EXPECT_TRUE(fs::isRegularFile(file)) << file;
    }
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, "Registered", "Where"), dest("bin/tool"));
    // In place of the shell's start-up work, the desktop's caches are made
    // again.
    EXPECT_TRUE(fs::isRegularFile(m_dir.path() + "/data/applications/mimeinfo.cache"));
    EXPECT_TRUE(fs::isRegularFile(m_dir.path() + "/data/icons/hicolor/icon-theme.cache"));
}

// Cancel on any page: the registry and the disk as they were.
TEST_F(SetupRunTest, CancelledWizardChangesNothing) {
    ASSERT_TRUE(
        RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "UserName", "Before"));
    for (size_t page = 0; page < 4; ++page) {
        std::vector<PageStep> steps = installPages();
        steps.resize(page + 1);
        const int cancel[] = {kWelcomeCancel, kUserInfoCancel, kDataSourceCancel,
                              kDestinationCancel};
        steps[page] = pressOn(steps[page].templateId, cancel[page]);
        EXPECT_EQ(run(InstallMode::Install, steps), RunOutcome::Cancelled);
        EXPECT_EQ(userInfo("UserName"), "Before");
        EXPECT_FALSE(fs::exists(dest()));
        EXPECT_FALSE(fs::exists(m_dir.path() + "/data/applications"));
    }
    EXPECT_TRUE(m_person.messages.empty());
}

// The file step failed, the registry step did not: the run failed, says so,
// and what came before the files stays.
TEST_F(SetupRunTest, FailedCopyFailsTheRunEvenWhenTheRegistryStepSucceeds) {
    fs::setCopyFaultForTesting(EIO, 0, 1);
    EXPECT_EQ(run(InstallMode::Install, installPages()), RunOutcome::Failed);
    fs::clearCopyFaultForTesting();
    ASSERT_EQ(m_person.messageIds(), std::vector<int>{kMsgScriptFailed});
    EXPECT_EQ(m_person.messages[0].text, "Installation script did not complete successfully!");
    EXPECT_EQ(m_person.messages[0].caption, "ZEBDOC Install Error");
    EXPECT_EQ(m_person.messages[0].style, kStyleOk);
    EXPECT_EQ(userInfo("UserName"), "Jo") << "written before any file";
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, "Registered", "Where"), dest("bin/tool"))
        << "the registry step runs whatever became of the files";
    EXPECT_FALSE(fs::exists(m_dir.path() + "/data/applications/mimeinfo.cache"))
        << "no start-up step after a failure";
}

// A script that cannot be used stops setup before its first page, saying
// what is wrong and where.
TEST_F(SetupRunTest, UnusableScriptStopsBeforeAnything) {
    const struct {
        std::string script;  // empty: no file
        const char* inMessage;
    } cases[] = {
        {"", "zebdoc.inf: cannot read it"},
        {"[Version]\nSignature=\"$Chicago$\"\n[ZEBDOCInstall]\nCopyFiles=Nowhere\n",
         "zebdoc.inf, line 4: no section [Nowhere]"},
        {std::string(kScript) + "[Bin]\nmissing-file\n", "missing-file is missing"},
    };
    for (const auto& c : cases) {
        fs::removeFile(release("zebdoc.inf"));
        if (!c.script.empty()) {
            writeRelease(c.script);
        }
        m_person.messages.clear();
        EXPECT_EQ(run(InstallMode::Install, {}), RunOutcome::Failed);
        EXPECT_TRUE(m_shown.empty()) << "no page was shown";
        ASSERT_EQ(m_person.messageIds(), std::vector<int>{kMsgScriptUnreadable});
        EXPECT_NE(m_person.messages[0].text.find(c.inMessage), std::string::npos)
            << m_person.messages[0].text;
        EXPECT_NE(m_person.messages[0].text.find("Setup did not change anything."),
                  std::string::npos);
        EXPECT_EQ(userInfo("UserName"), "<none>");
    }
}

// Uninstall: one page, the user information gone, the uninstall section's
// files deleted from the destination the install recorded; the archive and
// the database stay.
TEST_F(SetupRunTest, UninstallUsesTheRecordedDestinationAndKeepsTheUsersData) {
    ASSERT_EQ(run(InstallMode::Install, installPages()), RunOutcome::Succeeded);
    zebtest::writeFile(dest("VFS/home/jo/doc.txt/1"), "archived");
    zebtest::writeFile(dest("zebdoc.db"), "database");

    SetupState loaded;
    loaded.loadFromRegistry();
    m_context.state = loaded;
    ASSERT_EQ(run(InstallMode::Uninstall, {pressOn(kPageUninstall, kUninstallContinue)}),
              RunOutcome::Succeeded);
    EXPECT_EQ(m_shown, std::vector<int>{kPageUninstall});
    EXPECT_TRUE(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY).empty());
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, "Registered", "Where"), "<none>");
    for (const std::string& gone :
         {dest("bin"), dest("addon"), m_dir.path() + "/data/applications/zebdoc.desktop"}) {
        EXPECT_FALSE(fs::exists(gone)) << gone;
    }
    EXPECT_EQ(zebtest::readFile(dest("VFS/home/jo/doc.txt/1")), "archived");
    EXPECT_EQ(zebtest::readFile(dest("zebdoc.db")), "database");
    EXPECT_TRUE(m_person.messages.empty());

    // Exit on the page: nothing is removed.
    ASSERT_EQ(run(InstallMode::Install, installPages()), RunOutcome::Succeeded);
    m_context.state.installMode = InstallMode::Uninstall;
    EXPECT_EQ(run(InstallMode::Uninstall, {pressOn(kPageUninstall, kUninstallExit)}),
              RunOutcome::Cancelled);
    EXPECT_TRUE(fs::isRegularFile(dest("bin/tool")));
    EXPECT_EQ(userInfo("UserName"), "Jo");
}

// With no installation recorded, uninstall has nothing to go by: it says so
// instead of ending silently.
TEST_F(SetupRunTest, UninstallWithoutARecordedDestinationSaysItFailed) {
    m_context.state.destinationPath.clear();
    EXPECT_EQ(run(InstallMode::Uninstall, {pressOn(kPageUninstall, kUninstallContinue)}),
              RunOutcome::Failed);
    EXPECT_EQ(m_person.messageIds(), std::vector<int>{kMsgScriptFailed});
}

}  // namespace

#include "setup/model/SetupRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "core/Registry.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "setup/model/SetupStrings.h"
#include "setup/script/ScriptInstaller.h"

extern char** environ;

namespace setup {

namespace {

namespace fs = zeb::platform;
using zeb::platform::RegistryStore;

// Files that cannot be deleted are passed over without asking; a copy that
// fails stops the installation.
class SetupQueueCallback : public QueueCallback {
public:
    explicit SetupQueueCallback(SetupPerson& person) : m_person(person) {}
    void progress(size_t done, size_t total, const std::string& target) override {
        m_person.fileProgress(done, total, target);
    }
    Answer deleteFailed(const std::string&, int) override { return Answer::Skip; }
    Answer copyFailed(const std::string&, int) override { return Answer::Abort; }

private:
    SetupPerson& m_person;
};

bool writeUserInformation(const SetupState& state) {
    bool ok = true;
    for (const auto& [name, value] :
         {std::pair<const char*, const std::string*>{"UserName", &state.userName},
          {"CompanyName", &state.companyName},
          {"EmailAddress", &state.emailAddress},
          {"DestinationPath", &state.destinationPath}}) {
        if (!RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name, *value,
                                      RegistryStore::Scope::User)) {
            trace(std::string("cannot write the registry value ") + name + " to " +
                  RegistryStore::writePath());
            ok = false;
        }
    }
    return ok;
}

// Runs a tool by name and waits for it; its output goes nowhere.
void runTool(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        trace("cannot run " + argv[0] + ": " + std::strerror(error));
        return;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    trace("ran " + argv[0] + " " + argv.back() + ": " +
          (WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                             : std::string("killed")));
}

}  // namespace

void refreshDesktop(const Places& places) {
    std::string applications;
    std::string icons;
    places.projectFolder(Places::kApplications, applications);
    places.projectFolder(Places::kIcons, icons);
    if (fs::isDirectory(applications)) {
        runTool({"update-desktop-database", applications});
    }
    if (fs::isDirectory(icons)) {
        // -t: a user's icon folder has no theme index of its own.
        runTool({"gtk-update-icon-cache", "-f", "-t", icons});
    }
}

RunOutcome runSetup(SetupContext& context, PageHost& host) {
    SetupState& state = context.state;
    SetupPerson& person = *context.person;
    const bool install = state.installMode == InstallMode::Install;
    if (install) {
        state.mainApplication = true;
        state.addOnApplication = true;
    }
    const std::string source = fs::parentPath(fs::fullPath(context.programPath));
    const std::string scriptPath = source + "/" + kScriptName;
    trace(std::string(install ? "install" : "uninstall") + " from " + scriptPath + " for " +
          (context.places.isSystem() ? "every user" : "this user"));

    // A script that cannot be used stops setup before anything is changed.
    InfScript script;
    ScriptError error;
    bool usable = InfScript::load(scriptPath, script, error);
    ScriptInstaller installer(script, source, context.places);
    if (usable) {
        usable = install ? (!state.mainApplication || (installer.checkFiles(kInstallSection) &&
                                                       installer.checkRegistry(kInstallSection))) &&
                               (!state.addOnApplication || installer.checkFiles(kAddOnSection))
                         : installer.checkFiles(kUninstallSection) &&
                               installer.checkRegistry(kUninstallSection);
        error = installer.error();
    }
    if (!usable) {
        trace("the script cannot be used: " + error.text());
        person.messageBox(kMsgScriptUnreadable, format(kTextScriptUnreadable, error.text()),
                          kCaptionInstallError, kStyleOk | kStyleIconError);
        return RunOutcome::Failed;
    }

    if (!runWizard(context, host)) {
        trace("setup was cancelled");
        return RunOutcome::Cancelled;
    }

    // The user information first: a later failure leaves it in place.
    bool ok = true;
    if (install) {
        ok = writeUserInformation(state);
    } else {
        RegistryStore::deleteKey(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY,
                                 RegistryStore::Scope::User);
        trace("deleted the user information");
    }

    // Uninstall removes what the last install put in its destination.
    if (!installer.setDestination(state.destinationPath)) {
        person.messageBox(kMsgScriptFailed, kTextScriptFailed, kCaptionInstallError, kStyleOk);
        return RunOutcome::Failed;
    }

    // Every section's files must be queued, and the whole queue carried out.
    bool queued = true;
    if (!install) {
        queued = installer.queueFiles(kUninstallSection);
    } else {
        if (state.mainApplication) {
            queued = installer.queueFiles(kInstallSection) && queued;
        }
        if (state.addOnApplication) {
            queued = installer.queueFiles(kAddOnSection) && queued;
        }
    }
    bool committed = false;
    if (queued) {
        SetupQueueCallback callback(person);
        committed = installer.commitQueue(callback);
        person.filesDone();
    }
    // The registry and Thunar's actions, whatever became of the files.
    bool registry = true;
    if (!install) {
        registry = installer.installRegistry(kUninstallSection);
    } else if (state.mainApplication) {
        registry = installer.installRegistry(kInstallSection);
    }
    ok = ok && queued && committed && registry;

    if (ok) {
        trace(std::string(install ? "installed in " : "removed from ") + state.destinationPath);
        refreshDesktop(context.places);
        return RunOutcome::Succeeded;
    }
    trace("the installation did not complete");
    person.messageBox(kMsgScriptFailed, kTextScriptFailed, kCaptionInstallError, kStyleOk);
    return RunOutcome::Failed;
}

}  // namespace setup

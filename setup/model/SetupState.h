#pragma once

#include <string>

#include "setup/model/Places.h"

namespace setup {

enum class InstallMode { Install, Uninstall };

// Uninstall when the whole command line is exactly "uninstall"; install
// otherwise ("Uninstall", "uninstall " and "uninstall now" install).
InstallMode installModeFrom(const std::string& commandLine);
// The command line as the program got it: the arguments joined by blanks.
std::string commandLineOf(int argc, const char* const* argv);

// What the pages edit and the run writes back: one per process.
struct SetupState {
    InstallMode installMode = InstallMode::Install;
    // Which sections of the script an install applies; set by the run.
    bool mainApplication = false;
    bool addOnApplication = false;
    std::string userName;
    std::string companyName;
    std::string emailAddress;
    std::string destinationPath;

    // Reads "UserName", "CompanyName", "EmailAddress" and "DestinationPath",
    // in this order; a missing value leaves its field as it was.
    void loadFromRegistry();
};

// The person: message boxes and the folder chooser. The desktop's in a
// normal run, an answers file's in an unattended one, a test's in tests.
class SetupPerson {
public:
    virtual ~SetupPerson() = default;
    // A message box with the buttons and icon of `style` (MessageStyle);
    // returns kAnswerOk or kAnswerCancel. `messageId` names the message in
    // an answers file.
    virtual int messageBox(int messageId, const std::string& text, const std::string& caption,
                           int style) = 0;
    // The folder chooser; false when the person cancels.
    virtual bool chooseFolder(const std::string& title, std::string& folder) = 0;
    // The file operations of the installation: `done` of `total` so far.
    virtual void fileProgress(size_t done, size_t total, const std::string& file) {
        (void)done;
        (void)total;
        (void)file;
    }
    // The file operations are over, whether or not they all succeeded.
    virtual void filesDone() {}
};

// Everything a page and the run need.
struct SetupContext {
    SetupState state;
    SetupPerson* person = nullptr;
    Places places;
    // The setup program itself; the script is "zebdoc.inf" in its folder.
    std::string programPath;
    // The ODBC installer library, by name.
    std::string odbcInstaller;
};

// A line of the debug trace (platform/Trace.h), with "setup: " before it.
void trace(const std::string& line);

// printf-style formatting of one %s-only text.
std::string format(const char* pattern, const std::string& a);
std::string format(const char* pattern, const std::string& a, const std::string& b);
std::string format(const char* pattern, const std::string& a, const std::string& b,
                   const std::string& c);

}  // namespace setup

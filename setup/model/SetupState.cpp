#include "setup/model/SetupState.h"

#include <vector>

#include "core/Registry.h"
#include "platform/RegistryStore.h"
#include "platform/Trace.h"

namespace setup {

InstallMode installModeFrom(const std::string& commandLine) {
    return commandLine == "uninstall" ? InstallMode::Uninstall : InstallMode::Install;
}

std::string commandLineOf(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        line += argv[i];
    }
    return line;
}

void SetupState::loadFromRegistry() {
    using zeb::platform::RegistryStore;
    RegistryStore::getString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "UserName", userName);
    RegistryStore::getString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "CompanyName", companyName);
    RegistryStore::getString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "EmailAddress", emailAddress);
    RegistryStore::getString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DestinationPath",
                             destinationPath);
}

void trace(const std::string& line) {
    zeb::platform::outputDebugString(("setup: " + line + "\n").c_str());
}

namespace {

// Replaces each "%s" of `pattern` by the next argument; the arguments' own
// text is never read as a pattern.
std::string formatPieces(const char* pattern, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            out += next < args.size() ? args[next] : std::string();
            ++next;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace

std::string format(const char* pattern, const std::string& a) {
    return formatPieces(pattern, {a});
}

std::string format(const char* pattern, const std::string& a, const std::string& b) {
    return formatPieces(pattern, {a, b});
}

std::string format(const char* pattern, const std::string& a, const std::string& b,
                   const std::string& c) {
    return formatPieces(pattern, {a, b, c});
}

}  // namespace setup

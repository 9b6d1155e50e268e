#include "setup/model/Places.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/FileSystem.h"

#ifndef ZEBDOC_LIBRARY_ARCHITECTURE
#define ZEBDOC_LIBRARY_ARCHITECTURE "x86_64-linux-gnu"
#endif

namespace setup {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// An XDG folder variable: relative values are to be ignored.
std::string xdgFolder(const char* name, const std::string& fallback) {
    std::string value = environment(name);
    return !value.empty() && value.front() == '/' ? zeb::platform::fullPath(value) : fallback;
}

}  // namespace

bool Places::fromEnvironment(Places& out, std::string& error) {
    const std::string scope = environment("ZEBDOC_SETUP_SCOPE");
    Scope chosen = geteuid() == 0 ? Scope::System : Scope::User;
    if (scope == "user") {
        chosen = Scope::User;
    } else if (scope == "system") {
        chosen = Scope::System;
    } else if (!scope.empty()) {
        error = "ZEBDOC_SETUP_SCOPE must be \"user\" or \"system\", not \"" + scope + "\"";
        return false;
    }
    std::string prefix = environment("ZEBDOC_SETUP_PREFIX");
    if (!prefix.empty()) {
        if (prefix.front() != '/') {
            error = "ZEBDOC_SETUP_PREFIX must be an absolute folder, not \"" + prefix + "\"";
            return false;
        }
        prefix = zeb::platform::fullPath(prefix);
        if (prefix == "/") {
            prefix.clear();
        }
    }
    const std::string home = environment("HOME");
    if (chosen == Scope::User && (home.empty() || home.front() != '/')) {
        error = "HOME is not set to an absolute folder: there is no place for your installation";
        return false;
    }
    const std::string homeFolder = home.empty() ? std::string() : zeb::platform::fullPath(home);
    out = make(chosen, homeFolder, xdgFolder("XDG_DATA_HOME", homeFolder + "/.local/share"),
               xdgFolder("XDG_CONFIG_HOME", homeFolder + "/.config"), prefix);
    return true;
}

Places Places::make(Scope scope, const std::string& home, const std::string& dataHome,
                    const std::string& configHome, const std::string& prefix) {
    Places places;
    places.m_scope = scope;
    places.m_home = home;
    places.m_dataHome = dataHome;
    places.m_configHome = configHome;
    places.m_prefix = prefix;
    return places;
}

std::string Places::defaultDestination() const {
    return isSystem() ? m_prefix + "/opt/zebdoc" : m_dataHome + "/zebdoc";
}

bool Places::projectFolder(int id, std::string& folder) const {
    const std::string lib = m_prefix + "/usr/lib/" ZEBDOC_LIBRARY_ARCHITECTURE;
    const std::string share = m_prefix + "/usr/local/share";
    const bool system = isSystem();
    switch (id) {
        case kProgramLinks:
            folder = system ? m_prefix + "/usr/local/bin" : m_home + "/.local/bin";
            return true;
        case kApplications:
            folder = (system ? share : m_dataHome) + "/applications";
            return true;
        case kIcons:
            folder = (system ? share : m_dataHome) + "/icons/hicolor";
            return true;
        case 65604:
            folder = (system ? share : m_dataHome) + "/nemo/actions";
            return true;
        case 65605:
            folder = (system ? share : m_dataHome) + "/kio/servicemenus";
            return true;
        case 65606:
            folder = system ? std::string() : m_dataHome + "/nautilus/scripts";
            return true;
        case 65607:
            folder = system ? std::string() : m_configHome + "/caja/scripts";
            return true;
        case kThunarConfig:
            folder = system ? m_prefix + "/etc/xdg/Thunar" : m_configHome + "/Thunar";
            return true;
        case 65609:
            folder = system ? lib + "/nautilus/extensions-4" : std::string();
            return true;
        case 65610:
            folder = system ? lib + "/caja/extensions-2.0" : std::string();
            return true;
        case 65611:
            folder = system ? lib + "/nemo/extensions-3.0" : std::string();
            return true;
        case 65612:
            folder = system ? lib + "/thunarx-3" : std::string();
            return true;
        default:
            return false;
    }
}

std::string Places::systemRegistryFile() const {
    return m_prefix.empty() ? std::string() : m_prefix + "/etc/zebdoc/registry.reg";
}

std::string Places::systemConfigFolders() {
    std::string dirs = environment("XDG_CONFIG_DIRS");
    return dirs.empty() ? std::string("/etc/xdg") : dirs;
}

}  // namespace setup

#pragma once

#include <string>

namespace setup {

// Where an installation goes: for the user who runs setup, or for every user
// of the machine (as root). The installation script names these folders by
// directory id; 65600 is the destination the person chose.
//
//   id     user                                system
//   65601  ~/.local/bin                        /usr/local/bin
//   65602  $XDG_DATA_HOME/applications         /usr/local/share/applications
//   65603  $XDG_DATA_HOME/icons/hicolor        /usr/local/share/icons/hicolor
//   65604  $XDG_DATA_HOME/nemo/actions         /usr/local/share/nemo/actions
//   65605  $XDG_DATA_HOME/kio/servicemenus     /usr/local/share/kio/servicemenus
//   65606  $XDG_DATA_HOME/nautilus/scripts     (none: scripts are a user's own)
//   65607  $XDG_CONFIG_HOME/caja/scripts       (none)
//   65608  $XDG_CONFIG_HOME/Thunar             /etc/xdg/Thunar
//   65609  (none: no per-user folder)          /usr/lib/<arch>/nautilus/extensions-4
//   65610  (none)                              /usr/lib/<arch>/caja/extensions-2.0
//   65611  (none)                              /usr/lib/<arch>/nemo/extensions-3.0
//   65612  (none)                              /usr/lib/<arch>/thunarx-3
//
// $XDG_DATA_HOME defaults to ~/.local/share, $XDG_CONFIG_HOME to ~/.config.
// The default destination is $XDG_DATA_HOME/zebdoc for a user and
// /opt/zebdoc for the system.
//
// ZEBDOC_SETUP_SCOPE ("user" or "system") chooses; without it root installs
// for the system and everybody else for themselves. ZEBDOC_SETUP_PREFIX, an
// absolute folder, puts every system place below it (tests install "as
// root" that way), the system's registry file too.
class Places {
public:
    enum class Scope { User, System };

    static constexpr int kDestinationId = 65600;
    static constexpr int kFirstProjectId = 65601;
    static constexpr int kLastProjectId = 65612;
    static constexpr int kProgramLinks = 65601;
    static constexpr int kApplications = 65602;
    static constexpr int kIcons = 65603;
    static constexpr int kThunarConfig = 65608;

    // From the environment; false with the reason when its settings are
    // not usable.
    static bool fromEnvironment(Places& out, std::string& error);
    // For tests: the user's places below `home`, the system's below `prefix`.
    static Places make(Scope scope, const std::string& home, const std::string& dataHome,
                       const std::string& configHome, const std::string& prefix);

    Scope scope() const { return m_scope; }
    bool isSystem() const { return m_scope == Scope::System; }
    const std::string& prefix() const { return m_prefix; }

    std::string defaultDestination() const;
    // The folder of a project id, empty where this scope has none; false
    // for an id that is not one of ours.
    bool projectFolder(int id, std::string& folder) const;
    // The system registry file below the prefix (empty without a prefix).
    std::string systemRegistryFile() const;
    // The folders of Thunar's configuration a user inherits
    // ($XDG_CONFIG_DIRS, default /etc/xdg).
    static std::string systemConfigFolders();

private:
    Scope m_scope = Scope::User;
    std::string m_home;
    std::string m_dataHome;
    std::string m_configHome;
    std::string m_prefix;
};

}  // namespace setup

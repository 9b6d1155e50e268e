#pragma once

#include <string>

#include "setup/model/Pages.h"

namespace setup {

// The installation script beside the setup program and its sections.
inline constexpr const char* kScriptName = "zebdoc.inf";
inline constexpr const char* kInstallSection = "ZEBDOCInstall";  // the main application
inline constexpr const char* kAddOnSection = "Option2Section";   // the file manager's menu
inline constexpr const char* kUninstallSection = "MyProgramUninstall";

enum class RunOutcome { Succeeded, Failed, Cancelled };

// One run of setup: opens the script, runs the wizard on `host`, writes the
// user information (before any file), applies the script's file sections
// and then its registry and Thunar entries, and refreshes the desktop's
// caches after a run that succeeded. An uninstall deletes the user
// information and applies the uninstall section; it leaves the archive, the
// database, the data source and the tables alone.
RunOutcome runSetup(SetupContext& context, PageHost& host);

// What takes the place of the shell's pending start-up work: the desktop
// entries' and the icons' caches of this installation's places are made
// again (update-desktop-database, gtk-update-icon-cache -f -t). A tool that
// is missing is passed over.
void refreshDesktop(const Places& places);

}  // namespace setup

#pragma once

// Setup's string table: every text the person sees, by id, and the ids of
// the pages' controls. The pages' layouts are in PageTemplates.cpp.

namespace setup {

// Captions.
inline constexpr const char* kCaptionSetupError = "Setup Error";  // string 1022
inline constexpr const char* kCaptionInstallerError = "ODBC Installer Error";
inline constexpr const char* kCaptionInstallError = "ZEBDOC Install Error";
inline constexpr const char* kMainWindowTitle = "Install ZEBDOC";

// Messages, by the id an answers file names them with.
enum MessageId {
    kMsgFolderTitle = 1020,
    kMsgCannotConfigure = 1021,
    kMsgTablesFailed = 1023,
    // The data source that was just configured cannot be reached.
    kMsgCannotConnect = 1024,
    // The tables are still missing after they were created with overwrite.
    kMsgTablesStillMissing = 1025,
    kMsgInstallerMissing = 1040,
    kMsgInstallerFunctionMissing = 1041,
    kMsgScriptFailed = 1042,
    kMsgScriptUnreadable = 1043,
};

inline constexpr const char* kTextFolderTitle = "Select Installation Directory";
inline constexpr const char* kTextCannotConfigure =
    "Cannot configure data source. Setup cannot continue.";
inline constexpr const char* kTextTablesFailed =
    "Failed to create necessary database tables. Did you provide an empty database for use? "
    "Press Ok to overwrite existing tables. Press Cancel to go back and select another database.";
// %s: the data source name, then the driver manager's diagnostics.
inline constexpr const char* kTextCannotConnect =
    "Cannot connect to the data source \"%s\":\n\n%s\n\nPress OK to go back and check its "
    "settings.";
inline constexpr const char* kTextTablesStillMissing =
    "The tables MASTERZEB, REVTABLE and FILETABLE could not be created in the data source "
    "\"%s\":\n\n%s\n\nPress OK to go back and select another database.";
// %s: the installer library's name.
inline constexpr const char* kTextInstallerMissing =
    "The ODBC installer DLL (%s) is not installed on this system.";
// %s: this program's path, the function, the library's path.
inline constexpr const char* kTextInstallerFunctionMissing =
    "The program %s, or one of its DLLs attempted to call the function %s which is not "
    "supported in the loaded ODBC installer DLL (%s).  Press OK to proceed.";
inline constexpr const char* kTextScriptFailed =
    "Installation script did not complete successfully!";
// %s: what is wrong, with the script's name and the line.
inline constexpr const char* kTextScriptUnreadable =
    "The installation script cannot be used:\n\n%s\n\nSetup did not change anything.";

// Message box styles and answers (the values of the desktop's message box).
enum MessageStyle {
    kStyleOk = 0x0,
    kStyleOkCancel = 0x1,
    kStyleIconError = 0x10,
    kStyleIconInformation = 0x40,
};
enum MessageAnswer { kAnswerOk = 1, kAnswerCancel = 2 };

// Pages (dialog templates) and their controls.
enum PageId {
    kPageWelcome = 102,
    kPageUserInfo = 106,
    kPageDestination = 107,
    kPageUninstall = 109,
    kPageDataSource = 112,
};

enum ControlId {
    // Welcome
    kWelcomeNext = 1001,
    kWelcomeCancel = 1005,
    // User information
    kUserInfoCancel = 1002,
    kUserInfoBack = 1003,
    kUserInfoNext = 1004,
    kUserName = 1020,
    kCompanyName = 1021,
    kEmailAddress = 1023,
    // Destination
    kDestinationBrowse = 1006,
    kDestinationBack = 1007,
    kDestinationFinish = 1008,
    kDestinationCancel = 1009,
    kDestinationFolder = 1010,
    // Uninstall
    kUninstallContinue = 1011,
    kUninstallExit = 1012,
    // Data source
    kDriver = 1013,
    kDataSourceBack = 1014,
    kDataSourceNext = 1015,
    kDataSourceCancel = 1016,
    kUserId = 1018,
    kPassword = 1019,
    kDataSourceName = 1021,
    // The database, which the drivers of this platform do not ask for
    // themselves: shown for the kind of driver chosen.
    kDatabaseFile = 1030,  // SQLite
    kServer = 1031,        // PostgreSQL
    kPort = 1032,
    kDatabaseName = 1033,
};

// End codes of the pages.
enum EndCode {
    kEndCancel = -1,
    kEndWelcomeNext = 101,
};

}  // namespace setup

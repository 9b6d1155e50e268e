#pragma once

#include <wx/string.h>

#include <string>
#include <vector>

class wxDialog;
class wxWindow;

// Files picked in the Add chooser, with the version name and note typed in
// its two extra fields.
struct ChosenFiles {
    std::vector<std::string> paths;
    std::string versionName;
    std::string versionNote;
};

// Everything the program asks of a person or of the desktop: message boxes,
// the file chooser, modal dialogs, the help viewer, opening a file with its
// application and the chooser of that application. The program uses userInterface(); tests put a
// scripted one in its place.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // A message box with the buttons and icon of `style` (wxOK, wxCANCEL,
    // wxYES_NO, wxICON_*); returns the button pressed: wxOK, wxCANCEL, wxYES
    // or wxNO.
    virtual int messageBox(wxWindow* parent, const wxString& text, const wxString& caption,
                           long style) = 0;

    // The chooser for one or more existing files, with the fields for the
    // version name and note; its accept button reads `acceptLabel`. False
    // when the person cancels.
    virtual bool chooseFiles(wxWindow* parent, const wxString& title, const wxString& wildcard,
                             const wxString& acceptLabel, ChosenFiles& chosen) = 0;

    // The desktop's chooser of a folder, titled `title`; the person may make
    // a new folder in it. False when the person cancels. An interface that
    // does not answer it (a test's) cancels.
    virtual bool chooseFolder(wxWindow* parent, const wxString& title, std::string& folder) {
        (void)parent;
        (void)title;
        (void)folder;
        return false;
    }

    // Runs a dialog of the program modally; returns its end code.
    virtual int showModal(wxDialog& dialog) = 0;

    // Shows the help book `book` (a .htb file) at `topic`. False when the
    // book cannot be opened.
    virtual bool showHelp(wxWindow* parent, const wxString& book, const wxString& topic) = 0;

    // Opens `path` with the person's default application for its type (or
    // the one chosen in chooseApplication when the type has none) and
    // waits, while the windows keep handling events, until that
    // application's process ends. False when nothing could be started or
    // the wait failed.
    virtual bool launchAndWait(wxWindow* parent, const std::string& path) = 0;

    // The desktop's chooser of an application for files of `contentType`,
    // for a type that no application opens by default. Returns the chosen
    // application's desktop id, or "" when the person cancels. Nothing is
    // remembered: the type still has no application afterwards.
    virtual std::string chooseApplication(wxWindow* parent, const std::string& contentType) = 0;
};

// The interface in use: the real one unless a test installed another.
UserInterface& userInterface();

// Puts `ui` in place (not owned) and returns the one it replaces; null puts
// the real one back.
UserInterface* setUserInterface(UserInterface* ui);

// The real interface, whatever is installed.
UserInterface& desktopUserInterface();

#pragma once

// Where the extension asks the person: message boxes and the revision
// picker. The real prompts show windows (the toolkit starts with the first
// one); tests put scripted prompts in their place.

#include <string>

#include "shellext/ComAbi.h"
#include "shellext/ZebuiExport.h"

class UID;

// Buttons and icons of a message box, and the answers.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

class ShellPrompts {
public:
    virtual ~ShellPrompts() = default;

    // A message box owned by `owner` (none when null) with the buttons and
    // icon of `style`; returns IDOK or IDCANCEL. Texts are UTF-8.
    virtual int messageBox(HWND owner, const std::string& text, const std::string& caption,
                           unsigned style) = 0;

    // The revision picker (CZEBSelDialog) over the revisions of the
    // versioned file `file`: 1 after Get, with the chosen revision in
    // `revision`; 2 after Cancel; -1 when it cannot be shown.
    virtual int pickRevision(HWND owner, const UID& file, UID& revision) = 0;
};

// The prompts in use: those a test installed, else (in test builds) the
// scripted prompts of ZEBUI_TEST_ANSWERS when that is set, else the real
// ones.
ShellPrompts& shellPrompts();

// The real prompts (DesktopPrompts.cpp).
ShellPrompts& desktopPrompts();

#ifdef ZEBDOC_TEST_SEAMS
// Puts `prompts` in place (not owned) and returns the one it replaces; null
// puts the default back.
extern "C" ZEBUI_API ShellPrompts* ZebuiSetPromptsForTesting(ShellPrompts* prompts);
// The scripted prompts of the environment, or null when ZEBUI_TEST_ANSWERS
// is not set (ScriptedPrompts.cpp).
ShellPrompts* environmentPrompts();
#endif

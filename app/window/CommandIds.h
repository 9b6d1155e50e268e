#pragma once

// Ids of the main window's commands. Menu items, accelerators and toolbar
// buttons send these; the main window's handlers are keyed by them.
enum CommandId : int {
    kCmdAddNewVersion = 32787,
    kCmdExit = 105,
    kCmdEdit = 32785,
    kCmdOpen = 32806,
    kCmdDelete = 32803,
    kCmdGet = 32807,
    kCmdBrowse = 32788,
    kCmdSearch = 32789,
    kCmdContents = 32809,
    kCmdAbout = 104,
};

// wx takes window and menu item ids below 0x7fff only, so a command whose id
// is above that travels as its id less kCommandIdShift; ids below stay.
constexpr int kCommandIdShift = 0x7000;

constexpr int toWxId(int command) {
    return command >= 0x7fff ? command - kCommandIdShift : command;
}

inline constexpr CommandId kAllCommands[] = {
    kCmdAddNewVersion, kCmdExit,   kCmdEdit,   kCmdOpen,     kCmdDelete,
    kCmdGet,           kCmdBrowse, kCmdSearch, kCmdContents, kCmdAbout,
};

// The command a wx id stands for, or 0 when it stands for none.
constexpr int commandOf(int wxId) {
    for (CommandId command : kAllCommands) {
        if (toWxId(command) == wxId) {
            return command;
        }
    }
    return 0;
}

// Ids of the main window's own child windows.
enum ChildWindowId : int {
    kToolbarWindowId = 2001,
    kStatusBarWindowId = 2002,
};

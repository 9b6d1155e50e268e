#pragma once

// What the host does with the extension, in the order the desktop's file
// manager does it:
//
//   DllGetClassObject (our class, IClassFactory)
//   CreateInstance (IShellExtInit), then the factory's Release
//   Initialize (the selected files in a data object)
//   QueryInterface (IContextMenu)
//   QueryContextMenu (a normal menu)
//   InvokeCommand (the offset of the chosen item)  [add and get only]
//   Release of both interfaces, then of the data object
//   DllCanUnloadNow; the caller unloads the library when it answers S_OK
//
// Free of any toolkit, so that its tests need no display.

#include <string>
#include <vector>

#include "shellext/ComAbi.h"
#include "shellext/host/HostObjects.h"

enum class HostCommand { Add, Get, Menu };

// The command words of the host's command line.
const char* commandWord(HostCommand command);

// Reads "add|get|menu FILE...". Every argument after the command is a file
// (no options, so a name that starts with "-" is a file too), made absolute
// against the current folder. False with a message for the person in
// `error` when the command is unknown or no file is given.
bool parseHostArguments(const std::vector<std::string>& arguments, HostCommand& command,
                        std::vector<std::string>& files, std::string& error);

struct ServerEntryPoints {
    LPFNGETCLASSOBJECT getClassObject = nullptr;
    LPFNCANUNLOADNOW canUnloadNow = nullptr;
};

// The command ids the host offers the extension.
constexpr UINT kFirstCommandId = 1;
constexpr UINT kLastCommandId = 0x7FFF;

struct HostOutcome {
    bool ok = false;
    std::string error;               // why not, for the person
    std::vector<HostMenuItem> menu;  // what the extension inserted
    HRESULT invoked = S_OK;          // InvokeCommand's result
    bool canUnload = false;          // DllCanUnloadNow answered S_OK
};

HostOutcome runSession(const ServerEntryPoints& server, HostCommand command,
                       const std::vector<std::string>& files);

// The menu item that carries out `command`: the one whose text is the
// extension's text for it. Null when the extension did not insert it.
const HostMenuItem* itemFor(HostCommand command, const std::vector<HostMenuItem>& menu);

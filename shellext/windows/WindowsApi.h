#pragma once

// The extension's window code lives in a library of its own,
// libzebui-windows.so, installed beside libzebui.so: the toolkit's start and
// stop, the message boxes and the revision picker's window. libzebui loads
// it the first time it needs a window (WindowsLibrary.h), so that a command
// that shows none never loads the toolkit's libraries.
//
// Between the two libraries: plain virtual functions over standard types and
// opaque pointers; no toolkit type, and nothing that throws.

#include <string>
#include <vector>

#include "shellext/ComAbi.h"

namespace zebui {

// What the picker's window asks of the picker (CZEBSelDialog), in libzebui.
class PickerOwner {
public:
    // The dialog's events, as they arrive: the picker's event procedure.
    // `dialog` is the dialog's wxWindow*, `event` the wxEvent*.
    virtual bool dispatch(void* dialog, void* event) = 0;
    // The header and the rows of the file being shown.
    virtual void listData(std::vector<std::string>& headers,
                          std::vector<std::vector<std::string>>& rows) = 0;
    // Get with the one selected row: `revision` is its identifier text.
    virtual void choose(const std::string& revision) = 0;
    // Get without exactly one selected row: the person is asked to select
    // one.
    virtual void askForOne() = 0;

protected:
    ~PickerOwner() = default;
};

// One picker's window and its list pane.
class PickerWindow {
public:
    virtual ~PickerWindow() = default;
    // Shows the dialog modally (the toolkit runs): 1 after Get, 2 after
    // Cancel, -1 when it cannot be made.
    virtual int show(HWND owner) = 0;
    // The picker's public members over the window (`dialog` a wxWindow*).
    virtual void resize(void* dialog) = 0;
    virtual void ok(void* dialog) = 0;
    // The handling of one event (`event` a wxEvent*): true when handled.
    virtual bool handle(void* dialog, void* event) = 0;
};

// What startToolkit() found.
enum class ToolkitState {
    failed,   // no display, or the toolkit would not start (not tried again)
    running,  // it runs (started earlier, or by the program)
    started,  // started by this call
};

// The library's entry.
class Windows {
public:
    // Starts the toolkit unless it runs (inside a program that has one,
    // that program's is used).
    virtual ToolkitState startToolkit() = 0;
    // Stops the toolkit if startToolkit() started it.
    virtual void stopToolkit() = 0;
    // A message box (the toolkit runs) with the buttons and icon of `style`
    // (Prompts.h): IDOK or IDCANCEL.
    virtual int messageBox(HWND owner, const std::string& text, const std::string& caption,
                           unsigned style) = 0;
    // A picker's window for `owner`; null when out of memory.
    virtual PickerWindow* newPicker(PickerOwner& owner) = 0;

protected:
    ~Windows() = default;
};

}  // namespace zebui

// The file of the library, and the name of its entry: the one object of
// the library, which lives as long as the library is loaded.
constexpr char kZebuiWindowsFile[] = "libzebui-windows.so";
constexpr char kZebuiWindowsEntry[] = "ZebuiWindows";
extern "C" __attribute__((visibility("default"))) zebui::Windows* ZebuiWindows();

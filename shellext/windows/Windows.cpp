// The window library's entry: the toolkit, message boxes through the person
// seam of the shared user-interface library, and the picker's windows.

#include <wx/defs.h>
#include <wx/string.h>
#include <wx/toplevel.h>

#include <new>

#include "shellext/Prompts.h"
#include "shellext/windows/PickerWindow.h"
#include "shellext/windows/Toolkit.h"
#include "shellext/windows/WindowsApi.h"
#include "ui/UserInterface.h"

namespace {

class DesktopWindows : public zebui::Windows {
public:
    zebui::ToolkitState startToolkit() override {
        try {
            return zebui::startWindowToolkit();
        } catch (...) {
            return zebui::ToolkitState::failed;
        }
    }

    void stopToolkit() override {
        try {
            zebui::stopWindowToolkit();
        } catch (...) {
        }
    }

    int messageBox(HWND owner, const std::string& text, const std::string& caption,
                   unsigned style) override {
        try {
            long wxStyle = (style & MB_OKCANCEL) != 0 ? wxOK | wxCANCEL : wxOK;
            if ((style & MB_ICONQUESTION) != 0) {
                wxStyle |= wxICON_QUESTION;
            } else if ((style & MB_ICONINFORMATION) != 0) {
                wxStyle |= wxICON_INFORMATION;
            }
            auto* parent = reinterpret_cast<wxWindow*>(owner);
            if (parent == nullptr) {
                // Started from a file manager: above its window.
                wxStyle |= wxSTAY_ON_TOP;
            }
            const int answer = userInterface().messageBox(parent, wxString::FromUTF8(text),
                                                          wxString::FromUTF8(caption), wxStyle);
            return answer == wxOK ? IDOK : IDCANCEL;
        } catch (...) {
            return (style & MB_OKCANCEL) != 0 ? IDCANCEL : IDOK;
        }
    }

    zebui::PickerWindow* newPicker(zebui::PickerOwner& owner) override {
        return zebui::makePickerWindow(owner);
    }
};

}  // namespace

extern "C" zebui::Windows* ZebuiWindows() {
    static DesktopWindows windows;
    return &windows;
}

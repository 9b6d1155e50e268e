// The real prompts: message boxes through the person seam of the shared
// user-interface library, and the revision picker. Without a display they
// fall back to the standard error and answer as a careful person would:
// Cancel where there is a choice.

#include <wx/defs.h>
#include <wx/string.h>
#include <wx/toplevel.h>

#include <cstdio>

#include "shellext/Prompts.h"
#include "shellext/SelDialog.h"
#include "shellext/Toolkit.h"
#include "ui/UserInterface.h"

namespace {

class DesktopPrompts : public ShellPrompts {
public:
    int messageBox(HWND owner, const std::string& text, const std::string& caption,
                   unsigned style) override {
        if (!startToolkit()) {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return (style & MB_OKCANCEL) != 0 ? IDCANCEL : IDOK;
        }
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
    }

    int pickRevision(HWND owner, const UID& file, UID& revision) override {
        CZEBSelDialog dialog;
        const int code = dialog.show(owner, file);
        if (code == 1) {
            dialog.getSelectedUID(revision);
        }
        return code;
    }
};

}  // namespace

ShellPrompts& desktopPrompts() {
    static DesktopPrompts prompts;
    return prompts;
}

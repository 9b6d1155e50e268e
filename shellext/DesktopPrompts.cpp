// The real prompts: message boxes and the revision picker in the window
// library. Without a display (or without that library) they fall back to the
// standard error and answer as a careful person would: Cancel where there is
// a choice.

#include <cstdio>

#include "shellext/Prompts.h"
#include "shellext/SelDialog.h"
#include "shellext/Toolkit.h"
#include "shellext/WindowsLibrary.h"

namespace {

class DesktopPrompts : public ShellPrompts {
public:
    int messageBox(HWND owner, const std::string& text, const std::string& caption,
                   unsigned style) override {
        if (!startToolkit()) {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return (style & MB_OKCANCEL) != 0 ? IDCANCEL : IDOK;
        }
        return zebui::loadedWindowsLibrary()->messageBox(owner, text, caption, style);
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

#pragma once

#include <memory>

#include "setup/model/Pages.h"

class wxProgressDialog;
class wxWindow;

namespace setup {

// The pages as dialogs owned by the setup program's window.
class DialogPageHost : public PageHost {
public:
    explicit DialogPageHost(wxWindow* owner) : m_owner(owner) {}
    int showPage(const PageEntry& entry, Page& page) override;

private:
    wxWindow* m_owner;
};

// The person at the desktop, through the shared person seam
// (ui/UserInterface.h), which tests replace.
class DesktopSetupPerson : public SetupPerson {
public:
    explicit DesktopSetupPerson(wxWindow* owner);
    ~DesktopSetupPerson() override;
    int messageBox(int messageId, const std::string& text, const std::string& caption,
                   int style) override;
    bool chooseFolder(const std::string& title, std::string& folder) override;
    void fileProgress(size_t done, size_t total, const std::string& file) override;
    void filesDone() override;

private:
    wxWindow* m_owner;
    std::unique_ptr<wxProgressDialog> m_progress;
};

// The program: unattended with an answers file (ZEBDOC_SETUP_ANSWERS), else
// the wizard on the desktop. Returns the exit code.
int setupMain(int argc, char** argv);

}  // namespace setup

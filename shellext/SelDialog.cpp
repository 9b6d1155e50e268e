#include "shellext/SelDialog.h"

#include <new>

#include "shellext/Module.h"
#include "shellext/Prompts.h"
#include "shellext/RevisionRows.h"
#include "shellext/ShellStrings.h"
#include "shellext/Toolkit.h"
#include "shellext/WindowsLibrary.h"

namespace {

void makeCurrent(CZEBSelDialog* dialog) {
    pthread_setspecific(zebui::dialogTlsIndex(), dialog);
}

CZEBSelDialog* currentDialog() {
    return static_cast<CZEBSelDialog*>(pthread_getspecific(zebui::dialogTlsIndex()));
}

void askForOneRevision() {
    shellPrompts().messageBox(nullptr, shellstrings::text(shellstrings::kSelectRevision),
                              shellstrings::text(shellstrings::kCaption),
                              MB_OK | MB_ICONINFORMATION);
}

}  // namespace

namespace zebui {

// The picker's side of its window in the window library: what the window
// asks of the picker, and the window.
class PickerLink final : public PickerOwner {
public:
    explicit PickerLink(CZEBSelDialog& picker) : m_picker(picker) {}
    PickerLink(const PickerLink&) = delete;
    PickerLink& operator=(const PickerLink&) = delete;
    ~PickerLink() = default;

    bool dispatch(void* dialog, void* event) override {
        try {
            return CZEBSelDialog::ZEBSelectDlgProc(static_cast<wxWindow*>(dialog),
                                                   *static_cast<wxEvent*>(event));
        } catch (...) {
            return false;
        }
    }

    void listData(std::vector<std::string>& headers,
                  std::vector<std::vector<std::string>>& rows) override {
        try {
            m_picker.getListData(headers, rows);
        } catch (...) {
            rows.clear();
        }
    }

    void choose(const std::string& revision) override {
        try {
            m_picker.m_selectedUID = revision.c_str();
        } catch (...) {
        }
    }

    void askForOne() override {
        try {
            askForOneRevision();
        } catch (...) {
        }
    }

    std::unique_ptr<PickerWindow> window;

private:
    CZEBSelDialog& m_picker;
};

}  // namespace zebui

CZEBSelDialog::CZEBSelDialog() : m_selectedUID(UID::none()), m_objectUID(UID::none()) {
    makeCurrent(this);
}

CZEBSelDialog::~CZEBSelDialog() {
    m_window.reset();
    if (currentDialog() == this) {
        makeCurrent(nullptr);
    }
}

int CZEBSelDialog::show(HWND owner, const UID& file) {
    m_objectUID = file;
    if (!startToolkit()) {
        return -1;
    }
    makeCurrent(this);
    if (!m_window) {
        m_window.reset(new (std::nothrow) zebui::PickerLink(*this));
        if (!m_window) {
            return -1;
        }
    }
    if (!m_window->window) {
        m_window->window.reset(zebui::loadedWindowsLibrary()->newPicker(*m_window));
        if (!m_window->window) {
            return -1;
        }
    }
    return m_window->window->show(owner);
}

void CZEBSelDialog::getListData(std::vector<std::string>& headers,
                                std::vector<std::vector<std::string>>& rows) {
    revisionRows(m_objectUID, headers, rows);
}

void CZEBSelDialog::resizeDialog(wxWindow* dialog) {
    if (m_window && m_window->window) {
        m_window->window->resize(dialog);
    }
}

void CZEBSelDialog::doOK(wxWindow* dialog) {
    if (m_window && m_window->window) {
        m_window->window->ok(dialog);
        return;
    }
    // No window and so no row selected.
    askForOneRevision();
}

void CZEBSelDialog::getSelectedUID(UID& out) const {
    out = m_selectedUID;
}

bool CZEBSelDialog::ZEBSelectDlgProc(wxWindow* dialog, wxEvent& event) {
    CZEBSelDialog* self = currentDialog();
    if (self == nullptr || !self->m_window || !self->m_window->window) {
        return false;
    }
    return self->m_window->window->handle(dialog, &event);
}

#include "app/commands/SelectContext.h"

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

#include "app/window/AppState.h"
#include "app/window/CommandIds.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"

namespace {

constexpr int kUidTextSize = 1024;

}  // namespace

SelectContext::~SelectContext() {
    release();
}

void SelectContext::release() {
    // The revision file only refers to its versioned file; neither
    // destructor looks at the other.
    delete m_versionedFile;
    m_versionedFile = nullptr;
    delete m_revisionFile;
    m_revisionFile = nullptr;
    m_current = nullptr;
}

RevisionFile* SelectContext::resolveRevision(const UID& versionedFile, const UID& revision) {
    release();
    m_versionedFile = new VersionedFile(versionedFile);
    m_revisionFile = new RevisionFile(revision, m_versionedFile);
    m_current = m_revisionFile;
    return m_revisionFile;
}

VersionedFile* SelectContext::resolveVersionedFile(const UID& versionedFile) {
    release();
    m_versionedFile = new VersionedFile(versionedFile);
    m_current = m_versionedFile;
    return m_versionedFile;
}

IZEB* SelectContext::reread() {
    if (!m_versionedFile) {
        return nullptr;
    }
    char file[kUidTextSize] = "";
    char revision[kUidTextSize] = "";
    m_versionedFile->getUID(file, kUidTextSize);
    if (m_revisionFile) {
        m_revisionFile->getUID(revision, kUidTextSize);
    }
    UID fileUid = UID::none();
    fileUid = file;
    if (revision[0] == '\0') {
        return resolveVersionedFile(fileUid);
    }
    UID revisionUid = UID::none();
    revisionUid = revision;
    return resolveRevision(fileUid, revisionUid);
}

void SelectContext::setCommandState(wxWindow* mainWindow, int kind) {
    if (m_commandState == kRightPaneRow && kind == kRightPaneRow) {
        return;
    }
    // A program that is not set up keeps them all greyed.
    const bool setUp = AppState::isSetUp();
    const bool any =
        setUp && (kind == kVersionedFile || kind == kRevision || kind == kRightPaneRow);
    const bool revision = setUp && (kind == kRevision || kind == kRightPaneRow);
    struct Command {
        int id;
        bool enabled;
    };
    const Command commands[] = {
        {kCmdEdit, any}, {kCmdGet, revision}, {kCmdOpen, revision}, {kCmdDelete, any}};

    auto* frame = dynamic_cast<wxFrame*>(mainWindow);
    wxMenuBar* menus = frame ? frame->GetMenuBar() : nullptr;
    if (menus) {
        for (const Command& c : commands) {
            if (menus->FindItem(toWxId(c.id))) {
                menus->Enable(toWxId(c.id), c.enabled);
            }
        }
    }
    auto* toolbar =
        mainWindow ? dynamic_cast<wxToolBar*>(mainWindow->FindWindow(kToolbarWindowId)) : nullptr;
    if (toolbar) {
        for (const Command& c : commands) {
            if (toolbar->FindById(toWxId(c.id))) {
                toolbar->EnableTool(toWxId(c.id), c.enabled);
            }
        }
    }
    m_commandState = kind;
}

#include "app/commands/VersionCommands.h"

#include <glib.h>
#include <wx/defs.h>
#include <wx/string.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/commands/EditDialog.h"
#include "app/commands/OpenedCopies.h"
#include "app/commands/SelectContext.h"
#include "app/commands/SelectionWalk.h"
#include "app/window/StringTable.h"
#include "core/IZEB.h"
#include "core/RevisionFile.h"
#include "core/VersionedFile.h"
#include "platform/FileSystem.h"
#include "ui/UserInterface.h"

namespace fs = zeb::platform;

namespace VersionCommands {

namespace {

constexpr int kTextSize = 1024;

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

int message(wxWindow* parent, int textId, long style) {
    return userInterface().messageBox(parent, wxString::FromUTF8(strings::text(textId)),
                                      wxString::FromUTF8(strings::text(strings::kTitle)), style);
}

// What opening one revision needs, taken before anything is launched: the
// walk and its items may be gone once the first wait has let other
// commands run.
struct OpenJob {
    std::string source;     // the archived copy
    std::string uid;        // the revision's identifier
    std::string extension;  // of the working file's name
};

bool describe(RevisionFile& revision, OpenJob& job) {
    const auto* file = dynamic_cast<const VersionedFile*>(revision.getObject());
    if (!file) {
        return false;
    }
    char dir[kTextSize] = "";
    char path[kTextSize] = "";
    char uid[kTextSize] = "";
    file->getObjectDir(dir, kTextSize);
    file->getFileFullPath(path, kTextSize);
    revision.getUID(uid, kTextSize);
    if (dir[0] == '\0' || uid[0] == '\0') {
        return false;
    }
    job.source = std::string(dir) + VersionedFile::DIRSEP + uid;
    job.uid = uid;
    job.extension = OpenedCopies::nameExtension(path);
    return true;
}

void open(wxWindow* mainWindow, const OpenJob& job) {
    const std::string folder = OpenedCopies::processFolder();
    if (folder.empty()) {
        return;
    }
    const std::string target = folder + "/" + job.uid + job.extension;
    fs::CopyOptions options;
    options.replace = true;
    options.mode = 0400;
    if (!fs::copyFile(job.source, target, options)) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    const bool waited = userInterface().launchAndWait(mainWindow, target);
    const auto took = std::chrono::steady_clock::now() - start;
    if (waited && took < OpenedCopies::handOverTime()) {
        // Gone at once: an application that was already running has the
        // file now and reads it when it likes.
        OpenedCopies::keepUntilExit(target);
        return;
    }
    fs::removeFile(target);
}

// Get replaces the working file: when it holds work that no archived copy
// has, only once the person agreed (OK/Cancel, Cancel the default). Where
// there is no working file, nothing is lost.
bool mayReplaceWork(wxWindow* mainWindow, RevisionFile& revision) {
    const auto* owner = dynamic_cast<const VersionedFile*>(revision.getObject());
    if (!owner) {
        return true;
    }
    char path[kTextSize] = "";
    owner->getFileFullPath(path, kTextSize);
    fs::FileStatus status;
    if (path[0] == '\0' || !fs::getStatus(path, status) || !status.isRegular) {
        return true;
    }
    VersionedFile file(*owner);
    if (!revision.diffFile(path, &file)) {
        return true;
    }
    char version[kTextSize] = "";
    revision.getVersion(version, kTextSize);
    GText shown(g_utf8_make_valid(path, -1));
    const wxString text =
        wxString::Format(wxString::FromUTF8(strings::text(strings::kConfirmReplaceWork)),
                         wxString::FromUTF8(shown.get()), wxString::FromUTF8(version));
    return userInterface().messageBox(mainWindow, text,
                                      wxString::FromUTF8(strings::text(strings::kTitle)),
                                      wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_WARNING) == wxOK;
}

}  // namespace

bool editItems(wxWindow* mainWindow, SelectionWalk& walk, SelectContext& context,
               const std::function<void()>& afterDialog) {
    IZEB* item = walk.firstSelected(false);
    if (!item) {
        message(mainWindow, strings::kSelectToModify, wxOK | wxICON_QUESTION);
        return false;
    }
    bool anyStored = false;
    for (; item; item = walk.nextSelected(false)) {
        IZEB* current = context.current() ? context.current() : item;
        anyStored = runEditDialog(mainWindow, current) == 1 || anyStored;
        if (afterDialog) {
            afterDialog();
        }
    }
    return anyStored;
}

int runEditDialog(wxWindow* mainWindow, IZEB* item) {
    EditDialog dialog(mainWindow, item);
    if (userInterface().showModal(dialog) != wxID_OK) {
        return 2;
    }
    // A failed save is not reported.
    dialog.store();
    return 1;
}

DeleteOutcome deleteItems(wxWindow* mainWindow, SelectionWalk& walk, bool dropping,
                          const std::function<void()>& beforeWalk) {
    DeleteOutcome outcome;
    if (message(mainWindow, strings::kConfirmRemove, wxOK | wxCANCEL | wxICON_WARNING) != wxOK) {
        return outcome;
    }
    outcome.confirmed = true;
    if (beforeWalk) {
        beforeWalk();
    }
    for (IZEB* item = walk.firstSelected(dropping); item; item = walk.nextSelected(dropping)) {
        outcome.anyItem = true;
        if (dynamic_cast<RevisionFile*>(item)) {
            outcome.anyRevision = true;
        }
        // The identifier is taken first: a destroyed item's may be gone.
        char uid[kTextSize] = "";
        item->getUID(uid, kTextSize);
        if (item->destroy()) {
            ++outcome.destroyed;
            outcome.destroyedUids.push_back(uid);
        }
    }
    return outcome;
}

int openItems(wxWindow* mainWindow, SelectionWalk& walk) {
    std::vector<OpenJob> jobs;
    int revisions = 0;
    for (IZEB* item = walk.firstSelected(false); item; item = walk.nextSelected(false)) {
        auto* revision = dynamic_cast<RevisionFile*>(item);
        if (!revision) {
            continue;
        }
        ++revisions;
        OpenJob job;
        if (describe(*revision, job)) {
            jobs.push_back(job);
        }
    }
    if (revisions == 0) {
        message(mainWindow, strings::kSelectToOpen, wxOK | wxICON_QUESTION);
        return 0;
    }
    // One after the other: the next application starts when the one before
    // has ended. A failed copy or launch is not reported.
    for (const OpenJob& job : jobs) {
        open(mainWindow, job);
    }
    return revisions;
}

void restoreItems(wxWindow* mainWindow, SelectionWalk& walk) {
    bool anyRevision = false;
    bool anyFailed = false;
    bool anyRestored = false;
    for (IZEB* item = walk.firstSelected(false); item; item = walk.nextSelected(false)) {
        auto* revision = dynamic_cast<RevisionFile*>(item);
        if (!revision) {
            continue;
        }
        anyRevision = true;
        if (!mayReplaceWork(mainWindow, *revision)) {
            continue;
        }
        if (revision->restore()) {
            anyRestored = true;
        } else {
            anyFailed = true;
        }
    }
    // Every revision kept back at the question: the person has had the
    // last word.
    if (anyRevision && !anyFailed && !anyRestored) {
        return;
    }
    const int text = !anyRevision ? strings::kSelectToOpen
                     : anyFailed  ? strings::kGetIncomplete
                                  : strings::kGetComplete;
    message(mainWindow, text, wxOK | wxICON_INFORMATION);
}

void removeOpenedCopies() {
    OpenedCopies::removeKept();
}

void cleanStaleOpenedCopies() {
    OpenedCopies::cleanStale();
}

}  // namespace VersionCommands

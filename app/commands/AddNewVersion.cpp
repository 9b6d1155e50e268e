#include "app/commands/AddNewVersion.h"

#include <glib.h>
#include <wx/progdlg.h>
#include <wx/string.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/window/MainWindow.h"
#include "app/window/StringTable.h"
#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/RevisionFile.h"
#include "core/Statements.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "core/WriterLock.h"
#include "platform/FileSystem.h"
#include "ui/UserInterface.h"

namespace fs = zeb::platform;

namespace AddNewVersion {

namespace {

constexpr std::chrono::milliseconds kProgressDelay{1000};

std::chrono::milliseconds g_progressDelay{-1};
std::function<void(size_t)> g_afterFile;

wxString textOf(int id) {
    return wxString::FromUTF8(strings::text(id));
}

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

// `path` as text that can be shown, whatever bytes its name holds.
std::string shown(const std::string& path) {
    GText valid(g_utf8_make_valid(path.c_str(), static_cast<gssize>(path.size())));
    return valid ? valid.get() : std::string();
}

// The progress dialog, made once adding has taken longer than the delay.
class Progress {
public:
    Progress(wxWindow* parent, size_t count)
        : m_parent(parent), m_count(count), m_start(std::chrono::steady_clock::now()) {}

    // Before file `index`: false when the person asked to stop.
    bool next(size_t index, const std::string& path) {
        const wxString text = wxString::FromUTF8(shown(path));
        if (!m_dialog) {
            const auto delay = g_progressDelay.count() < 0 ? kProgressDelay : g_progressDelay;
            if (std::chrono::steady_clock::now() - m_start < delay) {
                return true;
            }
            m_dialog = std::make_unique<wxProgressDialog>(
                textOf(strings::kStatusAdd), text, static_cast<int>(m_count), m_parent,
                wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_SMOOTH);
        }
        return m_dialog->Update(static_cast<int>(index), text);
    }

    void finish() {
        if (m_dialog) {
            m_dialog->Update(static_cast<int>(m_count));
            m_dialog.reset();
        }
    }

private:
    wxWindow* m_parent;
    size_t m_count;
    std::chrono::steady_clock::time_point m_start;
    std::unique_ptr<wxProgressDialog> m_dialog;
};

// The longest list of failures a report names one by one.
constexpr size_t kListedFailures = 20;

// Why the first save of the file at `path` failed, from what the core
// tells; `databaseFailures` is the database's failure count before it.
std::string whyNotArchived(const std::string& path, unsigned long databaseFailures) {
    if (Statements::countChars(path) > Statements::kPathChars) {
        return strings::text(strings::kReasonPathTooLong);
    }
    fs::FileStatus status;
    int error = 0;
    if (!fs::getStatus(path, status, &error)) {
        return std::strerror(error);
    }
    if (!status.exists) {
        return strings::text(strings::kReasonMissing);
    }
    if (!status.isRegular) {
        return strings::text(strings::kReasonNotRegular);
    }
    if (!ArchiveRoot::isValid()) {
        return ArchiveRoot::problem();
    }
    if (DatabaseInstance::failureCount() != databaseFailures) {
        std::string reason = strings::text(strings::kReasonDatabase);
        if (!g_utf8_validate(path.c_str(), static_cast<gssize>(path.size()), nullptr)) {
            reason = std::string(strings::text(strings::kReasonNameNotUtf8)) + "; " + reason;
        }
        const std::string said = DatabaseInstance::lastError();
        return said.empty() ? reason : reason + ": " + said;
    }
    if (RevisionFile::lastCopyError() != 0) {
        return std::string(strings::text(strings::kReasonCopy)) + ": " +
               std::strerror(RevisionFile::lastCopyError());
    }
    return strings::text(strings::kReasonUnknown);
}

// The first save of `item`, a new file or revision of the file at `path`,
// under the writer lock; when it fails, why goes to `outcome`.
bool save(IZEB& item, const std::string& path, Outcome& outcome) {
    const unsigned long databaseFailures = DatabaseInstance::failureCount();
    {
        // The save takes the lock too; held here, its failure has a reason.
        WriterLock lock;
        if (lock.held() && item.save()) {
            return true;
        }
        if (!lock.held()) {
            outcome.failures.push_back({path, WriterLock::lastError()});
            return false;
        }
    }
    outcome.failures.push_back({path, whyNotArchived(path, databaseFailures)});
    return false;
}

// One file, under the given name and note.
void addFile(wxWindow* mainWindow, const std::string& path, const std::string& name,
             const std::string& note, Outcome& outcome) {
    UID uid = UID::none();
    if (VersionedFile::isFileVersioned(path.c_str(), uid)) {
        VersionedFile file(uid);
        RevisionFile revision(name.c_str(), note.c_str(), &file);
        if (!revision.diffFile(path.c_str(), &file)) {
            // Named, for the question may come for any file of many.
            const int answer = userInterface().messageBox(
                mainWindow, textOf(strings::kConfirmUnchanged) + "\n\n" + wxString::FromUTF8(path),
                textOf(strings::kTitle), wxOK | wxCANCEL | wxICON_INFORMATION);
            if (answer != wxOK) {
                ++outcome.skipped;
                return;
            }
        }
        if (save(revision, path, outcome)) {
            ++outcome.revisions;
        }
        return;
    }
    VersionedFile file(name.c_str(), note.c_str(), path.c_str());
    if (save(file, path, outcome)) {
        ++outcome.versionedFiles;
    }
}

// One message after the run: every file that was not archived, and why.
void reportFailures(wxWindow* mainWindow, const std::vector<Failure>& failures) {
    if (failures.empty()) {
        return;
    }
    std::string text = strings::text(strings::kAddFailures);
    for (size_t i = 0; i < failures.size() && i < kListedFailures; ++i) {
        text += "\n" + shown(failures[i].path) + ": " + failures[i].reason;
    }
    wxString message = wxString::FromUTF8(text);
    if (failures.size() > kListedFailures) {
        message += "\n" + wxString::Format(textOf(strings::kAddFailuresMore),
                                           static_cast<int>(failures.size() - kListedFailures));
    }
    userInterface().messageBox(mainWindow, message, textOf(strings::kTitle), wxOK | wxICON_ERROR);
}

}  // namespace

const char* const kWildcard = "All|*|Text|*.txt;*.TXT";

std::string sizeNote(uint64_t bytes) {
    return "Size: " + std::to_string(bytes / 1000) + " KB";
}

std::string sizeNoteOf(const std::string& path) {
    fs::FileStatus status;
    if (!fs::getStatus(path, status) || !status.exists) {
        return "Size: ";
    }
    return sizeNote(status.size);
}

Outcome addFiles(wxWindow* mainWindow, const ChosenFiles& files) {
    Outcome outcome;
    // Typed once, for every file; each file fills in what was left empty.
    const bool ownName = files.versionName.empty();
    const bool ownNote = files.versionNote.empty();
    Progress progress(mainWindow, files.paths.size());
    for (size_t i = 0; i < files.paths.size(); ++i) {
        const std::string path = fs::fullPath(files.paths[i]);
        if (!progress.next(i, path)) {
            outcome.cancelled = true;
            break;
        }
        const std::string name = ownName ? fs::baseName(path) : files.versionName;
        const std::string note = ownNote ? sizeNoteOf(path) : files.versionNote;
        addFile(mainWindow, path, name, note, outcome);
        if (g_afterFile) {
            g_afterFile(i);
        }
    }
    progress.finish();
    reportFailures(mainWindow, outcome.failures);
    return outcome;
}

void setProgressDelayForTesting(std::chrono::milliseconds delay) {
    g_progressDelay = delay;
}

void setAfterFileForTesting(std::function<void(size_t index)> afterFile) {
    g_afterFile = std::move(afterFile);
}

}  // namespace AddNewVersion

void addNewVersion(wxWindow* mainWindow) {
    ChosenFiles chosen;
    if (!userInterface().chooseFiles(mainWindow, AddNewVersion::textOf(strings::kAddChooserTitle),
                                     AddNewVersion::kWildcard,
                                     AddNewVersion::textOf(strings::kLabelAdd), chosen)) {
        return;
    }
    AddNewVersion::addFiles(mainWindow, chosen);
    auto* main = dynamic_cast<MainWindow*>(mainWindow);
    if (main && main->isBrowsing()) {
        main->browse();
    }
}

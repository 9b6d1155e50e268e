#include "app/commands/AddNewVersion.h"

#include <wx/progdlg.h>
#include <wx/string.h>

#include <memory>

#include "app/window/MainWindow.h"
#include "app/window/StringTable.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
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

// The progress dialog, made once adding has taken longer than the delay.
class Progress {
public:
    Progress(wxWindow* parent, size_t count)
        : m_parent(parent), m_count(count), m_start(std::chrono::steady_clock::now()) {}

    // Before file `index`: false when the person asked to stop.
    bool next(size_t index, const std::string& path) {
        const wxString text = wxString::FromUTF8(path);
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
        if (revision.save()) {
            ++outcome.revisions;
        } else {
            ++outcome.failed;
        }
        return;
    }
    VersionedFile file(name.c_str(), note.c_str(), path.c_str());
    if (file.save()) {
        ++outcome.versionedFiles;
    } else {
        ++outcome.failed;
    }
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

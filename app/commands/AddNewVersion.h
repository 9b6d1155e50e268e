#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class wxWindow;
struct ChosenFiles;

// The Add New Version command: asks for files and puts a new version of each
// under version control; then, when the left pane is the browse tree, a new
// tree shows them.
void addNewVersion(wxWindow* mainWindow);

// The parts of the command.
namespace AddNewVersion {

// The chooser's filters: every file, and text files.
extern const char* const kWildcard;

// The default note of a file of `bytes` bytes: "Size: <thousands> KB",
// rounded down.
std::string sizeNote(uint64_t bytes);
// The default note of the file at `path`; "Size: " when it cannot be found.
std::string sizeNoteOf(const std::string& path);

// A file that was not archived, and why.
struct Failure {
    std::string path;
    std::string reason;
};

// What the per-file loop did.
struct Outcome {
    int versionedFiles = 0;         // files put under version control
    int revisions = 0;              // new versions of files already under it
    int skipped = 0;                // unchanged files answered with Cancel
    std::vector<Failure> failures;  // saves that failed
    bool cancelled = false;         // stopped in the progress dialog
};

// Adds every chosen file in order: a typed name or note applies to all of
// them, else each gets its own name and size note. An unchanged file asks
// first (message 116). When the files take longer than the progress delay,
// a progress dialog names the file being added; its Cancel stops after the
// current file. Afterwards one message lists every file that was not
// archived with the reason (a file kept back at the question is not one).
Outcome addFiles(wxWindow* mainWindow, const ChosenFiles& files);

// For tests: the time after which the progress dialog appears (negative:
// the normal second), and a call after each file with its index.
void setProgressDelayForTesting(std::chrono::milliseconds delay);
void setAfterFileForTesting(std::function<void(size_t index)> afterFile);

}  // namespace AddNewVersion

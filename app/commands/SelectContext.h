#pragma once

#include <string>

class IZEB;
class RevisionFile;
class UID;
class VersionedFile;
class wxWindow;

// What a left pane has selected, as the core library's objects: the latest
// resolved versioned file and, for a revision, its revision file. The
// context owns both; `current` is the one the commands act on. It also keeps
// the Version commands' enabled state in step with the kind of selection.
class SelectContext {
public:
    // Kinds of selection passed to setCommandState.
    enum Kind : int {
        kNothing = 0,  // a folder, the root, a fresh result list
        kVersionedFile = 1,
        kRevision = 2,
        kRightPaneRow = 3,  // a row of the right pane was clicked
    };

    SelectContext() = default;
    SelectContext(const SelectContext&) = delete;
    SelectContext& operator=(const SelectContext&) = delete;
    virtual ~SelectContext();

    // The current versioned item, or null before the first resolution.
    IZEB* current() const { return m_current; }
    VersionedFile* versionedFile() const { return m_versionedFile; }
    RevisionFile* revisionFile() const { return m_revisionFile; }

    // Replace the held objects with ones read for the given identifiers.
    // The identifiers are not checked; the objects hold whatever is read.
    RevisionFile* resolveRevision(const UID& versionedFile, const UID& revision);
    VersionedFile* resolveVersionedFile(const UID& versionedFile);
    // Reads the current item again from the repository, as a new
    // resolution of the same identifiers; null when nothing is resolved.
    IZEB* reread();

    // Enables or greys Edit, Get, Open and Delete on the main window's menu
    // and toolbar for the kind of selection. A second right-pane click in a
    // row changes nothing.
    void setCommandState(wxWindow* mainWindow, int kind);
    int commandState() const { return m_commandState; }

    const std::string& selectedPath() const { return m_selectedPath; }
    void setSelectedPath(const std::string& path) { m_selectedPath = path; }

private:
    void release();

    IZEB* m_current = nullptr;
    VersionedFile* m_versionedFile = nullptr;
    RevisionFile* m_revisionFile = nullptr;
    std::string m_selectedPath;
    int m_commandState = kNothing;
};

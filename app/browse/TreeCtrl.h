#pragma once

#include <wx/treebase.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <map>
#include <string>
#include <vector>

#include "app/browse/ArchiveFolder.h"
#include "app/commands/SelectContext.h"
#include "app/commands/SelectionWalk.h"
#include "app/window/Control.h"

class MainWindow;
class wxTreeCtrl;

// The window id of the browse tree's control.
constexpr int kTreeControlId = 2003;

// A node of the tree that stands for an archive entry: its parent node and
// the entry's name (for a revision, the revision's identifier; its label is
// the version). A versioned file's node also holds the file (its path in
// FILETABLE, which names the node, and its identifier); two files whose
// paths differ only in ":" and "@" share the entry but not the node.
struct NodeRecord {
    wxTreeItemId parent;
    std::string name;
    VersionedPath file;

    bool isVersionedFile() const { return !file.uid.empty(); }
};

// The browse tree: the archive shown as the user's own folders. Below the
// root "VFS" come the folders, one node per versioned file and, below it,
// one leaf per archived revision labelled with its version. A node's
// children are read when it is first expanded; until then a placeholder
// stands in for them. Selecting a node fills the right pane: the folder's
// contents, the file's revisions, or the revision's attributes.
//
// Every node carries a node number: 0 for the root and the placeholders,
// else the number of its NodeRecord, handed out 1, 2, 3, ... as nodes are
// made and never reused while the tree lives.
//
// Paths: a node's archive path is the archive root followed by "/" and the
// names of the nodes from below the root down to it; its working path is
// where the item lives in the user's file system, "/" followed by those
// names. Archive names with "@" may stand for ":" in the working path: a
// versioned file's node holds the path FILETABLE has for it (ArchiveFolder),
// and its revisions are that file's own.
//
// A new tree opens where the previous one of the main window was: the nodes
// down to the one last selected are expanded again and it is selected.
class TreeCtrl : public Control, public SelectionWalk {
public:
    // Makes the tree on the main window, reads the root's children and
    // selects the root, which fills the right pane with its contents.
    explicit TreeCtrl(wxWindow* mainWindow);
    ~TreeCtrl() override;

    // Control.
    wxWindow* getWindow() override;
    // Handles expansion, collapse and selection changes of the tree; passes
    // every other event on. Returns 0.
    long onNotify(wxWindow* mainWindow, wxEvent& event) override;
    void editAttributes(wxWindow* mainWindow, wxCommandEvent& event) override;
    void deleteItems(wxWindow* mainWindow, wxCommandEvent& event) override;
    void openRevisions(wxWindow* mainWindow) override;
    void restoreRevisions(wxWindow* mainWindow) override;
    SelectContext* selectContext() override;

    // SelectionWalk: the selected rows of the right pane when it has the
    // keyboard focus, the selected node when the tree has it, else nothing.
    IZEB* firstSelected(bool dropping) override;
    IZEB* nextSelected(bool dropping) override;

    // Fills the right pane for `node` and sets the command state.
    void onSelectionChanged(wxWindow* mainWindow, const wxTreeItemId& node);
    // Removes `node`, its following siblings and their descendants whose
    // archive entries no longer exist. The root and placeholders stay.
    void pruneMissing(const wxTreeItemId& node);
    // Removes the first child of the selected node named `name`, if any; a
    // versioned file's node goes by the name it shows.
    void dropChildNode(const std::string& name);

    // Reads the children of `parent` from the archive and adds their nodes,
    // in listing order; with `placeholderOnly`, adds a placeholder only.
    // Returns the last node added (invalid when none).
    wxTreeItemId populate(const wxTreeItemId& parent, bool placeholderOnly);
    // What the node's archive directory holds (ArchiveKind).
    int classifyNode(const wxTreeItemId& node) const;

    // The tree control.
    wxTreeCtrl* treeWindow() const { return m_tree; }
    // The node whose selection last filled the right pane.
    wxTreeItemId selectedNode() const { return m_selectedNode; }
    int nodeNumber(const wxTreeItemId& node) const;
    // The record of a node number, null for 0 and unknown numbers.
    const NodeRecord* nodeRecord(int number) const;
    // Records made so far.
    int recordCount() const { return static_cast<int>(m_records.size()); }
    // The names below the root down to `node`, joined by "/".
    std::string relativePath(const wxTreeItemId& node) const;
    std::string nodePath(const wxTreeItemId& node) const;
    // "/" followed by the relative path; empty for the root.
    std::string workingPath(const wxTreeItemId& node) const;
    bool isPlaceholder(const wxTreeItemId& node) const;
    // Whether the five images could be made; without them the tree is empty.
    bool hasImages() const { return m_hasImages; }

    int openFolderImage() const { return m_openFolderImage; }
    int closedFolderImage() const { return m_closedFolderImage; }
    int fileImage() const { return m_fileImage; }
    int revisionImage() const { return m_revisionImage; }
    int openFileImage() const { return m_openFileImage; }

private:
    void makeImages();
    wxTreeItemId addNode(const wxTreeItemId& parent, const ArchiveEntry& entry, int image);
    void setImage(const wxTreeItemId& node, int image);
    void onExpanding(const wxTreeItemId& node);
    void onCollapsing(const wxTreeItemId& node);
    bool isFolderNode(const wxTreeItemId& node) const;
    // The versioned file a node stands for; false for other nodes.
    bool versionedFileOf(const wxTreeItemId& node, VersionedPath& file) const;

    // Where the tree is: a key for each node from below the root down to
    // `node` (a versioned file's identifier, else the entry's name); and the
    // way back there in a new tree.
    std::vector<std::string> placeOf(const wxTreeItemId& node) const;
    wxTreeItemId reopen(const wxTreeItemId& root, const std::vector<std::string>& place);

    // The three views of the right pane.
    void showRevisions(MainWindow* mainWindow, const std::string& fileUid);
    void showAttributes(MainWindow* mainWindow, const std::string& revisionUid,
                        const std::string& fileUid);
    void showFolder(MainWindow* mainWindow, const ArchiveFolder& folder);

    // The selection walk's steps.
    IZEB* walkRightPane(bool dropping);
    IZEB* walkTree();

    // Removes a node, moving the remembered selection to its parent when the
    // node is the selected one or holds it.
    void deleteNode(const wxTreeItemId& node);
    bool isSelfOrAncestor(const wxTreeItemId& node, const wxTreeItemId& of) const;
    // Selects `node` in the tree and fills the right pane for it, once.
    void selectNode(wxWindow* mainWindow, const wxTreeItemId& node);
    // After nodes were removed: when the selected node went, its nearest
    // surviving ancestor becomes the selection and fills the right pane.
    void reselectIfLost(wxWindow* mainWindow);

    wxWindow* rightPaneWindow() const;
    MainWindow* mainWindow() const;

    int m_openFolderImage = -1;
    int m_closedFolderImage = -1;
    int m_fileImage = -1;
    int m_revisionImage = -1;
    int m_openFileImage = -1;
    bool m_hasImages = false;

    wxWindow* m_mainWindow;
    wxTreeCtrl* m_tree = nullptr;
    // Whether the tree control still exists (its parent may destroy it
    // first).
    wxWeakRef<wxWindow> m_treeAlive;
    wxTreeItemId m_selectedNode;
    bool m_selectionLost = false;
    bool m_selecting = false;
    SelectContext m_selection;

    // Node table: the record of node number n is m_records[n - 1].
    std::vector<NodeRecord> m_records;

    // The entries of the folder the right pane lists, by name: their
    // working paths.
    std::map<std::string, std::string> m_folderEntries;

    // The walk's state: the texts collected from the right pane's selected
    // rows, and how far the walk got.
    std::vector<std::string> m_walkValues;
    size_t m_walkPosition = 0;
};

#include "app/browse/TreeCtrl.h"

#include <wx/artprov.h>
#include <wx/image.h>
#include <wx/imaglist.h>
#include <wx/treectrl.h>

#include <initializer_list>
#include <memory>

#include "app/browse/ArchiveFolder.h"
#include "app/commands/VersionCommands.h"
#include "app/window/MainWindow.h"
#include "app/window/StringTable.h"
#include "core/ArchiveRoot.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "core/VersionedObject.h"
#include "platform/FileSystem.h"
#include "ui/EditView.h"
#include "ui/IconView.h"
#include "ui/ListRows.h"
#include "ui/ReportView.h"
#include "ui/UserInterface.h"

namespace fs = zeb::platform;

namespace {

constexpr int kImageSize = 16;
constexpr char kRootLabel[] = "VFS";
constexpr int kTextSize = 1024;

// The node number every node carries.
class NodeNumber : public wxTreeItemData {
public:
    explicit NodeNumber(int number) : m_number(number) {}
    int number() const { return m_number; }

private:
    int m_number;
};

// Names are bytes; one that is not UTF-8 shows as Latin-1 rather than
// vanishing.
wxString labelText(const std::string& text) {
    wxString result = wxString::FromUTF8(text.data(), text.size());
    if (result.empty() && !text.empty()) {
        result = wxString(text.data(), wxConvISO8859_1, text.size());
    }
    return result;
}

// The first of the theme's images that exists, at the tree's image size.
wxBitmap themeImage(std::initializer_list<wxArtID> names) {
    for (const wxArtID& name : names) {
        wxBitmap bitmap =
            wxArtProvider::GetBitmap(name, wxART_OTHER, wxSize(kImageSize, kImageSize));
        if (!bitmap.IsOk()) {
            continue;
        }
        if (bitmap.GetWidth() != kImageSize || bitmap.GetHeight() != kImageSize) {
            wxImage image = bitmap.ConvertToImage();
            image.Rescale(kImageSize, kImageSize, wxIMAGE_QUALITY_HIGH);
            bitmap = wxBitmap(image);
        }
        return bitmap;
    }
    return wxBitmap();
}

bool isWithin(const wxWindow* window, const wxWindow* pane) {
    for (; window && pane; window = window->GetParent()) {
        if (window == pane) {
            return true;
        }
    }
    return false;
}

// A relative archive path cut at its last "/": the parent's path and the
// last name (no "/": an empty parent and the whole path).
void splitLast(const std::string& relative, std::string& parent, std::string& last) {
    const size_t slash = relative.rfind('/');
    if (slash == std::string::npos) {
        parent.clear();
        last = relative;
    } else {
        parent = relative.substr(0, slash);
        last = relative.substr(slash + 1);
    }
}

// What finds a node again in a new tree: a versioned file's identifier,
// else the entry's name.
const std::string& placeKey(const NodeRecord& record) {
    return record.isVersionedFile() ? record.file.uid : record.name;
}

UID uidOf(const std::string& text) {
    UID uid = UID::none();
    uid = text.c_str();
    return uid;
}

// The focus of a command's start, put back after each dialog.
class FocusMark {
public:
    FocusMark() : m_window(wxWindow::FindFocus()) {}
    wxWindow* window() const { return m_window; }
    void restore() const {
        if (wxWindow* window = m_window) {
            window->SetFocus();
        }
    }

private:
    wxWeakRef<wxWindow> m_window;
};

}  // namespace

TreeCtrl::TreeCtrl(wxWindow* mainWindow) : m_mainWindow(mainWindow) {
    m_tree = new wxTreeCtrl(mainWindow, kTreeControlId, wxDefaultPosition, wxDefaultSize,
                            wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_SINGLE | wxBORDER_SUNKEN);
    m_treeAlive = m_tree;
    makeImages();
    if (!m_hasImages) {
        return;  // no images, no nodes
    }
    const wxTreeItemId root = populate(wxTreeItemId(), false);
    populate(root, false);
    // The Browse command shows the first visible node, the root, unless the
    // main window had a tree before: then the node that tree had selected.
    MainWindow* main = this->mainWindow();
    selectNode(mainWindow, main ? reopen(root, main->browsePlace()) : root);
}

TreeCtrl::~TreeCtrl() {
    if (wxWindow* tree = m_treeAlive) {
        tree->Destroy();
    }
}

void TreeCtrl::makeImages() {
    // In the order of their indices: closed folder, open folder, versioned
    // file, revision, versioned file while expanded.
    const wxBitmap images[] = {
        themeImage({wxART_FOLDER}),
        themeImage({wxART_FOLDER_OPEN}),
        themeImage({"x-office-document", wxART_NORMAL_FILE}),
        themeImage({"text-x-generic", wxART_NORMAL_FILE}),
        themeImage({"folder-documents", wxART_FOLDER_OPEN}),
    };
    auto list = std::make_unique<wxImageList>(kImageSize, kImageSize, true, 5);
    for (const wxBitmap& image : images) {
        if (image.IsOk()) {
            list->Add(image);
        }
    }
    if (list->GetImageCount() != 5) {
        return;
    }
    m_closedFolderImage = 0;
    m_openFolderImage = 1;
    m_fileImage = 2;
    m_revisionImage = 3;
    m_openFileImage = 4;
    m_tree->AssignImageList(list.release());
    m_hasImages = true;
}

wxWindow* TreeCtrl::getWindow() {
    return m_tree;
}

SelectContext* TreeCtrl::selectContext() {
    return &m_selection;
}

MainWindow* TreeCtrl::mainWindow() const {
    return dynamic_cast<MainWindow*>(m_mainWindow);
}

wxWindow* TreeCtrl::rightPaneWindow() const {
    MainWindow* main = mainWindow();
    DataView* view = main ? main->rightPane() : nullptr;
    return view ? view->getWindow() : nullptr;
}

// Nodes and paths.

int TreeCtrl::nodeNumber(const wxTreeItemId& node) const {
    if (!node.IsOk()) {
        return 0;
    }
    const auto* data = dynamic_cast<const NodeNumber*>(m_tree->GetItemData(node));
    return data ? data->number() : 0;
}

const NodeRecord* TreeCtrl::nodeRecord(int number) const {
    if (number < 1 || number > static_cast<int>(m_records.size())) {
        return nullptr;
    }
    return &m_records[static_cast<size_t>(number) - 1];
}

bool TreeCtrl::isPlaceholder(const wxTreeItemId& node) const {
    return node.IsOk() && nodeNumber(node) == 0 && node != m_tree->GetRootItem();
}

std::string TreeCtrl::relativePath(const wxTreeItemId& node) const {
    std::vector<const std::string*> names;
    for (const NodeRecord* record = nodeRecord(nodeNumber(node)); record;
         record = nodeRecord(nodeNumber(record->parent))) {
        names.push_back(&record->name);
    }
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!path.empty()) {
            path += '/';
        }
        path += **name;
    }
    return path;
}

std::string TreeCtrl::nodePath(const wxTreeItemId& node) const {
    return ArchiveFolder(ArchiveRoot::path(), relativePath(node)).archivePath();
}

std::string TreeCtrl::workingPath(const wxTreeItemId& node) const {
    return ArchiveFolder(ArchiveRoot::path(), relativePath(node)).plainWorkingPath();
}

int TreeCtrl::classifyNode(const wxTreeItemId& node) const {
    return ArchiveFolder::classify(nodePath(node));
}

wxTreeItemId TreeCtrl::addNode(const wxTreeItemId& parent, const ArchiveEntry& entry, int image) {
    const std::string& name = entry.name;
    const std::string& label = entry.label;
    m_records.push_back(NodeRecord{parent, name, VersionedPath{}});
    if (entry.isVersionedFile()) {
        m_records.back().file = VersionedPath{entry.workingPath, entry.uid};
    }
    const int number = static_cast<int>(m_records.size());
    return m_tree->AppendItem(parent, labelText(label), image, image, new NodeNumber(number));
}

void TreeCtrl::setImage(const wxTreeItemId& node, int image) {
    m_tree->SetItemImage(node, image, wxTreeItemIcon_Normal);
    m_tree->SetItemImage(node, image, wxTreeItemIcon_Selected);
}

wxTreeItemId TreeCtrl::populate(const wxTreeItemId& parent, bool placeholderOnly) {
    if (!parent.IsOk()) {
        return m_tree->AddRoot(kRootLabel, m_closedFolderImage, m_closedFolderImage,
                               new NodeNumber(0));
    }
    if (placeholderOnly) {
        return m_tree->PrependItem(parent, kRootLabel, m_closedFolderImage, m_closedFolderImage,
                                   new NodeNumber(0));
    }
    std::vector<ArchiveEntry> entries;
    VersionedPath file;
    if (versionedFileOf(parent, file)) {
        // A versioned file's revisions are its own rows, wherever its
        // directory is shared.
        entries = ArchiveFolder::revisionsOf(file);
    } else if (!ArchiveFolder(ArchiveRoot::path(), relativePath(parent)).read(entries)) {
        return wxTreeItemId();
    }
    wxTreeItemId last;
    for (const ArchiveEntry& entry : entries) {
        if (entry.isRevision()) {
            last = addNode(parent, entry, m_revisionImage);
        } else if (entry.kind == kVersionedFileDirectory) {
            last = addNode(parent, entry, m_fileImage);
            populate(last, true);
        } else if (entry.kind == kFolderDirectory) {
            last = addNode(parent, entry, m_closedFolderImage);
            populate(last, true);
        } else {
            last = addNode(parent, entry, m_closedFolderImage);
        }
    }
    return last;
}

// Notifications.

long TreeCtrl::onNotify(wxWindow* mainWindow, wxEvent& event) {
    auto* treeEvent = dynamic_cast<wxTreeEvent*>(&event);
    const wxEventType type = event.GetEventType();
    if (!treeEvent || event.GetEventObject() != m_tree) {
        event.Skip();
    } else if (type == wxEVT_TREE_ITEM_EXPANDING) {
        onExpanding(treeEvent->GetItem());
    } else if (type == wxEVT_TREE_ITEM_COLLAPSING) {
        onCollapsing(treeEvent->GetItem());
    } else if (type == wxEVT_TREE_SEL_CHANGED) {
        if (!m_selecting) {
            onSelectionChanged(mainWindow, treeEvent->GetItem());
        }
    } else {
        event.Skip();
    }
    return 0;
}

bool TreeCtrl::isFolderNode(const wxTreeItemId& node) const {
    VersionedPath file;
    return !versionedFileOf(node, file) && classifyNode(node) == kFolderDirectory;
}

bool TreeCtrl::versionedFileOf(const wxTreeItemId& node, VersionedPath& file) const {
    const NodeRecord* record = nodeRecord(nodeNumber(node));
    if (!record || !record->isVersionedFile()) {
        return false;
    }
    file = record->file;
    return true;
}

void TreeCtrl::onExpanding(const wxTreeItemId& node) {
    if (!node.IsOk()) {
        return;
    }
    setImage(node, isFolderNode(node) ? m_openFolderImage : m_openFileImage);
    wxTreeItemIdValue cookie;
    const wxTreeItemId first = m_tree->GetFirstChild(node, cookie);
    if (first.IsOk() && isPlaceholder(first)) {
        m_tree->Delete(first);
        populate(node, false);
    }
}

void TreeCtrl::onCollapsing(const wxTreeItemId& node) {
    if (!node.IsOk()) {
        return;
    }
    setImage(node, isFolderNode(node) ? m_closedFolderImage : m_fileImage);
}

// The right pane.

void TreeCtrl::onSelectionChanged(wxWindow* mainWindow, const wxTreeItemId& node) {
    if (!node.IsOk()) {
        return;
    }
    auto* main = dynamic_cast<MainWindow*>(mainWindow);
    if (main) {
        main->setRightPane(nullptr);
    }
    m_selectedNode = node;
    m_selectionLost = false;
    m_folderEntries.clear();

    if (main) {
        main->setBrowsePlace(placeOf(node));
    }
    const std::string relative = relativePath(node);
    VersionedPath file;
    if (versionedFileOf(node, file)) {
        m_selection.setSelectedPath(file.path);
        showRevisions(main, file.uid);
        m_selection.setCommandState(mainWindow, SelectContext::kVersionedFile);
        return;
    }
    std::string parent;
    std::string last;
    splitLast(relative, parent, last);
    VersionedPath owner;
    if (versionedFileOf(m_tree->GetItemParent(node), owner)) {
        m_selection.setSelectedPath(owner.path + "/" + last);
        showAttributes(main, last, owner.uid);
        m_selection.setCommandState(mainWindow, SelectContext::kRevision);
        return;
    }
    const ArchiveFolder folder(ArchiveRoot::path(), relative);
    m_selection.setSelectedPath(folder.plainWorkingPath());
    showFolder(main, folder);
    m_selection.setCommandState(mainWindow, SelectContext::kNothing);
}

void TreeCtrl::showRevisions(MainWindow* main, const std::string& fileUid) {
    if (!main) {
        return;
    }
    const UID uid = uidOf(fileUid);
    Rows rows;
    const int count = VersionedObject::getNumRevs(uid);
    if (count > 0) {
        std::unique_ptr<RevisionListElement[]> revisions(new RevisionListElement[count]);
        int filled = 0;
        VersionedObject::getRevisions(uid, revisions.get(), count, &filled);
        rows.reserve(static_cast<size_t>(filled));
        for (int i = 0; i < filled; ++i) {
            const RevisionListElement& r = revisions[i];
            rows.push_back({r[0], r[1], r[2], r[3], r[4]});
        }
    }
    const wxRect rect = main->rightPaneRect();
    auto* view = new ReportView(main, &rect);
    view->setColumns({"Ver.", "Name", "Notes", "Date"}, rows, {10, 20, 30, 40});
    main->setRightPane(view);
}

void TreeCtrl::showAttributes(MainWindow* main, const std::string& revisionUid,
                              const std::string& fileUid) {
    RevisionFile* revision = m_selection.resolveRevision(uidOf(fileUid), uidOf(revisionUid));
    if (!main) {
        return;
    }
    char uid[kTextSize] = "";
    char name[kTextSize] = "";
    char notes[kTextSize] = "";
    char version[kTextSize] = "";
    revision->getUID(uid, kTextSize);
    revision->getName(name, kTextSize);
    revision->getNotes(notes, kTextSize);
    revision->getVersion(version, kTextSize);
    const Rows rows = {{uid, "UID"}, {name, "Name"}, {notes, "Note"}, {version, "Version"}};
    const wxRect rect = main->rightPaneRect();
    auto* view = new EditView(main, &rect);
    view->setColumns({"Value", "Rev. Attribute"}, rows, {70, 30});
    view->setColumnOrder({1, 0});
    main->setRightPane(view);
}

void TreeCtrl::showFolder(MainWindow* main, const ArchiveFolder& folder) {
    std::vector<ArchiveEntry> entries;
    folder.read(entries, false);
    Rows rows;
    rows.reserve(entries.size());
    for (const ArchiveEntry& entry : entries) {
        m_folderEntries[entry.label] = entry.workingPath;
        rows.push_back({entry.label, entry.isVersionedFile() ? "ZEB" : "Folder"});
    }
    if (!main) {
        return;
    }
    const wxRect rect = main->rightPaneRect();
    auto* view = new IconView(main, &rect);
    view->setColumns({"Name"}, rows, {100});
    main->setRightPane(view);
}

// The selection walk.

IZEB* TreeCtrl::firstSelected(bool dropping) {
    m_walkPosition = 0;
    m_walkValues.clear();
    return nextSelected(dropping);
}

IZEB* TreeCtrl::nextSelected(bool dropping) {
    // A selected row that stands for no versioned item (a folder in the
    // folder list) is passed over: the walk goes on with the next one.
    IZEB* result = nullptr;
    do {
        if (!m_walkValues.empty() && m_walkPosition >= m_walkValues.size()) {
            return nullptr;
        }
        wxWindow* focus = wxWindow::FindFocus();
        wxWindow* pane = rightPaneWindow();
        if (pane && isWithin(focus, pane)) {
            result = walkRightPane(dropping);
        } else if (isWithin(focus, m_tree)) {
            result = walkTree();
        }
        ++m_walkPosition;
    } while (!result && m_walkPosition < m_walkValues.size());
    return result;
}

IZEB* TreeCtrl::walkRightPane(bool dropping) {
    DataView* view = mainWindow()->rightPane();
    if (auto* report = dynamic_cast<ReportView*>(view)) {
        if (m_walkValues.empty()) {
            report->getSelectedValues(4, m_walkValues);
        }
        if (m_walkValues.empty()) {
            return nullptr;
        }
        // The list shows the revisions of the selected versioned file.
        UID fileUid = UID::none();
        if (!VersionedFile::isFileVersioned(m_selection.selectedPath().c_str(), fileUid)) {
            return nullptr;
        }
        const std::string& value = m_walkValues[m_walkPosition];
        RevisionFile* revision = m_selection.resolveRevision(fileUid, uidOf(value));
        if (dropping && revision) {
            dropChildNode(value);
        }
        return revision;
    }
    if (auto* icons = dynamic_cast<IconView*>(view)) {
        if (m_walkValues.empty()) {
            icons->getSelectedValues(0, m_walkValues);
        }
        if (m_walkValues.empty()) {
            return nullptr;
        }
        const std::string& name = m_walkValues[m_walkPosition];
        const auto known = m_folderEntries.find(name);
        const std::string entryPath = known != m_folderEntries.end()
                                          ? known->second
                                          : m_selection.selectedPath() + "/" + name;
        IZEB* result = nullptr;
        UID uid = UID::none();
        if (VersionedFile::isFileVersioned(entryPath.c_str(), uid)) {
            result = m_selection.resolveVersionedFile(uid);
        }
        if (dropping && result) {
            dropChildNode(name);
        } else if (m_selectedNode.IsOk()) {
            // An empty folder of the archive goes, and its node with it.
            if (fs::removeDirectory(nodePath(m_selectedNode) + "/" + name)) {
                dropChildNode(name);
            }
        }
        return result;
    }
    if (dynamic_cast<EditView*>(view)) {
        return m_walkPosition == 0 ? m_selection.current() : nullptr;
    }
    return nullptr;
}

IZEB* TreeCtrl::walkTree() {
    if (m_walkPosition > 0) {
        return nullptr;  // the tree yields one object at most
    }
    const wxTreeItemId node = m_tree->GetSelection();
    const std::string relative = node.IsOk() ? relativePath(node) : std::string();
    if (relative.empty()) {
        return nullptr;  // nothing, the root or a placeholder
    }
    VersionedPath file;
    if (versionedFileOf(node, file)) {
        return m_selection.resolveVersionedFile(uidOf(file.uid));
    }
    std::string parent;
    std::string last;
    splitLast(relative, parent, last);
    VersionedPath owner;
    if (versionedFileOf(m_tree->GetItemParent(node), owner)) {
        return m_selection.resolveRevision(uidOf(owner.uid), uidOf(last));
    }
    return nullptr;
}

// Removing nodes.

bool TreeCtrl::isSelfOrAncestor(const wxTreeItemId& node, const wxTreeItemId& of) const {
    for (wxTreeItemId item = of; item.IsOk(); item = m_tree->GetItemParent(item)) {
        if (item == node) {
            return true;
        }
    }
    return false;
}

void TreeCtrl::deleteNode(const wxTreeItemId& node) {
    if (m_selectedNode.IsOk() && isSelfOrAncestor(node, m_selectedNode)) {
        m_selectedNode = m_tree->GetItemParent(node);
        m_selectionLost = true;
    }
    m_tree->Delete(node);
}

void TreeCtrl::dropChildNode(const std::string& name) {
    if (!m_selectedNode.IsOk()) {
        return;
    }
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = m_tree->GetFirstChild(m_selectedNode, cookie); child.IsOk();
         child = m_tree->GetNextChild(m_selectedNode, cookie)) {
        const NodeRecord* record = nodeRecord(nodeNumber(child));
        const bool named = record && (record->isVersionedFile() ? fs::baseName(record->file.path)
                                                                : record->name) == name;
        if (named) {
            deleteNode(child);
            return;
        }
    }
}

void TreeCtrl::pruneMissing(const wxTreeItemId& node) {
    for (wxTreeItemId item = node; item.IsOk();) {
        const wxTreeItemId next = m_tree->GetNextSibling(item);
        if (isPlaceholder(item)) {
            item = next;
            continue;
        }
        bool present = true;
        bool known = true;
        if (item != m_tree->GetRootItem()) {
            fs::FileStatus status;
            known = fs::getStatus(nodePath(item), status);
            present = status.exists;
        }
        VersionedPath file;
        UID uid = UID::none();
        if (known && present && versionedFileOf(item, file)) {
            // Its directory may hold another file's copies: the file is
            // there while FILETABLE has it too.
            present = VersionedFile::isFileVersioned(file.path.c_str(), uid);
        }
        if (known && !present) {
            deleteNode(item);
        } else if (known) {
            wxTreeItemIdValue cookie;
            const wxTreeItemId first = m_tree->GetFirstChild(item, cookie);
            if (first.IsOk()) {
                pruneMissing(first);
            }
        }
        item = next;
    }
}

void TreeCtrl::selectNode(wxWindow* mainWindow, const wxTreeItemId& node) {
    if (!node.IsOk()) {
        return;
    }
    m_selecting = true;
    m_tree->SelectItem(node);
    m_selecting = false;
    onSelectionChanged(mainWindow, node);
}

std::vector<std::string> TreeCtrl::placeOf(const wxTreeItemId& node) const {
    std::vector<std::string> place;
    for (const NodeRecord* record = nodeRecord(nodeNumber(node)); record;
         record = nodeRecord(nodeNumber(record->parent))) {
        place.insert(place.begin(), placeKey(*record));
    }
    return place;
}

wxTreeItemId TreeCtrl::reopen(const wxTreeItemId& root, const std::vector<std::string>& place) {
    wxTreeItemId node = root;
    for (const std::string& key : place) {
        // The events of the expansion reach no pane while the tree is being
        // made: read the children here.
        onExpanding(node);
        m_tree->Expand(node);
        wxTreeItemId next;
        wxTreeItemIdValue cookie;
        for (wxTreeItemId c = m_tree->GetFirstChild(node, cookie); c.IsOk() && !next.IsOk();
             c = m_tree->GetNextChild(node, cookie)) {
            const NodeRecord* record = nodeRecord(nodeNumber(c));
            if (record && placeKey(*record) == key) {
                next = c;
            }
        }
        if (!next.IsOk()) {
            break;  // gone since: its nearest ancestor that is left
        }
        node = next;
    }
    m_tree->EnsureVisible(node);
    return node;
}

void TreeCtrl::reselectIfLost(wxWindow* mainWindow) {
    if (m_selectionLost && m_selectedNode.IsOk()) {
        selectNode(mainWindow, m_selectedNode);
    }
}

// The version commands.

void TreeCtrl::editAttributes(wxWindow* mainWindow, wxCommandEvent&) {
    const FocusMark focus;
    const bool inList = isWithin(focus.window(), rightPaneWindow());
    const bool stored =
        VersionCommands::editItems(mainWindow, *this, m_selection, [&focus] { focus.restore(); });
    if (stored && m_selectedNode.IsOk()) {
        onSelectionChanged(mainWindow, m_selectedNode);
        if (wxWindow* pane = inList ? rightPaneWindow() : nullptr) {
            pane->SetFocus();
        }
    }
}

void TreeCtrl::deleteItems(wxWindow* mainWindow, wxCommandEvent&) {
    const FocusMark focus;
    const bool inList = isWithin(focus.window(), rightPaneWindow());
    const bool inTree = isWithin(focus.window(), m_tree);
    const VersionCommands::DeleteOutcome outcome =
        VersionCommands::deleteItems(mainWindow, *this, true, [&focus] { focus.restore(); });
    if (!outcome.confirmed) {
        return;
    }
    wxTreeItemId selected = m_tree->GetSelection();
    if (!selected.IsOk()) {
        selected = m_selectedNode;
    }
    // Pruning starts `levels` above the selected node, at most at the root.
    auto above = [this](wxTreeItemId node, int levels) {
        for (; levels > 0 && node.IsOk() && node != m_tree->GetRootItem(); --levels) {
            node = m_tree->GetItemParent(node);
        }
        return node.IsOk() ? node : m_tree->GetRootItem();
    };
    if (inList) {
        pruneMissing(above(selected, 1));
        if (m_selectionLost) {
            reselectIfLost(mainWindow);
        } else if (m_selectedNode.IsOk()) {
            onSelectionChanged(mainWindow, m_selectedNode);
        }
        if (wxWindow* pane = rightPaneWindow()) {
            pane->SetFocus();
        }
    } else if (inTree) {
        if (!outcome.anyItem) {
            userInterface().messageBox(
                mainWindow, wxString::FromUTF8(strings::text(strings::kSelectToDelete)),
                wxString::FromUTF8(strings::text(strings::kTitle)), wxOK | wxICON_QUESTION);
            return;
        }
        pruneMissing(above(selected, outcome.anyRevision ? 2 : 1));
        reselectIfLost(mainWindow);
    }
}

void TreeCtrl::openRevisions(wxWindow* mainWindow) {
    VersionCommands::openItems(mainWindow, *this);
}

void TreeCtrl::restoreRevisions(wxWindow* mainWindow) {
    VersionCommands::restoreItems(mainWindow, *this);
}

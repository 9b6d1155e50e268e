#include "app/window/MainWindow.h"

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/weakref.h>

#include <string>

#include "app/commands/AddNewVersion.h"
#include "app/commands/SelectContext.h"
#include "app/window/AboutBox.h"
#include "app/window/AppIcon.h"
#include "app/window/AppState.h"
#include "app/window/CommandIds.h"
#include "app/window/Control.h"
#include "app/window/MainMenu.h"
#include "app/window/MainToolbar.h"
#include "app/window/PaneFactory.h"
#include "app/window/Splitter.h"
#include "app/window/StringTable.h"
#include "core/DatabaseInstance.h"
#include "core/IZEB.h"
#include "core/RevisionObject.h"
#include "ui/DataView.h"
#include "ui/ListView.h"
#include "ui/ProcessWait.h"
#include "ui/UserInterface.h"

namespace {

constexpr int kSplitterPercent = 33;
// The attribute list's rows that can be edited in place, and the size of
// the texts read back.
constexpr long kNameRow = 1;
constexpr long kNoteRow = 2;
constexpr int kAttributeTextSize = 1024;
constexpr char kHelpTopic[] = "zebdoc_overview.html";

// What cannot work without an archive root and its database.
constexpr int kCommandsNeedingSetUp[] = {kCmdAddNewVersion, kCmdEdit, kCmdOpen,
                                         kCmdDelete,        kCmdGet,  kCmdSearch};

bool needsSetUp(int command) {
    for (int c : kCommandsNeedingSetUp) {
        if (c == command) {
            return true;
        }
    }
    return false;
}

DatabaseReading readDatabase() {
    DatabaseReading reading;
    reading.statements = DatabaseInstance::statementCount();
    if (DatabaseInstance::hasInstance()) {
        reading.returnCode = DatabaseInstance::instance()->lastReturnCode();
    }
    return reading;
}

wxString textOf(int id) {
    return wxString::FromUTF8(strings::text(id));
}

bool isWithin(const wxObject* object, const wxWindow* pane) {
    const auto* window = dynamic_cast<const wxWindow*>(object);
    for (; window && pane; window = window->GetParent()) {
        if (window == pane) {
            return true;
        }
    }
    return false;
}

// The window that has the keyboard focus when a command starts gets it back
// when the command is done, if it still exists. When it went with the
// command (a list shown anew, a pane replaced) and nothing has the focus
// now, the pane it was in gets it, so that the keyboard never goes dead.
class FocusKeeper {
public:
    explicit FocusKeeper(MainWindow* window)
        : m_window(window),
          m_focus(wxWindow::FindFocus()),
          m_inRightPane(window->rightPane() &&
                        isWithin(m_focus.get(), window->rightPane()->getWindow())) {}
    void restore() {
        wxWindow* focus = m_focus;
        if (focus && !wxTheApp->IsScheduledForDestruction(focus)) {
            focus->SetFocus();
            return;
        }
        if (wxWindow::FindFocus()) {
            return;
        }
        DataView* right = m_window->rightPane();
        Control* left = m_window->leftPane();
        if (m_inRightPane && right) {
            right->getWindow()->SetFocus();
        } else if (left) {
            left->getWindow()->SetFocus();
        }
    }

private:
    MainWindow* m_window;
    wxWeakRef<wxWindow> m_focus;
    bool m_inRightPane;
};

// Whether the keyboard focus of `frame` is in a field that edits text: a
// text field, a spin or combo box's field, the in-place editor.
bool textFieldHasFocus(wxWindow* frame) {
    GtkWidget* top = frame->GetHandle();
    GtkWidget* focus = top && GTK_IS_WINDOW(top) ? gtk_window_get_focus(GTK_WINDOW(top)) : nullptr;
    return focus && (GTK_IS_EDITABLE(focus) || GTK_IS_TEXT_VIEW(focus));
}

PaneBox boxOf(const wxWindow* window) {
    const wxRect r = window->GetRect();
    return {r.x, r.y, r.width, r.height};
}

void place(wxWindow* window, const PaneBox& box) {
    window->SetSize(box.x, box.y, box.width, box.height, wxSIZE_ALLOW_MINUS_ONE);
}

}  // namespace

MainWindow::MainWindow() : m_addNewVersion(addNewVersion) {}

MainWindow::~MainWindow() {
    m_leftPane.reset();
    m_rightPane.reset();
    if (AppState::mainWindow() == this) {
        AppState::setMainWindow(nullptr);
    }
}

bool MainWindow::create() {
    if (!Create(nullptr, wxID_ANY, textOf(strings::kTitle), wxDefaultPosition, wxSize(960, 640),
                wxDEFAULT_FRAME_STYLE, textOf(strings::kClassName))) {
        return false;
    }
    AppState::setMainWindow(this);
    SetIcons(appIcons());
    SetMenuBar(createMainMenu());

    Bind(wxEVT_MENU, &MainWindow::onCommand, this);
    Bind(wxEVT_CHAR_HOOK, &MainWindow::onKey, this);
    Bind(wxEVT_SIZE, &MainWindow::onSize, this);
    Bind(wxEVT_CLOSE_WINDOW, &MainWindow::onClose, this);
    Bind(ZEB_EVT_SPLITTER_MOVED, &MainWindow::onSplitterMoved, this);
    Bind(wxEVT_IDLE, &MainWindow::onIdle, this);

    m_toolbar = createMainToolbar(this);
    m_statusBar = new wxStatusBar(this, kStatusBarWindowId, wxSTB_DEFAULT_STYLE);
    m_statusBar->SetFieldsCount(1);
    m_bands.toolbarHeight = m_toolbar->GetBestSize().y;
    m_bands.statusHeight = m_statusBar->GetBestSize().y;
    const wxSize client = GetClientSize();
    const MainLayout bandsOnly = layoutMainWindow(client.x, client.y, m_bands, 0, 0);
    place(m_toolbar, bandsOnly.toolbar);
    place(m_statusBar, bandsOnly.statusBar);

    m_splitter = new Splitter;
    if (!m_splitter->create(this, kSplitterPercent, kSplitterPlain,
                            SplitterBands{m_bands.toolbarHeight, m_bands.statusHeight})) {
        delete m_splitter;
        m_splitter = nullptr;
        return false;
    }

    browse();
    checkPaneButton(m_toolbar, true);
    disableCommandsThatNeedSetUp();
    Show();
    Update();
    return true;
}

void MainWindow::setRightPane(DataView* view) {
    m_rightPane.reset(view);
}

wxRect MainWindow::rightPaneRect() const {
    const wxSize client = GetClientSize();
    const PaneBox box =
        rightPaneArea(client.x, client.y, m_bands, m_splitter ? m_splitter->getX() : 0,
                      m_splitter ? m_splitter->getWidth() : 0);
    return wxRect(box.x, box.y, box.width, box.height);
}

void MainWindow::setStatusText(const wxString& status) {
    if (m_statusBar) {
        m_statusBar->SetStatusText(status, 0);
        m_statusBar->Update();
    }
}

wxString MainWindow::statusText() const {
    return m_statusBar ? m_statusBar->GetStatusText(0) : wxString();
}

void MainWindow::ready() {
    int status = strings::kReady;
    if (!AppState::isSetUp()) {
        status = strings::kStatusNotSetUp;
    } else if (m_database.isFailing()) {
        status = strings::kStatusDatabaseUnusable;
    }
    setStatusText(textOf(status));
}

// Without an archive root the selection never re-enables these either
// (SelectContext::setCommandState).
void MainWindow::disableCommandsThatNeedSetUp() {
    if (AppState::isSetUp()) {
        return;
    }
    for (int command : kCommandsNeedingSetUp) {
        GetMenuBar()->Enable(toWxId(command), false);
        m_toolbar->EnableTool(toWxId(command), false);
    }
}

void MainWindow::watchDatabase() {
    // Not set up, the program has said all there is to say: run the setup.
    if (!AppState::isSetUp()) {
        return;
    }
    const DatabaseWatch::Change change = m_database.observe(readDatabase());
    if (change == DatabaseWatch::Change::kNone) {
        return;
    }
    ready();
    if (change == DatabaseWatch::Change::kFailed) {
        userInterface().messageBox(this,
                                   wxString::FromUTF8(DatabaseWatch::message(
                                       AppState::dataSourceName(), DatabaseInstance::lastError())),
                                   textOf(strings::kTitle), wxOK | wxICON_ERROR);
    }
}

void MainWindow::onIdle(wxIdleEvent& event) {
    event.Skip();
    watchDatabase();
}

void MainWindow::layoutPanes() {
    if (!m_toolbar || !m_statusBar || !m_splitter || !m_leftPane) {
        return;
    }
    const wxSize client = GetClientSize();
    const MainLayout layout =
        layoutMainWindow(client.x, client.y, m_bands, m_splitter->getX(), m_splitter->getWidth());
    place(m_toolbar, layout.toolbar);
    place(m_statusBar, layout.statusBar);
    place(m_leftPane->getWindow(), layout.leftPane);
    if (m_rightPane) {
        place(m_rightPane->getWindow(), layout.rightPane);
    }
    m_splitter->setBands(SplitterBands{m_bands.toolbarHeight, m_bands.statusHeight});
    m_splitter->resize();
}

void MainWindow::placeLeftPane() {
    if (!m_leftPane || !m_splitter) {
        return;
    }
    const wxSize client = GetClientSize();
    const MainLayout layout =
        layoutMainWindow(client.x, client.y, m_bands, m_splitter->getX(), m_splitter->getWidth());
    place(m_leftPane->getWindow(), layout.leftPane);
}

void MainWindow::checkPaneKind(bool browse) {
    m_browsing = browse;
    if (wxMenuBar* menus = GetMenuBar()) {
        menus->Check(toWxId(kCmdBrowse), browse);
        menus->Check(toWxId(kCmdSearch), !browse);
    }
    if (m_toolbar) {
        checkPaneButton(m_toolbar, browse);
    }
}

void MainWindow::browse() {
    m_leftPane.reset();
    m_leftPane.reset(makeBrowsePane(this));
    placeLeftPane();
    checkPaneKind(true);
    focusLeftPane();
}

void MainWindow::search() {
    m_leftPane.reset();
    m_leftPane.reset(makeSearchPane(this));
    placeLeftPane();
    checkPaneKind(false);
    focusLeftPane();
}

// The old pane took the focus with it: the keys go to the new one.
void MainWindow::focusLeftPane() {
    if (m_leftPane) {
        m_leftPane->getWindow()->SetFocus();
    }
}

bool MainWindow::TryBefore(wxEvent& event) {
    routeNotification(event);
    return wxFrame::TryBefore(event);
}

// Notifications are the events by which the list and tree controls tell
// their parent what happened (wxNotifyEvent and its kin), and the list
// views' clicks. A control's plain commands (a button's click, a text
// change) stay with the pane that made the control.
bool MainWindow::routeNotification(wxEvent& event) {
    const bool notification = dynamic_cast<wxNotifyEvent*>(&event) != nullptr ||
                              event.GetEventType() == ZEB_EVT_LIST_CLICK;
    if (!notification || !m_leftPane) {
        return false;
    }
    if (isWithin(event.GetEventObject(), m_leftPane->getWindow())) {
        m_leftPane->onNotify(this, event);
        return true;
    }
    if (!m_rightPane || !isWithin(event.GetEventObject(), m_rightPane->getWindow())) {
        return false;
    }
    if (event.GetEventType() == wxEVT_LIST_BEGIN_LABEL_EDIT) {
        // Of the attribute list only the name and the note can change: the
        // identifier and the version open no editor.
        auto& edit = static_cast<wxListEvent&>(event);
        if (edit.GetIndex() != kNameRow && edit.GetIndex() != kNoteRow) {
            edit.Veto();
        }
    } else if (event.GetEventType() == wxEVT_LIST_END_LABEL_EDIT) {
        endLabelEdit(event);
    } else if (event.GetEventType() == ZEB_EVT_LIST_CLICK) {
        if (SelectContext* selection = m_leftPane->selectContext()) {
            selection->setCommandState(this, SelectContext::kRightPaneRow);
        }
    } else if (event.GetEventType() == wxEVT_LIST_ITEM_SELECTED ||
               event.GetEventType() == wxEVT_LIST_ITEM_DESELECTED) {
        // Rows chosen with the keys count as a click does.
        if (SelectContext* selection = m_leftPane->selectContext()) {
            selection->setCommandState(this, SelectContext::kRightPaneRow);
        }
        m_rightPane->onNotify(this, event);
    } else {
        m_rightPane->onNotify(this, event);
    }
    return true;
}

void MainWindow::endLabelEdit(wxEvent& event) {
    auto* edit = dynamic_cast<wxListEvent*>(&event);
    if (!edit || edit->IsEditCancelled()) {
        return;
    }
    const long row = edit->GetIndex();
    SelectContext* selection = m_leftPane->selectContext();
    IZEB* item = selection ? selection->current() : nullptr;
    if (!item || (row != kNameRow && row != kNoteRow)) {
        return;
    }
    const std::string value = edit->GetLabel().utf8_string();
    if (row == kNameRow) {
        item->setName(value.c_str());
    } else {
        item->setNotes(value.c_str());
    }
    item->save();
    // The list shows what the repository holds now: the text as stored (a
    // long one cut to what the repository keeps), or the old one when the
    // save failed. A revision that cannot be read back leaves the list as
    // it was.
    IZEB* stored = selection->reread();
    auto* revision = dynamic_cast<RevisionObject*>(stored);
    auto* list = dynamic_cast<ListView*>(m_rightPane.get());
    if (stored && list && (!revision || revision->isVersionSaved())) {
        char text[kAttributeTextSize] = "";
        stored->getName(text, kAttributeTextSize);
        list->setCell(kNameRow, 0, text);
        stored->getNotes(text, kAttributeTextSize);
        list->setCell(kNoteRow, 0, text);
    }
}

void MainWindow::onCommand(wxCommandEvent& event) {
    const int command = commandOf(event.GetId());
    // Also when the command comes by a way that skips the greyed item.
    if (!AppState::isSetUp() && needsSetUp(command)) {
        return;
    }
    switch (command) {
        case kCmdAddNewVersion:
            onAddNewVersion(event);
            break;
        case kCmdExit:
            onExit(event);
            break;
        case kCmdEdit:
            onEdit(event);
            break;
        case kCmdOpen:
            onOpen(event);
            break;
        case kCmdDelete:
            onDelete(event);
            break;
        case kCmdGet:
            onGet(event);
            break;
        case kCmdBrowse:
            onBrowse(event);
            break;
        case kCmdSearch:
            onSearch(event);
            break;
        case kCmdContents:
            onContents(event);
            break;
        case kCmdAbout:
            onAbout(event);
            break;
        default:
            event.Skip();
            break;
    }
}

// Every key comes here before the focused control sees it. A key of the
// command table runs its command, unless the command is greyed; a text
// field keeps its editing keys.
void MainWindow::onKey(wxKeyEvent& event) {
    const int command =
        commandForKey(event.GetKeyCode(), event.GetModifiers(), textFieldHasFocus(this));
    if (command == 0) {
        event.Skip();
        return;
    }
    wxMenuBar* menus = GetMenuBar();
    if (menus && menus->FindItem(toWxId(command)) && !menus->IsEnabled(toWxId(command))) {
        return;
    }
    wxCommandEvent run(wxEVT_MENU, toWxId(command));
    run.SetEventObject(this);
    HandleWindowEvent(run);
}

void MainWindow::onAddNewVersion(wxCommandEvent&) {
    FocusKeeper focus(this);
    setStatusText(textOf(strings::kStatusAdd));
    m_addNewVersion(this);
    ready();
    focus.restore();
}

void MainWindow::onEdit(wxCommandEvent& event) {
    FocusKeeper focus(this);
    setStatusText(textOf(strings::kStatusEdit));
    if (m_leftPane) {
        m_leftPane->editAttributes(this, event);
    }
    ready();
    focus.restore();
}

void MainWindow::onOpen(wxCommandEvent&) {
    FocusKeeper focus(this);
    setStatusText(textOf(strings::kStatusOpen));
    if (m_leftPane) {
        m_leftPane->openRevisions(this);
    }
    ready();
    focus.restore();
    if (m_closeAfterWait && runningWaits() == 0) {
        Destroy();
    }
}

void MainWindow::onGet(wxCommandEvent&) {
    FocusKeeper focus(this);
    setStatusText(textOf(strings::kStatusGet));
    if (m_leftPane) {
        m_leftPane->restoreRevisions(this);
    }
    ready();
    focus.restore();
}

void MainWindow::onDelete(wxCommandEvent& event) {
    setStatusText(textOf(strings::kStatusDelete));
    if (m_leftPane) {
        m_leftPane->deleteItems(this, event);
    }
    ready();
}

void MainWindow::onBrowse(wxCommandEvent&) {
    browse();
}

void MainWindow::onSearch(wxCommandEvent&) {
    search();
}

void MainWindow::onContents(wxCommandEvent&) {
    const std::string book = AppState::helpBookPath();
    if (!userInterface().showHelp(this, wxString::FromUTF8(book), kHelpTopic)) {
        userInterface().messageBox(
            this, wxString::FromUTF8(strings::filled(strings::kHelpUnavailable, {book})),
            textOf(strings::kTitle), wxOK | wxICON_ERROR);
    }
}

void MainWindow::onAbout(wxCommandEvent&) {
    FocusKeeper focus(this);
    AboutBox about(this);
    userInterface().showModal(about);
    focus.restore();
}

void MainWindow::onExit(wxCommandEvent&) {
    closeOrDefer();
}

void MainWindow::onClose(wxCloseEvent&) {
    closeOrDefer();
}

// While an opened revision's application runs, the command that waits for
// it still runs inside this window: the window goes away when that wait is
// over.
void MainWindow::closeOrDefer() {
    if (runningWaits() > 0) {
        m_closeAfterWait = true;
        Hide();
        return;
    }
    Destroy();
}

void MainWindow::onSize(wxSizeEvent&) {
    layoutPanes();
}

void MainWindow::onSplitterMoved(SplitterEvent& event) {
    if (event.getX() == 0 || !m_leftPane || !m_rightPane || !m_splitter) {
        return;
    }
    wxWindow* left = m_leftPane->getWindow();
    wxWindow* right = m_rightPane->getWindow();
    PaneBox leftBox = boxOf(left);
    PaneBox rightBox = boxOf(right);
    followSplitter(event.getX(), m_splitter->getWidth(), leftBox, rightBox);
    place(left, leftBox);
    left->Refresh();
    left->Update();
    place(right, rightBox);
    right->Refresh();
    right->Update();
}

#pragma once

#include <wx/frame.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/window/DatabaseWatch.h"
#include "app/window/MainLayout.h"

class Control;
class DataView;
class SplitterEvent;
class Splitter;
class wxStatusBar;
class wxToolBar;

// The program's one top-level window: menu bar, toolbar band, the left pane
// (browse tree or search form), the splitter bar, the right pane (a list
// view made by the left pane) and the status bar band.
//
// Commands arrive as wxEVT_MENU with the ids of CommandIds.h (as wx ids,
// toWxId), from the menu, the keys (commandForKey, read before the focused
// control sees them) and the toolbar alike. Events of the controls
// inside the panes reach this window on their way up; it hands them to the pane they come from,
// except the right pane's in-place edits, clicks and selection changes, which it handles itself.
class MainWindow : public wxFrame {
public:
    MainWindow();
    ~MainWindow() override;

    // Makes the window with its bands, splitter and browse pane, puts the
    // Browse button down and shows the window. False when the window cannot
    // be made.
    bool create();

    Control* leftPane() const { return m_leftPane.get(); }
    DataView* rightPane() const { return m_rightPane.get(); }
    // Puts `view` (owned from now on) in the right pane and deletes the one
    // it replaces.
    void setRightPane(DataView* view);
    // Where a left pane makes the right pane's view.
    wxRect rightPaneRect() const;

    Splitter* splitter() const { return m_splitter; }
    wxToolBar* toolbar() const { return m_toolbar; }
    wxStatusBar* statusBar() const { return m_statusBar; }
    const MainBands& bands() const { return m_bands; }
    bool isBrowsing() const { return m_browsing; }

    void setStatusText(const wxString& text);
    wxString statusText() const;
    // The status text at rest: "Ready", or what stands in the way (the
    // program is not set up; the database cannot be used).
    void ready();

    // The Browse and Search commands: a new pane of the kind replaces the
    // current one.
    void browse();
    void search();

    // Where the browse tree was (TreeCtrl keeps it up to date): a new tree
    // opens there.
    const std::vector<std::string>& browsePlace() const { return m_browsePlace; }
    void setBrowsePlace(std::vector<std::string> place) { m_browsePlace = std::move(place); }

    // Lays the bands and panes out for the current client size.
    void layoutPanes();

    // What Add New Version runs (the program's own procedure unless a test
    // put another in place).
    using Procedure = std::function<void(wxWindow* mainWindow)>;
    void setAddNewVersionProcedure(Procedure procedure) { m_addNewVersion = std::move(procedure); }

protected:
    bool TryBefore(wxEvent& event) override;

private:
    void placeLeftPane();
    void focusLeftPane();
    void checkPaneKind(bool browse);
    void disableCommandsThatNeedSetUp();
    // Looks at the database connection's latest statement (on every idle
    // event): the first failure of a spell is told with the data source's
    // name and the driver's diagnostic, and the status bar says so until a
    // statement succeeds again.
    void watchDatabase();
    void closeOrDefer();
    bool routeNotification(wxEvent& event);
    void endLabelEdit(wxEvent& event);

    // Every command: dispatched by its command id.
    void onCommand(wxCommandEvent& event);
    void onKey(wxKeyEvent& event);
    void onAddNewVersion(wxCommandEvent& event);
    void onExit(wxCommandEvent& event);
    void onEdit(wxCommandEvent& event);
    void onOpen(wxCommandEvent& event);
    void onDelete(wxCommandEvent& event);
    void onGet(wxCommandEvent& event);
    void onBrowse(wxCommandEvent& event);
    void onSearch(wxCommandEvent& event);
    void onContents(wxCommandEvent& event);
    void onAbout(wxCommandEvent& event);
    void onSize(wxSizeEvent& event);
    void onClose(wxCloseEvent& event);
    void onSplitterMoved(SplitterEvent& event);
    void onIdle(wxIdleEvent& event);

    wxToolBar* m_toolbar = nullptr;
    wxStatusBar* m_statusBar = nullptr;
    Splitter* m_splitter = nullptr;
    std::unique_ptr<Control> m_leftPane;
    std::unique_ptr<DataView> m_rightPane;
    MainBands m_bands;
    bool m_browsing = true;
    bool m_closeAfterWait = false;
    Procedure m_addNewVersion;
    std::vector<std::string> m_browsePlace;
    DatabaseWatch m_database;
};

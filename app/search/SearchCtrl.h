#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/commands/SelectContext.h"
#include "app/commands/SelectionWalk.h"
#include "app/search/SearchCriteria.h"
#include "app/search/SearchLayout.h"
#include "app/window/Control.h"
#include "ui/ListRows.h"

class MainWindow;
class SearchOptionsPanel;
class wxButton;
class wxPanel;
class wxSizeEvent;
class wxStaticBox;
class wxStaticText;
class wxTextCtrl;

// Window ids of the search form's own controls.
enum SearchFormId : int {
    kNoteFieldId = 1003,
    kNameFieldId = 1004,
    kNameLabelId = 1008,
    kNoteLabelId = 1009,
    kSearchNowId = 1012,
    kStopSearchId = 1013,
    kSearchGroupId = 1024,
    kOptionsGroupId = 1025,
};

// The left pane in Search mode: a form with "Name has:" and "Note has:",
// the options panel (date range, file type, size, version) and "Search
// Now". A search reads every revision of every versioned file, keeps those
// that meet the criteria and lists them in a new right pane. The Version
// commands act on the rows selected there.
//
// "Stop Search" does nothing: a search of 100,000 revisions ends in a
// fraction of a second.
class SearchCtrl : public Control, public SelectionWalk {
public:
    explicit SearchCtrl(wxWindow* mainWindow);
    ~SearchCtrl() override;

    // Control.
    wxWindow* getWindow() override;
    long onNotify(wxWindow* mainWindow, wxEvent& event) override;
    // Edit: the Edit dialog for each selected revision; after any OK the
    // search runs again.
    void editAttributes(wxWindow* mainWindow, wxCommandEvent& event) override;
    // Delete: after the confirmation, every selected revision is destroyed
    // and the rows of those destroyed are removed; message 118 when nothing
    // was selected.
    void deleteItems(wxWindow* mainWindow, wxCommandEvent& event) override;
    void openRevisions(wxWindow* mainWindow) override;
    void restoreRevisions(wxWindow* mainWindow) override;
    SelectContext* selectContext() override;

    // The selection walk: the revisions of the rows selected in the right
    // pane when the walk begins, wherever the keyboard focus is. A row whose
    // revision is gone is passed over. `dropping` plays no part here.
    IZEB* firstSelected(bool dropping = false) override;
    IZEB* nextSelected(bool dropping = false) override;

    // "Search Now": reads the criteria, searches and shows the result list.
    void runSearch();
    SearchCriteria readCriteria() const;
    // Lists `results` in a new right pane.
    void showResults();
    // Places the form's controls for its current size.
    void layoutForm();

    const Rows& results() const { return m_results; }
    const std::vector<std::string>& typeSet() const { return m_typeSet; }
    SearchOptionsPanel* optionsPanel() const { return m_options; }
    wxTextCtrl* nameField() const { return m_nameField; }
    wxTextCtrl* noteField() const { return m_noteField; }
    wxButton* searchNowButton() const { return m_searchNow; }
    wxButton* stopSearchButton() const { return m_stopSearch; }
    const FormMetrics& formMetrics() const { return m_metrics; }

private:
    MainWindow* mainWindow() const;
    void createForm();
    void onSearchNow(wxCommandEvent& event);
    void onFormSize(wxSizeEvent& event);

    wxWindow* m_mainWindow;
    wxPanel* m_form = nullptr;
    wxStaticBox* m_searchGroup = nullptr;
    wxStaticText* m_nameLabel = nullptr;
    wxStaticText* m_noteLabel = nullptr;
    wxTextCtrl* m_nameField = nullptr;
    wxTextCtrl* m_noteField = nullptr;
    wxStaticBox* m_optionsGroup = nullptr;
    wxButton* m_searchNow = nullptr;
    wxButton* m_stopSearch = nullptr;
    SearchOptionsPanel* m_options = nullptr;
    FormMetrics m_metrics;

    SelectContext m_selection;
    Rows m_results;
    std::vector<std::string> m_typeSet;
    // The walk: the identifiers of the rows selected when it began.
    std::vector<std::string> m_walkValues;
    size_t m_walkPosition = 0;
};

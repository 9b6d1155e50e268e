#include "app/search/SearchCtrl.h"

#include <wx/button.h>
#include <wx/dateevt.h>
#include <wx/panel.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>
#include <set>

#include "app/commands/VersionCommands.h"
#include "app/search/SearchEngine.h"
#include "app/search/SearchOptionsPanel.h"
#include "app/window/MainWindow.h"
#include "app/window/StringTable.h"
#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "core/RevisionFile.h"
#include "core/Statements.h"
#include "core/UID.h"
#include "ui/ReportView.h"
#include "ui/UserInterface.h"

namespace {

// "Name has:" and "Note has:" take up to 1023 characters.
constexpr unsigned long kFieldChars = 1023;

wxString textOf(int id) {
    return wxString::FromUTF8(strings::text(id));
}

void place(wxWindow* window, const Box& box) {
    window->SetSize(box.x, box.y, box.width, box.height);
}

}  // namespace

SearchCtrl::SearchCtrl(wxWindow* mainWindow) : m_mainWindow(mainWindow) {
    // The type list is made once per form, from the files versioned now.
    m_typeSet = search::readTypeSet();
    createForm();
}

SearchCtrl::~SearchCtrl() {
    m_form->Destroy();
}

void SearchCtrl::createForm() {
    m_form = new wxPanel(m_mainWindow, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                         wxTAB_TRAVERSAL | wxBORDER_NONE);
    // Group boxes first: the controls made later lie above them.
    m_searchGroup = new wxStaticBox(m_form, kSearchGroupId, "Search");
    m_optionsGroup = new wxStaticBox(m_form, kOptionsGroupId, "Options");
    m_nameLabel = new wxStaticText(m_form, kNameLabelId, "Name has:");
    m_nameField = new wxTextCtrl(m_form, kNameFieldId, wxEmptyString, wxDefaultPosition,
                                 wxDefaultSize, wxTE_PROCESS_ENTER);
    m_nameField->SetMaxLength(kFieldChars);
    m_noteLabel = new wxStaticText(m_form, kNoteLabelId, "Note has:");
    m_noteField = new wxTextCtrl(m_form, kNoteFieldId, wxEmptyString, wxDefaultPosition,
                                 wxDefaultSize, wxTE_PROCESS_ENTER);
    m_noteField->SetMaxLength(kFieldChars);
    m_options = new SearchOptionsPanel(m_form, m_typeSet);
    m_searchNow = new wxButton(m_form, kSearchNowId, "Search Now");
    m_stopSearch = new wxButton(m_form, kStopSearchId, "Stop Search");
    m_searchNow->SetDefault();

    m_metrics.fieldHeight = std::max(20, m_nameField->GetBestSize().y);
    m_metrics.buttonHeight = std::max(30, m_searchNow->GetBestSize().y);
    m_metrics.buttonWidth =
        std::max({80, m_searchNow->GetBestSize().x, m_stopSearch->GetBestSize().x});
    m_metrics.labelWidth = std::max(m_nameLabel->GetBestSize().x, m_noteLabel->GetBestSize().x);
    int top = 0;
    int other = 0;
    m_optionsGroup->GetBordersForSizer(&top, &other);
    m_metrics.groupTop = std::max(15, top + 2);
    const int labelHeight = m_nameLabel->GetBestSize().y;
    place(m_nameLabel, nameLabelBox(m_metrics, labelHeight));
    place(m_noteLabel, noteLabelBox(m_metrics, labelHeight));

    m_form->Bind(wxEVT_BUTTON, &SearchCtrl::onSearchNow, this, kSearchNowId);
    m_form->Bind(wxEVT_TEXT_ENTER, &SearchCtrl::onSearchNow, this, kNameFieldId);
    m_form->Bind(wxEVT_TEXT_ENTER, &SearchCtrl::onSearchNow, this, kNoteFieldId);
    m_form->Bind(wxEVT_SIZE, &SearchCtrl::onFormSize, this);
}

MainWindow* SearchCtrl::mainWindow() const {
    return dynamic_cast<MainWindow*>(m_mainWindow);
}

wxWindow* SearchCtrl::getWindow() {
    return m_form;
}

// The date pickers' changes are read when a search starts; nothing else
// inside the form notifies.
long SearchCtrl::onNotify(wxWindow*, wxEvent& event) {
    if (event.GetEventType() == wxEVT_DATE_CHANGED) {
        return 1;
    }
    event.Skip();
    return 0;
}

SelectContext* SearchCtrl::selectContext() {
    return &m_selection;
}

void SearchCtrl::layoutForm() {
    const wxSize size = m_form->GetClientSize();
    const FormLayout layout = ::layoutForm(size.x, size.y, m_metrics);
    if (layout.applies) {
        place(m_searchGroup, layout.searchGroup);
        place(m_searchNow, layout.searchNow);
        place(m_stopSearch, layout.stopSearch);
        place(m_optionsGroup, layout.optionsGroup);
        place(m_nameField, layout.nameField);
        place(m_noteField, layout.noteField);
        place(m_options, layout.optionsPanel);
    }
    m_options->updateOptionsScrollBar();
}

void SearchCtrl::onFormSize(wxSizeEvent& event) {
    layoutForm();
    event.Skip();
}

void SearchCtrl::onSearchNow(wxCommandEvent&) {
    runSearch();
}

SearchCriteria SearchCtrl::readCriteria() const {
    SearchFormValues values;
    values.nameText = m_nameField->GetValue().utf8_string();
    values.noteText = m_noteField->GetValue().utf8_string();
    m_options->readValues(values);
    return ::readCriteria(values, m_options->fromTime(), m_options->toTime());
}

void SearchCtrl::runSearch() {
    MainWindow* main = mainWindow();
    wxBusyCursor busy;
    if (main) {
        main->setStatusText(textOf(strings::kStatusSearch));
    }
    const SearchCriteria criteria = readCriteria();
    search::runSearch(criteria, m_typeSet, ArchiveRoot::path(), m_results);
    showResults();
    m_selection.setCommandState(m_mainWindow, SelectContext::kNothing);
    if (main) {
        main->setStatusText(textOf(strings::kReady));
    }
}

void SearchCtrl::showResults() {
    MainWindow* main = mainWindow();
    if (!main) {
        return;
    }
    main->setRightPane(nullptr);
    const wxRect area = main->rightPaneRect();
    auto* view = new ReportView(main, &area);
    view->setColumns(search::resultColumns(), m_results, search::resultWidths());
    main->setRightPane(view);
}

IZEB* SearchCtrl::firstSelected(bool) {
    m_walkPosition = 0;
    m_walkValues.clear();
    MainWindow* main = mainWindow();
    if (auto* view = main ? dynamic_cast<ReportView*>(main->rightPane()) : nullptr) {
        view->getSelectedValues(search::kUidCell, m_walkValues);
    }
    return nextSelected(false);
}

IZEB* SearchCtrl::nextSelected(bool) {
    // A row whose revision has gone since the search is passed over.
    while (m_walkPosition < m_walkValues.size()) {
        const std::string& uid = m_walkValues[m_walkPosition++];
        ResultSet* rs =
            DatabaseInstance::instance()->executeQuery(Statements::selectRevisionOwner(uid));
        // getString delivers at most half of its buffer.
        char master[2 * 1024];
        if (rs->next() && rs->getString("MASTERUID", master, sizeof master)) {
            master[sizeof master - 1] = '\0';
            UID versioned = UID::none();
            versioned = master;
            UID revision = UID::none();
            revision = uid.c_str();
            return m_selection.resolveRevision(versioned, revision);
        }
    }
    return nullptr;
}

void SearchCtrl::editAttributes(wxWindow* main, wxCommandEvent&) {
    if (VersionCommands::editItems(main, *this, m_selection)) {
        runSearch();
    }
}

void SearchCtrl::deleteItems(wxWindow* main, wxCommandEvent&) {
    const VersionCommands::DeleteOutcome outcome = VersionCommands::deleteItems(main, *this, false);
    if (!outcome.confirmed) {
        return;
    }
    MainWindow* frame = mainWindow();
    if (auto* view = frame ? dynamic_cast<ReportView*>(frame->rightPane()) : nullptr) {
        // Only the rows whose revisions were destroyed: a row whose removal
        // failed stays, and stays selected.
        const std::set<std::string> destroyed(outcome.destroyedUids.begin(),
                                              outcome.destroyedUids.end());
        view->deleteRowsWhere([&destroyed](const Row& row) {
            return destroyed.count(cellOf(row, search::kUidCell)) > 0;
        });
        m_selection.setCommandState(m_mainWindow, SelectContext::kNothing);
    }
    if (!outcome.anyItem) {
        userInterface().messageBox(main, textOf(strings::kSelectToDelete), textOf(strings::kTitle),
                                   wxOK | wxICON_QUESTION);
    }
}

void SearchCtrl::openRevisions(wxWindow* main) {
    VersionCommands::openItems(main, *this);
}

void SearchCtrl::restoreRevisions(wxWindow* main) {
    VersionCommands::restoreItems(main, *this);
}

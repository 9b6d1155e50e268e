// The search form in a real main window, over a SQLite repository with
// archived copies: its controls, the type list, searching, the selection
// walk and the Version commands on the rows found.

#include "app/SearchCtrl.h"

#include <gtest/gtest.h>
#include <wx/bmpcbox.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/CommandIds.h"
#include "app/EditDialog.h"
#include "app/MainWindow.h"
#include "app/PaneFactory.h"
#include "app/ReportView.h"
#include "app/SearchEngine.h"
#include "app/SearchOptionsPanel.h"
#include "app/StringTable.h"
#include "app/UserInterface.h"
#include "core/DatabaseInstance.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "tests/app/WxPump.h"
#include "tests/support/BackendTest.h"

namespace zebtest {
namespace {

// Answers the program's questions instead of a person.
class AnsweringInterface : public UserInterface {
public:
    int messageBox(wxWindow*, const wxString& text, const wxString&, long) override {
        messages.push_back(text.utf8_string());
        return answer;
    }
    bool chooseFiles(wxWindow*, const wxString&, const wxString&, ChosenFiles&) override {
        return false;
    }
    int showModal(wxDialog& dialog) override {
        ++dialogs;
        if (duringModal) {
            return duringModal(dialog);
        }
        return wxID_CANCEL;
    }
    bool showHelp(wxWindow*, const wxString&, const wxString&) override { return true; }
    bool launchAndWait(const std::string& path) override {
        launched.push_back(path);
        return true;
    }

    int answer = wxOK;
    std::vector<std::string> messages;
    std::vector<std::string> launched;
    int dialogs = 0;
    std::function<int(wxDialog&)> duringModal;
};

std::string message(int id) {
    return strings::text(id);
}

class SearchCtrlTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        createTables();
        setUserInterface(&ui);
        setPaneMakers({}, [](wxWindow* main) { return new SearchCtrl(main); });
        window = new MainWindow;
        ASSERT_TRUE(window->create());
        pumpUntil([this] { return window->IsShownOnScreen(); });
    }

    void TearDown() override {
        if (window) {
            window->Destroy();
            pumpFor(50);
        }
        setPaneMakers({}, {});
        setUserInterface(nullptr);
        BackendTest::TearDown();
    }

    // A working file versioned with its first revision; its path.
    std::string addFile(const std::string& name, const std::string& bytes,
                        const std::string& revisionName = "") {
        const std::string path = workDir() + "/docs/" + name;
        writeFile(path, bytes);
        VersionedFile file(revisionName.empty() ? name.c_str() : revisionName.c_str(), "note",
                           path.c_str());
        EXPECT_TRUE(file.save()) << path;
        return path;
    }
    void addVersion(const std::string& path, const std::string& bytes, const std::string& name) {
        writeFile(path, bytes);
        UID uid;
        ASSERT_TRUE(VersionedFile::isFileVersioned(path.c_str(), uid));
        VersionedFile file(uid);
        RevisionFile revision(name.c_str(), "note", &file);
        ASSERT_TRUE(revision.save());
    }

    SearchCtrl* openForm() {
        window->search();
        auto* form = dynamic_cast<SearchCtrl*>(window->leftPane());
        EXPECT_NE(form, nullptr);
        pumpFor(30);
        return form;
    }
    ReportView* results() const { return dynamic_cast<ReportView*>(window->rightPane()); }
    std::vector<std::string> column(int cell) const {
        std::vector<std::string> values;
        if (ReportView* view = results()) {
            for (const auto& row : view->rows()) {
                values.push_back(cellOf(row, cell));
            }
        }
        return values;
    }

    static void click(wxCheckBox* box, bool checked) {
        box->SetValue(checked);
        wxCommandEvent event(wxEVT_CHECKBOX, box->GetId());
        event.SetEventObject(box);
        event.SetInt(checked ? 1 : 0);
        box->ProcessWindowEvent(event);
    }
    static void press(wxButton* button) {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->ProcessWindowEvent(event);
    }
    void command(int id) {
        wxCommandEvent event(wxEVT_MENU, toWxId(id));
        event.SetEventObject(window);
        window->ProcessWindowEvent(event);
    }
    void select(const std::vector<long>& rows) {
        wxListCtrl* list = results()->listControl();
        for (long row = 0; row < list->GetItemCount(); ++row) {
            list->SetItemState(row, 0, wxLIST_STATE_SELECTED);
        }
        for (long row : rows) {
            list->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        }
    }

    AnsweringInterface ui;
    MainWindow* window = nullptr;
};

TEST_P(SearchCtrlTest, OptionBoxesShowTheirControlsAndMoveTheBoxesBelow) {
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    SearchOptionsPanel* options = form->optionsPanel();
    EXPECT_TRUE(form->getWindow()->IsShown());
    EXPECT_EQ(window->GetDefaultItem(), form->searchNowButton());

    // Created: only the four boxes show.
    for (int id : {kBetweenLabelId, kAndLabelId, kFromDateId, kToDateId, kTypeListId, kSizeListId,
                   kSizeFieldId, kKBLabelId, kVersionListId}) {
        EXPECT_FALSE(options->FindWindow(id)->IsShown()) << id;
    }

    auto y = [options](wxWindow* w) { return options->contentPosition(w).y; };
    const int step = options->metrics().rowStep;
    const int typeBox = y(options->typeBox());
    const int sizeBox = y(options->sizeBox());
    const int versionBox = y(options->versionBox());
    EXPECT_EQ(sizeBox - typeBox, step);

    click(options->dateBox(), true);
    EXPECT_TRUE(options->fromDate()->IsShown());
    EXPECT_TRUE(options->toDate()->IsShown());
    EXPECT_TRUE(options->FindWindow(kBetweenLabelId)->IsShown());
    EXPECT_EQ(y(options->typeBox()) - typeBox, 2 * step);
    click(options->typeBox(), true);
    EXPECT_TRUE(options->typeList()->IsShown());
    EXPECT_EQ(y(options->sizeBox()) - sizeBox, 3 * step);
    EXPECT_EQ(y(options->versionBox()) - versionBox, 3 * step);
    click(options->sizeBox(), true);
    EXPECT_TRUE(options->sizeField()->IsShown());
    EXPECT_EQ(y(options->versionBox()) - versionBox, 4 * step);

    click(options->dateBox(), false);
    click(options->typeBox(), false);
    click(options->sizeBox(), false);
    EXPECT_FALSE(options->fromDate()->IsShown());
    EXPECT_FALSE(options->typeList()->IsShown());
    EXPECT_EQ(y(options->sizeBox()), sizeBox);
    EXPECT_EQ(y(options->versionBox()), versionBox);
}

TEST_P(SearchCtrlTest, OptionsScrollOnlyWhenTheyDoNotFit) {
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    SearchOptionsPanel* options = form->optionsPanel();
    for (wxCheckBox* box :
         {options->dateBox(), options->typeBox(), options->sizeBox(), options->versionBox()}) {
        click(box, true);
    }
    const int content = options->rows().contentHeight;
    EXPECT_EQ(options->GetVirtualSize().y, content);

    options->SetSize(200, content / 2);
    options->updateOptionsScrollBar();
    options->Scroll(0, 1000);
    const int scrolled = options->GetViewStart().y * 20;
    EXPECT_GT(scrolled, 0);
    EXPECT_GE(scrolled, content - content / 2 - 20);
    // The controls moved up by what was scrolled; their places in the
    // content stayed.
    EXPECT_EQ(options->dateBox()->GetPosition().y, 9 - scrolled);
    EXPECT_EQ(options->contentPosition(options->dateBox()).y, 9);

    // Unchecking makes the content shorter than the panel: it comes back.
    for (wxCheckBox* box : {options->dateBox(), options->typeBox(), options->sizeBox()}) {
        click(box, false);
    }
    options->SetSize(200, content);
    options->updateOptionsScrollBar();
    options->Scroll(0, 1000);
    EXPECT_EQ(options->GetViewStart().y, 0);
    EXPECT_EQ(options->dateBox()->GetPosition().y, 9);

    // The form lays its parts out as it is resized.
    form->getWindow()->SetSize(400, 600);
    form->layoutForm();
    const FormLayout layout = layoutForm(form->getWindow()->GetClientSize().x,
                                         form->getWindow()->GetClientSize().y, form->formMetrics());
    EXPECT_EQ(options->GetRect(), wxRect(layout.optionsPanel.x, layout.optionsPanel.y,
                                         layout.optionsPanel.width, layout.optionsPanel.height));
    EXPECT_EQ(form->searchNowButton()->GetPosition(),
              wxPoint(layout.searchNow.x, layout.searchNow.y));
}

TEST_P(SearchCtrlTest, TypeListHoldsTheExtensionsOfTheVersionedFiles) {
    addFile("notes", "n");
    addFile("a.pdf", "p");
    addFile("b.PDF", "P");
    addFile("c.zzqq", "z");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->typeSet(), (std::vector<std::string>{"", ".pdf", ".zzqq"}));
    wxBitmapComboBox* list = form->optionsPanel()->typeList();
    ASSERT_EQ(list->GetCount(), 3u);
    EXPECT_EQ(list->GetString(0), "All  files");
    EXPECT_EQ(list->GetString(1), "PDF document");
    EXPECT_EQ(list->GetString(2), "zzqq files");
    EXPECT_EQ(list->GetSelection(), 0);
    EXPECT_TRUE(list->GetItemBitmap(1).IsOk());

    // A file versioned later shows in the next form.
    addFile("d.txt", "t");
    EXPECT_EQ(form->typeSet().size(), 3u);
    EXPECT_EQ(openForm()->typeSet().size(), 4u);

    // Type .pdf: both spellings.
    form = dynamic_cast<SearchCtrl*>(window->leftPane());
    click(form->optionsPanel()->typeBox(), true);
    form->optionsPanel()->typeList()->SetSelection(1);
    press(form->searchNowButton());
    std::vector<std::string> paths = column(search::kPathCell);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths,
              (std::vector<std::string>{workDir() + "/docs/a.pdf", workDir() + "/docs/b.PDF"}));
}

TEST_P(SearchCtrlTest, SearchNowListsTheRevisionsThatMatch) {
    const std::string a = addFile("a.txt", "one", "Annual report");
    addVersion(a, "two", "Annual rep");
    addVersion(a, "three!", "Report 3");
    addFile("b.odt", "b", "Budget");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);

    form->nameField()->SetValue("RePoRt");
    window->setStatusText("before");
    press(form->searchNowButton());
    ASSERT_NE(results(), nullptr);
    std::vector<std::string> names = column(1);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Annual report", "Report 3"}));
    EXPECT_EQ(window->statusText(), message(strings::kReady));
    EXPECT_EQ(window->leftPane()->selectContext()->commandState(), SelectContext::kNothing);
    wxListCtrl* list = results()->listControl();
    ASSERT_EQ(list->GetColumnCount(), 4);
    const char* headers[] = {"Ver.", "Name", "Path", "Date"};
    for (int c = 0; c < 4; ++c) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT);
        list->GetColumn(c, item);
        EXPECT_EQ(item.GetText(), headers[c]);
    }
    EXPECT_NEAR(list->GetColumnWidth(2), list->GetSize().x * 40 / 100, 1);
}

TEST_P(SearchCtrlTest, DateRangeCoversTheWholeOfThePickedDays) {
    addFile("a.txt", "a");
    addFile("b.txt", "b");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    SearchOptionsPanel* options = form->optionsPanel();
    click(options->dateBox(), true);

    // Both pickers untouched: today, all of it.
    press(form->searchNowButton());
    EXPECT_EQ(results()->rows().size(), 2u);

    const wxDateTime today = wxDateTime::Today();
    const wxDateTime yesterday = today - wxDateSpan::Day();
    options->fromDate()->SetValue(yesterday);
    options->toDate()->SetValue(yesterday);
    press(form->searchNowButton());
    EXPECT_EQ(results()->rows().size(), 0u);
    options->toDate()->SetValue(today);
    press(form->searchNowButton());
    EXPECT_EQ(results()->rows().size(), 2u);
    EXPECT_EQ(form->readCriteria().fromTime,
              dayStart(yesterday.GetYear(), yesterday.GetMonth() + 1, yesterday.GetDay()));
    EXPECT_EQ(form->readCriteria().toTime,
              dayEnd(today.GetYear(), today.GetMonth() + 1, today.GetDay()));
}

TEST_P(SearchCtrlTest, WalkAndGetUseTheSelectedRowsWhereverTheFocusIs) {
    const std::string a = addFile("a.txt", "a1");
    addVersion(a, "a2", "second");
    const std::string b = addFile("b.txt", "b1");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    press(form->searchNowButton());
    ASSERT_EQ(results()->rows().size(), 3u);

    // Nothing selected: nothing to walk.
    EXPECT_EQ(form->firstSelected(), nullptr);

    results()->setSortColumn(2);  // by path, then the rows are a, a, b
    results()->sortRows();
    std::vector<std::string> uids = column(search::kUidCell);
    select({0, 2});
    form->nameField()->SetFocus();
    pumpFor(30);

    std::vector<std::string> walked;
    for (IZEB* item = form->firstSelected(); item; item = form->nextSelected()) {
        auto* revision = dynamic_cast<RevisionFile*>(item);
        ASSERT_NE(revision, nullptr);
        char uid[1024];
        revision->getUID(uid, sizeof uid);
        walked.push_back(uid);
        EXPECT_EQ(form->selectContext()->current(), item);
    }
    EXPECT_EQ(walked, (std::vector<std::string>{uids[0], uids[2]}));

    // Get puts both revisions back over the working files.
    writeFile(a, "changed");
    writeFile(b, "changed");
    const std::string versionOfA = column(search::kVersionCell)[0];
    command(kCmdGet);
    EXPECT_EQ(ui.messages, std::vector<std::string>{message(strings::kGetComplete)});
    EXPECT_EQ(readFile(a), "a" + versionOfA);
    EXPECT_EQ(readFile(b), "b1");
}

TEST_P(SearchCtrlTest, DeleteRemovesTheRowsAndEditSearchesAgain) {
    const std::string a = addFile("a.txt", "a1", "first");
    addVersion(a, "a2", "second");
    addFile("b.txt", "b1", "other");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    press(form->searchNowButton());
    ASSERT_EQ(results()->rows().size(), 3u);

    // Nothing selected: asked first, then told.
    command(kCmdDelete);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{message(strings::kConfirmRemove),
                                                     message(strings::kSelectToDelete)}));
    ui.messages.clear();

    // Cancel removes nothing.
    results()->setSortColumn(1);  // by name: first, other, second
    results()->sortRows();
    select({2});
    ui.answer = wxCANCEL;
    command(kCmdDelete);
    EXPECT_EQ(results()->rows().size(), 3u);
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE"), 3u);

    ui.answer = wxOK;
    command(kCmdDelete);
    EXPECT_EQ(column(1), (std::vector<std::string>{"first", "other"}));
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE"), 2u);
    EXPECT_EQ(window->leftPane()->selectContext()->commandState(), SelectContext::kNothing);

    // Edit with OK: the name is stored and the list searched again.
    form->nameField()->SetValue("t");
    press(form->searchNowButton());  // "first" and "other"
    ASSERT_EQ(results()->rows().size(), 2u);
    select({0, 1});
    ui.duringModal = [](wxDialog& dialog) {
        auto* edit = dynamic_cast<EditDialog*>(&dialog);
        if (edit && edit->nameField()->GetValue() == "other") {
            edit->nameField()->SetValue("renamed");
            return wxID_OK;
        }
        return wxID_CANCEL;
    };
    const ReportView* before = results();
    command(kCmdEdit);
    EXPECT_EQ(ui.dialogs, 2);
    EXPECT_NE(results(), before);
    EXPECT_EQ(column(1), (std::vector<std::string>{"first"}));
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE WHERE REVNAME = 'renamed'"), 1u);

    // Edit with Cancel only: the list stays.
    select({0});
    ui.duringModal = {};
    before = results();
    command(kCmdEdit);
    EXPECT_EQ(results(), before);
}

TEST_P(SearchCtrlTest, OpenLaunchesEachSelectedRevision) {
    addFile("a.txt", "a1");
    addFile("b.txt", "b1");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    press(form->searchNowButton());
    select({0, 1});
    command(kCmdOpen);
    EXPECT_EQ(ui.launched.size(), 2u);
    EXPECT_TRUE(ui.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(SQLite, SearchCtrlTest, ::testing::Values(Backend::SQLite),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return backendName(info.param);
                         });

}  // namespace
}  // namespace zebtest

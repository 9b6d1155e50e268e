// The search form in the program's main window, over a repository with
// archived copies: its options panel, the type list, searching, the
// selection walk and the Version commands on the rows found.

#include "app/search/SearchCtrl.h"

#include <gtest/gtest.h>
#include <wx/bmpcbox.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/commands/EditDialog.h"
#include "app/search/SearchEngine.h"
#include "app/search/SearchOptionsPanel.h"
#include "app/window/StringTable.h"
#include "core/WriterLock.h"
#include "platform/FileLock.h"
#include "tests/app/AppTestSupport.h"
#include "ui/ReportView.h"

namespace zebtest {
namespace {

class SearchCtrlTest : public RepositoryTest {
protected:
    // A working file below docs/ versioned with its first revision; its
    // path.
    std::string addFile(const std::string& name, const std::string& bytes,
                        const std::string& revisionName = "") {
        const std::string path = workFile("docs/" + name, bytes);
        versionFile(path, revisionName.empty() ? name : revisionName);
        return path;
    }
    void addVersion(const std::string& path, const std::string& bytes, const std::string& name) {
        writeFile(path, bytes);
        addRevision(uidOf(path), name);
    }

    SearchCtrl* openForm() {
        if (!window) {
            startWindow();
        }
        window->search();
        pumpFor(30);
        return dynamic_cast<SearchCtrl*>(window->leftPane());
    }
    SearchCtrl* searchNow() {
        auto* form = dynamic_cast<SearchCtrl*>(window->leftPane());
        press(form->searchNowButton());
        return form;
    }
    ReportView* results() const { return dynamic_cast<ReportView*>(window->rightPane()); }
    std::vector<std::string> column(int cell, bool sorted = false) const {
        std::vector<std::string> values;
        for (const auto& row : results()->rows()) {
            values.push_back(cellOf(row, cell));
        }
        if (sorted) {
            std::sort(values.begin(), values.end());
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
    // Sorts the results by `cell` and selects exactly these rows.
    void select(const std::vector<long>& rows, int byCell = 1) {
        results()->setSortColumn(byCell);
        results()->sortRows();
        wxListCtrl* list = results()->listControl();
        for (long row = 0; row < list->GetItemCount(); ++row) {
            const bool wanted = std::find(rows.begin(), rows.end(), row) != rows.end();
            list->SetItemState(row, wanted ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
        }
    }
};

TEST_P(SearchCtrlTest, OptionBoxesShowTheirControlsMoveTheRowsAndScroll) {
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    SearchOptionsPanel* options = form->optionsPanel();
    EXPECT_EQ(window->GetDefaultItem(), form->searchNowButton());
    // Each box's controls show while it is checked; the rows are where the
    // layout puts them.
    const auto expectPlacedFor = [&](const OptionsState& state) {
        const OptionRows rows = layoutOptions(state, options->metrics());
        const auto y = [options](wxWindow* w) { return options->contentPosition(w).y; };
        EXPECT_EQ(y(options->typeBox()), rows.typeBox);
        EXPECT_EQ(y(options->sizeBox()), rows.sizeBox);
        EXPECT_EQ(y(options->versionBox()), rows.versionBox);
        EXPECT_EQ(options->GetVirtualSize().y,
                  std::max(rows.contentHeight, options->GetClientSize().y));
        for (int id : {kBetweenLabelId, kAndLabelId, kFromDateId, kToDateId}) {
            EXPECT_EQ(options->FindWindow(id)->IsShown(), state.date) << id;
        }
        EXPECT_EQ(options->typeList()->IsShown(), state.type);
        for (int id : {kSizeListId, kSizeFieldId, kSizeArrowsId, kKBLabelId}) {
            EXPECT_EQ(options->FindWindow(id)->IsShown(), state.size) << id;
        }
        EXPECT_EQ(options->versionList()->IsShown(), state.version);
    };
    expectPlacedFor({});
    OptionsState state;
    wxCheckBox* boxes[] = {options->dateBox(), options->typeBox(), options->sizeBox(),
                           options->versionBox()};
    bool* flags[] = {&state.date, &state.type, &state.size, &state.version};
    for (int i = 0; i < 4; ++i) {
        click(boxes[i], true);
        *flags[i] = true;
        expectPlacedFor(state);
    }

    // Taller than the panel: it scrolls; the controls move up by what was
    // scrolled and keep their places in the content.
    const int content = options->rows().contentHeight;
    options->SetSize(200, content / 2);
    options->updateOptionsScrollBar();
    options->Scroll(0, 1000);
    const int scrolled = options->GetViewStart().y * 20;
    EXPECT_GE(scrolled, content - content / 2 - 20);
    EXPECT_EQ(options->dateBox()->GetPosition().y, kOptionsMargin - scrolled);
    EXPECT_EQ(options->contentPosition(options->dateBox()).y, kOptionsMargin);
    // Unchecked, the content fits again: it comes back.
    for (int i = 0; i < 3; ++i) {
        click(boxes[i], false);
        *flags[i] = false;
    }
    expectPlacedFor(state);
    options->SetSize(200, content);
    options->updateOptionsScrollBar();
    options->Scroll(0, 1000);
    EXPECT_EQ(options->GetViewStart().y, 0);
    EXPECT_EQ(options->dateBox()->GetPosition().y, kOptionsMargin);

    // The form lays its parts out as it is resized.
    form->getWindow()->SetSize(400, 600);
    form->layoutForm();
    const wxSize size = form->getWindow()->GetClientSize();
    const FormLayout layout = layoutForm(size.x, size.y, form->formMetrics());
    EXPECT_EQ(options->GetRect(), wxRect(layout.optionsPanel.x, layout.optionsPanel.y,
                                         layout.optionsPanel.width, layout.optionsPanel.height));
    EXPECT_EQ(form->searchNowButton()->GetPosition(),
              wxPoint(layout.searchNow.x, layout.searchNow.y));
}

TEST_P(SearchCtrlTest, SizeFieldTakesAnyNumberAndItsArrowsStayInTheirRange) {
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    SearchOptionsPanel* options = form->optionsPanel();
    click(options->sizeBox(), true);
    wxTextCtrl* field = options->sizeField();
    field->SetValue("50000");
    EXPECT_EQ(form->readCriteria().sizeKB, 50000u);

    // Up and Down step from the number brought into 0 to 10,000, and never
    // leave that range.
    const std::tuple<const char*, int, const char*> steps[] = {
        {"50000", WXK_UP, "50000"}, {"50000", WXK_DOWN, "9999"}, {"10000", WXK_UP, "10000"},
        {"41", WXK_UP, "42"},       {"0", WXK_DOWN, "0"},
    };
    for (const auto& [typed, key, shown] : steps) {
        field->SetValue(typed);
        wxKeyEvent press(wxEVT_KEY_DOWN);
        press.m_keyCode = key;
        press.SetEventObject(field);
        field->ProcessWindowEvent(press);
        EXPECT_EQ(field->GetValue(), shown) << typed << " " << key;
    }
}

TEST_P(SearchCtrlTest, TypeListHoldsTheDesktopsNamesOfTheVersionedTypes) {
    addFile("notes", "n");
    const std::string pdf = addFile("a.pdf", "p");
    const std::string upper = addFile("b.PDF", "P");
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
    form = openForm();
    EXPECT_EQ(form->typeSet().size(), 4u);

    // Type .pdf: both spellings.
    click(form->optionsPanel()->typeBox(), true);
    form->optionsPanel()->typeList()->SetSelection(1);
    searchNow();
    EXPECT_EQ(column(search::kPathCell, true), (std::vector<std::string>{pdf, upper}));
}

TEST_P(SearchCtrlTest, SearchNowListsTheRevisionsThatMatchWithinThePickedDays) {
    const std::string a = addFile("a.txt", "one", "Annual report");
    addVersion(a, "two", "Annual rep");
    addVersion(a, "three!", "Report 3");
    addFile("b.odt", "b", "Budget");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);

    form->nameField()->SetValue("RePoRt");
    window->setStatusText("before");
    searchNow();
    ASSERT_NE(results(), nullptr);
    EXPECT_EQ(column(1, true), (std::vector<std::string>{"Annual report", "Report 3"}));
    EXPECT_EQ(window->statusText(), "Ready");
    EXPECT_EQ(window->leftPane()->selectContext()->commandState(), SelectContext::kNothing);
    // The identifiers are not shown.
    EXPECT_EQ(results()->listControl()->GetColumnCount(), 4);

    // Both pickers untouched: today, all of it.
    form->nameField()->SetValue("");
    SearchOptionsPanel* options = form->optionsPanel();
    click(options->dateBox(), true);
    searchNow();
    EXPECT_EQ(results()->rows().size(), 4u);
    const wxDateTime today = wxDateTime::Today();
    const wxDateTime yesterday = today - wxDateSpan::Day();
    options->fromDate()->SetValue(yesterday);
    options->toDate()->SetValue(yesterday);
    searchNow();
    EXPECT_EQ(results()->rows().size(), 0u);
    options->toDate()->SetValue(today);
    searchNow();
    EXPECT_EQ(results()->rows().size(), 4u);
    EXPECT_EQ(form->readCriteria().fromTime,
              dayStart(yesterday.GetYear(), yesterday.GetMonth() + 1, yesterday.GetDay()));
    EXPECT_EQ(form->readCriteria().toTime,
              dayEnd(today.GetYear(), today.GetMonth() + 1, today.GetDay()));
}

TEST_P(SearchCtrlTest, WalkGetAndOpenUseTheSelectedRowsWhereverTheFocusIs) {
    const std::string a = addFile("a.txt", "a1");
    addVersion(a, "a2", "second");
    const std::string b = addFile("b.txt", "b1");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    searchNow();
    ASSERT_EQ(results()->rows().size(), 3u);
    // Nothing selected: nothing to walk.
    EXPECT_EQ(form->firstSelected(), nullptr);

    // A row whose revision went since the search is passed over.
    select({0, 1, 2}, search::kPathCell);  // a, a, b
    const std::vector<std::string> uids = column(search::kUidCell);
    ASSERT_TRUE(rawExec("DELETE FROM REVTABLE WHERE UID = '" + uids[1] + "'"));
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
    menuCommand(window, kCmdGet);
    // Each changed working file is asked about first.
    ASSERT_EQ(ui.messages.size(), 3u);
    EXPECT_EQ(ui.texts().back(), strings::text(strings::kGetComplete));
    EXPECT_EQ(readFile(a), "a" + versionOfA);
    EXPECT_EQ(readFile(b), "b1");

    menuCommand(window, kCmdOpen);
    EXPECT_EQ(ui.launched.size(), 2u);
    EXPECT_EQ(ui.messages.size(), 3u);
}

TEST_P(SearchCtrlTest, DeleteRemovesTheRowsAndEditSearchesAgain) {
    addVersion(addFile("a.txt", "a1", "first"), "a2", "second");
    addFile("b.txt", "b1", "other");
    SearchCtrl* form = openForm();
    ASSERT_NE(form, nullptr);
    searchNow();
    ASSERT_EQ(results()->rows().size(), 3u);

    // Nothing selected: asked first, then told.
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(ui.texts(), (std::vector<std::string>{strings::text(strings::kConfirmRemove),
                                                    strings::text(strings::kSelectToDelete)}));
    // Cancel removes nothing; neither does a Delete while another program
    // writes: the row stays, selected.
    select({2});  // by name: first, other, second
    ui.answer = wxCANCEL;
    menuCommand(window, kCmdDelete);
    ui.answer = wxOK;
    {
        zeb::platform::FileLock writer;
        ASSERT_TRUE(writer.acquire(WriterLock::lockPath(), 0));
        WriterLock::setTimeoutForTesting(50);
        menuCommand(window, kCmdDelete);
        WriterLock::setTimeoutForTesting(-1);
    }
    EXPECT_EQ(results()->rows().size(), 3u);
    std::vector<std::string> selected;
    results()->getSelectedValues(1, selected);
    EXPECT_EQ(selected, std::vector<std::string>{"second"});
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE"), 3u);
    menuCommand(window, kCmdDelete);
    EXPECT_EQ(column(1), (std::vector<std::string>{"first", "other"}));
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE"), 2u);
    EXPECT_EQ(window->leftPane()->selectContext()->commandState(), SelectContext::kNothing);

    // Edit with OK: the name is stored and the list searched again.
    form->nameField()->SetValue("t");
    searchNow();  // "first" and "other"
    ASSERT_EQ(results()->rows().size(), 2u);
    select({0, 1});
    ui.onModal = [](wxDialog& dialog) {
        auto* edit = dynamic_cast<EditDialog*>(&dialog);
        if (edit && edit->nameField()->GetValue() == "other") {
            edit->nameField()->SetValue("renamed");
            return wxID_OK;
        }
        return wxID_CANCEL;
    };
    const ReportView* before = results();
    menuCommand(window, kCmdEdit);
    EXPECT_EQ(ui.dialogTitles.size(), 2u);
    EXPECT_NE(results(), before);
    EXPECT_EQ(column(1), (std::vector<std::string>{"first"}));
    EXPECT_EQ(rawCount("SELECT * FROM REVTABLE WHERE REVNAME = 'renamed'"), 1u);

    // Edit with Cancel only: the list stays.
    select({0});
    ui.onModal = {};
    before = results();
    menuCommand(window, kCmdEdit);
    EXPECT_EQ(results(), before);
}

ZEB_INSTANTIATE_BACKENDS(SearchCtrlTest);

}  // namespace
}  // namespace zebtest

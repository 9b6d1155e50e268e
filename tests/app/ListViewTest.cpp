// The list panes on a real virtual list control: filling, date cells,
// sorting and the header's indicator, selection, deletion, cell changes,
// the icon view's images, the edit view's column order and in-place edits,
// clicks, and a large table.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/EditView.h"
#include "app/IconView.h"
#include "app/ListControl.h"
#include "app/ReportView.h"
#include "tests/app/WxPump.h"

namespace {

const std::vector<std::string> kRevisionColumns = {"Ver.", "Name", "Notes", "Date"};
const std::vector<int> kRevisionWidths = {10, 20, 30, 40};

Rows revisionRows() {
    return {
        {"2", "beta", "second", "1000", "uid-2"},
        {"10", "alpha", "tenth", "99", "uid-10"},
        {"9", "gamma", "", "100", "uid-9"},
        {"1", "Delta", "first", "5", "uid-1"},
    };
}

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "lists", wxPoint(10, 10), wxSize(900, 600));
        m_frame->Show();
        zebtest::pumpFor(50);
        // What the main window does: the view sorts on the column clicks
        // its parent passes on.
        m_frame->Bind(wxEVT_LIST_COL_CLICK, [this](wxListEvent& event) {
            if (m_view && event.GetEventObject() == m_view->getWindow()) {
                m_view->onNotify(m_frame, event);
            }
        });
    }
    void TearDown() override {
        m_owned.reset();
        m_frame->Destroy();
        zebtest::pumpFor(10);
    }

    template <typename View>
    View* make() {
        auto* view = new View(m_frame);
        m_owned.reset(view);
        m_view = view;
        return view;
    }

    ReportView* revisions() {
        ReportView* view = make<ReportView>();
        view->setColumns(kRevisionColumns, revisionRows(), kRevisionWidths);
        return view;
    }

    std::vector<std::string> shown(int displayColumn) {
        std::vector<std::string> texts;
        wxListCtrl* list = m_view->listControl();
        for (int i = 0; i < list->GetItemCount(); ++i) {
            texts.push_back(list->GetItemText(i, displayColumn).utf8_string());
        }
        return texts;
    }

    void clickColumn(int displayColumn) {
        wxListEvent click(wxEVT_LIST_COL_CLICK, kListControlId);
        click.SetEventObject(m_view->getWindow());
        click.SetColumn(displayColumn);
        m_view->getWindow()->ProcessWindowEvent(click);
    }

    void select(std::initializer_list<long> rows) {
        for (long row : rows) {
            m_view->listControl()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        }
    }

    // Screen position of a point inside a row's cell.
    wxPoint cellPoint(long row, int displayColumn) {
        wxListCtrl* list = m_view->listControl();
        wxRect cell;
        EXPECT_TRUE(list->GetSubItemRect(row, displayColumn, cell));
        return list->ClientToScreen(cell.GetPosition() + wxPoint(8, cell.height / 2));
    }

    wxFrame* m_frame = nullptr;
    ListView* m_view = nullptr;
    std::unique_ptr<ListView> m_owned;
};

}  // namespace

TEST_F(ListViewTest, ColumnsWidthsAndCells) {
    ReportView* view = revisions();
    wxListCtrl* list = view->listControl();
    EXPECT_EQ(list->GetId(), kListControlId);
    EXPECT_EQ(list->GetParent(), m_frame);
    EXPECT_EQ(list->GetSize(), m_frame->GetClientSize());
    EXPECT_TRUE(list->HasFlag(wxLC_VIRTUAL));
    EXPECT_TRUE(list->HasFlag(wxLC_REPORT));
    EXPECT_EQ(view->columnCount(), 4);
    EXPECT_EQ(view->itemCount(), 4);
    ASSERT_EQ(list->GetColumnCount(), 4);
    const int width = list->GetSize().x;
    for (int i = 0; i < 4; ++i) {
        wxListItem column;
        column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_WIDTH | wxLIST_MASK_FORMAT);
        ASSERT_TRUE(list->GetColumn(i, column));
        EXPECT_EQ(column.GetText(), kRevisionColumns[i]);
        EXPECT_EQ(column.GetWidth(), width * kRevisionWidths[i] / 100);
        EXPECT_EQ(column.GetAlign(), wxLIST_FORMAT_LEFT);
    }
    EXPECT_EQ(shown(0), (std::vector<std::string>{"2", "10", "9", "1"}));
    EXPECT_EQ(shown(2), (std::vector<std::string>{"second", "tenth", "", "first"}));
    EXPECT_EQ(shown(3)[0], formatCtimeText(1000));
    EXPECT_EQ(shown(3)[0].find('\n'), std::string::npos);
    EXPECT_EQ(view->sortColumn(), -1);
    EXPECT_EQ(list->GetSortIndicator(), -1);

    // Without percentages the columns share the width; the new columns and
    // rows replace the old ones.
    view->setColumns({"A", "B", "C"}, {{"x", "y", "z"}});
    ASSERT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(list->GetColumnWidth(2), width / 3);
    EXPECT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(shown(2), (std::vector<std::string>{"z"}));

    // A given rectangle places the control there.
    const wxRect area(100, 30, 400, 300);
    ReportView placed(m_frame, &area);
    EXPECT_EQ(placed.getWindow()->GetRect(), area);
}

TEST_F(ListViewTest, ColumnClicksCycleTheSortAndTheIndicator) {
    ReportView* view = revisions();
    wxListCtrl* list = view->listControl();

    // "Ver." sorts as text: "10" before "9".
    clickColumn(0);
    EXPECT_EQ(shown(0), (std::vector<std::string>{"1", "10", "2", "9"}));
    EXPECT_EQ(view->sortColumn(), 0);
    EXPECT_TRUE(view->sortAscending());
    EXPECT_EQ(list->GetSortIndicator(), 0);
    EXPECT_TRUE(list->IsAscendingSortIndicator());

    clickColumn(0);
    EXPECT_EQ(shown(0), (std::vector<std::string>{"9", "2", "10", "1"}));
    EXPECT_FALSE(view->sortAscending());
    EXPECT_EQ(list->GetSortIndicator(), 0);
    EXPECT_FALSE(list->IsAscendingSortIndicator());

    clickColumn(0);
    EXPECT_EQ(shown(0), (std::vector<std::string>{"1", "10", "2", "9"}));
    EXPECT_TRUE(list->IsAscendingSortIndicator());

    // "Date" sorts by number: 99 before 100; another column starts
    // ascending whatever the direction was.
    clickColumn(0);
    clickColumn(3);
    EXPECT_EQ(shown(0), (std::vector<std::string>{"1", "10", "9", "2"}));
    EXPECT_EQ(view->sortColumn(), 3);
    EXPECT_TRUE(view->sortAscending());
    EXPECT_EQ(list->GetSortIndicator(), 3);
    EXPECT_TRUE(list->IsAscendingSortIndicator());

    // Case matters in "Name": "Delta" before "alpha".
    clickColumn(1);
    EXPECT_EQ(shown(1), (std::vector<std::string>{"Delta", "alpha", "beta", "gamma"}));
    // The hidden cells travel with their rows.
    std::vector<std::string> uids;
    select({0});
    view->getSelectedValues(4, uids);
    EXPECT_EQ(uids, (std::vector<std::string>{"uid-1"}));

    // Events other than column clicks leave the view alone.
    wxListEvent other(wxEVT_LIST_ITEM_ACTIVATED, kListControlId);
    EXPECT_EQ(view->onNotify(m_frame, other), 0);
    EXPECT_EQ(view->sortColumn(), 1);
}

TEST_F(ListViewTest, RealHeaderClickSorts) {
    ReportView* view = revisions();
    wxListCtrl* list = view->listControl();
    zebtest::pumpFor(100);
    // The header sits above the first row; its first column starts at the
    // left edge.
    wxRect first;
    ASSERT_TRUE(list->GetSubItemRect(0, 3, first));
    const wxPoint header = list->ClientToScreen(wxPoint(first.x + 10, 5));
    wxUIActionSimulator sim;
    sim.MouseMove(header);
    zebtest::pumpFor(30);
    sim.MouseClick();
    ASSERT_TRUE(zebtest::pumpUntil([&] { return view->sortColumn() == 3; }));
    EXPECT_EQ(shown(0), (std::vector<std::string>{"1", "10", "9", "2"}));
    // Not so soon that the two clicks make a double-click.
    zebtest::pumpFor(800);
    sim.MouseClick();
    ASSERT_TRUE(zebtest::pumpUntil([&] { return !view->sortAscending(); }));
    EXPECT_EQ(shown(0), (std::vector<std::string>{"2", "9", "10", "1"}));
}

TEST_F(ListViewTest, SelectedValuesInRowOrder) {
    ReportView* view = revisions();
    std::vector<std::string> values = {"stale"};
    EXPECT_EQ(view->getSelectedValues(4, values), 4);
    EXPECT_TRUE(values.empty());

    select({3, 0});
    EXPECT_EQ(view->getSelectedValues(4, values), 4);
    EXPECT_EQ(values, (std::vector<std::string>{"uid-2", "uid-1"}));
    EXPECT_EQ(view->getSelectedValues(1, values), 4);
    EXPECT_EQ(values, (std::vector<std::string>{"beta", "Delta"}));
    // A column no row has gives empty texts, one per selected row.
    view->getSelectedValues(9, values);
    EXPECT_EQ(values, (std::vector<std::string>{"", ""}));
}

TEST_F(ListViewTest, DeletingSelectedRowsKeepsTheOthersInOrder) {
    ReportView* view = make<ReportView>();
    Rows rows;
    for (int i = 0; i < 6; ++i) {
        rows.push_back({std::to_string(i), "n", "", "0", "uid-" + std::to_string(i)});
    }
    view->setColumns(kRevisionColumns, rows, kRevisionWidths);
    view->deleteSelectedRows();
    EXPECT_EQ(view->itemCount(), 6);

    select({1, 3, 4});
    view->deleteSelectedRows();
    EXPECT_EQ(view->listControl()->GetItemCount(), 3);
    EXPECT_EQ(view->itemCount(), 3);
    EXPECT_EQ(view->listControl()->GetSelectedItemCount(), 0);
    EXPECT_EQ(shown(0), (std::vector<std::string>{"0", "2", "5"}));
    std::vector<std::string> uids;
    select({2});
    view->getSelectedValues(4, uids);
    EXPECT_EQ(uids, (std::vector<std::string>{"uid-5"}));

    view->listControl()->SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    view->deleteSelectedRows();
    EXPECT_EQ(view->listControl()->GetItemCount(), 0);
    EXPECT_TRUE(view->rows().empty());
}

TEST_F(ListViewTest, SetCellChangesOneCell) {
    ReportView* view = revisions();
    EXPECT_TRUE(view->setCell(1, 1, "renamed"));
    EXPECT_EQ(view->listControl()->GetItemText(1, 1), "renamed");
    EXPECT_EQ(view->rows()[1][1], "renamed");
    EXPECT_TRUE(view->setCell(2, 4, "hidden"));
    EXPECT_EQ(view->rows()[2][4], "hidden");
    EXPECT_FALSE(view->setCell(4, 0, "x"));
    EXPECT_FALSE(view->setCell(-1, 0, "x"));
    EXPECT_FALSE(view->setCell(0, 5, "x"));
    EXPECT_FALSE(view->setCell(0, -1, "x"));
    EXPECT_EQ(view->rows(), [] {
        Rows expected = revisionRows();
        expected[1][1] = "renamed";
        expected[2][4] = "hidden";
        return expected;
    }());
    // Texts in another encoding than UTF-8 still show.
    view->setCell(0, 1, "caf\xe9");
    EXPECT_EQ(view->listControl()->GetItemText(0, 1), wxString::FromUTF8("caf\xc3\xa9"));
}

TEST_F(ListViewTest, IconViewChoosesFolderAndFileImages) {
    IconView* view = make<IconView>();
    view->setColumns(
        {"Name"},
        {{"docs", "Folder"}, {"a.txt", "ZEB"}, {"b", "folder"}, {"c", "Folder "}, {"bare"}});
    wxListCtrl* list = view->listControl();
    EXPECT_TRUE(list->HasFlag(wxLC_ICON));
    ASSERT_TRUE(view->hasImages());
    wxImageList* images = list->GetImageList(wxIMAGE_LIST_NORMAL);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->GetImageCount(), 2);
    int w = 0, h = 0;
    images->GetSize(0, w, h);
    EXPECT_EQ(wxSize(w, h), wxSize(32, 32));
    const auto shownImages = [list] {
        std::vector<int> chosen;
        for (long i = 0; i < list->GetItemCount(); ++i) {
            wxListItem item;
            item.SetId(i);
            item.SetMask(wxLIST_MASK_IMAGE);
            list->GetItem(item);
            chosen.push_back(item.GetImage());
        }
        return chosen;
    };
    EXPECT_EQ(shownImages(),
              (std::vector<int>{kFolderImage, kFileImage, kFileImage, kFileImage, kFolderImage}));
    EXPECT_EQ(shown(0), (std::vector<std::string>{"docs", "a.txt", "b", "c", "bare"}));

    // Changes of the table reach the control's own copy.
    view->setCell(1, 1, "Folder");
    view->setCell(2, 0, "renamed");
    EXPECT_EQ(shownImages(),
              (std::vector<int>{kFolderImage, kFolderImage, kFileImage, kFileImage, kFolderImage}));
    EXPECT_EQ(shown(0), (std::vector<std::string>{"docs", "a.txt", "renamed", "c", "bare"}));
    select({0, 3});
    view->deleteSelectedRows();
    EXPECT_EQ(shown(0), (std::vector<std::string>{"a.txt", "renamed", "bare"}));
    EXPECT_EQ(view->itemImage(2), kFolderImage);
    EXPECT_EQ(shownImages(), (std::vector<int>{kFolderImage, kFileImage, kFolderImage}));

    // Report views have no images.
    ReportView report(m_frame);
    report.setColumns({"Name"}, {{"docs", "Folder"}});
    EXPECT_EQ(report.itemImage(0), -1);
}

TEST_F(ListViewTest, EditViewShowsLabelThenValueAndCannotSort) {
    EditView* view = make<EditView>();
    view->setColumns(
        {"Value", "Rev. Attribute"},
        {{"uid-7", "UID"}, {"Draft", "Name"}, {"some notes", "Note"}, {"3", "Version"}}, {70, 30});
    EXPECT_FALSE(view->setColumnOrder({0, 0}));
    EXPECT_FALSE(view->setColumnOrder({1}));
    EXPECT_FALSE(view->setColumnOrder({1, 2}));
    ASSERT_TRUE(view->setColumnOrder({1, 0}));
    wxListCtrl* list = view->listControl();
    EXPECT_TRUE(list->HasFlag(wxLC_SINGLE_SEL));
    ASSERT_EQ(list->GetColumnCount(), 2);
    wxListItem first;
    first.SetMask(wxLIST_MASK_TEXT);
    list->GetColumn(0, first);
    EXPECT_EQ(first.GetText(), "Rev. Attribute");
    const int width = list->GetSize().x;
    EXPECT_EQ(list->GetColumnWidth(0), width * 30 / 100);
    EXPECT_EQ(list->GetColumnWidth(1), width * 70 / 100);
    EXPECT_EQ(shown(0), (std::vector<std::string>{"UID", "Name", "Note", "Version"}));
    EXPECT_EQ(shown(1), (std::vector<std::string>{"uid-7", "Draft", "some notes", "3"}));
    EXPECT_EQ(view->displayColumnOf(0), 1);

    // Model columns stay what they were.
    select({1});
    std::vector<std::string> values;
    view->getSelectedValues(0, values);
    EXPECT_EQ(values, (std::vector<std::string>{"Draft"}));
    view->setCell(1, 0, "Final");
    EXPECT_EQ(list->GetItemText(1, 1), "Final");

    clickColumn(0);
    clickColumn(1);
    EXPECT_EQ(view->sortColumn(), -1);
    EXPECT_EQ(shown(0), (std::vector<std::string>{"UID", "Name", "Note", "Version"}));
    EXPECT_EQ(list->GetSortIndicator(), -1);
}

namespace {

struct EditRecord {
    long row;
    int column;
    std::string text;
    bool cancelled;
};

}  // namespace

TEST_F(ListViewTest, EditViewEditsTheValueInPlace) {
    EditView* view = make<EditView>();
    view->setColumns({"Value", "Rev. Attribute"},
                     {{"uid-7", "UID"}, {"Draft", "Name"}, {"notes", "Note"}, {"3", "Version"}},
                     {70, 30});
    view->setColumnOrder({1, 0});
    std::vector<EditRecord> ends;
    int begins = 0;
    bool vetoBegin = false;
    m_frame->Bind(wxEVT_LIST_BEGIN_LABEL_EDIT, [&](wxListEvent& event) {
        ++begins;
        EXPECT_EQ(event.GetLabel(), view->rows()[static_cast<size_t>(event.GetIndex())][0]);
        if (vetoBegin) {
            event.Veto();
        }
    });
    // The main window's part: show the accepted text.
    m_frame->Bind(wxEVT_LIST_END_LABEL_EDIT, [&](wxListEvent& event) {
        EXPECT_EQ(event.GetEventObject(), view->getWindow());
        ends.push_back({event.GetIndex(), event.GetColumn(), event.GetLabel().utf8_string(),
                        event.IsEditCancelled()});
        if (!event.IsEditCancelled()) {
            view->setCell(static_cast<int>(event.GetIndex()), 0, event.GetLabel().utf8_string());
        }
    });
    zebtest::pumpFor(50);
    wxListCtrl* list = view->listControl();

    EXPECT_FALSE(view->editValue(4));
    EXPECT_FALSE(view->editValue(-1));
    ASSERT_TRUE(view->editValue(1));
    wxTextCtrl* editor = view->editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->IsShown());
    EXPECT_EQ(editor->GetValue(), "Draft");
    EXPECT_EQ(view->editedRow(), 1);
    // The editor covers the value, the right-hand column of the row.
    wxRect cell;
    ASSERT_TRUE(list->GetSubItemRect(1, 1, cell));
    const wxRect onScreen(list->ClientToScreen(cell.GetPosition()), cell.GetSize());
    EXPECT_TRUE(onScreen.Contains(editor->GetScreenRect().GetPosition() + wxPoint(2, 2)))
        << "cell " << onScreen.x << "," << onScreen.y << " editor " << editor->GetScreenRect().x
        << "," << editor->GetScreenRect().y;

    // Typing and Enter, through the keyboard.
    ASSERT_TRUE(zebtest::pumpUntil([&] { return editor->HasFocus(); }));
    wxUIActionSimulator sim;
    sim.Text("Final");
    ASSERT_TRUE(zebtest::pumpUntil([&] { return editor->GetValue() == "Final"; }));
    sim.Char(WXK_RETURN);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return !ends.empty(); }));
    EXPECT_FALSE(editor->IsShown());
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].row, 1);
    EXPECT_EQ(ends[0].column, 0);
    EXPECT_EQ(ends[0].text, "Final");
    EXPECT_FALSE(ends[0].cancelled);
    EXPECT_EQ(list->GetItemText(1, 1), "Final");

    // Escape cancels.
    ASSERT_TRUE(view->editValue(2));
    ASSERT_TRUE(zebtest::pumpUntil([&] { return editor->HasFocus(); }));
    sim.Text("zzz");
    ASSERT_TRUE(zebtest::pumpUntil([&] { return editor->GetValue() == "zzz"; }));
    sim.Char(WXK_ESCAPE);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return ends.size() == 2; }));
    EXPECT_TRUE(ends[1].cancelled);
    EXPECT_EQ(ends[1].row, 2);
    EXPECT_EQ(list->GetItemText(2, 1), "notes");

    // Opening another edit accepts the open one; one end event each.
    ASSERT_TRUE(view->editValue(0));
    editor->ChangeValue("changed");
    ASSERT_TRUE(view->editValue(3));
    EXPECT_EQ(ends.size(), 3u);
    EXPECT_EQ(ends[2].row, 0);
    EXPECT_EQ(ends[2].text, "changed");
    view->endEdit(true);
    view->endEdit(true);
    zebtest::pumpFor(50);
    EXPECT_EQ(ends.size(), 4u);
    EXPECT_EQ(begins, 4);

    // A vetoed begin keeps the editor closed.
    vetoBegin = true;
    EXPECT_FALSE(view->editValue(1));
    EXPECT_FALSE(editor->IsShown());
}

TEST_F(ListViewTest, EditViewOpensTheEditorOnDoubleClickAndF2) {
    EditView* view = make<EditView>();
    view->setColumns({"Value", "Rev. Attribute"}, {{"uid-7", "UID"}, {"Draft", "Name"}}, {70, 30});
    view->setColumnOrder({1, 0});
    int ends = 0;
    m_frame->Bind(wxEVT_LIST_END_LABEL_EDIT, [&](wxListEvent&) { ++ends; });
    zebtest::pumpFor(100);

    wxUIActionSimulator sim;
    sim.MouseMove(cellPoint(1, 1));
    zebtest::pumpFor(30);
    sim.MouseDblClick();
    ASSERT_TRUE(zebtest::pumpUntil([&] { return view->editor() && view->editor()->IsShown(); }));
    EXPECT_EQ(view->editedRow(), 1);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return view->editor()->HasFocus(); }));
    sim.Char(WXK_ESCAPE);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return ends == 1; }));

    // A double-click on the label does not edit it.
    sim.MouseMove(cellPoint(0, 0));
    zebtest::pumpFor(30);
    sim.MouseDblClick();
    zebtest::pumpFor(200);
    EXPECT_FALSE(view->editor()->IsShown());

    // F2 edits the focused row.
    view->listControl()->SetItemState(0, wxLIST_STATE_FOCUSED | wxLIST_STATE_SELECTED,
                                      wxLIST_STATE_FOCUSED | wxLIST_STATE_SELECTED);
    static_cast<ListControl*>(view->listControl())->itemArea()->SetFocus();
    zebtest::pumpFor(30);
    sim.Char(WXK_F2);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return view->editor()->IsShown(); }));
    EXPECT_EQ(view->editedRow(), 0);
    view->endEdit(true);
}

TEST_F(ListViewTest, LeftClickIsToldAfterTheSelectionChanged) {
    ReportView* view = revisions();
    std::vector<int> clicks;
    std::vector<std::vector<std::string>> selections;
    m_frame->Bind(ZEB_EVT_LIST_CLICK, [&](wxCommandEvent& event) {
        EXPECT_EQ(event.GetEventObject(), view->getWindow());
        clicks.push_back(event.GetInt());
        std::vector<std::string> uids;
        view->getSelectedValues(4, uids);
        selections.push_back(uids);
    });
    zebtest::pumpFor(100);
    wxUIActionSimulator sim;
    sim.MouseMove(cellPoint(2, 1));
    zebtest::pumpFor(30);
    sim.MouseClick();
    ASSERT_TRUE(zebtest::pumpUntil([&] { return clicks.size() == 1; }));
    EXPECT_EQ(clicks[0], 2);
    EXPECT_EQ(selections[0], (std::vector<std::string>{"uid-9"}));

    // Below the last row: no row.
    wxRect last;
    ASSERT_TRUE(view->listControl()->GetItemRect(3, last));
    sim.MouseMove(view->listControl()->ClientToScreen(wxPoint(20, last.GetBottom() + 60)));
    zebtest::pumpFor(30);
    sim.MouseClick();
    ASSERT_TRUE(zebtest::pumpUntil([&] { return clicks.size() == 2; }));
    EXPECT_EQ(clicks[1], -1);
}

TEST_F(ListViewTest, RegistryAndLifetimes) {
    ReportView* view = revisions();
    wxWindow* control = view->getWindow();
    EXPECT_EQ(ListView::fromWindow(control), view);
    EXPECT_EQ(ListView::fromWindow(m_frame), nullptr);
    m_owned.reset();
    m_view = nullptr;
    EXPECT_EQ(ListView::fromWindow(control), nullptr);
    EXPECT_EQ(m_frame->GetChildren().size(), 0u);

    // A parent that goes first takes the control with it; the view then
    // has no window and can still be deleted.
    auto* parent = new wxFrame(nullptr, wxID_ANY, "gone");
    parent->Show();
    auto view2 = std::make_unique<EditView>(parent);
    view2->setColumns({"Value", "Rev. Attribute"}, {{"v", "l"}});
    ASSERT_TRUE(view2->editValue(0));
    wxWindow* control2 = view2->getWindow();
    delete parent;
    EXPECT_EQ(view2->getWindow(), nullptr);
    EXPECT_EQ(ListView::fromWindow(control2), nullptr);
    std::vector<std::string> values;
    EXPECT_EQ(view2->getSelectedValues(0, values), 0);
    view2->setRows({{"a"}});
    view2.reset();
}

TEST_F(ListViewTest, LargeTablesCostOnlyTheVisibleCells) {
    ReportView* view = make<ReportView>();
    Rows rows;
    rows.reserve(100000);
    for (int i = 0; i < 100000; ++i) {
        rows.push_back({std::to_string(i), "name " + std::to_string(i % 977), "",
                        std::to_string(1700000000 - i * 37 % 100003), "uid-" + std::to_string(i)});
    }
    const auto start = std::chrono::steady_clock::now();
    view->setColumns(kRevisionColumns, rows, kRevisionWidths);
    auto* control = static_cast<ListControl*>(view->listControl());
    ASSERT_TRUE(zebtest::pumpUntil([&] { return control->textRequests() > 0; }));
    zebtest::pumpFor(100);
    EXPECT_EQ(control->GetItemCount(), 100000);
    // Only the rows on screen were asked for.
    EXPECT_LT(control->textRequests(), 4 * 200);

    clickColumn(3);
    clickColumn(0);
    control->SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    control->SetItemState(5, 0, wxLIST_STATE_SELECTED);
    std::vector<std::string> values;
    EXPECT_EQ(view->getSelectedValues(0, values), 100000);
    EXPECT_EQ(values.size(), 99999u);
    view->deleteSelectedRows();
    EXPECT_EQ(control->GetItemCount(), 1);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);
    RecordProperty("seconds", std::to_string(seconds));
}

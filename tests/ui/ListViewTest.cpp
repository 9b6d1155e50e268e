// The list panes on a real list control: filling, sorting and the header's
// indicator, selection, deletion, cell changes, the icon view's images, the
// edit view's column order and in-place edits, clicks, lifetimes and a
// large table. (Row order and cell texts alone: RowComparatorTest.)

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/app/WxPump.h"
#include "ui/EditView.h"
#include "ui/IconView.h"
#include "ui/ListControl.h"
#include "ui/ReportView.h"

namespace {

using Texts = std::vector<std::string>;

const Texts kRevisionColumns = {"Ver.", "Name", "Notes", "Date"};

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "lists", wxPoint(10, 10), wxSize(900, 600));
        m_frame->Show();
        zebtest::pumpFor(50);
        // The main window's part: column clicks go on to the view.
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
        view->setColumns(kRevisionColumns,
                         {{"2", "beta", "second", "1000", "uid-2"},
                          {"10", "alpha", "tenth", "99", "uid-10"},
                          {"9", "gamma", "", "100", "uid-9"},
                          {"1", "Delta", "first", "5", "uid-1"}},
                         {10, 20, 30, 40});
        return view;
    }

    EditView* attributes() {
        EditView* view = make<EditView>();
        view->setColumns({"Value", "Rev. Attribute"},
                         {{"uid-7", "UID"}, {"Draft", "Name"}, {"notes", "Note"}, {"3", "Version"}},
                         {70, 30});
        EXPECT_TRUE(view->setColumnOrder({1, 0}));
        return view;
    }

    Texts shown(int displayColumn) {
        Texts texts;
        wxListCtrl* list = m_view->listControl();
        for (int i = 0; i < list->GetItemCount(); ++i) {
            texts.push_back(list->GetItemText(i, displayColumn).utf8_string());
        }
        return texts;
    }

    Texts selected(int column) {
        Texts values;
        EXPECT_EQ(m_view->getSelectedValues(column, values), m_view->listControl()->GetItemCount());
        return values;
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

    // A mouse event as the control's own windows receive it: on the header
    // above `displayColumn` for row -1, else inside the cell (or `below`
    // pixels under it).
    void mouse(wxEventType type, long row, int displayColumn, int below = 0) {
        auto* list = static_cast<ListControl*>(m_view->listControl());
        wxRect cell;
        ASSERT_TRUE(list->GetSubItemRect(row < 0 ? 0 : row, displayColumn, cell));
        wxWindow* target = list->itemArea();
        wxPoint at = cell.GetPosition() + wxPoint(8, cell.height / 2 + below);
        if (row < 0) {
            for (wxWindow* child : list->GetChildren()) {
                if (child != target) {
                    target = child;  // the header
                }
            }
            at = wxPoint(cell.x + 10, 0);
        }
        at = target->ScreenToClient(list->ClientToScreen(at));
        if (row < 0) {
            at.y = target->GetClientSize().y / 2;
        }
        wxMouseEvent event(type);
        event.SetEventObject(target);
        event.SetPosition(at);
        event.SetLeftDown(type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_DCLICK);
        target->ProcessWindowEvent(event);
    }

    void click(long row, int displayColumn, int below = 0) {
        mouse(wxEVT_LEFT_DOWN, row, displayColumn, below);
        mouse(wxEVT_LEFT_UP, row, displayColumn, below);
    }

    static void key(wxWindow* target, wxEventType type, int code) {
        wxKeyEvent event(type);
        event.m_keyCode = code;
        event.SetEventObject(target);
        target->ProcessWindowEvent(event);
    }

    wxFrame* m_frame = nullptr;
    ListView* m_view = nullptr;
    std::unique_ptr<ListView> m_owned;
};

TEST_F(ListViewTest, ColumnWidthsAndDateCells) {
    ReportView* view = revisions();
    wxListCtrl* list = view->listControl();
    EXPECT_EQ(list->GetSize(), m_frame->GetClientSize());
    const int width = list->GetSize().x;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list->GetColumnWidth(i), width * (i + 1) * 10 / 100) << i;
    }
    EXPECT_EQ(shown(3)[0], formatCtimeText(1000));

    // Without percentages the columns share the width; new columns and rows
    // replace the old ones.
    view->setColumns({"A", "B", "C"}, {{"x", "y", "z"}});
    ASSERT_EQ(list->GetColumnCount(), 3);
    EXPECT_EQ(list->GetColumnWidth(2), width / 3);
    EXPECT_EQ(shown(2), (Texts{"z"}));

    const wxRect area(100, 30, 400, 300);
    ReportView placed(m_frame, &area);
    EXPECT_EQ(placed.getWindow()->GetRect(), area);
}

TEST_F(ListViewTest, HeaderClicksCycleTheSortAndTheIndicator) {
    ReportView* view = revisions();
    wxListCtrl* list = view->listControl();
    EXPECT_EQ(list->GetSortIndicator(), -1);
    // Selection and focus follow their rows wherever a sort puts them.
    select({1, 3});
    list->SetItemState(2, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
    const auto marked = [&] {
        Texts values = selected(4);
        std::sort(values.begin(), values.end());
        const long focus = list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
        values.push_back(focus < 0 ? "-" : "focus " + cellOf(view->rows()[focus], 4));
        return values;
    };
    const Texts kMarked = {"uid-1", "uid-10", "focus uid-9"};
    // A click on the "Ver." header, through the parent's routing: text
    // order, "10" before "9".
    zebtest::pumpFor(100);
    click(-1, 0);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return view->sortColumn() == 0; }));
    EXPECT_EQ(shown(0), (Texts{"1", "10", "2", "9"}));
    EXPECT_EQ(list->GetSortIndicator(), 0);
    EXPECT_TRUE(list->IsAscendingSortIndicator());
    EXPECT_EQ(marked(), kMarked);
    clickColumn(0);
    EXPECT_EQ(shown(0), (Texts{"9", "2", "10", "1"}));
    EXPECT_FALSE(list->IsAscendingSortIndicator());
    EXPECT_EQ(marked(), kMarked);

    // "Date" by number, 99 before 100; another column starts ascending.
    clickColumn(3);
    EXPECT_EQ(shown(0), (Texts{"1", "10", "9", "2"}));
    EXPECT_EQ(list->GetSortIndicator(), 3);
    EXPECT_TRUE(list->IsAscendingSortIndicator());
    EXPECT_EQ(marked(), kMarked);
    EXPECT_EQ(selected(4), (Texts{"uid-1", "uid-10"}));
}

TEST_F(ListViewTest, SelectionDeletionAndCellChanges) {
    ReportView* view = make<ReportView>();
    Rows rows;
    for (int i = 0; i < 6; ++i) {
        rows.push_back({std::to_string(i), "n", "", "0", "uid-" + std::to_string(i)});
    }
    view->setColumns(kRevisionColumns, rows);
    EXPECT_TRUE(selected(4).empty());
    view->deleteSelectedRows();
    EXPECT_EQ(view->itemCount(), 6);

    select({4, 1, 3});
    EXPECT_EQ(selected(4), (Texts{"uid-1", "uid-3", "uid-4"}));
    EXPECT_EQ(selected(9), (Texts{"", "", ""}));
    view->deleteSelectedRows();
    EXPECT_EQ(view->itemCount(), 3);
    EXPECT_EQ(shown(0), (Texts{"0", "2", "5"}));
    EXPECT_TRUE(selected(0).empty());
    select({2});
    EXPECT_EQ(selected(4), (Texts{"uid-5"}));

    EXPECT_TRUE(view->setCell(1, 1, "renamed"));
    EXPECT_EQ(view->listControl()->GetItemText(1, 1), "renamed");
    EXPECT_TRUE(view->setCell(2, 4, "hidden"));
    EXPECT_EQ(selected(4), (Texts{"hidden"}));
    for (const auto& [row, column] : {std::pair{3, 0}, {0, 5}, {0, -1}}) {
        EXPECT_FALSE(view->setCell(row, column, "x")) << row << "," << column;
    }
    // Text in another encoding than UTF-8 still shows.
    view->setCell(0, 1, "caf\xe9");
    EXPECT_EQ(view->listControl()->GetItemText(0, 1), wxString::FromUTF8("caf\xc3\xa9"));

    view->listControl()->SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    view->deleteSelectedRows();
    EXPECT_EQ(view->listControl()->GetItemCount(), 0);
    EXPECT_TRUE(view->rows().empty());
}

TEST_F(ListViewTest, IconViewKeepsItsItemsAndImagesInStepWithTheTable) {
    IconView* view = make<IconView>();
    view->setColumns({"Name"}, {{"docs", "Folder"}, {"a.txt", "ZEB"}, {"b", "ZEB"}, {"bare"}});
    wxListCtrl* list = view->listControl();
    ASSERT_TRUE(view->hasImages());
    wxImageList* images = list->GetImageList(wxIMAGE_LIST_NORMAL);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images->GetImageCount(), 2);
    EXPECT_EQ(images->GetSize(), wxSize(32, 32));
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
    const int folder = kFolderImage, file = kFileImage;
    EXPECT_EQ(shownImages(), (std::vector<int>{folder, file, file, folder}));
    EXPECT_EQ(shown(0), (Texts{"docs", "a.txt", "b", "bare"}));

    // Changes of the table reach the control's own copy of the items.
    view->setCell(1, 1, "Folder");
    view->setCell(2, 0, "renamed");
    EXPECT_EQ(shown(0), (Texts{"docs", "a.txt", "renamed", "bare"}));
    EXPECT_EQ(shownImages(), (std::vector<int>{folder, folder, file, folder}));
    select({0});
    view->deleteSelectedRows();
    EXPECT_EQ(shown(0), (Texts{"a.txt", "renamed", "bare"}));
    EXPECT_EQ(shownImages(), (std::vector<int>{folder, file, folder}));

    ReportView report(m_frame);
    report.setColumns({"Name"}, {{"docs", "Folder"}});
    EXPECT_EQ(report.itemImage(0), -1);
}

TEST_F(ListViewTest, EditViewShowsLabelThenValueAndCannotSort) {
    EditView* view = attributes();
    EXPECT_FALSE(view->setColumnOrder({0, 0}));
    EXPECT_FALSE(view->setColumnOrder({1}));
    wxListCtrl* list = view->listControl();
    EXPECT_EQ(list->GetColumnWidth(0), list->GetSize().x * 30 / 100);
    EXPECT_EQ(shown(0), (Texts{"UID", "Name", "Note", "Version"}));
    EXPECT_EQ(shown(1), (Texts{"uid-7", "Draft", "notes", "3"}));

    // Operations keep taking model columns.
    select({1});
    EXPECT_EQ(selected(0), (Texts{"Draft"}));
    view->setCell(1, 0, "Final");
    EXPECT_EQ(list->GetItemText(1, 1), "Final");

    clickColumn(0);
    clickColumn(1);
    EXPECT_EQ(view->sortColumn(), -1);
    EXPECT_EQ(shown(0), (Texts{"UID", "Name", "Note", "Version"}));
}

TEST_F(ListViewTest, EditViewEditsTheValueInPlace) {
    EditView* view = attributes();
    // "row:text" of each end of an edit, "row:-" when cancelled.
    std::vector<std::string> ends;
    int begins = 0;
    bool veto = false;
    m_frame->Bind(wxEVT_LIST_BEGIN_LABEL_EDIT, [&](wxListEvent& event) {
        ++begins;
        if (veto) {
            event.Veto();
        }
    });
    // The main window's part: show the accepted text.
    m_frame->Bind(wxEVT_LIST_END_LABEL_EDIT, [&](wxListEvent& event) {
        EXPECT_EQ(event.GetColumn(), 0);
        const std::string text = event.GetLabel().utf8_string();
        ends.push_back(std::to_string(event.GetIndex()) + ":" +
                       (event.IsEditCancelled() ? "-" : text));
        if (!event.IsEditCancelled()) {
            view->setCell(static_cast<int>(event.GetIndex()), 0, text);
        }
    });
    zebtest::pumpFor(100);
    wxListCtrl* list = view->listControl();

    EXPECT_FALSE(view->editValue(4));
    // A double-click on the value opens the editor over it; Enter accepts.
    mouse(wxEVT_LEFT_DCLICK, 1, 1);
    ASSERT_TRUE(view->editor() && view->editor()->IsShown());
    wxTextCtrl* editor = view->editor();
    EXPECT_EQ(view->editedRow(), 1);
    EXPECT_EQ(editor->GetValue(), "Draft");
    wxRect cell;
    ASSERT_TRUE(list->GetSubItemRect(1, 1, cell));
    EXPECT_TRUE(wxRect(list->ClientToScreen(cell.GetPosition()), cell.GetSize())
                    .Contains(editor->GetScreenPosition() + wxPoint(2, 2)));
    editor->ChangeValue("Final");
    key(editor, wxEVT_CHAR, WXK_RETURN);
    EXPECT_FALSE(editor->IsShown());
    EXPECT_EQ(list->GetItemText(1, 1), "Final");

    // F2 edits the focused row; Escape cancels.
    list->SetItemState(2, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
    key(static_cast<ListControl*>(list)->itemArea(), wxEVT_KEY_DOWN, WXK_F2);
    ASSERT_TRUE(editor->IsShown());
    EXPECT_EQ(view->editedRow(), 2);
    editor->ChangeValue("zzz");
    key(editor, wxEVT_CHAR, WXK_ESCAPE);
    EXPECT_EQ(list->GetItemText(2, 1), "notes");

    // A click on the value of the row that is already selected edits it;
    // a double-click on the label edits nothing.
    click(3, 1);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return list->GetItemState(3, wxLIST_STATE_SELECTED); }));
    zebtest::pumpFor(50);
    EXPECT_FALSE(editor->IsShown());
    click(3, 1);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return editor->IsShown(); }));
    EXPECT_EQ(view->editedRow(), 3);
    view->endEdit(true);
    mouse(wxEVT_LEFT_DCLICK, 0, 0);
    zebtest::pumpFor(50);
    EXPECT_FALSE(editor->IsShown());

    // Opening another edit accepts the open one.
    ASSERT_TRUE(view->editValue(0));
    editor->ChangeValue("changed");
    ASSERT_TRUE(view->editValue(3));
    view->endEdit(true);
    view->endEdit(true);
    zebtest::pumpFor(50);
    EXPECT_EQ(ends, (std::vector<std::string>{"1:Final", "2:-", "3:-", "0:changed", "3:-"}));
    EXPECT_EQ(begins, 5);
    veto = true;
    EXPECT_FALSE(view->editValue(1));
    EXPECT_FALSE(editor->IsShown());
}

TEST_F(ListViewTest, LeftClickIsToldAfterTheSelectionChanged) {
    ReportView* view = revisions();
    std::vector<int> rows;
    std::vector<Texts> selections;
    m_frame->Bind(ZEB_EVT_LIST_CLICK, [&](wxCommandEvent& event) {
        EXPECT_EQ(event.GetEventObject(), view->getWindow());
        rows.push_back(event.GetInt());
        selections.push_back(selected(4));
    });
    zebtest::pumpFor(100);
    click(2, 1);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return rows.size() == 1; }));
    EXPECT_EQ(rows[0], 2);
    EXPECT_EQ(selections[0], (Texts{"uid-9"}));
    // Below the last row: no row.
    click(3, 0, 80);
    ASSERT_TRUE(zebtest::pumpUntil([&] { return rows.size() == 2; }));
    EXPECT_EQ(rows[1], -1);
}

TEST_F(ListViewTest, RegistryAndLifetimes) {
    ReportView* view = revisions();
    wxWindow* control = view->getWindow();
    EXPECT_EQ(ListView::fromWindow(control), view);
    m_owned.reset();
    m_view = nullptr;
    EXPECT_EQ(ListView::fromWindow(control), nullptr);
    EXPECT_TRUE(m_frame->GetChildren().empty());

    // A parent that goes first takes the control with it, open editor and
    // all; the view then has no window and can still be used and deleted.
    auto* parent = new wxFrame(nullptr, wxID_ANY, "gone");
    parent->Show();
    auto orphan = std::make_unique<EditView>(parent);
    orphan->setColumns({"Value", "Rev. Attribute"}, {{"v", "l"}});
    ASSERT_TRUE(orphan->editValue(0));
    wxWindow* control2 = orphan->getWindow();
    delete parent;
    EXPECT_EQ(orphan->getWindow(), nullptr);
    EXPECT_EQ(ListView::fromWindow(control2), nullptr);
    Texts values;
    EXPECT_EQ(orphan->getSelectedValues(0, values), 0);
    orphan->setRows({{"a"}});
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
    view->setColumns(kRevisionColumns, rows);
    auto* control = static_cast<ListControl*>(view->listControl());
    ASSERT_TRUE(zebtest::pumpUntil([&] { return control->textRequests() > 0; }));
    zebtest::pumpFor(100);
    // A few paints of the rows on screen, not 400,000 cells.
    EXPECT_LT(control->textRequests(), 5000);
    RecordProperty("textRequests", std::to_string(control->textRequests()));

    // All rows but one selected, then sorted twice: the one left out is
    // the one that stays.
    control->SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    control->SetItemState(5, 0, wxLIST_STATE_SELECTED);
    clickColumn(3);
    clickColumn(0);
    EXPECT_EQ(selected(0).size(), 99999u);
    view->deleteSelectedRows();
    EXPECT_EQ(control->GetItemCount(), 1);
    EXPECT_EQ(cellOf(view->rows().at(0), 4), "uid-5");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);
    RecordProperty("seconds", std::to_string(seconds));
}

}  // namespace

#pragma once

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/DataView.h"
#include "ui/ListRows.h"

class ListControl;
class wxListCtrl;

// The window id of every list view's control.
constexpr int kListControlId = 2004;

// A left click in a list view's control, on a row or on empty space, after
// the control has updated its selection. A wxCommandEvent sent from the list
// control, so it reaches the control's parent like the control's own
// wxListEvents: GetEventObject() is the list control, GetId() is
// kListControlId, GetInt() is the row under the pointer or -1. The main
// window handles it itself (the command state follows the selection); the
// view ignores it.
wxDECLARE_EVENT(ZEB_EVT_LIST_CLICK, wxCommandEvent);

// A table of text rows over a virtual list control: the control holds no
// texts and asks the view for each visible cell when it draws, so a large
// table costs the rows and no per-item control memory. Use one of the kinds
// ReportView, IconView, EditView. (The icon view, for folder contents, is
// the exception: this toolkit's list control shows virtual items only as a
// table, so its control holds a copy of each row's name.)
//
// Events: the control's events (wxListEvent, ZEB_EVT_LIST_CLICK) travel to
// its parent. The parent passes what it does not handle itself to
// onNotify(); a view acts on wxEVT_LIST_COL_CLICK (sorting) and ignores the
// rest. Nothing sorts unless the parent passes the column clicks on. The
// end of an in-place edit (wxEVT_LIST_END_LABEL_EDIT: GetIndex() is the row,
// GetLabel() the new text, IsEditCancelled()) is the parent's to handle: it
// calls setCell() to show the accepted text.
//
// Columns: the model column of a cell is its index in the row. By default
// column i of the control shows model column i; setColumnOrder() changes
// the order in which the model columns are shown. All operations of this
// class take model columns unless they say otherwise.
//
// The date column (model column 3) shows the ctime text of its number in
// local time and sorts by number; views with icons choose each row's image
// by rowImage() (ListRows.h).
class ListView : public DataView {
public:
    ListView(const ListView&) = delete;
    ListView& operator=(const ListView&) = delete;

    // The list control.
    wxWindow* getWindow() override;

    // Sorts on wxEVT_LIST_COL_CLICK (see onColumnClick) and then updates
    // `mainWindow`; ignores every other event. Returns 0.
    long onNotify(wxWindow* mainWindow, wxEvent& event) override;

    // Destroys the list control (unless its parent already did) and
    // forgets the view's registry entry.
    ~ListView() override;

    // Replaces all columns: one left-aligned column per name, `widths[i]`
    // percent of the control's width wide (an even share of the width when
    // no or too few percentages are given), shown in model order; then
    // setRows(rows). Returns true.
    bool setColumns(const std::vector<std::string>& names, const Rows& rows,
                    const std::vector<int>& widths = {});

    // Replaces the table and the control's item count. Selection goes.
    void setRows(const Rows& rows);

    // Empties `values`, then appends, for every selected row in ascending
    // row order, that row's cell at `column` (hidden cells included; a
    // missing cell gives an empty text). Returns the control's item count.
    int getSelectedValues(int column, std::vector<std::string>& values) const;

    // Removes every selected row from the control and the table; the rest
    // keep their order.
    void deleteSelectedRows();

    // Removes every row for which `which` is true; the rest keep their
    // order, and those that were selected stay selected. Returns how many
    // rows went.
    int deleteRowsWhere(const std::function<bool(const Row&)>& which);

    // Replaces the text of one cell; the control shows it when it next
    // draws the row. Returns false (and changes nothing) for a row or a
    // column outside the table.
    bool setCell(int row, int column, const std::string& text);

    // The display order of the columns: the control's column d shows model
    // column order[d]. Needs a permutation of 0 .. columnCount() - 1;
    // returns false and keeps the old order otherwise.
    bool setColumnOrder(const std::vector<int>& order);

    // Sorts by model column `column` from now on, ascending, and moves the
    // header's sort indicator there.
    void setSortColumn(int column);

    // When `keep`, the date column shows the ctime text with the line feed
    // that ends it, as the C library's ctime() gives it (the file manager's
    // revision picker); by default the line feed is cut off.
    void setDateLineFeed(bool keep) { m_dateLineFeed = keep; }

    // Sorts the rows by the sort column and direction (nothing when there
    // is no sort column) and redraws. The selected rows and the focused row
    // stay so wherever they move.
    void sortRows();

    // A click on the header of the control's column `displayColumn`: the
    // sort column again reverses the direction, another column becomes the
    // sort column, ascending; then the rows are sorted. Views that cannot
    // be sorted ignore it.
    void onColumnClick(int displayColumn);

    const Rows& rows() const { return m_rows; }
    // The sort column, -1 while the view is unsorted.
    int sortColumn() const { return m_sortColumn; }
    bool sortAscending() const { return m_sortAscending; }
    // The row count given to the control by the latest change of the table.
    int itemCount() const { return m_itemCount; }
    int columnCount() const { return m_columnCount; }
    const std::vector<int>& columnOrder() const { return m_columnOrder; }
    bool isSortable() const { return m_sortable; }
    // The list control, or null once its parent destroyed it.
    wxListCtrl* listControl() const;

    // The control's column that shows model column `column`, -1 if none.
    int displayColumnOf(int column) const;

    // The view whose list control is `window`, or null.
    static ListView* fromWindow(const wxWindow* window);

    // For the control: the text and image of one visible cell.
    wxString itemText(long row, long displayColumn) const;
    int itemImage(long row) const;
    // Called by the control when it is destroyed before the view.
    void controlDestroyed();

    // Texts of the table are UTF-8; text in another encoding shows as
    // Latin-1 rather than vanishing.
    static wxString toWx(const std::string& text);

protected:
    enum class Kind { Report, Icon, Edit };

    // Makes the control on `parent` over `rect` (parent's client
    // coordinates) or, when `rect` is null, over the parent's whole client
    // area.
    ListView(wxWindow* parent, Kind kind, const wxRect* rect);

    Kind kind() const { return m_kind; }
    ListControl* control() const { return m_control; }

private:
    // The icon view is the one kind whose control keeps its items (the
    // generic list control draws virtual items in report mode only).
    bool isVirtual() const { return m_kind != Kind::Icon; }
    void showItems();
    // The table becomes the rows at `order` (old row indices, each at most
    // once); selection and focus go with their rows.
    void rearrange(const std::vector<size_t>& order);
    void applyColumnHeaders();
    void showSortIndicator();
    void refreshAll();

    Rows m_rows;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    int m_itemCount = 0;
    int m_columnCount = 0;
    ListControl* m_control = nullptr;
    Kind m_kind;
    bool m_sortable = true;
    bool m_dateLineFeed = false;
    std::vector<std::string> m_columnNames;
    std::vector<int> m_columnWidths;
    std::vector<int> m_columnOrder;
};

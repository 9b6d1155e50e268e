#include "ui/ListView.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "ui/ListControl.h"
#include "ui/RowComparator.h"

wxDEFINE_EVENT(ZEB_EVT_LIST_CLICK, wxCommandEvent);

namespace {

// Every live view by its list control, so that code holding only the
// control (an event's sender) finds the view.
std::map<const wxWindow*, ListView*>& viewRegistry() {
    static std::map<const wxWindow*, ListView*> registry;
    return registry;
}

long styleOf(bool report, bool icon, bool edit) {
    long style = wxBORDER_SUNKEN;
    if (report) {
        style |= wxLC_REPORT | wxLC_HRULES | wxLC_VRULES;
    }
    if (icon) {
        style |= wxLC_ICON | wxLC_AUTOARRANGE;
    } else {
        style |= wxLC_VIRTUAL;
    }
    if (edit) {
        style |= wxLC_SINGLE_SEL | wxLC_NO_SORT_HEADER;
    }
    return style;
}

}  // namespace

ListView::ListView(wxWindow* parent, Kind kind, const wxRect* rect)
    : m_kind(kind), m_sortable(kind != Kind::Edit) {
    const wxRect area = rect ? *rect : wxRect(wxPoint(0, 0), parent->GetClientSize());
    m_control = new ListControl(
        this, parent, area, styleOf(kind != Kind::Icon, kind == Kind::Icon, kind == Kind::Edit));
    viewRegistry()[m_control] = this;
}

ListView::~ListView() {
    if (m_control) {
        viewRegistry().erase(m_control);
        m_control->detach();
        m_control->Destroy();
        m_control = nullptr;
    }
}

void ListView::controlDestroyed() {
    viewRegistry().erase(m_control);
    m_control = nullptr;
}

wxListCtrl* ListView::listControl() const {
    return m_control;
}

wxWindow* ListView::getWindow() {
    return m_control;
}

ListView* ListView::fromWindow(const wxWindow* window) {
    const auto found = viewRegistry().find(window);
    return found == viewRegistry().end() ? nullptr : found->second;
}

wxString ListView::toWx(const std::string& text) {
    wxString result = wxString::FromUTF8(text.data(), text.size());
    if (result.empty() && !text.empty()) {
        result = wxString(text.data(), wxConvISO8859_1, text.size());
    }
    return result;
}

long ListView::onNotify(wxWindow* mainWindow, wxEvent& event) {
    if (event.GetEventType() == wxEVT_LIST_COL_CLICK) {
        onColumnClick(static_cast<wxListEvent&>(event).GetColumn());
        if (mainWindow) {
            mainWindow->Update();
        }
    }
    return 0;
}

int ListView::displayColumnOf(int column) const {
    if (column < 0 || column >= m_columnCount) {
        return -1;
    }
    if (m_columnOrder.empty()) {
        return column;
    }
    const auto found = std::find(m_columnOrder.begin(), m_columnOrder.end(), column);
    return found == m_columnOrder.end() ? -1 : static_cast<int>(found - m_columnOrder.begin());
}

wxString ListView::itemText(long row, long displayColumn) const {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) {
        return wxString();
    }
    long column = displayColumn;
    if (displayColumn >= 0 && static_cast<size_t>(displayColumn) < m_columnOrder.size()) {
        column = m_columnOrder[static_cast<size_t>(displayColumn)];
    }
    std::string text = cellDisplayText(m_rows[static_cast<size_t>(row)], static_cast<int>(column));
    if (m_dateLineFeed && column == kDateColumn && !text.empty()) {
        text += '\n';
    }
    return toWx(text);
}

int ListView::itemImage(long row) const {
    if (m_kind != Kind::Icon || !m_control || !m_control->GetImageList(wxIMAGE_LIST_NORMAL)) {
        return -1;
    }
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) {
        return kFolderImage;
    }
    return rowImage(m_rows[static_cast<size_t>(row)], m_columnCount);
}

void ListView::applyColumnHeaders() {
    if (!m_control || !m_control->InReportView()) {
        return;
    }
    m_control->DeleteAllColumns();
    for (int d = 0; d < m_columnCount; ++d) {
        const size_t column = static_cast<size_t>(m_columnOrder[static_cast<size_t>(d)]);
        m_control->InsertColumn(d, toWx(m_columnNames[column]), wxLIST_FORMAT_LEFT,
                                m_columnWidths[column]);
    }
    showSortIndicator();
}

bool ListView::setColumns(const std::vector<std::string>& names, const Rows& rows,
                          const std::vector<int>& widths) {
    const int width = m_control ? m_control->GetSize().x : 0;
    m_columnCount = static_cast<int>(names.size());
    m_columnNames = names;
    m_columnWidths.assign(names.size(), 0);
    m_columnOrder.resize(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const long long share = i < widths.size() ? static_cast<long long>(width) * widths[i] / 100
                                                  : static_cast<long long>(width) / m_columnCount;
        m_columnWidths[i] = static_cast<int>(std::clamp<long long>(share, 0, width));
        m_columnOrder[i] = static_cast<int>(i);
    }
    applyColumnHeaders();
    setRows(rows);
    return true;
}

bool ListView::setColumnOrder(const std::vector<int>& order) {
    if (static_cast<int>(order.size()) != m_columnCount) {
        return false;
    }
    std::vector<bool> seen(order.size(), false);
    for (const int column : order) {
        if (column < 0 || column >= m_columnCount || seen[static_cast<size_t>(column)]) {
            return false;
        }
        seen[static_cast<size_t>(column)] = true;
    }
    // Keep the widths the user may have given the columns meanwhile.
    if (m_control && m_control->InReportView() && m_control->GetColumnCount() == m_columnCount) {
        for (int d = 0; d < m_columnCount; ++d) {
            m_columnWidths[static_cast<size_t>(m_columnOrder[static_cast<size_t>(d)])] =
                m_control->GetColumnWidth(d);
        }
    }
    m_columnOrder = order;
    applyColumnHeaders();
    refreshAll();
    return true;
}

void ListView::setRows(const Rows& rows) {
    if (m_control) {
        m_control->DeleteAllItems();
    }
    m_rows = rows;
    m_itemCount = static_cast<int>(m_rows.size());
    showItems();
}

void ListView::showItems() {
    if (!m_control) {
        return;
    }
    if (isVirtual()) {
        m_control->SetItemCount(m_itemCount);
    } else {
        m_control->DeleteAllItems();
        for (long i = 0; i < m_itemCount; ++i) {
            m_control->InsertItem(i, itemText(i, 0), itemImage(i));
        }
    }
    m_control->Refresh();
}

int ListView::getSelectedValues(int column, std::vector<std::string>& values) const {
    values.clear();
    if (!m_control) {
        return 0;
    }
    for (long i = m_control->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i >= 0;
         i = m_control->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
        values.push_back(static_cast<size_t>(i) < m_rows.size()
                             ? cellOf(m_rows[static_cast<size_t>(i)], column)
                             : std::string());
    }
    return m_control->GetItemCount();
}

void ListView::deleteSelectedRows() {
    if (!m_control) {
        return;
    }
    std::vector<bool> selected(m_rows.size(), false);
    for (long i = m_control->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i >= 0;
         i = m_control->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
        if (static_cast<size_t>(i) < selected.size()) {
            selected[static_cast<size_t>(i)] = true;
        }
    }
    std::vector<size_t> kept;
    kept.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (!selected[i]) {
            kept.push_back(i);
        }
    }
    if (kept.size() != m_rows.size()) {
        rearrange(kept);
    }
}

int ListView::deleteRowsWhere(const std::function<bool(const Row&)>& which) {
    std::vector<size_t> kept;
    kept.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (!which(m_rows[i])) {
            kept.push_back(i);
        }
    }
    const int removed = static_cast<int>(m_rows.size() - kept.size());
    if (removed > 0) {
        rearrange(kept);
    }
    return removed;
}

void ListView::rearrange(const std::vector<size_t>& order) {
    std::vector<bool> wasSelected(m_rows.size(), false);
    long focused = -1;
    if (m_control) {
        for (long i = m_control->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); i >= 0;
             i = m_control->GetNextItem(i, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
            if (static_cast<size_t>(i) < wasSelected.size()) {
                wasSelected[static_cast<size_t>(i)] = true;
            }
        }
        focused = m_control->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    }
    // Moving the rows rather than copying: a large table stays cheap.
    Rows rows;
    rows.reserve(order.size());
    std::vector<long> selected;
    long focus = -1;
    for (size_t j = 0; j < order.size(); ++j) {
        const size_t from = order[j];
        rows.push_back(std::move(m_rows[from]));
        if (wasSelected[from]) {
            selected.push_back(static_cast<long>(j));
        }
        if (static_cast<long>(from) == focused) {
            focus = static_cast<long>(j);
        }
    }
    const bool sameCount = rows.size() == m_rows.size();
    m_rows = std::move(rows);
    m_itemCount = static_cast<int>(m_rows.size());
    if (!m_control) {
        return;
    }
    m_control->SetItemState(-1, 0, wxLIST_STATE_SELECTED);
    if (sameCount) {
        refreshAll();
    } else {
        showItems();
    }
    if (focus >= 0) {
        m_control->SetItemState(focus, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
    }
    // The control keeps the rows that differ from its default state, and
    // looks through them for every row it asks about: when most rows are
    // selected, all are, and the others are taken out.
    if (selected.size() <= m_rows.size() / 2) {
        for (const long row : selected) {
            m_control->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        }
        return;
    }
    m_control->SetItemState(-1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    size_t next = 0;
    for (long row = 0; row < static_cast<long>(m_rows.size()); ++row) {
        if (next < selected.size() && selected[next] == row) {
            ++next;
        } else {
            m_control->SetItemState(row, 0, wxLIST_STATE_SELECTED);
        }
    }
}

bool ListView::setCell(int row, int column, const std::string& text) {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size() || column < 0 ||
        static_cast<size_t>(column) >= m_rows[static_cast<size_t>(row)].size()) {
        return false;
    }
    m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    if (m_control && !isVirtual()) {
        m_control->SetItem(row, 0, itemText(row, 0), itemImage(row));
    } else if (m_control) {
        m_control->RefreshItem(row);
    }
    return true;
}

void ListView::showSortIndicator() {
    if (!m_control || !m_control->InReportView()) {
        return;
    }
    const int display = displayColumnOf(m_sortColumn);
    if (display >= 0) {
        m_control->ShowSortIndicator(display, m_sortAscending);
    } else {
        m_control->RemoveSortIndicator();
    }
}

void ListView::setSortColumn(int column) {
    m_sortColumn = column;
    m_sortAscending = true;
    showSortIndicator();
}

void ListView::sortRows() {
    if (m_sortColumn < 0) {
        return;
    }
    // The rows' indices are sorted, so that selection and focus can follow
    // their rows to where they go.
    const RowComparator less = RowComparator::forColumn(m_sortColumn, m_sortAscending);
    std::vector<size_t> order(m_rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(),
              [this, &less](size_t a, size_t b) { return less(m_rows[a], m_rows[b]); });
    rearrange(order);
}

void ListView::onColumnClick(int displayColumn) {
    if (!m_sortable || displayColumn < 0 || displayColumn >= m_columnCount) {
        return;
    }
    const int column =
        m_columnOrder.empty() ? displayColumn : m_columnOrder[static_cast<size_t>(displayColumn)];
    if (column == m_sortColumn) {
        m_sortAscending = !m_sortAscending;
        showSortIndicator();
    } else {
        setSortColumn(column);
    }
    sortRows();
}

void ListView::refreshAll() {
    if (!isVirtual()) {
        showItems();
    } else if (m_control && m_control->GetItemCount() > 0) {
        m_control->RefreshItems(0, m_control->GetItemCount() - 1);
    }
}

#include "ui/ListControl.h"

#include "ui/ListView.h"

ListControl::ListControl(ListView* view, wxWindow* parent, const wxRect& rect, long style)
    : wxListCtrl(parent, kListControlId, rect.GetPosition(), rect.GetSize(), style), m_view(view) {
    itemArea()->Bind(wxEVT_LEFT_UP, &ListControl::onItemAreaLeftUp, this);
}

ListControl::~ListControl() {
    if (m_view) {
        m_view->controlDestroyed();
    }
}

wxWindow* ListControl::itemArea() const {
    // The generic list control, the one wxGTK has, draws its items in a
    // child window of its own, whose class is private to the library: find
    // that child among the control's children by its address.
    const void* main = m_mainWin;
    for (wxWindow* child : GetChildren()) {
        if (static_cast<const void*>(child) == main) {
            return child;
        }
    }
    return const_cast<ListControl*>(this);
}

wxString ListControl::OnGetItemText(long item, long column) const {
    ++m_textRequests;
    return m_view ? m_view->itemText(item, column) : wxString();
}

int ListControl::OnGetItemImage(long item) const {
    return m_view ? m_view->itemImage(item) : -1;
}

int ListControl::OnGetItemColumnImage(long item, long column) const {
    return column == 0 ? OnGetItemImage(item) : -1;
}

void ListControl::onItemAreaLeftUp(wxMouseEvent& event) {
    event.Skip();
    int flags = 0;
    const long row = HitTest(event.GetPosition(), flags);
    // The control may still change its selection on this release; the
    // click is told once it has.
    CallAfter([this, row] {
        wxCommandEvent click(ZEB_EVT_LIST_CLICK, GetId());
        click.SetEventObject(this);
        click.SetInt(static_cast<int>(row));
        ProcessWindowEvent(click);
    });
}

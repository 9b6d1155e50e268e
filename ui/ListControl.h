#pragma once

#include <wx/listctrl.h>

class ListView;

// The list control behind a ListView. In virtual mode (every kind but the
// icon view) it holds no texts and asks its view for every cell it draws.
// Sends ZEB_EVT_LIST_CLICK after a left click in its item area.
class ListControl : public wxListCtrl {
public:
    ListControl(ListView* view, wxWindow* parent, const wxRect& rect, long style);
    ~ListControl() override;

    // The view is going away first: answer empty cells from now on.
    void detach() { m_view = nullptr; }

    // The window that shows the items and takes the mouse and keys over
    // them (below the header in report mode).
    wxWindow* itemArea() const;

    // How many cell texts the control has asked for so far.
    long textRequests() const { return m_textRequests; }

    wxString OnGetItemText(long item, long column) const override;
    int OnGetItemImage(long item) const override;
    int OnGetItemColumnImage(long item, long column) const override;

private:
    void onItemAreaLeftUp(wxMouseEvent& event);

    ListView* m_view;
    mutable long m_textRequests = 0;
};

#include "ui/EditView.h"

#include <wx/textctrl.h>

#include "ui/ListControl.h"

EditView::EditView(wxWindow* parent, const wxRect* rect) : ListView(parent, Kind::Edit, rect) {
    wxWindow* area = control()->itemArea();
    area->Bind(wxEVT_KEY_DOWN, &EditView::onKeyDown, this);
    area->Bind(wxEVT_LEFT_DOWN, &EditView::onLeftDown, this);
    area->Bind(wxEVT_LEFT_UP, &EditView::onLeftUp, this);
    area->Bind(wxEVT_LEFT_DCLICK, &EditView::onDoubleClick, this);
}

EditView::~EditView() {
    ListControl* list = control();
    if (!list) {
        return;
    }
    // The control outlives this part of the view for a moment: nothing it
    // sends may reach the handlers of a view being destroyed.
    m_finishing = true;
    wxWindow* area = list->itemArea();
    area->Unbind(wxEVT_KEY_DOWN, &EditView::onKeyDown, this);
    area->Unbind(wxEVT_LEFT_DOWN, &EditView::onLeftDown, this);
    area->Unbind(wxEVT_LEFT_UP, &EditView::onLeftUp, this);
    area->Unbind(wxEVT_LEFT_DCLICK, &EditView::onDoubleClick, this);
    if (m_editor) {
        m_editor->Unbind(wxEVT_CHAR, &EditView::onEditorChar, this);
        m_editor->Unbind(wxEVT_TEXT_ENTER, &EditView::onEditorEnter, this);
        m_editor->Unbind(wxEVT_KILL_FOCUS, &EditView::onEditorFocusLost, this);
    }
}

bool EditView::sendBeginEdit(long row) {
    ListControl* list = control();
    wxListEvent begin(wxEVT_LIST_BEGIN_LABEL_EDIT, list->GetId());
    begin.SetEventObject(list);
    begin.SetIndex(row);
    begin.SetColumn(0);
    wxListItem item;
    item.SetId(row);
    item.SetColumn(0);
    item.SetText(toWx(cellOf(rows()[static_cast<size_t>(row)], 0)));
    begin.SetItem(item);
    list->ProcessWindowEvent(begin);
    return begin.IsAllowed();
}

bool EditView::editValue(long row) {
    ListControl* list = control();
    const int display = displayColumnOf(0);
    if (!list || row < 0 || static_cast<size_t>(row) >= rows().size() || display < 0) {
        return false;
    }
    if (m_editor && m_editor->IsShown()) {
        endEdit(false);
    }
    if (!sendBeginEdit(row)) {
        return false;
    }
    list->EnsureVisible(row);
    wxRect cell;
    if (!list->GetSubItemRect(row, display, cell)) {
        return false;
    }
    wxWindow* area = list->itemArea();
    // The cell is in the control's coordinates; the editor lives in the
    // item area.
    cell.SetPosition(area->ScreenToClient(list->ClientToScreen(cell.GetPosition())));
    if (!m_editor) {
        m_editor = new wxTextCtrl(area, wxID_ANY, wxString(), cell.GetPosition(), cell.GetSize(),
                                  wxTE_PROCESS_ENTER);
        m_editor->Bind(wxEVT_CHAR, &EditView::onEditorChar, this);
        m_editor->Bind(wxEVT_TEXT_ENTER, &EditView::onEditorEnter, this);
        m_editor->Bind(wxEVT_KILL_FOCUS, &EditView::onEditorFocusLost, this);
    } else {
        m_editor->SetSize(cell);
    }
    m_editedRow = row;
    m_editor->ChangeValue(toWx(cellOf(rows()[static_cast<size_t>(row)], 0)));
    m_editor->Show();
    m_editor->Raise();
    m_editor->SetFocus();
    m_editor->SelectAll();
    return true;
}

void EditView::endEdit(bool cancel) {
    ListControl* list = control();
    if (!list || !m_editor || !m_editor->IsShown() || m_finishing) {
        return;
    }
    m_finishing = true;
    const wxString text = m_editor->GetValue();
    const long row = m_editedRow;
    m_editedRow = -1;
    m_editor->Hide();
    list->itemArea()->SetFocus();

    wxListEvent end(wxEVT_LIST_END_LABEL_EDIT, list->GetId());
    end.SetEventObject(list);
    end.SetIndex(row);
    end.SetColumn(0);
    wxListItem item;
    item.SetId(row);
    item.SetColumn(0);
    item.SetText(cancel ? wxString() : text);
    end.SetItem(item);
    end.SetEditCanceled(cancel);
    m_finishing = false;
    list->ProcessWindowEvent(end);
}

long EditView::valueRowAt(const wxPoint& itemAreaPoint) const {
    ListControl* list = control();
    const int display = displayColumnOf(0);
    int flags = 0;
    const long row = list->HitTest(itemAreaPoint, flags);
    wxRect cell;
    if (row < 0 || display < 0 || !list->GetSubItemRect(row, display, cell)) {
        return -1;
    }
    const wxPoint point = list->ScreenToClient(list->itemArea()->ClientToScreen(itemAreaPoint));
    return cell.Contains(point) ? row : -1;
}

void EditView::onKeyDown(wxKeyEvent& event) {
    if (event.GetKeyCode() != WXK_F2 || event.HasAnyModifiers()) {
        event.Skip();
        return;
    }
    long row = control()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
    if (row < 0) {
        row = control()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    }
    editValue(row);
}

void EditView::onLeftDown(wxMouseEvent& event) {
    event.Skip();
    const long row = valueRowAt(event.GetPosition());
    m_pressedRow =
        row >= 0 && control()->GetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED) ==
                        (wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED)
            ? row
            : -1;
}

void EditView::onLeftUp(wxMouseEvent& event) {
    event.Skip();
    const long pressed = m_pressedRow;
    m_pressedRow = -1;
    if (pressed >= 0 && valueRowAt(event.GetPosition()) == pressed) {
        // After the control has finished with the click.
        control()->CallAfter([this, pressed] { editValue(pressed); });
    }
}

void EditView::onDoubleClick(wxMouseEvent& event) {
    const long row = valueRowAt(event.GetPosition());
    if (row < 0) {
        event.Skip();
        return;
    }
    m_pressedRow = -1;
    editValue(row);
}

void EditView::onEditorChar(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            endEdit(false);
            break;
        case WXK_ESCAPE:
            endEdit(true);
            break;
        default:
            event.Skip();
    }
}

void EditView::onEditorEnter(wxCommandEvent&) {
    endEdit(false);
}

void EditView::onEditorFocusLost(wxFocusEvent& event) {
    event.Skip();
    endEdit(false);
}

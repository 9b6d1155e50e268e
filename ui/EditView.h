#pragma once

#include <wx/event.h>

#include "ui/ListView.h"

class wxTextCtrl;

// An attribute list whose values can be edited in place: report mode, one
// row selectable at a time, no sorting (column clicks are ignored).
//
// The creator gives the columns in model order ["Value", "Rev. Attribute"]
// and shows them in the order [1, 0] with setColumnOrder(), so the label
// stands left and the value right. The value (model column 0) is the cell
// edited in place: F2, a double click, or a click on the value of the row
// that is already selected opens an editor over that cell. Enter or moving
// the focus away accepts, Escape cancels. Either way the control sends
// wxEVT_LIST_END_LABEL_EDIT to its parent (GetIndex() the row, GetColumn()
// 0, GetLabel() the text, IsEditCancelled()); wxEVT_LIST_BEGIN_LABEL_EDIT
// goes first and a veto keeps the editor closed. The view does not change
// the cell itself: the parent calls setCell() with the accepted text.
class EditView : public ListView {
public:
    explicit EditView(wxWindow* parent, const wxRect* rect = nullptr);
    ~EditView() override;

    // Opens the editor on the value of `row`; false when the row does not
    // exist, the value column is not shown or the begin event was vetoed.
    bool editValue(long row);

    // Ends an open edit, accepted or cancelled, as Enter or Escape would.
    void endEdit(bool cancel);

    // The open editor, or null.
    wxTextCtrl* editor() const { return m_editor; }
    long editedRow() const { return m_editedRow; }

private:
    bool sendBeginEdit(long row);
    long valueRowAt(const wxPoint& itemAreaPoint) const;
    void onKeyDown(wxKeyEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onDoubleClick(wxMouseEvent& event);
    void onEditorChar(wxKeyEvent& event);
    void onEditorEnter(wxCommandEvent& event);
    void onEditorFocusLost(wxFocusEvent& event);

    wxTextCtrl* m_editor = nullptr;
    long m_editedRow = -1;
    bool m_finishing = false;
    // The row whose value was pressed while that row was already the
    // selected one; a release there opens the editor.
    long m_pressedRow = -1;
};

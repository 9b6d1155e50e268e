#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/UID.h"
#include "shellext/ComAbi.h"
#include "shellext/ZebuiExport.h"

class wxEvent;
class wxWindow;

namespace zebui {
class PickerLink;
}

// The modal "Revisions" dialog with which the person picks the revision of a
// versioned file to get back: every revision in a sortable table (version,
// name, notes, date), "Get" (the default button) and "Cancel".
//
// The dialog's events go to ZEBSelectDlgProc, which finds its object through
// the module's thread-local slot: the constructor (and show) make the object
// the calling thread's current one.
//
// The window itself is made by the window library (windows/WindowsApi.h),
// loaded when the picker is first shown; the members that take the dialog
// pass it on to that library's window.
class ZEBUI_API CZEBSelDialog {
public:
    CZEBSelDialog();
    // The window owns its list pane: a copy would own it twice.
    CZEBSelDialog(const CZEBSelDialog&) = delete;
    CZEBSelDialog& operator=(const CZEBSelDialog&) = delete;
    virtual ~CZEBSelDialog();

    // Shows the revisions of the versioned file `file` modally, owned by
    // `owner` (a toolkit window of the calling program, or null for a
    // top-level dialog kept above other windows). Returns 1 after Get, 2
    // after Cancel (or Escape, or the close box), -1 when the dialog cannot
    // be shown (no display).
    int show(HWND owner, const UID& file);

    // The header and the rows for the file being shown (RevisionRows.h).
    void getListData(std::vector<std::string>& headers,
                     std::vector<std::vector<std::string>>& rows);

    // Lays out the dialog: Get at the bottom left, Cancel at the bottom
    // right, 12 pixels in from the sides, the list filling the rest.
    void resizeDialog(wxWindow* dialog);

    // Get: with exactly one row selected, takes its revision and ends the
    // dialog with 1; otherwise asks the person to select one revision and
    // stays open.
    void doOK(wxWindow* dialog);

    // The revision chosen with Get (UID::none() until then).
    void getSelectedUID(UID& out) const;

    // The dialog's events: returns true when it handled the event, false
    // to let the dialog's default handling run.
    static bool ZEBSelectDlgProc(wxWindow* dialog, wxEvent& event);

private:
    friend class zebui::PickerLink;
    std::unique_ptr<zebui::PickerLink> m_window;
    UID m_selectedUID;
    UID m_objectUID;
};

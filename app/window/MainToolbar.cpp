#include "app/window/MainToolbar.h"

#include <wx/artprov.h>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/toolbar.h>

#include "app/window/CommandIds.h"
#include "app/window/StringTable.h"

namespace {

struct Slot {
    int id;  // 0: a separator
    int label;
    int tooltip;
    const char* icon;  // icon theme name
    wxItemKind kind;
};

const Slot kSlots[] = {
    {kCmdAddNewVersion, strings::kLabelAdd, strings::kTipAdd, "list-add", wxITEM_NORMAL},
    {0, 0, 0, nullptr, wxITEM_SEPARATOR},
    {kCmdGet, strings::kLabelGet, strings::kTipGet, "document-revert", wxITEM_NORMAL},
    {kCmdEdit, strings::kLabelEdit, strings::kTipEdit, "document-properties", wxITEM_NORMAL},
    {kCmdOpen, strings::kLabelOpen, strings::kTipOpen, "document-open", wxITEM_NORMAL},
    {kCmdDelete, strings::kLabelDelete, strings::kTipDelete, "edit-delete", wxITEM_NORMAL},
    {0, 0, 0, nullptr, wxITEM_SEPARATOR},
    {kCmdBrowse, strings::kLabelBrowse, strings::kTipBrowse, "folder", wxITEM_CHECK},
    {kCmdSearch, strings::kLabelSearch, strings::kTipSearch, "edit-find", wxITEM_CHECK},
};

const wxSize kImageSize(16, 16);

// A plain square with the label's first letter, for a theme without the icon.
wxBitmap letterImage(const wxString& label) {
    wxBitmap image(kImageSize);
    wxMemoryDC dc(image);
    dc.SetBackground(*wxLIGHT_GREY_BRUSH);
    dc.Clear();
    dc.SetTextForeground(*wxBLACK);
    dc.DrawLabel(label.Left(1), wxRect(kImageSize), wxALIGN_CENTER);
    dc.SelectObject(wxNullBitmap);
    return image;
}

wxBitmapBundle imageFor(const Slot& slot) {
    wxBitmapBundle themed = wxArtProvider::GetBitmapBundle(slot.icon, wxART_TOOLBAR, kImageSize);
    if (themed.IsOk()) {
        return themed;
    }
    return wxBitmapBundle(letterImage(strings::text(slot.label)));
}

}  // namespace

wxToolBar* createMainToolbar(wxWindow* parent) {
    auto* toolbar =
        new wxToolBar(parent, kToolbarWindowId, wxDefaultPosition, wxDefaultSize,
                      wxTB_HORIZONTAL | wxTB_FLAT | wxTB_TEXT | wxTB_HORZ_LAYOUT | wxTB_NODIVIDER);
    toolbar->SetToolBitmapSize(kImageSize);
    for (const Slot& slot : kSlots) {
        if (slot.kind == wxITEM_SEPARATOR) {
            toolbar->AddSeparator();
            continue;
        }
        const wxString tip = wxString::FromUTF8(strings::text(slot.tooltip));
        toolbar->AddTool(toWxId(slot.id), wxString::FromUTF8(strings::text(slot.label)),
                         imageFor(slot), tip, slot.kind);
    }
    toolbar->Realize();
    return toolbar;
}

void checkPaneButton(wxToolBar* toolbar, bool browse) {
    // Check buttons rather than a radio group: a radio button that is down
    // sends nothing when clicked, and Browse clicked in Browse builds a new
    // tree.
    toolbar->ToggleTool(toWxId(kCmdBrowse), browse);
    toolbar->ToggleTool(toWxId(kCmdSearch), !browse);
}

#include "app/PlaceholderControl.h"

#include <wx/panel.h>

PlaceholderControl::PlaceholderControl(wxWindow* mainWindow)
    : m_panel(new wxPanel(mainWindow, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                          wxBORDER_SUNKEN | wxTAB_TRAVERSAL)) {}

PlaceholderControl::~PlaceholderControl() {
    m_panel->Destroy();
}

wxWindow* PlaceholderControl::getWindow() {
    return m_panel;
}

long PlaceholderControl::onNotify(wxWindow*, wxEvent& event) {
    event.Skip();
    return 0;
}

void PlaceholderControl::editAttributes(wxWindow*, wxCommandEvent&) {}

void PlaceholderControl::deleteItems(wxWindow*, wxCommandEvent&) {}

void PlaceholderControl::openRevisions(wxWindow*) {}

void PlaceholderControl::restoreRevisions(wxWindow*) {}

SelectContext* PlaceholderControl::selectContext() {
    return &m_selection;
}

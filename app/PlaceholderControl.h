#pragma once

#include "app/Control.h"
#include "app/SelectContext.h"

class wxPanel;

// An empty left pane: stands where the browse tree and the search form go
// until they exist. It selects nothing, so every command finds nothing to
// act on.
class PlaceholderControl : public Control {
public:
    explicit PlaceholderControl(wxWindow* mainWindow);
    ~PlaceholderControl() override;

    wxWindow* getWindow() override;
    long onNotify(wxWindow* mainWindow, wxEvent& event) override;
    void editAttributes(wxWindow* mainWindow, wxCommandEvent& event) override;
    void deleteItems(wxWindow* mainWindow, wxCommandEvent& event) override;
    void openRevisions(wxWindow* mainWindow) override;
    void restoreRevisions(wxWindow* mainWindow) override;
    SelectContext* selectContext() override;

private:
    wxPanel* m_panel;
    SelectContext m_selection;
};

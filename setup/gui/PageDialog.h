#pragma once

#include <wx/dialog.h>

#include <map>

#include "setup/model/Pages.h"

class wxStaticText;

namespace setup {

// One page of the wizard as a dialog, drawn from its template: the setup
// picture at the left, the texts, the fields with their labels and the
// buttons. The page's decisions (Page) run on every button and on every
// change of the driver's text; what they change in the fields is shown
// again, and an end code ends the dialog. Escape and the close box press
// the page's Cancel button.
class PageDialog : public wxDialog {
public:
    PageDialog(wxWindow* parent, const PageTemplate& view, Page& page);
    ~PageDialog() override;

    // The dialog being shown, for the window tests; null when none.
    static PageDialog* current();
    // Counts the dialogs made, so that a new page can be told from the last.
    int serial() const { return m_serial; }
    int templateId() const { return m_view.id; }
    wxWindow* control(int id) const;

private:
    void build();
    void pressed(int id);
    // Between the controls and m_fields.
    void pull();
    void push();

    const PageTemplate& m_view;
    Page& m_page;
    PageFields m_fields;
    std::map<int, wxWindow*> m_controls;
    std::map<int, wxStaticText*> m_labels;
    bool m_pushing = false;
    int m_serial = 0;
};

}  // namespace setup

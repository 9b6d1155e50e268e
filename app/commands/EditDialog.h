#pragma once

#include <wx/dialog.h>

class IZEB;
class wxStaticText;
class wxTextCtrl;

// The Edit dialog: the version of an item (a revision's number, "0" for a
// versioned file) and its name and note, which OK stores. The title is
// "Revision File" or "Versioned File" directly followed by the item's UID.
class EditDialog : public wxDialog {
public:
    // Control ids.
    enum : int { kNoteId = 1003, kNameId = 1004, kVersionId = 1005 };
    // Longest name and note, in characters: the lengths the repository keeps.
    static constexpr int kNameLength = 32;
    static constexpr int kNoteLength = 255;

    // `item` (not owned) may be null: the dialog then stays empty and OK
    // stores nothing.
    EditDialog(wxWindow* parent, IZEB* item);

    // Writes the fields to the item and saves it. False without an item or
    // when the save fails.
    bool store();

    wxStaticText* versionText() const { return m_version; }
    wxTextCtrl* nameField() const { return m_name; }
    wxTextCtrl* noteField() const { return m_note; }

private:
    void fill();
    void limitNote();

    IZEB* m_item;
    wxStaticText* m_version = nullptr;
    wxTextCtrl* m_name = nullptr;
    wxTextCtrl* m_note = nullptr;
};

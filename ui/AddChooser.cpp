#include "ui/AddChooser.h"

#include <wx/filedlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/string.h>
#include <wx/textctrl.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace {

// The two fields in a row, each after its label; the note, usually the
// longer text, gets the larger share of any room beyond their widths.
class VersionFields : public wxPanel {
public:
    explicit VersionFields(wxWindow* parent) : wxPanel(parent) {
        auto* row = new wxBoxSizer(wxHORIZONTAL);
        m_name = addField(row, "Ver. Name:", kVersionNameChars, 3);
        row->AddSpacer(FromDIP(12));
        m_note = addField(row, "Ver. Note:", kVersionNoteChars, 4);
        SetSizerAndFit(row);
    }

    std::string name() const { return m_name->GetValue().utf8_string(); }
    std::string note() const { return m_note->GetValue().utf8_string(); }

private:
    wxTextCtrl* addField(wxBoxSizer* row, const wxString& label, int chars, int share) {
        row->Add(new wxStaticText(this, wxID_ANY, label),
                 wxSizerFlags().CenterVertical().Border(wxRIGHT));
        auto* field = new wxTextCtrl(this, wxID_ANY);
        field->SetMinSize(field->GetSizeFromText(wxString('n', chars)));
        row->Add(field, wxSizerFlags(share).CenterVertical());
        return field;
    }

    wxTextCtrl* m_name;
    wxTextCtrl* m_note;
};

wxWindow* makeVersionFields(wxWindow* chooser) {
    return new VersionFields(chooser);
}

const VersionFields* versionFields(const wxFileDialog& chooser) {
    return dynamic_cast<const VersionFields*>(chooser.GetExtraControl());
}

#ifdef __WXGTK__
// The GTK chooser is a dialog whose accept button answers
// GTK_RESPONSE_ACCEPT.
GtkButton* acceptButton(wxFileDialog& chooser) {
    GtkWidget* widget = static_cast<GtkWidget*>(chooser.GetHandle());
    if (!widget || !GTK_IS_DIALOG(widget)) {
        return nullptr;
    }
    GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(widget), GTK_RESPONSE_ACCEPT);
    return button && GTK_IS_BUTTON(button) ? GTK_BUTTON(button) : nullptr;
}
#endif

}  // namespace

bool labelAcceptButton(wxFileDialog& chooser, const wxString& label) {
#ifdef __WXGTK__
    GtkButton* button = acceptButton(chooser);
    if (!button) {
        return false;
    }
    // wxWidgets makes it a stock button ("gtk-open"); a plain label takes
    // its place, without the stock icon.
    g_object_set(G_OBJECT(button), "use-stock", FALSE, "use-underline", FALSE, nullptr);
    gtk_button_set_image(button, nullptr);
    gtk_button_set_label(button, label.utf8_str());
    return true;
#else
    (void)chooser;
    (void)label;
    return false;
#endif
}

wxString acceptButtonLabel(wxFileDialog& chooser) {
#ifdef __WXGTK__
    GtkButton* button = acceptButton(chooser);
    if (!button) {
        return wxString();
    }
    wxString label = wxString::FromUTF8(gtk_button_get_label(button));
    if (gtk_button_get_use_underline(button)) {
        label.Replace("_", "");
    }
    return label;
#else
    (void)chooser;
    return wxString();
#endif
}

std::vector<std::string> chosenPaths(wxFileDialog& chooser) {
    std::vector<std::string> paths;
#ifdef __WXGTK__
    GtkWidget* widget = static_cast<GtkWidget*>(chooser.GetHandle());
    if (widget && GTK_IS_FILE_CHOOSER(widget)) {
        GSList* names = gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(widget));
        for (GSList* n = names; n; n = n->next) {
            paths.emplace_back(static_cast<const char*>(n->data));
        }
        g_slist_free_full(names, g_free);
        return paths;
    }
#endif
    wxArrayString chosen;
    chooser.GetPaths(chosen);
    for (const wxString& p : chosen) {
        paths.push_back(p.utf8_string());
    }
    return paths;
}

void addVersionFields(wxFileDialog& chooser) {
    chooser.SetExtraControlCreator(makeVersionFields);
}

std::string versionName(const wxFileDialog& chooser) {
    const VersionFields* fields = versionFields(chooser);
    return fields ? fields->name() : std::string();
}

std::string versionNote(const wxFileDialog& chooser) {
    const VersionFields* fields = versionFields(chooser);
    return fields ? fields->note() : std::string();
}

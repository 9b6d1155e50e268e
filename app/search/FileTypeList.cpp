#include "app/search/FileTypeList.h"

#include <gio/gio.h>
#include <wx/artprov.h>
#include <wx/bmpcbox.h>
#include <wx/settings.h>

#include <memory>

namespace {

constexpr char kUnknownIcon[] = "application-x-generic";

struct GFreeText {
    void operator()(gchar* text) const { g_free(text); }
};
using GText = std::unique_ptr<gchar, GFreeText>;

wxBitmap iconOf(const std::string& name, const wxSize& size) {
    wxBitmap bitmap = wxArtProvider::GetBitmap(wxString::FromUTF8(name), wxART_OTHER, size);
    if (!bitmap.IsOk()) {
        bitmap = wxArtProvider::GetBitmap(kUnknownIcon, wxART_OTHER, size);
    }
    if (!bitmap.IsOk()) {
        bitmap = wxArtProvider::GetBitmap(wxART_NORMAL_FILE, wxART_OTHER, size);
    }
    return bitmap;
}

}  // namespace

FileTypeEntry describeFileType(const std::string& extension) {
    FileTypeEntry entry;
    entry.extension = extension;
    entry.iconName = kUnknownIcon;
    std::string description;
    if (!extension.empty()) {
        // The type is guessed from the name alone: a file of this extension.
        const std::string name = "file" + extension;
        gboolean uncertain = FALSE;
        GText type(g_content_type_guess(name.c_str(), nullptr, 0, &uncertain));
        if (type && !g_content_type_is_unknown(type.get())) {
            GText text(g_content_type_get_description(type.get()));
            if (text) {
                description = text.get();
            }
            GText icon(g_content_type_get_generic_icon_name(type.get()));
            if (icon) {
                entry.iconName = icon.get();
            }
        }
    }
    if (!description.empty()) {
        entry.label = description;
    } else if (extension.empty()) {
        entry.label = "All  files";
    } else {
        entry.label = extension.substr(1) + " files";
    }
    return entry;
}

int fillTypeList(wxBitmapComboBox* list, const std::vector<std::string>& extensions) {
    const int side = wxSystemSettings::GetMetric(wxSYS_SMALLICON_X, list);
    const wxSize size(side > 0 ? side : 16, side > 0 ? side : 16);
    int added = 0;
    for (const std::string& extension : extensions) {
        const FileTypeEntry entry = describeFileType(extension);
        if (list->Append(wxString::FromUTF8(entry.label), iconOf(entry.iconName, size)) < 0) {
            break;
        }
        ++added;
    }
    if (added > 0) {
        list->SetSelection(0);
    }
    return added;
}

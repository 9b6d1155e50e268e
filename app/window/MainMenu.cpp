#include "app/window/MainMenu.h"

#include <gtk/gtk.h>
#include <wx/defs.h>
#include <wx/menu.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>

#include "app/window/CommandIds.h"

namespace {

struct MenuEntry {
    int id;  // 0: a separator
    const char* text;
    wxItemKind kind;
};

struct Popup {
    const char* title;
    MenuEntry entries[4];
    int count;
};

const Popup kPopups[] = {
    {"&File",
     {{kCmdAddNewVersion, "&Add New Version\tCtrl+A", wxITEM_NORMAL},
      {0, "", wxITEM_SEPARATOR},
      {kCmdExit, "E&xit", wxITEM_NORMAL}},
     3},
    {"&Version",
     {{kCmdEdit, "&Edit\tCtrl+E", wxITEM_NORMAL},
      {kCmdOpen, "&Open\tCtrl+O", wxITEM_NORMAL},
      {kCmdDelete, "&Delete\tCtrl+D", wxITEM_NORMAL},
      {kCmdGet, "&Get\tCtrl+G", wxITEM_NORMAL}},
     4},
    {"&View",
     {{kCmdBrowse, "&Browse\tCtrl+R", wxITEM_CHECK}, {kCmdSearch, "&Search\tCtrl+S", wxITEM_CHECK}},
     2},
    {"&Help",
     {{kCmdContents, "Contents\tF1", wxITEM_NORMAL},
      {0, "", wxITEM_SEPARATOR},
      {kCmdAbout, "&About ...\tAlt+?", wxITEM_NORMAL}},
     3},
};

// "Ctrl+R", "Alt+?", "F1" as a GTK key and modifiers; false when unknown.
bool parseShortcut(const std::string& shortcut, guint& key, GdkModifierType& mods) {
    std::string rest = shortcut;
    unsigned modifiers = 0;
    const struct {
        const char* prefix;
        GdkModifierType mask;
    } kModifiers[] = {
        {"Ctrl+", GDK_CONTROL_MASK}, {"Alt+", GDK_MOD1_MASK}, {"Shift+", GDK_SHIFT_MASK}};
    for (bool found = true; found;) {
        found = false;
        for (const auto& m : kModifiers) {
            const size_t n = std::char_traits<char>::length(m.prefix);
            if (rest.size() > n && rest.compare(0, n, m.prefix) == 0) {
                modifiers |= m.mask;
                rest.erase(0, n);
                found = true;
            }
        }
    }
    if (rest.size() == 1) {
        key = gdk_unicode_to_keyval(
            static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(rest[0]))));
    } else {
        key = gdk_keyval_from_name(rest.c_str());
    }
    mods = static_cast<GdkModifierType>(modifiers);
    return key != 0 && key != GDK_KEY_VoidSymbol;
}

// Shows `shortcut` at the right of the item without binding the key.
void showShortcut(wxMenuItem* item, const std::string& shortcut) {
    GtkWidget* widget = item->GetMenuItem();
    GtkWidget* label = widget ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr;
    guint key = 0;
    GdkModifierType mods = GdkModifierType(0);
    if (label && GTK_IS_ACCEL_LABEL(label) && parseShortcut(shortcut, key, mods)) {
        gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), key, mods);
    }
}

}  // namespace

wxMenuBar* createMainMenu() {
    auto* bar = new wxMenuBar;
    for (const Popup& popup : kPopups) {
        auto* menu = new wxMenu;
        for (int i = 0; i < popup.count; ++i) {
            const MenuEntry& e = popup.entries[i];
            if (e.kind == wxITEM_SEPARATOR) {
                menu->AppendSeparator();
                continue;
            }
            const std::string text = e.text;
            const size_t tab = text.find('\t');
            wxMenuItem* item = menu->Append(toWxId(e.id), wxString::FromUTF8(text.substr(0, tab)),
                                            wxEmptyString, e.kind);
            if (tab != std::string::npos) {
                showShortcut(item, text.substr(tab + 1));
            }
        }
        bar->Append(menu, popup.title);
    }
    return bar;
}

int commandForKey(int keyCode, int modifiers, bool inTextField) {
    struct Key {
        int modifiers;
        int keyCode;
        int command;
    };
    static const Key kKeys[] = {
        {wxMOD_CONTROL, 'A', kCmdAddNewVersion},
        {wxMOD_CONTROL, 'E', kCmdEdit},
        {wxMOD_CONTROL, 'O', kCmdOpen},
        {wxMOD_CONTROL, 'D', kCmdDelete},
        {wxMOD_CONTROL, 'G', kCmdGet},
        {wxMOD_CONTROL, 'B', kCmdBrowse},
        {wxMOD_CONTROL, 'R', kCmdBrowse},
        {wxMOD_CONTROL, 'S', kCmdSearch},
        {wxMOD_NONE, WXK_F1, kCmdContents},
        {wxMOD_ALT, '/', kCmdAbout},
        {wxMOD_ALT, '?', kCmdAbout},
        {wxMOD_ALT | wxMOD_SHIFT, '/', kCmdAbout},
        {wxMOD_ALT | wxMOD_SHIFT, '?', kCmdAbout},
    };
    // A text field's own editing keys: select all, copy, paste, cut, undo.
    static const int kFieldKeys[] = {'A', 'C', 'V', 'X', 'Z'};
    const int mods = modifiers & (wxMOD_CONTROL | wxMOD_ALT | wxMOD_SHIFT);
    if (inTextField && mods == wxMOD_CONTROL &&
        std::find(std::begin(kFieldKeys), std::end(kFieldKeys), keyCode) != std::end(kFieldKeys)) {
        return 0;
    }
    for (const Key& key : kKeys) {
        if (key.keyCode == keyCode && key.modifiers == mods) {
            return key.command;
        }
    }
    return 0;
}

wxString menuItemText(const wxMenuItem* item) {
    wxString text = item->GetItemLabel();
    GtkWidget* widget = item->GetMenuItem();
    GtkWidget* label = widget ? gtk_bin_get_child(GTK_BIN(widget)) : nullptr;
    if (label && GTK_IS_ACCEL_LABEL(label)) {
        guint key = 0;
        GdkModifierType mods = GdkModifierType(0);
        gtk_accel_label_get_accel(GTK_ACCEL_LABEL(label), &key, &mods);
        if (key != 0) {
            // GTK names printable keys in lower case; the command table
            // writes letters in upper case.
            const gunichar c = gdk_keyval_to_unicode(key);
            std::string name;
            if (c > ' ' && c < 127) {
                name = std::string(1, static_cast<char>(std::toupper(static_cast<int>(c))));
            } else {
                name = gdk_keyval_name(key);
            }
            std::string prefix;
            if (mods & GDK_CONTROL_MASK) {
                prefix += "Ctrl+";
            }
            if (mods & GDK_MOD1_MASK) {
                prefix += "Alt+";
            }
            if (mods & GDK_SHIFT_MASK) {
                prefix += "Shift+";
            }
            text += "\t" + wxString::FromUTF8(prefix + name);
        }
    }
    return text;
}

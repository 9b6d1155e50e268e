#pragma once

#include <string>
#include <vector>

class wxBitmapComboBox;

// The entries of the search form's type list: one per extension of the
// versioned files, named and drawn as the desktop names and draws files of
// that type (the shared MIME database, through GIO).
struct FileTypeEntry {
    std::string extension;
    std::string label;     // the type's description, or "xyz files"
    std::string iconName;  // a theme icon name
};

// The entry of one extension (".pdf", or empty). Without a description the
// label is the extension without its dot followed by " files", and for the
// empty extension "All  files".
FileTypeEntry describeFileType(const std::string& extension);

// Fills `list` with the entries of `extensions`, in order, each with its
// theme icon at the small icon size, and selects the first. Returns how many
// entries were added.
int fillTypeList(wxBitmapComboBox* list, const std::vector<std::string>& extensions);

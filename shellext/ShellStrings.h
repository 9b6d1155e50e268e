#pragma once

// zebui's texts, by id: its messages, the caption of its message boxes and
// its two menu items. The file-manager glue takes the item texts from here
// when it is built. The texts are the extension's own and are kept exactly
// as they are.

#include <cstddef>
#include <string>

namespace shellstrings {

enum Id : int {
    kNotVersioned = 1,  // formatted with the file's path
    kSelectRevision = 2,
    kCaption = 3,  // caption of every message box
    kAddDone = 4,
    kConfirmUnchanged = 6,
    kMenuAdd = 7,
    kMenuGet = 8,
    kGetDone = 10,
    kGetIncomplete = 11,
};

struct Entry {
    int id;
    const char* text;
};

inline constexpr Entry kTable[] = {
    {kNotVersioned, "File %s is not versioned."},
    {kSelectRevision, "Please select a revision item to retrieve."},
    {kCaption, "Versioned file"},
    {kAddDone, "Succesfully created new versions for selected files"},
    {kConfirmUnchanged,
     "The selected file has the same size and timestamp as a file already in version control. "
     "Confirm that you want to create a new version of the selected file."},
    {kMenuAdd, "&Add new version"},
    {kMenuGet, "&Get from archived version"},
    {kGetDone, "Get operation has succesfully completed"},
    {kGetIncomplete, "Get operation was not completely successful for some files"},
};

// The text of `id`; empty for an id the table does not have.
inline const char* text(int id) {
    for (const Entry& entry : kTable) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    return "";
}

// A menu text in another toolkit's form: the mnemonic marker "&" becomes
// `mnemonic` ("_" for GTK), "&&" a plain "&"; with an empty `mnemonic` the
// marker is dropped (a file name, a script's menu entry). Where the new
// marker character occurs in the text it is doubled, so it stays a plain
// character.
inline std::string menuText(int id, const std::string& mnemonic) {
    const std::string source = text(id);
    if (mnemonic == "&") {
        return source;
    }
    std::string out;
    for (size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c == '&') {
            if (i + 1 < source.size() && source[i + 1] == '&') {
                out += '&';
                ++i;
            } else {
                out += mnemonic;
            }
        } else if (!mnemonic.empty() && c == mnemonic[0]) {
            out += std::string(2, c);
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace shellstrings

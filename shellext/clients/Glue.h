#pragma once

// The glue that puts "Add new version" and "Get from archived version" into
// the file managers' menus. No file manager loads the extension itself (each
// runs its own toolkit): each gets a small file that starts zebui-host, named
// by its full path, with the selected files as arguments.
//
//   Nemo      an action file per item (top level, files only)
//   Thunar    two custom actions in the user's uca.xml (top level, files only)
//   Dolphin   a service menu with both items (top level, files only;
//             the file must be executable)
//   Nautilus  two scripts in the "Scripts" submenu (folders too: the host
//   Caja      skips them), given bare names with the folder as current
//
// The item texts are the extension's own (ShellStrings.h), with the mnemonic
// in each toolkit's form.

#include <string>
#include <vector>

namespace glue {

enum class Verb { Add, Get };

// Quoting for the shell-like command lines of Nemo, Thunar and scripts.
std::string shellQuote(const std::string& text);
// Quoting of an argument in a desktop entry's Exec value (before the
// entry's own escapes).
std::string desktopExecQuote(const std::string& text);
// A key file value: "\" doubled, line breaks and a leading blank escaped.
std::string keyFileValue(const std::string& text);
std::string xmlEscape(const std::string& text);

std::string nemoAction(Verb verb, const std::string& host);
std::string dolphinServiceMenu(const std::string& host);
std::string script(Verb verb, const std::string& host);
// The two <action> elements of uca.xml.
std::string thunarActions(const std::string& host);

// uca.xml with ours in place of any earlier ones of ours (`existing` empty:
// a new file with only ours); the other actions stay as they are.
std::string mergeThunarActions(const std::string& existing, const std::string& host);
// uca.xml without ours.
std::string removeThunarActions(const std::string& existing);

// The file names, under which each file manager finds them.
std::string nemoActionName(Verb verb);
std::string scriptName(Verb verb);
inline constexpr const char* kDolphinServiceMenuName = "zebdoc.desktop";

// One file of the glue: where it goes (relative to the user's data or
// config folder) and its mode.
struct GlueFile {
    std::string path;
    std::string text;
    unsigned mode = 0644;
};

// Every file of the glue except uca.xml, under the user's folders:
// "data/..." below $XDG_DATA_HOME, "config/..." below $XDG_CONFIG_HOME.
std::vector<GlueFile> userGlueFiles(const std::string& host);

// The user's folders: $XDG_DATA_HOME and $XDG_CONFIG_HOME, or their
// defaults below $HOME.
std::string dataHome();
std::string configHome();

// Installs the glue for the current user (uca.xml merged); false with the
// reason in `error`.
bool installForUser(const std::string& host, std::string& error);
// Removes what installForUser put there (uca.xml keeps the other actions).
bool uninstallForUser(std::string& error);
// Writes the glue files into `folder` (nemo/, thunar/, dolphin/,
// nautilus-scripts/, caja-scripts/), for setup to copy.
bool generate(const std::string& folder, const std::string& host, std::string& error);

}  // namespace glue

#pragma once

#include <string>
#include <vector>

class wxFileDialog;
class wxString;

// The Add chooser's accept button reads "Add" (string 110) instead of the
// chooser's own "Open". Call after constructing the chooser, before showing
// it. False where the chooser's button cannot be reached (its label then
// stays).
bool labelAcceptButton(wxFileDialog& chooser, const wxString& label);

// The label text of the chooser's accept button (a stock button gives its
// stock id), without mnemonic marks; empty where it cannot be read.
wxString acceptButtonLabel(wxFileDialog& chooser);

// The files chosen, named as the file system names them: wxWidgets reads a
// name that is not UTF-8 as another encoding, which names no file.
std::vector<std::string> chosenPaths(wxFileDialog& chooser);
// Gives the chooser, below its files, the fields "Ver. Name:" and "Ver.
// Note:", wide enough for a name and a short note (kVersionNameChars and
// kVersionNoteChars average characters at least). Call before showing it;
// the chooser makes them when it is shown.
void addVersionFields(wxFileDialog& chooser);
constexpr int kVersionNameChars = 30;
constexpr int kVersionNoteChars = 40;

// What the person typed into those fields; empty where the chooser has
// none. Valid while the chooser exists.
std::string versionName(const wxFileDialog& chooser);
std::string versionNote(const wxFileDialog& chooser);

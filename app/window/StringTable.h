#pragma once

// The main program's texts, by id. Message boxes, window titles, status
// texts, toolbar labels and tooltips all come from here; the texts are the
// program's own and are kept exactly as they are.

#include <initializer_list>
#include <string>

namespace strings {

enum Id : int {
    kTitle = 103,      // window title and caption of every message box
    kClassName = 109,  // name of the main window's class
    kLabelAdd = 110,
    kLabelEdit = 111,
    kLabelSearch = 112,
    kLabelGet = 113,
    kSelectToModify = 114,
    kLabelBrowse = 115,
    kConfirmUnchanged = 116,
    kLabelDelete = 117,
    kSelectToDelete = 118,
    kAtLeast = 119,
    kAtMost = 120,
    kIsLatest = 121,
    kIsEarliest = 122,
    kLabelOpen = 123,
    kSelectToOpen = 125,
    kVersionedFileTitle = 126,
    kRevisionFileTitle = 127,
    kReady = 128,
    kStatusSearch = 129,
    kStatusAdd = 130,
    kStatusEdit = 131,
    kStatusDelete = 132,
    kStatusOpen = 133,
    kTipAdd = 134,
    kTipDelete = 135,
    kTipEdit = 136,
    kTipOpen = 137,
    kTipSearch = 138,
    kTipBrowse = 139,
    kTipGet = 140,
    kConfirmRemove = 141,
    kStatusGet = 142,
    kGetIncomplete = 144,
    kGetComplete = 145,
    kAddChooserTitle = 146,

    // Version commands: questions and reports beyond the original texts.
    kConfirmReplaceWork = 230,  // Get over a working file with unarchived work
    kAddFailures = 231,         // Add: heading of the files not archived
    kAddFailuresMore = 232,     // Add: the rest of a long list, counted
    kReasonPathTooLong = 233,   // Add: why a file was not archived
    kReasonNotRegular = 234,
    kReasonMissing = 235,
    kReasonNameNotUtf8 = 236,
    kReasonDatabase = 237,
    kReasonCopy = 238,
    kReasonUnknown = 239,
    // Start-up without a usable installation folder.
    kNotSetUp = 260,        // the message at start; %s: why
    kStatusNotSetUp = 261,  // the status bar for the whole run
    // The database cannot be used.
    kDatabaseUnusable = 262,        // %s: data source, %s: driver's diagnostic
    kStatusDatabaseUnusable = 263,  // the status bar until a statement succeeds
    kNoDiagnostic = 264,            // in place of an empty diagnostic
    // Help > Contents without a help book.
    kHelpUnavailable = 265,  // %s: the book's path
};

struct Entry {
    int id;
    const char* text;
};

inline constexpr Entry kTable[] = {
    {kTitle, "ZEBDOC"},
    {kClassName, "ZEBDOC"},
    {kLabelAdd, "Add"},
    {kLabelEdit, "Edit"},
    {kLabelSearch, "Search"},
    {kLabelGet, "Get"},
    {kSelectToModify,
     "Please select a revision to modify either from the left pane or the right pane."},
    {kLabelBrowse, "Browse"},
    {kConfirmUnchanged,
     "The selected file has the same size and timestamp as a file already in version control. "
     "Confirm that you want to create a new version of the selected file."},
    {kLabelDelete, "Delete"},
    {kSelectToDelete,
     "Please select a revision or versioned file from the left pane or the right pane."},
    {kAtLeast, "at least"},
    {kAtMost, "at most"},
    {kIsLatest, "is latest"},
    {kIsEarliest, "is earliest"},
    {kLabelOpen, "Open"},
    {kSelectToOpen, "Please select a revison to open either from left pane or the right pane."},
    {kVersionedFileTitle, "Versioned File"},
    {kRevisionFileTitle, "Revision File"},
    {kReady, "Ready"},
    {kStatusSearch, "Search for revisions with given criteria"},
    {kStatusAdd, "Add files to version control"},
    {kStatusEdit, "Edit attibutes of versioned file or revision of the file"},
    {kStatusDelete, "Remove a versioned file or a revision of a file."},
    {kStatusOpen, "Open a revision of a file with its associated application."},
    {kTipAdd, "Add a new version"},
    {kTipDelete, "Remove versioned file"},
    {kTipEdit, "Edit attributes of a version"},
    {kTipOpen, "Open with associated application"},
    {kTipSearch, "Find revisions"},
    {kTipBrowse, "Browse versioned files"},
    {kTipGet, "Get an archived version"},
    {kConfirmRemove, "Removing a version is irreversible. Press OK to proceed."},
    {kStatusGet, "Recover a previously archived revision"},
    {kGetIncomplete, "Get operation was not completely successful for some files"},
    {kGetComplete, "Get operation has succesfully completed"},
    {kAddChooserTitle, "Add  new file versions"},
    {kConfirmReplaceWork,
     "The file %s has changes that are in no archived version. Getting version %s replaces "
     "it, and those changes are lost. Press OK to replace the file."},
    {kAddFailures, "These files were not added to version control:"},
    {kAddFailuresMore, "and %d more"},
    {kReasonPathTooLong, "the path is longer than 255 characters"},
    {kReasonNotRegular, "it is not a regular file"},
    {kReasonMissing, "it does not exist"},
    {kReasonNameNotUtf8, "its name is not valid UTF-8"},
    {kReasonDatabase, "the database could not store it"},
    {kReasonCopy, "its archived copy could not be written"},
    {kReasonUnknown, "it could not be archived"},

    {kNotSetUp,
     "ZEBDOC is not set up on this computer. %s\n\nRun the setup program, install, and start "
     "ZEBDOC again. Until then Add, Edit, Delete, Open, Get and Search are not available."},
    {kStatusNotSetUp, "Not set up: run the setup program, install"},
    {kDatabaseUnusable,
     "ZEBDOC cannot use its database (data source \"%s\"): versions cannot be listed, added or "
     "changed until it can be reached again.\n\nThe driver said:\n%s"},
    {kStatusDatabaseUnusable, "The database cannot be reached"},
    {kNoDiagnostic, "(nothing)"},
    {kHelpUnavailable, "The help book %s cannot be opened."},
};

// The text of a string id (UTF-8), or "" for an id the table lacks.
inline const char* text(int id) {
    for (const Entry& e : kTable) {
        if (e.id == id) {
            return e.text;
        }
    }
    return "";
}

// The text of a string id with each "%s" replaced, in order, by the next of
// `values` (used as they are, never scanned for "%s" themselves); a "%s"
// without a value stays.
inline std::string filled(int id, std::initializer_list<std::string> values) {
    std::string out;
    auto value = values.begin();
    for (const char* c = text(id); *c; ++c) {
        if (c[0] == '%' && c[1] == 's' && value != values.end()) {
            out += *value++;
            ++c;
        } else {
            out += *c;
        }
    }
    return out;
}

}  // namespace strings

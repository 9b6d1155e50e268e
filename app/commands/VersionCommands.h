#pragma once

#include <functional>
#include <string>
#include <vector>

class IZEB;
class SelectContext;
class SelectionWalk;
class wxWindow;

// The shared bodies of Edit, Delete, Open and Get. Each left pane calls them
// from its own command operations and then does its own part afterwards
// (the tree: onSelectionChanged, pruneMissing, focus; the search form: run
// the search again, deleteSelectedRows, setCommandState). Messages and
// dialogs go through userInterface().
namespace VersionCommands {

// Edit: message 114 when the walk yields nothing; else the Edit dialog for
// each item, modal on mainWindow. The dialog works on the context's current
// item, which the walk has just set. `afterDialog` runs after each dialog
// (the tree restores the focus there). True when any dialog ended with OK.
bool editItems(wxWindow* mainWindow, SelectionWalk& walk, SelectContext& context,
               const std::function<void()>& afterDialog = {});

// The Edit dialog on one item: 1 on OK (name and notes stored), 2 on Cancel.
// A null item shows an empty dialog.
int runEditDialog(wxWindow* mainWindow, IZEB* item);

// What Delete did, for the pane's afterwards-part.
struct DeleteOutcome {
    bool confirmed = false;    // message 141 answered with OK
    int destroyed = 0;         // items whose destroy succeeded
    bool anyItem = false;      // the walk yielded something
    bool anyRevision = false;  // a RevisionFile was among the items
    // The identifiers of the items whose destroy succeeded.
    std::vector<std::string> destroyedUids;
};

// Delete: asks message 141 (OK/Cancel, warning icon); on Cancel nothing is
// removed and `confirmed` is false. Else walks (dropping as given) and
// destroys every item. `beforeWalk` runs between the confirmation and the
// walk (the tree restores the focus there). Message 118 is the pane's.
DeleteOutcome deleteItems(wxWindow* mainWindow, SelectionWalk& walk, bool dropping,
                          const std::function<void()>& beforeWalk = {});

// Open: opens every RevisionFile the walk yields with the person's default
// application: a copy in a private folder, named by the revision's UID and
// the extension of the working file's name, removed when the application
// ends, or kept read-only until the program exits when the launched process
// handed the file to one already running. The walk is finished before the
// first application starts, so nothing of it is used once commands can run
// again during the wait; the caller should not rely on its pane either.
// Message 125 when the walk yielded no revision. Returns the number of
// revisions among the items (a failed copy or launch is not reported).
int openItems(wxWindow* mainWindow, SelectionWalk& walk);

// Get: restores every RevisionFile the walk yields; a working file that holds
// work no archived copy has is replaced only when the person agrees to the
// question naming it and the version. Then message 125 (none was a
// revision), 144 (a restore failed) or 145, information icon; none when the
// person kept every file.
void restoreItems(wxWindow* mainWindow, SelectionWalk& walk);

// Removes the copies Open kept for applications that were already running.
// The program calls it once on its way out.
void removeOpenedCopies();

// Removes what earlier runs of the program left in the private folder and
// that no running instance holds. The program calls it at start-up.
void cleanStaleOpenedCopies();

}  // namespace VersionCommands

#ifndef ZEBDOC_HOST_LAUNCH_H
#define ZEBDOC_HOST_LAUNCH_H

/* What the compiled file-manager extensions share: which selections get the
 * two items, and starting zebui-host for one of them. Runs inside the file
 * manager: no toolkit of ours, nothing that blocks, every pointer checked. */

#include <gio/gio.h>
#include <glib.h>

G_BEGIN_DECLS

/* Adds to `paths` (a GPtrArray of owned strings) the local path of
 * `location` when it names a local file that is not a folder; returns FALSE
 * otherwise (then the menu offers nothing). `is_directory` is the file
 * manager's own answer. */
gboolean zebdoc_take_path(GPtrArray* paths, GFile* location, gboolean is_directory);

/* Starts the installed zebui-host with `verb` ("add" or "get") and `paths`,
 * as an argument vector (no shell), without waiting for it. */
void zebdoc_start_host(const char* verb, GPtrArray* paths);

G_END_DECLS

#endif

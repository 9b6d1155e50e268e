#include "HostLaunch.h"

#include "ZebdocMenuTexts.h"

gboolean zebdoc_take_path(GPtrArray* paths, GFile* location, gboolean is_directory) {
    if (paths == NULL || location == NULL || is_directory) {
        return FALSE;
    }
    char* path = g_file_get_path(location);
    if (path == NULL) {
        return FALSE;
    }
    g_ptr_array_add(paths, path);
    return TRUE;
}

void zebdoc_start_host(const char* verb, GPtrArray* paths) {
    if (verb == NULL || paths == NULL || paths->len == 0) {
        return;
    }
    GPtrArray* argv = g_ptr_array_new();
    g_ptr_array_add(argv, (gpointer)ZEBDOC_HOST_PATH);
    g_ptr_array_add(argv, (gpointer)verb);
    for (guint i = 0; i < paths->len; ++i) {
        g_ptr_array_add(argv, g_ptr_array_index(paths, i));
    }
    g_ptr_array_add(argv, NULL);
    GError* error = NULL;
    /* Without G_SPAWN_DO_NOT_REAP_CHILD the child is not ours to wait for:
     * the file manager goes on at once. */
    if (!g_spawn_async(NULL, (char**)argv->pdata, NULL, G_SPAWN_DEFAULT, NULL, NULL, NULL,
                       &error)) {
        g_warning("zebdoc: cannot start %s: %s", ZEBDOC_HOST_PATH,
                  error != NULL ? error->message : "unknown error");
        g_clear_error(&error);
    }
    g_ptr_array_free(argv, TRUE);
}

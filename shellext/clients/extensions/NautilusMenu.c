/* Nautilus (43, GTK 4): "Add new version" and "Get from archived version"
 * at the top level of the menu of local files (no folders). Choosing one
 * starts zebui-host; nothing of ours runs inside Nautilus beyond that. */

#include <nautilus-extension.h>

#include "HostLaunch.h"
#include "ZebdocMenuTexts.h"

typedef struct {
    GObject parent;
} ZebdocNautilusMenu;

typedef struct {
    GObjectClass parent_class;
} ZebdocNautilusMenuClass;

static void zebdoc_nautilus_menu_provider_init(NautilusMenuProviderInterface* iface);

G_DEFINE_DYNAMIC_TYPE_EXTENDED(ZebdocNautilusMenu, zebdoc_nautilus_menu, G_TYPE_OBJECT, 0,
                               G_IMPLEMENT_INTERFACE_DYNAMIC(NAUTILUS_TYPE_MENU_PROVIDER,
                                                             zebdoc_nautilus_menu_provider_init))

static void zebdoc_nautilus_menu_init(ZebdocNautilusMenu* self) {
    (void)self;
}

static void zebdoc_nautilus_menu_class_init(ZebdocNautilusMenuClass* klass) {
    (void)klass;
}

static void zebdoc_nautilus_menu_class_finalize(ZebdocNautilusMenuClass* klass) {
    (void)klass;
}

static void zebdoc_nautilus_activate(NautilusMenuItem* item, gpointer paths) {
    if (item != NULL) {
        zebdoc_start_host(g_object_get_data(G_OBJECT(item), "zebdoc-verb"), paths);
    }
}

/* An item that starts the host with `verb` and its own reference to
 * `paths`. */
static GList* zebdoc_nautilus_add_item(GList* items, const char* name, const char* label,
                                       const char* tip, const char* verb, GPtrArray* paths) {
    NautilusMenuItem* item = nautilus_menu_item_new(name, label, tip, NULL);
    if (item == NULL) {
        return items;
    }
    g_object_set_data(G_OBJECT(item), "zebdoc-verb", (gpointer)verb);
    g_signal_connect_data(item, "activate", G_CALLBACK(zebdoc_nautilus_activate),
                          g_ptr_array_ref(paths), (GClosureNotify)(void (*)(void))g_ptr_array_unref,
                          0);
    return g_list_append(items, item);
}

static GList* zebdoc_nautilus_get_file_items(NautilusMenuProvider* provider, GList* files) {
    (void)provider;
    if (files == NULL) {
        return NULL;
    }
    GPtrArray* paths = g_ptr_array_new_with_free_func(g_free);
    gboolean usable = TRUE;
    for (GList* node = files; node != NULL && usable; node = node->next) {
        if (node->data == NULL || !NAUTILUS_IS_FILE_INFO(node->data)) {
            usable = FALSE;
            break;
        }
        NautilusFileInfo* info = NAUTILUS_FILE_INFO(node->data);
        GFile* location = nautilus_file_info_get_location(info);
        usable = zebdoc_take_path(paths, location, nautilus_file_info_is_directory(info));
        if (location != NULL) {
            g_object_unref(location);
        }
    }
    GList* items = NULL;
    if (usable) {
        items = zebdoc_nautilus_add_item(items, "ZebdocMenu::add", ZEBDOC_ADD_LABEL, ZEBDOC_ADD_TIP,
                                         "add", paths);
        items = zebdoc_nautilus_add_item(items, "ZebdocMenu::get", ZEBDOC_GET_LABEL, ZEBDOC_GET_TIP,
                                         "get", paths);
    }
    g_ptr_array_unref(paths);
    return items;
}

static void zebdoc_nautilus_menu_provider_init(NautilusMenuProviderInterface* iface) {
    if (iface != NULL) {
        iface->get_file_items = zebdoc_nautilus_get_file_items;
    }
}

static GType zebdoc_nautilus_types[1];

G_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module) {
    if (module != NULL) {
        zebdoc_nautilus_menu_register_type(module);
        zebdoc_nautilus_types[0] = zebdoc_nautilus_menu_get_type();
    }
}

G_MODULE_EXPORT void nautilus_module_shutdown(void) {}

G_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* num_types) {
    if (types != NULL && num_types != NULL) {
        *types = zebdoc_nautilus_types;
        *num_types = zebdoc_nautilus_types[0] != 0 ? 1 : 0;
    }
}

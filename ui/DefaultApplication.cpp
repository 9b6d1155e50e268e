#include "ui/DefaultApplication.h"

#include <gdk/gdk.h>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "platform/Trace.h"
#include "ui/UserInterface.h"

namespace {

struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFreeDeleter>;

struct GObjectDeleter {
    void operator()(void* p) const {
        if (p) {
            g_object_unref(p);
        }
    }
};
template <typename T>
using GRef = std::unique_ptr<T, GObjectDeleter>;

struct GErrorDeleter {
    void operator()(GError* e) const { g_error_free(e); }
};

// The display's launch context, which tells the desktop that an application
// is starting; a plain one without a display.
GAppLaunchContext* newLaunchContext() {
    GdkDisplay* display = gdk_display_get_default();
    if (display) {
        return G_APP_LAUNCH_CONTEXT(gdk_display_get_app_launch_context(display));
    }
    return g_app_launch_context_new();
}

void notePid(GDesktopAppInfo*, GPid pid, gpointer data) {
    *static_cast<long*>(data) = static_cast<long>(pid);
}

}  // namespace

std::string contentTypeOf(const std::string& path) {
    GRef<GFile> file(g_file_new_for_path(path.c_str()));
    GRef<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                           G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (info) {
        const char* type = g_file_info_get_content_type(info.get());
        if (type && *type) {
            return type;
        }
    }
    GText guessed(g_content_type_guess(path.c_str(), nullptr, 0, nullptr));
    return guessed ? guessed.get() : "application/octet-stream";
}

std::string defaultApplicationId(const std::string& contentType) {
    GRef<GAppInfo> app(g_app_info_get_default_for_type(contentType.c_str(), FALSE));
    const char* id = app ? g_app_info_get_id(app.get()) : nullptr;
    return id ? id : "";
}

std::shared_ptr<const ProcessEnd> launchApplication(const std::string& appId,
                                                    const std::string& path, std::string& error) {
    GRef<GDesktopAppInfo> app(g_desktop_app_info_new(appId.c_str()));
    if (!app) {
        error = "no application " + appId + " is installed";
        return nullptr;
    }
    GText uri(g_filename_to_uri(path.c_str(), nullptr, nullptr));
    if (!uri) {
        error = "cannot name " + path + " as a file URI";
        return nullptr;
    }
    GList uris{uri.get(), nullptr, nullptr};
    GRef<GAppLaunchContext> context(newLaunchContext());
    long pid = 0;
    GError* failure = nullptr;
    const gboolean started = g_desktop_app_info_launch_uris_as_manager(
        app.get(), &uris, context.get(),
        static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr,
        notePid, &pid, &failure);
    std::unique_ptr<GError, GErrorDeleter> owned(failure);
    if (!started) {
        error = "cannot start " + appId + ": " + (failure ? failure->message : "unknown error");
        return nullptr;
    }
    // Started over D-Bus: no process of ours to wait on.
    return pid > 0 ? watchChild(pid) : endedProcess();
}

bool openAndWait(wxWindow* parent, const std::string& path) {
    const std::string type = contentTypeOf(path);
    std::string appId = defaultApplicationId(type);
    if (appId.empty()) {
        appId = userInterface().chooseApplication(parent, type);
        if (appId.empty()) {
            return false;
        }
    }
    std::string error;
    const auto process = launchApplication(appId, path, error);
    if (!process) {
        zeb::platform::outputDebugString(("ZEBDOC: open " + path + ": " + error).c_str());
        return false;
    }
    return waitWithDispatch(process);
}

// Saves a picture of the main window as it stands after start-up, and
// optionally the program's icon as a PNG:
//
//     zebshot WINDOW.png [ICON.png]
//
// Runs on any X display (packaging/screenshot.sh uses Xvfb).

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/window/AppIcon.h"
#include "app/window/MainWindow.h"
#include "app/window/StartUp.h"

namespace {

class ShotApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// Lets the window map, lay itself out and paint.
void settle(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zebshot WINDOW.png [ICON.png]\n");
        return 2;
    }
    wxApp::SetInstance(new ShotApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "zebshot: no display\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);
    int result = 0;
    if (argc > 2 &&
        !appIconImage().GetBitmap(wxSize(64, 64)).SaveFile(argv[2], wxBITMAP_TYPE_PNG)) {
        std::fprintf(stderr, "zebshot: cannot write %s\n", argv[2]);
        result = 1;
    }
    MainWindow* window = startUp();
    if (!window) {
        std::fprintf(stderr, "zebshot: no main window\n");
        return 1;
    }
    settle(1500);
    GdkWindow* gdkWindow = gtk_widget_get_window(window->GetHandle());
    GdkPixbuf* picture =
        gdkWindow ? gdk_pixbuf_get_from_window(gdkWindow, 0, 0, gdk_window_get_width(gdkWindow),
                                               gdk_window_get_height(gdkWindow))
                  : nullptr;
    if (!picture || !gdk_pixbuf_save(picture, argv[1], "png", nullptr, nullptr)) {
        std::fprintf(stderr, "zebshot: cannot capture the window into %s\n", argv[1]);
        result = 1;
    }
    if (picture) {
        g_object_unref(picture);
    }
    window->Destroy();
    settle(100);
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}

#include "app/PaneFactory.h"

#include "app/PlaceholderControl.h"
#include "app/TreeCtrl.h"

namespace {

PaneMaker g_browse;
PaneMaker g_search;

}  // namespace

// The browse tree and the search form take these places as they come.
Control* makeBrowsePane(wxWindow* mainWindow) {
    return g_browse ? g_browse(mainWindow) : new TreeCtrl(mainWindow);
}

Control* makeSearchPane(wxWindow* mainWindow) {
    return g_search ? g_search(mainWindow) : new PlaceholderControl(mainWindow);
}

void setPaneMakers(PaneMaker browse, PaneMaker search) {
    g_browse = std::move(browse);
    g_search = std::move(search);
}

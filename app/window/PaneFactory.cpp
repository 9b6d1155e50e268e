#include "app/window/PaneFactory.h"

#include "app/browse/TreeCtrl.h"
#include "app/search/SearchCtrl.h"

namespace {

PaneMaker g_browse;
PaneMaker g_search;

}  // namespace

Control* makeBrowsePane(wxWindow* mainWindow) {
    return g_browse ? g_browse(mainWindow) : new TreeCtrl(mainWindow);
}

Control* makeSearchPane(wxWindow* mainWindow) {
    return g_search ? g_search(mainWindow) : new SearchCtrl(mainWindow);
}

void setPaneMakers(PaneMaker browse, PaneMaker search) {
    g_browse = std::move(browse);
    g_search = std::move(search);
}

#include "ui/IconView.h"

#include <wx/artprov.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>

#include "ui/ListControl.h"

namespace {

constexpr int kIconSize = 32;

// A theme icon at exactly the list's image size, or an invalid bitmap.
wxBitmap themeIcon(const wxArtID& id) {
    const wxBitmap bitmap = wxArtProvider::GetBitmap(id, wxART_OTHER, wxSize(kIconSize, kIconSize));
    if (!bitmap.IsOk() || (bitmap.GetWidth() == kIconSize && bitmap.GetHeight() == kIconSize)) {
        return bitmap;
    }
    wxImage image = bitmap.ConvertToImage();
    image.Rescale(kIconSize, kIconSize, wxIMAGE_QUALITY_HIGH);
    return wxBitmap(image);
}

}  // namespace

IconView::IconView(wxWindow* parent, const wxRect* rect) : ListView(parent, Kind::Icon, rect) {
    // Image 0 a folder, image 1 a file (kFolderImage, kFileImage).
    const wxBitmap folder = themeIcon(wxART_FOLDER);
    const wxBitmap file = themeIcon(wxART_NORMAL_FILE);
    if (!folder.IsOk() || !file.IsOk()) {
        return;
    }
    auto* images = new wxImageList(kIconSize, kIconSize, true, 2);
    images->Add(folder);
    images->Add(file);
    if (images->GetImageCount() != 2) {
        delete images;
        return;
    }
    control()->AssignImageList(images, wxIMAGE_LIST_NORMAL);
    m_hasImages = true;
}

IconView::~IconView() = default;

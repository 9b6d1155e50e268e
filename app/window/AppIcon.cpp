#include "app/window/AppIcon.h"

#include <wx/icon.h>

#include "app/window/AppIconSvg.h"

wxBitmapBundle appIconImage() {
    return wxBitmapBundle::FromSVG(kAppIconSvg, wxSize(64, 64));
}

wxIconBundle appIcons() {
    const wxBitmapBundle image = appIconImage();
    wxIconBundle icons;
    for (int size : {16, 32, 48, 64, 128}) {
        wxIcon icon;
        icon.CopyFromBitmap(image.GetBitmap(wxSize(size, size)));
        icons.AddIcon(icon);
    }
    return icons;
}

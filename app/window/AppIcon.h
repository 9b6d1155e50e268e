#pragma once

#include <wx/bmpbndl.h>
#include <wx/iconbndl.h>

// The program's icon (packaging/zebdoc.svg, built in), at any size.
wxBitmapBundle appIconImage();
// The icon in the sizes a window manager asks for.
wxIconBundle appIcons();

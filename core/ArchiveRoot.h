#pragma once

#include <string>

#include "core/ZebcoreExport.h"

// The folder under which archived copies are kept: the registry value
// "DestinationPath" followed by "/VFS". Computed when the library is loaded;
// refresh() computes it again after the registry changed.
class ZEBCORE_API ArchiveRoot {
public:
    static const char* path();
    static void refresh();
};

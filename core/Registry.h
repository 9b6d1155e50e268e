#pragma once

#include "core/ZebcoreExport.h"
#include "platform/RegistryStore.h"

// The key under which setup stores the system's configuration.
#define ZEBDOC_USERINFO_KEY "Software\\Quorvane\\ZEBDOC\\UserInfo\\"

// Reads a string value into `out` (at least 260 bytes; callers pass 1024).
// A missing key or value leaves `out` as it was. Returns 1 in every case.
ZEBCORE_API int GetRegString(HKEY root, const char* subkey, const char* value, char* out);

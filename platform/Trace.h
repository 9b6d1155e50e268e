#pragma once

#include "platform/PlatformExport.h"

namespace zeb::platform {

// Debug trace: the text goes to syslog at LOG_DEBUG and, when ZEBDOC_TRACE
// names a file, is appended to that file as it stands.
ZEBPLATFORM_API void outputDebugString(const char* text);

}  // namespace zeb::platform

#include "platform/Trace.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/UniqueFd.h"

namespace zeb::platform {

void outputDebugString(const char* text) {
    if (text == nullptr) {
        return;
    }
    const int savedErrno = errno;  // tracing must not disturb the caller's error
    size_t length = std::strlen(text);

    // syslog adds its own line end; traces carry "\r\n" for the debugger.
    size_t logged = length;
    while (logged > 0 && (text[logged - 1] == '\n' || text[logged - 1] == '\r')) {
        --logged;
    }
    // No openlog: the host program's own syslog settings stay as they are.
    syslog(LOG_USER | LOG_DEBUG, "%.*s", static_cast<int>(std::min<size_t>(logged, INT_MAX)), text);

    const char* file = std::getenv("ZEBDOC_TRACE");
    if (file != nullptr && *file != '\0' && length > 0) {
        UniqueFd fd(open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
        if (fd.valid()) {
            // One write, so that lines of several processes do not interleave.
            while (write(fd.get(), text, length) < 0 && errno == EINTR) {
            }
        }
    }
    errno = savedErrno;
}

}  // namespace zeb::platform

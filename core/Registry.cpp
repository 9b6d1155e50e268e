#include "core/Registry.h"

#include <cstring>
#include <new>
#include <string>

#include "core/Utf8.h"

namespace {

// Bytes of a value that fit a caller's buffer, which holds at least 260
// bytes: the value and its terminator.
constexpr size_t kValueBytes = 259;

}  // namespace

int GetRegString(HKEY root, const char* subkey, const char* value, char* out) {
    if (subkey == nullptr || value == nullptr || out == nullptr) {
        return 1;
    }
    try {
        std::string data;
        if (!zeb::platform::RegistryStore::getString(root, subkey, value, data)) {
            return 1;
        }
        size_t n = zeb::utf8::prefixBytes(data.data(), data.size(), kValueBytes);
        std::memcpy(out, data.data(), n);
        out[n] = '\0';
    } catch (const std::exception&) {
        // Out of memory: the buffer stays as it was.
    }
    return 1;
}

#include "shellext/WindowsLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <string>

namespace zebui {

namespace {

// The loaded library and its entry; closed when libzebui is unloaded (or
// the process ends), after which the entry is gone too.
class LoadedLibrary {
public:
    LoadedLibrary() = default;
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;
    ~LoadedLibrary() { close(); }

    bool open(const std::string& path) {
        close();
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle == nullptr) {
            const char* why = dlerror();
            std::fprintf(stderr, "zebui: cannot load %s: %s; no window can be shown\n",
                         path.c_str(), why != nullptr ? why : "unknown error");
            return false;
        }
        using Entry = Windows* (*)();
        const auto entry = reinterpret_cast<Entry>(dlsym(m_handle, kZebuiWindowsEntry));
        m_windows = entry != nullptr ? entry() : nullptr;
        if (m_windows == nullptr) {
            std::fprintf(stderr, "zebui: %s has no entry %s; no window can be shown\n",
                         path.c_str(), kZebuiWindowsEntry);
            close();
            return false;
        }
        return true;
    }

    void close() {
        m_windows = nullptr;
        if (m_handle != nullptr) {
            dlclose(m_handle);
            m_handle = nullptr;
        }
    }

    Windows* windows() const { return m_windows; }

private:
    void* m_handle = nullptr;
    Windows* m_windows = nullptr;
};

LoadedLibrary g_library;
bool g_tried = false;

// The folder of libzebui's own file, with its slash.
std::string ownFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ownFolder), &info) == 0 || info.dli_fname == nullptr) {
        return "";
    }
    const std::string self = info.dli_fname;
    const size_t slash = self.rfind('/');
    return slash == std::string::npos ? "" : self.substr(0, slash + 1);
}

}  // namespace

Windows* windowsLibrary() {
    if (!g_tried) {
        g_tried = true;
        g_library.open(ownFolder() + kZebuiWindowsFile);
    }
    return g_library.windows();
}

Windows* loadedWindowsLibrary() {
    return g_library.windows();
}

}  // namespace zebui

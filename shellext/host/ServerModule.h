#pragma once

#include <memory>
#include <string>

#include "shellext/ComAbi.h"

// The extension's library, loaded the way the desktop loads an in-process
// server: by its full path, with its two entry points looked up by name.
// Unloaded by unload() or when the object goes.
class ServerModule {
public:
    ServerModule() = default;
    ServerModule(const ServerModule&) = delete;
    ServerModule& operator=(const ServerModule&) = delete;
    ~ServerModule() { unload(); }

    // False, with the reason in `error`, when `path` is not absolute, cannot
    // be loaded or lacks an entry point (then nothing stays loaded).
    bool load(const std::string& path, std::string& error);
    void unload();
    bool loaded() const { return m_handle != nullptr; }

    LPFNGETCLASSOBJECT getClassObject() const { return m_getClassObject; }
    LPFNCANUNLOADNOW canUnloadNow() const { return m_canUnloadNow; }
    // Another exported symbol of the library, or null.
    void* symbol(const char* name) const;

private:
    struct Closer {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, Closer> m_handle;
    LPFNGETCLASSOBJECT m_getClassObject = nullptr;
    LPFNCANUNLOADNOW m_canUnloadNow = nullptr;
};

#include "shellext/host/ServerModule.h"

#include <dlfcn.h>

void ServerModule::Closer::operator()(void* handle) const {
    dlclose(handle);
}

bool ServerModule::load(const std::string& path, std::string& error) {
    unload();
    // Only a full path: a bare name would be looked for along the library
    // search path.
    if (path.empty() || path[0] != '/') {
        error = "the extension's path is not absolute: \"" + path + "\"";
        return false;
    }
    std::unique_ptr<void, Closer> handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!handle) {
        const char* why = dlerror();
        error = "cannot load " + path + ": " + (why != nullptr ? why : "unknown error");
        return false;
    }
    auto* getClassObject =
        reinterpret_cast<LPFNGETCLASSOBJECT>(dlsym(handle.get(), ZEBUI_GETCLASSOBJECT_NAME));
    auto* canUnloadNow =
        reinterpret_cast<LPFNCANUNLOADNOW>(dlsym(handle.get(), ZEBUI_CANUNLOADNOW_NAME));
    if (getClassObject == nullptr || canUnloadNow == nullptr) {
        error = path + " is no context-menu extension: " ZEBUI_GETCLASSOBJECT_NAME
                       " or " ZEBUI_CANUNLOADNOW_NAME " is missing";
        return false;
    }
    m_handle = std::move(handle);
    m_getClassObject = getClassObject;
    m_canUnloadNow = canUnloadNow;
    return true;
}

void ServerModule::unload() {
    m_getClassObject = nullptr;
    m_canUnloadNow = nullptr;
    m_handle.reset();
}

void* ServerModule::symbol(const char* name) const {
    return m_handle ? dlsym(m_handle.get(), name) : nullptr;
}

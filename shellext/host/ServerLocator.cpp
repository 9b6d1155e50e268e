#include "shellext/host/ServerLocator.h"

#include <unistd.h>

#include <climits>

#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "shellext/ComAbi.h"

namespace fs = zeb::platform;
using zeb::platform::RegistryStore;

std::string inprocServerKey() {
    return std::string("CLSID\\") + CLSID_ZEBShellExt_Text + "\\InprocServer32";
}

std::string locateServer(const std::string& fallback, std::string& error) {
    std::string handlerClass;
    if (!RegistryStore::getString(HKEY_CLASSES_ROOT, kHandlerKey, "", handlerClass)) {
        return fallback;
    }
    if (handlerClass != CLSID_ZEBShellExt_Text) {
        error = std::string("the context-menu handler entry names another class: ") + handlerClass;
        return {};
    }
    std::string server;
    if (!RegistryStore::getString(HKEY_CLASSES_ROOT, inprocServerKey(), "", server) ||
        server.empty()) {
        error = "the class " + handlerClass + " has no in-process server in the registry";
        return {};
    }
    if (server[0] != '/') {
        error = "the class's in-process server is not a full path: " + server;
        return {};
    }
    return server;
}

std::string libraryBesideProgram() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return {};
    }
    self[length] = '\0';
    return fs::fullPath(fs::parentPath(self) + "/../lib/libzebui.so");
}

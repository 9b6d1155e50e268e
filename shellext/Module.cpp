// The library's attach and detach work, its object count and its two entry
// points.

#include "shellext/Module.h"

#include <atomic>
#include <new>

#include "platform/Trace.h"
#include "shellext/ClassFactory.h"
#include "shellext/Toolkit.h"
#include "shellext/ZebuiExport.h"

namespace zebui {

namespace {

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;

std::atomic<LONG> g_objectCount{0};
pthread_key_t g_dialogTlsIndex;
bool g_dialogTlsAllocated = false;

BOOL DllMain(DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) {
        trace("In DLLMain, DLL_PROCESS_ATTACH\r\n");
        g_dialogTlsAllocated = pthread_key_create(&g_dialogTlsIndex, nullptr) == 0;
        // The toolkit starts when the first window is needed (Toolkit.h).
    } else if (reason == DLL_PROCESS_DETACH) {
        trace("In DLLMain, DLL_PROCESS_DETACH\r\n");
        stopToolkit();
        if (g_dialogTlsAllocated) {
            pthread_key_delete(g_dialogTlsIndex);
            g_dialogTlsAllocated = false;
        }
    }
    return TRUE;
}

// Loading and unloading the library are the process attach and detach.
__attribute__((constructor)) void processAttach() {
    DllMain(DLL_PROCESS_ATTACH);
}
__attribute__((destructor)) void processDetach() {
    DllMain(DLL_PROCESS_DETACH);
}

}  // namespace

void objectCreated() {
    ++g_objectCount;
}

void objectDestroyed() {
    --g_objectCount;
}

LONG objectCount() {
    return g_objectCount.load();
}

pthread_key_t dialogTlsIndex() {
    return g_dialogTlsIndex;
}

void trace(const char* line) {
    zeb::platform::outputDebugString(line);
}

}  // namespace zebui

extern "C" ZEBUI_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    zebui::trace("In DllGetClassObject\r\n");
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualGUID(clsid, CLSID_ZEBShellExt)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new (std::nothrow) CZEBShellExtClassFactory;
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    // A failed query leaves the new factory without a reference: it goes
    // again, and the count with it.
    const HRESULT result = factory->QueryInterface(riid, object);
    if (FAILED(result)) {
        CZEBShellExtClassFactory::destroyUnreferenced(factory);
    }
    return result;
}

extern "C" ZEBUI_API HRESULT DllCanUnloadNow() {
    zebui::trace("In DLLCanUnloadNow\r\n");
    return zebui::objectCount() == 0 ? S_OK : S_FALSE;
}

#include "shellext/ClassFactory.h"

#include <new>

#include "shellext/Module.h"
#include "shellext/ShellExt.h"

CZEBShellExtClassFactory::CZEBShellExtClassFactory() : m_refCount(0) {
    zebui::trace("CZEBShellExtClassFactory::CShellExtClassFactory()\r\n");
    zebui::objectCreated();
}

CZEBShellExtClassFactory::~CZEBShellExtClassFactory() {
    zebui::objectDestroyed();
}

HRESULT CZEBShellExtClassFactory::QueryInterface(REFIID riid, void** object) {
    zebui::trace("CZEBShellExtClassFactory::QueryInterface()\r\n");
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG CZEBShellExtClassFactory::AddRef() {
    return static_cast<ULONG>(++m_refCount);
}

ULONG CZEBShellExtClassFactory::Release() {
    if (--m_refCount == 0) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(m_refCount);
}

HRESULT CZEBShellExtClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    zebui::trace("CZEBShellExtClassFactory::CreateInstance()\r\n");
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    auto* handler = new (std::nothrow) CZEBShellExt;
    if (handler == nullptr) {
        return E_OUTOFMEMORY;
    }
    // A failed query leaves the new object without a reference: it goes
    // again, and the count with it.
    const HRESULT result = handler->QueryInterface(riid, object);
    if (FAILED(result)) {
        CZEBShellExt::destroyUnreferenced(handler);
    }
    return result;
}

HRESULT CZEBShellExtClassFactory::LockServer(BOOL /*lock*/) {
    return S_OK;
}

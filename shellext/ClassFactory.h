#pragma once

#include "shellext/ComAbi.h"

// The class object of the context-menu handler: makes CZEBShellExt objects.
// Lives from DllGetClassObject to its last Release; counts as a live object
// of the module meanwhile.
class CZEBShellExtClassFactory final : public IClassFactory {
public:
    CZEBShellExtClassFactory();
    CZEBShellExtClassFactory(const CZEBShellExtClassFactory&) = delete;
    CZEBShellExtClassFactory& operator=(const CZEBShellExtClassFactory&) = delete;

    // IUnknown and IClassFactory, in this order.
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    // Changes nothing: only live objects keep the module loaded.
    HRESULT LockServer(BOOL lock) override;

    // Frees a factory that no query ever handed out (its count is 0).
    static void destroyUnreferenced(CZEBShellExtClassFactory* factory) { delete factory; }

private:
    ~CZEBShellExtClassFactory();

    LONG m_refCount;
};

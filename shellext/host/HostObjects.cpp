#include "shellext/host/HostObjects.h"

#include <new>

HostDataObject::HostDataObject(const std::vector<std::string>& paths) {
    size_t bytes = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) {
        bytes += path.size() + 1;
    }
    m_dropList = GlobalAlloc(bytes);
    if (m_dropList == nullptr) {
        return;
    }
    auto* header = static_cast<DROPFILES*>(m_dropList);
    header->pFiles = sizeof(DROPFILES);
    header->fWide = 0;
    char* out = static_cast<char*>(m_dropList) + sizeof(DROPFILES);
    for (const std::string& path : paths) {
        out = static_cast<char*>(std::memcpy(out, path.c_str(), path.size() + 1)) + path.size() + 1;
    }
    *out = '\0';
}

HostDataObject::~HostDataObject() {
    GlobalFree(m_dropList);
}

HRESULT HostDataObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG HostDataObject::AddRef() {
    return ++m_refCount;
}

ULONG HostDataObject::Release() {
    if (--m_refCount == 0) {
        delete this;
        return 0;
    }
    return m_refCount;
}

HRESULT HostDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
    if (format == nullptr || medium == nullptr) {
        return E_INVALIDARG;
    }
    if (format->cfFormat != CF_HDROP || (format->tymed & TYMED_HGLOBAL) == 0 ||
        format->dwAspect != DVASPECT_CONTENT) {
        return DV_E_FORMATETC;
    }
    if (m_dropList == nullptr) {
        return E_OUTOFMEMORY;
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = m_dropList;
    medium->pUnkForRelease = this;
    AddRef();
    return S_OK;
}

BOOL HostMenu::InsertMenuA(UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    HostMenuItem item;
    item.separator = (flags & MF_SEPARATOR) != 0;
    item.id = static_cast<UINT>(id);
    item.text = (!item.separator && text != nullptr) ? text : "";
    const size_t at = position < m_items.size() ? position : m_items.size();
    try {
        m_items.insert(m_items.begin() + static_cast<long>(at), item);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

#pragma once

// The host's side of the extension's interface: the data object that hands
// over the selected files and the menu the extension inserts its items
// into.

#include <string>
#include <vector>

#include "shellext/ComAbi.h"

// Holds the selection as a drop list; GetData hands out the list itself,
// with the data object as the medium's owner (so ReleaseStgMedium releases
// a reference instead of freeing the block).
class HostDataObject final : public IDataObject {
public:
    // Starts with one reference, the caller's.
    explicit HostDataObject(const std::vector<std::string>& paths);
    HostDataObject(const HostDataObject&) = delete;
    HostDataObject& operator=(const HostDataObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;

    ULONG references() const { return m_refCount; }

private:
    ~HostDataObject();

    ULONG m_refCount = 1;
    HGLOBAL m_dropList = nullptr;
};

// One entry of the menu: a separator, or an item with its command id.
struct HostMenuItem {
    bool separator = false;
    UINT id = 0;
    std::string text;
};

// A menu that records what is inserted, in position order.
class HostMenu final : public ZebMenuHandle {
public:
    BOOL InsertMenuA(UINT position, UINT flags, UINT_PTR id, LPCSTR text) override;
    const std::vector<HostMenuItem>& items() const { return m_items; }

private:
    std::vector<HostMenuItem> m_items;
};

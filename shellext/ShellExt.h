#pragma once

#include <string>
#include <vector>

#include "shellext/ComAbi.h"

// The context-menu handler: the file manager hands it the selected files
// (IShellExtInit), it inserts "Add new version" and "Get from archived
// version" into the menu and carries out the one chosen (IContextMenu).
//
// Two faces in one object: IContextMenu first, IShellExtInit second; the
// IShellExtInit face is the object's identity (what IID_IUnknown answers).
// Both faces share one reference count.
class CZEBShellExt final : public IContextMenu, public IShellExtInit {
public:
    CZEBShellExt();
    CZEBShellExt(const CZEBShellExt&) = delete;
    CZEBShellExt& operator=(const CZEBShellExt&) = delete;

    // IUnknown, for both faces.
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IContextMenu.
    HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                             UINT flags) override;
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, LPSTR name,
                             UINT size) override;

    // IShellExtInit: takes the selection from the data object's drop list.
    HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* data, HKEY classKey) override;

    // The two commands, on every selected file in order.
    HRESULT AddToZEB(HWND owner);
    HRESULT RetrieveFromZEB(HWND owner);

    // Frees an object that no query ever handed out (its count is 0).
    static void destroyUnreferenced(CZEBShellExt* handler) { delete handler; }

private:
    ~CZEBShellExt();

    // Reads the drop list of `data` into m_selectedFiles.
    void readSelection(IDataObject* data);
    // Adds one file; returns whether a save was tried, with its result in
    // `saved`.
    bool addFile(HWND owner, const std::string& path, bool& saved);

    LONG m_refCount;
    IDataObject* m_dataObject;
    std::vector<std::string> m_selectedFiles;
};

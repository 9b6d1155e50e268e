#pragma once

// The binary interface between a file manager's host (zebui-host) and the
// context-menu extension zebui: a minimal COM of our own. The host loads the
// extension's library, asks its class object for an instance, hands it the
// selected files in a data object, lets it insert its items into a menu the
// host supplies and tells it which item was chosen.
//
// Interfaces are C++ classes with only pure virtual functions, so their
// layout is a table of function pointers, the same in every module built
// with this compiler. Reference counting and interface queries follow COM:
// every interface pointer handed out holds one reference; QueryInterface
// answers the same pointer for IID_IUnknown whatever face it is called on.
//
// Nothing in here throws and nothing here includes a toolkit.

#include <cstdint>
#include <cstdlib>
#include <cstring>

typedef int32_t HRESULT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t UINT;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef int BOOL;
typedef uintptr_t UINT_PTR;
typedef char* LPSTR;
typedef const char* LPCSTR;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

// Identifiers compare byte for byte.
inline bool IsEqualGUID(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}
// A success code carrying a count (QueryContextMenu's number of ids used).
constexpr HRESULT MAKE_SCODE_SUCCESS(uint16_t code) {
    return static_cast<HRESULT>(code);
}
constexpr WORD HRESULT_CODE(HRESULT hr) {
    return static_cast<WORD>(static_cast<uint32_t>(hr) & 0xFFFFu);
}

// Handles the host passes through without the extension looking inside.
struct HWND__;
typedef HWND__* HWND;  // the owner window of messages and dialogs; null: none
struct HKEY__;
typedef HKEY__* HKEY;  // the class key of the selection (unused, null)
struct ITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;  // the folder (unused, null)

// { 00000000-0000-0000-C000-000000000046 } and the rest: the well-known
// identifiers of these interfaces.
inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDataObject = {
    0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IContextMenu = {
    0x000214E4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IShellExtInit = {
    0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The one class zebui serves, the context-menu handler:
// {5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}.
inline constexpr CLSID CLSID_ZEBShellExt = {
    0x5e3b9a71, 0x2c4d, 0x4f86, {0x9a, 0x0b, 0x7d, 0x1e, 0x6c, 0x2f, 0x4a, 0x93}};
// Its text form, as the registry holds it.
inline constexpr const char* CLSID_ZEBShellExt_Text = "{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}";

class IUnknown {
public:
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;  // objects go through Release
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

// --- The data object and its drop list ------------------------------------

typedef uint16_t CLIPFORMAT;
constexpr CLIPFORMAT CF_HDROP = 15;
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD TYMED_HGLOBAL = 1;

struct DVTARGETDEVICE;
struct FORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
};

typedef void* HGLOBAL;
struct HDROP__;
typedef HDROP__* HDROP;

struct STGMEDIUM {
    DWORD tymed;
    HGLOBAL hGlobal;
    // Released by ReleaseStgMedium when set; otherwise hGlobal is a block of
    // GlobalAlloc and is freed with it.
    IUnknown* pUnkForRelease;
};

// Hands over the selection. GetData in the format CF_HDROP fills a medium
// of TYMED_HGLOBAL whose block is a drop list.
class IDataObject : public IUnknown {
public:
    virtual HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) = 0;

protected:
    ~IDataObject() = default;
};

// A drop list: this header, then at `pFiles` bytes from its start the paths,
// each ended by a NUL, the list ended by an empty one.
struct DROPFILES {
    DWORD pFiles;
    DWORD fWide;  // always 0: the paths are 8-bit text (UTF-8)
};

inline HGLOBAL GlobalAlloc(size_t bytes) {
    return std::calloc(1, bytes == 0 ? 1 : bytes);
}
inline void GlobalFree(HGLOBAL block) {
    std::free(block);
}

inline void ReleaseStgMedium(STGMEDIUM* medium) {
    if (medium == nullptr) {
        return;
    }
    if (medium->pUnkForRelease != nullptr) {
        medium->pUnkForRelease->Release();
    } else if (medium->tymed == TYMED_HGLOBAL) {
        GlobalFree(medium->hGlobal);
    }
    medium->hGlobal = nullptr;
    medium->pUnkForRelease = nullptr;
}

// With `index` 0xFFFFFFFF the number of paths; otherwise copies path `index`
// into `buffer` (cut to size - 1 characters, terminated) and returns the
// characters copied, or, with a null buffer, the length of the path. 0 for
// an index beyond the list.
inline UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size) {
    if (drop == nullptr) {
        return 0;
    }
    const char* base = reinterpret_cast<const char*>(drop);
    const char* path = base + reinterpret_cast<const DROPFILES*>(drop)->pFiles;
    UINT i = 0;
    for (; *path != '\0' && i != index; ++i) {
        path += std::strlen(path) + 1;
    }
    if (index == 0xFFFFFFFFu) {
        return i;
    }
    if (*path == '\0') {
        return 0;
    }
    const size_t length = std::strlen(path);
    if (buffer == nullptr) {
        return static_cast<UINT>(length);
    }
    if (size == 0) {
        return 0;
    }
    const size_t copied = length < size - 1 ? length : size - 1;
    std::memcpy(buffer, path, copied);
    buffer[copied] = '\0';
    return static_cast<UINT>(copied);
}

// --- The menu the host supplies --------------------------------------------

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

// The host's menu: the extension inserts items, each with a command id, at
// positions counted from the menu's first item.
class ZebMenuHandle {
public:
    virtual BOOL InsertMenuA(UINT position, UINT flags, UINT_PTR id, LPCSTR text) = 0;

protected:
    ~ZebMenuHandle() = default;
};
typedef ZebMenuHandle* HMENU;

inline BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
    return menu != nullptr ? menu->InsertMenuA(position, flags, id, text) : FALSE;
}

// --- The shell extension's interfaces --------------------------------------

class IShellExtInit : public IUnknown {
public:
    virtual HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* data, HKEY classKey) = 0;

protected:
    ~IShellExtInit() = default;
};

// Flags of QueryContextMenu.
constexpr UINT CMF_NORMAL = 0x0;
constexpr UINT CMF_DEFAULTONLY = 0x1;
constexpr UINT CMF_VERBSONLY = 0x2;
constexpr UINT CMF_EXPLORE = 0x4;
constexpr UINT CMF_NOVERBS = 0x8;

struct CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    // The chosen item's offset from the first command id, in the low 16
    // bits with every higher bit clear (MAKEINTRESOURCEA); anything else is a
    // verb text.
    LPCSTR lpVerb;
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    DWORD dwHotKey;
    void* hIcon;
};

inline LPCSTR MAKEINTRESOURCEA(UINT offset) {
    return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(offset & 0xFFFFu));
}

// Kinds of GetCommandString.
constexpr UINT GCS_VERBA = 0x0;
constexpr UINT GCS_HELPTEXTA = 0x1;

class IContextMenu : public IUnknown {
public:
    virtual HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                     UINT flags) = 0;
    virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) = 0;
    virtual HRESULT GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, LPSTR name,
                                     UINT size) = 0;

protected:
    ~IContextMenu() = default;
};

// --- The library's two entry points (C linkage, looked up by name) ---------

typedef HRESULT (*LPFNGETCLASSOBJECT)(REFCLSID clsid, REFIID riid, void** object);
typedef HRESULT (*LPFNCANUNLOADNOW)();

#define ZEBUI_GETCLASSOBJECT_NAME "DllGetClassObject"
#define ZEBUI_CANUNLOADNOW_NAME "DllCanUnloadNow"

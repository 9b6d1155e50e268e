#include "shellext/ShellExt.h"

#include <cstdio>
#include <exception>
#include <new>

#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "platform/FileSystem.h"
#include "shellext/MenuFlags.h"
#include "shellext/Module.h"
#include "shellext/Prompts.h"
#include "shellext/ShellStrings.h"

namespace fs = zeb::platform;

namespace {

// Offsets of the two items from the first command id.
constexpr UINT kAddOffset = 0;
constexpr UINT kGetOffset = 1;
constexpr UINT kItemCount = 2;

std::string sizeNotes(const std::string& path) {
    fs::FileStatus status;
    if (!fs::getStatus(path, status) || !status.exists) {
        return "Size: ";
    }
    char notes[64];
    std::snprintf(notes, sizeof notes, "Size: %llu KB",
                  static_cast<unsigned long long>(status.size / 1000));
    return notes;
}

// `format` with its one "%s" replaced by `value`.
std::string formatted(const char* format, const std::string& value) {
    const int length = std::snprintf(nullptr, 0, format, value.c_str());
    if (length < 0) {
        return format;
    }
    std::string out(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, value.c_str());
    out.resize(static_cast<size_t>(length));
    return out;
}

}  // namespace

CZEBShellExt::CZEBShellExt() : m_refCount(0), m_dataObject(nullptr) {
    zebui::trace("CZEBShellExt::CZEBShellExt()\r\n");
    zebui::objectCreated();
}

CZEBShellExt::~CZEBShellExt() {
    if (m_dataObject != nullptr) {
        m_dataObject->Release();
    }
    zebui::objectDestroyed();
}

HRESULT CZEBShellExt::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualGUID(riid, IID_IShellExtInit) || IsEqualGUID(riid, IID_IUnknown)) {
        zebui::trace("CShellExt::QueryInterface()==>IID_IShellExtInit\r\n");
        *object = static_cast<IShellExtInit*>(this);
    } else if (IsEqualGUID(riid, IID_IContextMenu)) {
        zebui::trace("CShellExt::QueryInterface()==>IID_IContextMenu\r\n");
        *object = static_cast<IContextMenu*>(this);
    }
    if (*object != nullptr) {
        AddRef();
        return S_OK;
    }
    zebui::trace("CShellExt::QueryInterface()==>Unknown Interface!\r\n");
    return E_NOINTERFACE;
}

ULONG CZEBShellExt::AddRef() {
    zebui::trace("CZEBShellExt::AddRef()\r\n");
    return static_cast<ULONG>(++m_refCount);
}

ULONG CZEBShellExt::Release() {
    zebui::trace("CShellExt::Release()\r\n");
    if (--m_refCount == 0) {
        delete this;
        return 0;
    }
    return static_cast<ULONG>(m_refCount);
}

HRESULT CZEBShellExt::Initialize(LPCITEMIDLIST /*folder*/, IDataObject* data, HKEY /*classKey*/) {
    zebui::trace("CZEBShellExt::Initialize()\r\n");
    if (m_dataObject != nullptr) {
        m_dataObject->Release();
        m_dataObject = nullptr;
    }
    if (data != nullptr) {
        m_dataObject = data;
        m_dataObject->AddRef();
        try {
            readSelection(data);
        } catch (const std::exception&) {
            // Out of memory: the selection is what could be read.
        }
    }
    return S_OK;
}

void CZEBShellExt::readSelection(IDataObject* data) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {TYMED_HGLOBAL, nullptr, nullptr};
    if (FAILED(data->GetData(&format, &medium))) {
        return;
    }
    // A new data object is a new selection: the files of an earlier one
    // are not acted on.
    m_selectedFiles.clear();
    if (medium.hGlobal != nullptr) {
        const auto drop = static_cast<HDROP>(medium.hGlobal);
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            // The whole path, however long: a cut one would name another file.
            std::string path(DragQueryFileA(drop, i, nullptr, 0), '\0');
            DragQueryFileA(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
            m_selectedFiles.push_back(path);
        }
    }
    ReleaseStgMedium(&medium);
}

HRESULT CZEBShellExt::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                       UINT flags) {
    zebui::trace("CZEBShellExt::QueryContextMenu()\r\n");
    const MenuFlagDecision decision = decideMenuFlags(flags);
    for (const std::string& line : decision.traceLines) {
        zebui::trace(line.c_str());
    }
    if (!decision.addItems) {
        return MAKE_SCODE_SUCCESS(0);
    }
    const char* addText = shellstrings::text(shellstrings::kMenuAdd);
    const char* getText = shellstrings::text(shellstrings::kMenuGet);
    // Ids beyond the last one belong to someone else in the menu.
    if (m_selectedFiles.empty() || idCmdLast < idCmdFirst ||
        idCmdLast - idCmdFirst < kItemCount - 1) {
        return MAKE_SCODE_SUCCESS(0);
    }
    InsertMenuA(menu, indexMenu, MF_SEPARATOR | MF_BYPOSITION, 0, nullptr);
    InsertMenuA(menu, indexMenu + 1, MF_STRING | MF_BYPOSITION, idCmdFirst + kAddOffset, addText);
    InsertMenuA(menu, indexMenu + 2, MF_STRING | MF_BYPOSITION, idCmdFirst + kGetOffset, getText);
    return MAKE_SCODE_SUCCESS(kItemCount);
}

HRESULT CZEBShellExt::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    zebui::trace("CZEBShellExt::InvokeCommand()\r\n");
    if (info == nullptr) {
        return E_INVALIDARG;
    }
    const auto verb = reinterpret_cast<uintptr_t>(info->lpVerb);
    if ((verb >> 16) != 0) {
        return E_INVALIDARG;
    }
    try {
        switch (verb) {
            case kAddOffset:
                return AddToZEB(info->hwnd);
            case kGetOffset:
                return RetrieveFromZEB(info->hwnd);
            default:
                return E_INVALIDARG;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

HRESULT CZEBShellExt::GetCommandString(UINT_PTR idCmd, UINT /*type*/, UINT* /*reserved*/,
                                       LPSTR name, UINT size) {
    zebui::trace("CZEBShellExt::GetCommandString()\r\n");
    if (idCmd == 0 && name != nullptr && size > 0) {
        std::snprintf(name, size, "%s", "New menu item number 1");
    }
    return S_OK;
}

HRESULT CZEBShellExt::AddToZEB(HWND owner) {
    zebui::trace("CZEBShellExt::AddToZEB()\r\n");
    // The success message tells that every version asked for was made: one
    // failed save among several keeps it back.
    bool tried = false;
    bool allSaved = true;
    for (const std::string& path : m_selectedFiles) {
        bool saved = false;
        if (addFile(owner, path, saved)) {
            tried = true;
            allSaved = allSaved && saved;
        }
    }
    if (tried && allSaved) {
        shellPrompts().messageBox(owner, shellstrings::text(shellstrings::kAddDone),
                                  shellstrings::text(shellstrings::kCaption),
                                  MB_OK | MB_ICONINFORMATION);
    }
    return S_OK;
}

bool CZEBShellExt::addFile(HWND owner, const std::string& selected, bool& saved) {
    const std::string path = fs::fullPath(selected);
    const std::string name = fs::baseName(path);
    const std::string notes = sizeNotes(path);
    UID uid = UID::none();
    if (!VersionedFile::isFileVersioned(path.c_str(), uid)) {
        VersionedFile file(name.c_str(), notes.c_str(), path.c_str());
        saved = file.save();
        // Another program (a second click) may have versioned the file
        // since the look-up: then this is its next version.
        if (saved || !VersionedFile::isFileVersioned(path.c_str(), uid)) {
            return true;
        }
    }
    VersionedFile file(uid);
    RevisionFile revision(name.c_str(), notes.c_str(), &file);
    if (!revision.diffFile(path.c_str(), &file)) {
        const int answer = shellPrompts().messageBox(
            owner, shellstrings::text(shellstrings::kConfirmUnchanged),
            shellstrings::text(shellstrings::kCaption), MB_OKCANCEL | MB_ICONINFORMATION);
        if (answer != IDOK) {
            return false;
        }
    }
    saved = revision.save();
    return true;
}

HRESULT CZEBShellExt::RetrieveFromZEB(HWND owner) {
    zebui::trace("CZEBShellExt::RetrieveFromZEB()\r\n");
    const std::string caption = shellstrings::text(shellstrings::kCaption);
    for (const std::string& selected : m_selectedFiles) {
        const std::string path = fs::fullPath(selected);
        UID uid = UID::none();
        if (!VersionedFile::isFileVersioned(path.c_str(), uid)) {
            shellPrompts().messageBox(
                owner, formatted(shellstrings::text(shellstrings::kNotVersioned), path), caption,
                MB_OK | MB_ICONQUESTION);
            continue;
        }
        UID chosen = UID::none();
        if (shellPrompts().pickRevision(owner, uid, chosen) != 1) {
            continue;
        }
        VersionedFile file(uid);
        RevisionFile revision(chosen, &file);
        const bool restored = revision.restore();
        shellPrompts().messageBox(
            owner,
            shellstrings::text(restored ? shellstrings::kGetDone : shellstrings::kGetIncomplete),
            caption, MB_OK | MB_ICONINFORMATION);
    }
    return S_OK;
}

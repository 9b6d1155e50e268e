#include "shellext/host/HostSession.h"

#include <cstdio>
#include <new>

#include "platform/FileSystem.h"
#include "shellext/ShellStrings.h"

namespace fs = zeb::platform;

namespace {

// Releases an interface pointer when it goes.
template <typename Interface>
class Held {
public:
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() { reset(); }
    void reset() {
        if (m_pointer != nullptr) {
            m_pointer->Release();
            m_pointer = nullptr;
        }
    }
    Interface* get() const { return m_pointer; }
    Interface* operator->() const { return m_pointer; }
    void** out() {
        reset();
        return reinterpret_cast<void**>(&m_pointer);
    }

private:
    Interface* m_pointer = nullptr;
};

std::string hresultText(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

}  // namespace

const char* commandWord(HostCommand command) {
    switch (command) {
        case HostCommand::Add:
            return "add";
        case HostCommand::Get:
            return "get";
        case HostCommand::Menu:
            return "menu";
    }
    return "";
}

bool parseHostArguments(const std::vector<std::string>& arguments, HostCommand& command,
                        std::vector<std::string>& files, std::string& error) {
    files.clear();
    const std::string usage =
        "usage: zebui-host add|get|menu FILE...\n"
        "  add   versions each file (Add new version)\n"
        "  get   gets an archived version back over each file (Get from archived version)\n"
        "  menu  prints the items the extension offers for the files";
    if (arguments.empty()) {
        error = usage;
        return false;
    }
    bool known = false;
    for (const HostCommand candidate : {HostCommand::Add, HostCommand::Get, HostCommand::Menu}) {
        if (arguments[0] == commandWord(candidate)) {
            command = candidate;
            known = true;
        }
    }
    if (!known) {
        error = "unknown command \"" + arguments[0] + "\"\n" + usage;
        return false;
    }
    if (arguments.size() < 2) {
        error = "no file given\n" + usage;
        return false;
    }
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i].empty()) {
            error = "an empty file name was given\n" + usage;
            return false;
        }
        files.push_back(fs::fullPath(arguments[i]));
    }
    return true;
}

const HostMenuItem* itemFor(HostCommand command, const std::vector<HostMenuItem>& menu) {
    const char* wanted = command == HostCommand::Add   ? shellstrings::text(shellstrings::kMenuAdd)
                         : command == HostCommand::Get ? shellstrings::text(shellstrings::kMenuGet)
                                                       : nullptr;
    for (const HostMenuItem& item : menu) {
        if (wanted != nullptr && !item.separator && item.text == wanted) {
            return &item;
        }
    }
    return nullptr;
}

namespace {

// Everything up to the releases; false with the reason in the outcome.
bool driveHandler(const ServerEntryPoints& server, HostCommand command,
                  const std::vector<std::string>& files, HostOutcome& outcome) {
    auto* data = new (std::nothrow) HostDataObject(files);
    if (data == nullptr) {
        outcome.error = "out of memory";
        return false;
    }
    Held<IDataObject> selection;
    *selection.out() = data;
    Held<IShellExtInit> init;
    Held<IContextMenu> menu;
    {
        Held<IClassFactory> factory;
        HRESULT result = server.getClassObject(CLSID_ZEBShellExt, IID_IClassFactory, factory.out());
        if (FAILED(result) || factory.get() == nullptr) {
            outcome.error = "the extension has no class object for " +
                            std::string(CLSID_ZEBShellExt_Text) + " (" + hresultText(result) + ")";
            return false;
        }
        result = factory->CreateInstance(nullptr, IID_IShellExtInit, init.out());
        if (FAILED(result) || init.get() == nullptr) {
            outcome.error = "the extension made no handler (" + hresultText(result) + ")";
            return false;
        }
    }
    init->Initialize(nullptr, selection.get(), nullptr);
    const HRESULT result = init->QueryInterface(IID_IContextMenu, menu.out());
    if (FAILED(result) || menu.get() == nullptr) {
        outcome.error = "the handler has no context menu (" + hresultText(result) + ")";
        return false;
    }
    HostMenu hostMenu;
    menu->QueryContextMenu(&hostMenu, 0, kFirstCommandId, kLastCommandId, CMF_NORMAL);
    outcome.menu = hostMenu.items();
    if (command == HostCommand::Menu) {
        return true;
    }
    const HostMenuItem* item = itemFor(command, outcome.menu);
    if (item == nullptr || item->id < kFirstCommandId) {
        outcome.error = std::string("the extension offers no \"") +
                        (command == HostCommand::Add ? shellstrings::text(shellstrings::kMenuAdd)
                                                     : shellstrings::text(shellstrings::kMenuGet)) +
                        "\" for these files";
        return false;
    }
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(item->id - kFirstCommandId);
    info.nShow = 1;  // shown normally
    outcome.invoked = menu->InvokeCommand(&info);
    if (FAILED(outcome.invoked)) {
        outcome.error = "the extension refused the command (" + hresultText(outcome.invoked) + ")";
        return false;
    }
    return true;
}

}  // namespace

HostOutcome runSession(const ServerEntryPoints& server, HostCommand command,
                       const std::vector<std::string>& files) {
    HostOutcome outcome;
    if (server.getClassObject == nullptr || server.canUnloadNow == nullptr) {
        outcome.error = "the extension is not loaded";
        return outcome;
    }
    outcome.ok = driveHandler(server, command, files, outcome);
    outcome.canUnload = server.canUnloadNow() == S_OK;
    return outcome;
}

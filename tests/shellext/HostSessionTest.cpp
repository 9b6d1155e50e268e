// The host's order of calls, against a recording server in place of the
// extension, and its command line.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "shellext/host/HostSession.h"
#include "tests/support/BackendTest.h"

namespace zebtest {
namespace {

using Texts = std::vector<std::string>;

// A server that notes every call and can be told to refuse one.
struct Recorder {
    Texts calls;
    std::string refuse;  // the call that fails
    int live = 0;        // objects alive
    Texts files;         // what Initialize read
};
Recorder* g_recorder = nullptr;

HRESULT note(const std::string& call) {
    g_recorder->calls.push_back(call);
    return g_recorder->refuse == call ? E_FAIL : S_OK;
}

class FakeHandler final : public IContextMenu, public IShellExtInit {
public:
    FakeHandler() { ++g_recorder->live; }
    HRESULT QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (IsEqualGUID(riid, IID_IContextMenu)) {
            *object = static_cast<IContextMenu*>(this);
        } else if (IsEqualGUID(riid, IID_IShellExtInit) || IsEqualGUID(riid, IID_IUnknown)) {
            *object = static_cast<IShellExtInit*>(this);
        }
        if (*object == nullptr ||
            FAILED(note(IsEqualGUID(riid, IID_IContextMenu) ? "QueryInterface(IContextMenu)"
                                                            : "QueryInterface(IShellExtInit)"))) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        ++m_refs;
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        note("Release(handler)");
        if (--m_refs == 0) {
            --g_recorder->live;
            delete this;
            return 0;
        }
        return m_refs;
    }
    HRESULT Initialize(LPCITEMIDLIST, IDataObject* data, HKEY) override {
        FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (data != nullptr && SUCCEEDED(data->GetData(&format, &medium))) {
            const auto drop = static_cast<HDROP>(medium.hGlobal);
            for (UINT i = 0; i < DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0); ++i) {
                std::string path(DragQueryFileA(drop, i, nullptr, 0), '\0');
                DragQueryFileA(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
                g_recorder->files.push_back(path);
            }
            ReleaseStgMedium(&medium);
        }
        return note("Initialize");
    }
    HRESULT QueryContextMenu(HMENU menu, UINT index, UINT first, UINT, UINT flags) override {
        note("QueryContextMenu(" + std::to_string(flags) + ")");
        InsertMenuA(menu, index, MF_BYPOSITION | MF_STRING, first + 0, "&Add new version");
        InsertMenuA(menu, index + 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        InsertMenuA(menu, index + 2, MF_BYPOSITION | MF_STRING, first + 5,
                    "&Get from archived version");
        return 6;
    }
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        return note("InvokeCommand(" + std::to_string(reinterpret_cast<uintptr_t>(info->lpVerb)) +
                    ")");
    }
    HRESULT GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) override { return S_OK; }

private:
    ~FakeHandler() = default;
    ULONG m_refs = 0;
};

class FakeFactory final : public IClassFactory {
public:
    FakeFactory() { ++g_recorder->live; }
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        note("Release(factory)");
        if (--m_refs == 0) {
            --g_recorder->live;
            delete this;
            return 0;
        }
        return m_refs;
    }
    HRESULT CreateInstance(IUnknown*, REFIID riid, void** object) override {
        if (FAILED(note("CreateInstance"))) {
            *object = nullptr;
            return E_OUTOFMEMORY;
        }
        auto* handler = new FakeHandler;
        const HRESULT result = handler->QueryInterface(riid, object);
        if (FAILED(result)) {
            handler->AddRef();
            handler->Release();
        }
        return result;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    ~FakeFactory() = default;
    ULONG m_refs = 0;
};

HRESULT fakeGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    *object = nullptr;
    if (FAILED(note("DllGetClassObject")) || !IsEqualGUID(clsid, CLSID_ZEBShellExt) ||
        !IsEqualGUID(riid, IID_IClassFactory)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new FakeFactory;
    factory->AddRef();
    *object = static_cast<IClassFactory*>(factory);
    return S_OK;
}

HRESULT fakeCanUnloadNow() {
    note("DllCanUnloadNow");
    return g_recorder->live == 0 ? S_OK : S_FALSE;
}

struct OrderCase {
    const char* name;
    HostCommand command;
    std::string refuse;
    bool ok;
    Texts calls;
};

const Texts kUpToMenu = {"DllGetClassObject",  "CreateInstance", "QueryInterface(IShellExtInit)",
                         "Release(factory)",   "Initialize",     "QueryInterface(IContextMenu)",
                         "QueryContextMenu(0)"};

Texts then(Texts calls, const Texts& more) {
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
}

const OrderCase kOrderCases[] = {
    {"Add", HostCommand::Add, "", true,
     then(kUpToMenu,
          {"InvokeCommand(0)", "Release(handler)", "Release(handler)", "DllCanUnloadNow"})},
    {"Get", HostCommand::Get, "", true,
     then(kUpToMenu,
          {"InvokeCommand(5)", "Release(handler)", "Release(handler)", "DllCanUnloadNow"})},
    {"Menu", HostCommand::Menu, "", true,
     then(kUpToMenu, {"Release(handler)", "Release(handler)", "DllCanUnloadNow"})},
    {"NoClassObject",
     HostCommand::Add,
     "DllGetClassObject",
     false,
     {"DllGetClassObject", "DllCanUnloadNow"}},
    {"NoInstance",
     HostCommand::Add,
     "CreateInstance",
     false,
     {"DllGetClassObject", "CreateInstance", "Release(factory)", "DllCanUnloadNow"}},
    {"NoContextMenu", HostCommand::Add, "QueryInterface(IContextMenu)", false,
     then(Texts(kUpToMenu.begin(), kUpToMenu.end() - 2),
          {"QueryInterface(IContextMenu)", "Release(handler)", "DllCanUnloadNow"})},
    {"CommandRefused", HostCommand::Get, "InvokeCommand(5)", false,
     then(kUpToMenu,
          {"InvokeCommand(5)", "Release(handler)", "Release(handler)", "DllCanUnloadNow"})},
};

class HostOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(HostOrderTest, CallsTheServerInTheFileManagersOrderAndReleasesEverything) {
    const OrderCase& c = GetParam();
    Recorder recorder;
    recorder.refuse = c.refuse;
    g_recorder = &recorder;
    const Texts files = {"/docs/one.txt", "/docs/two words.txt"};
    const HostOutcome outcome =
        runSession({fakeGetClassObject, fakeCanUnloadNow}, c.command, files);
    g_recorder = nullptr;
    EXPECT_EQ(outcome.ok, c.ok) << outcome.error;
    EXPECT_EQ(outcome.error.empty(), c.ok);
    EXPECT_EQ(recorder.calls, c.calls);
    EXPECT_EQ(recorder.live, 0);
    EXPECT_TRUE(outcome.canUnload);
    if (recorder.files.size() > 0) {
        EXPECT_EQ(recorder.files, files);
    }
    if (c.command == HostCommand::Menu) {
        ASSERT_EQ(outcome.menu.size(), 3u);
        EXPECT_TRUE(outcome.menu[1].separator);
        EXPECT_EQ(outcome.menu[2].id, kFirstCommandId + 5);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, HostOrderTest, ::testing::ValuesIn(kOrderCases),
                         [](const ::testing::TestParamInfo<OrderCase>& info) {
                             return std::string(info.param.name);
                         });

struct ArgumentCase {
    Texts arguments;
    bool ok;
    Texts files;          // with "@" for the current folder
    std::string message;  // part of the error
};

TEST(HostArguments, CommandThenFilesMadeAbsoluteAgainstTheCurrentFolder) {
    TempDir dir;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    const std::vector<ArgumentCase> cases = {
        {{}, false, {}, "usage: zebui-host add|get|menu FILE..."},
        {{"add"}, false, {}, "no file given"},
        {{"open", "a"}, false, {}, "unknown command \"open\""},
        {{"get", ""}, false, {}, "empty file name"},
        {{"add", "a.txt", "sub/../b c.txt", "/abs/x"},
         true,
         {"@/a.txt", "@/b c.txt", "/abs/x"},
         ""},
        {{"menu", "-x", "--", "$HOME"}, true, {"@/-x", "@/--", "@/$HOME"}, ""},
    };
    for (const ArgumentCase& c : cases) {
        std::string joined;
        for (const std::string& a : c.arguments) {
            joined += "[" + a + "]";
        }
        SCOPED_TRACE(joined);
        HostCommand command = HostCommand::Menu;
        Texts files;
        std::string error;
        EXPECT_EQ(parseHostArguments(c.arguments, command, files, error), c.ok);
        Texts expected;
        for (const std::string& f : c.files) {
            expected.push_back(f[0] == '@' ? dir.path() + f.substr(1) : f);
        }
        EXPECT_EQ(files, expected);
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
}  // namespace zebtest

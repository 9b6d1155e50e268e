// The extension as an in-process server: class objects, the count of live
// objects that decides unloading, the results of every refusal, the
// handler's two faces and the trace of a whole life.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/shellext/ShellextTestSupport.h"

namespace zebtest {
namespace {

void* const kUntouched = reinterpret_cast<void*>(0x1);

struct ServerCase {
    const char* name;
    const CLSID* clsid;
    const IID* factoryIid;
    const IID* createIid;  // null: only the class object is asked for
    bool outer;            // CreateInstance with an outer object
    HRESULT expected;
    bool object;        // an interface comes back
    HRESULT whileHeld;  // DllCanUnloadNow while it is held (and the factory released)
};

const ServerCase kServerCases[] = {
    {"ForeignClass", &IID_IContextMenu, &IID_IClassFactory, nullptr, false,
     CLASS_E_CLASSNOTAVAILABLE, false, S_OK},
    {"FactoryAsClassFactory", &CLSID_ZEBShellExt, &IID_IClassFactory, nullptr, false, S_OK, true,
     S_FALSE},
    {"FactoryAsUnknown", &CLSID_ZEBShellExt, &IID_IUnknown, nullptr, false, S_OK, true, S_FALSE},
    {"FactoryAsOtherInterface", &CLSID_ZEBShellExt, &IID_IContextMenu, nullptr, false,
     E_NOINTERFACE, false, S_OK},
    {"HandlerAsShellExtInit", &CLSID_ZEBShellExt, &IID_IClassFactory, &IID_IShellExtInit, false,
     S_OK, true, S_FALSE},
    {"HandlerAsContextMenu", &CLSID_ZEBShellExt, &IID_IClassFactory, &IID_IContextMenu, false, S_OK,
     true, S_FALSE},
    {"HandlerAsUnknown", &CLSID_ZEBShellExt, &IID_IUnknown, &IID_IUnknown, false, S_OK, true,
     S_FALSE},
    {"HandlerAsOtherInterface", &CLSID_ZEBShellExt, &IID_IClassFactory, &IID_IDataObject, false,
     E_NOINTERFACE, false, S_OK},
    {"HandlerWithOuterObject", &CLSID_ZEBShellExt, &IID_IClassFactory, &IID_IShellExtInit, true,
     CLASS_E_NOAGGREGATION, false, S_OK},
};

class ServerTest : public ::testing::TestWithParam<ServerCase> {};

TEST_P(ServerTest, AnswersCountsAndUnloadsAsTheCountSays) {
    const ServerCase& c = GetParam();
    LoadedExtension extension;
    ASSERT_EQ(extension.canUnloadNow(), S_OK);
    void* factoryOut = kUntouched;
    const HRESULT classResult = extension.getClassObject(*c.clsid, *c.factoryIid, &factoryOut);
    if (c.createIid == nullptr) {
        EXPECT_EQ(classResult, c.expected);
        EXPECT_EQ(factoryOut != nullptr, c.object);
        EXPECT_EQ(extension.canUnloadNow(), c.whileHeld);
        if (factoryOut != nullptr && factoryOut != kUntouched) {
            EXPECT_EQ(static_cast<IUnknown*>(factoryOut)->Release(), 0u);
        }
        EXPECT_EQ(extension.canUnloadNow(), S_OK);
        return;
    }
    ASSERT_EQ(classResult, S_OK);
    // The class object's IUnknown is its IClassFactory.
    auto* factory = static_cast<IClassFactory*>(factoryOut);
    auto* outer = new HostDataObject({});
    void* out = kUntouched;
    EXPECT_EQ(factory->CreateInstance(c.outer ? outer : nullptr, *c.createIid, &out), c.expected);
    outer->Release();
    EXPECT_EQ(out != nullptr, c.object);
    EXPECT_NE(out, kUntouched);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(extension.canUnloadNow(), c.whileHeld);
    if (out != nullptr && out != kUntouched) {
        EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 0u);
    }
    EXPECT_EQ(extension.canUnloadNow(), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Cases, ServerTest, ::testing::ValuesIn(kServerCases),
                         [](const ::testing::TestParamInfo<ServerCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ServerReferences, FactoryCountsItsReferencesAndLockServerKeepsNothingLoaded) {
    LoadedExtension extension;
    IClassFactory* factory = nullptr;
    ASSERT_EQ(extension.getClassObject(CLSID_ZEBShellExt, IID_IClassFactory,
                                       reinterpret_cast<void**>(&factory)),
              S_OK);
    // One reference from the query.
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(factory));
    EXPECT_EQ(unknown->Release(), 1u);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(extension.canUnloadNow(), S_OK);
}

TEST(ServerReferences, HandlerFacesShareOneCountAndTheInitFaceIsItsIdentity) {
    LoadedExtension extension;
    auto* menu = extension.makeHandler<IContextMenu>(IID_IContextMenu);
    ASSERT_NE(menu, nullptr);
    IShellExtInit* init = nullptr;
    IUnknown* viaMenu = nullptr;
    IUnknown* viaInit = nullptr;
    ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
    ASSERT_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaMenu)), S_OK);
    ASSERT_EQ(init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaInit)), S_OK);
    EXPECT_EQ(static_cast<void*>(viaMenu), static_cast<void*>(init));
    EXPECT_EQ(static_cast<void*>(viaInit), static_cast<void*>(init));
    EXPECT_NE(static_cast<void*>(init), static_cast<void*>(menu));
    void* other = kUntouched;
    EXPECT_EQ(init->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    // Four references, released through either face.
    EXPECT_EQ(viaInit->Release(), 3u);
    EXPECT_EQ(viaMenu->Release(), 2u);
    EXPECT_EQ(menu->Release(), 1u);
    EXPECT_EQ(extension.canUnloadNow(), S_FALSE);
    EXPECT_EQ(init->Release(), 0u);
    EXPECT_EQ(extension.canUnloadNow(), S_OK);
}

TEST(ServerTrace, ALifeFromLoadToUnloadWritesTheTraceLinesInOrder) {
    TempDir dir;
    const std::string trace = dir.path() + "/trace";
    EnvGuard env;
    env.set("ZEBDOC_TRACE", trace);
    {
        LoadedExtension extension;
        auto* init = extension.makeHandler<IShellExtInit>(IID_IShellExtInit);
        ASSERT_NE(init, nullptr);
        IUnknown* none = nullptr;
        init->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&none));
        init->Release();
        EXPECT_EQ(extension.canUnloadNow(), S_OK);
    }
    const std::vector<std::string> expected = {
        "In DLLMain, DLL_PROCESS_ATTACH\r\n",
        "In DllGetClassObject\r\n",
        "CZEBShellExtClassFactory::CShellExtClassFactory()\r\n",
        "CZEBShellExtClassFactory::QueryInterface()\r\n",
        "CZEBShellExtClassFactory::CreateInstance()\r\n",
        "CZEBShellExt::CZEBShellExt()\r\n",
        "CShellExt::QueryInterface()==>IID_IShellExtInit\r\n",
        "CZEBShellExt::AddRef()\r\n",
        "CShellExt::QueryInterface()==>Unknown Interface!\r\n",
        "CShellExt::Release()\r\n",
        "In DLLCanUnloadNow\r\n",
        "In DLLMain, DLL_PROCESS_DETACH\r\n",
    };
    EXPECT_EQ(traceLines(trace), expected);
}

}  // namespace
}  // namespace zebtest

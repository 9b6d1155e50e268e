// The handler's menu: which flags get the two items, where they go and with
// which ids, what it traces, and the selection it takes from the data
// object.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/shellext/ShellextTestSupport.h"

namespace zebtest {
namespace {

using Lines = std::vector<std::string>;

struct FlagCase {
    UINT flags;
    HRESULT result;  // the number of ids used
    Lines trace;     // after "CZEBShellExt::QueryContextMenu()"
};

const FlagCase kFlagCases[] = {
    {0x00, 2, {"CMF_NORMAL...\r\n"}},
    {0x10, 2, {"CMF_NORMAL...\r\n"}},  // only the low four bits count
    {0x02, 2, {"CMF_VERBSONLY...\r\n"}},
    {0x03, 2, {"CMF_VERBSONLY...\r\n"}},  // 0x2 is tested before 0x1
    {0x06, 2, {"CMF_VERBSONLY...\r\n"}},
    {0x04, 2, {"CMF_EXPLORE...\r\n"}},
    {0x05, 2, {"CMF_EXPLORE...\r\n"}},
    {0x01, 0, {"CMF_DEFAULTONLY...\r\n"}},
    {0x09, 0, {"CMF_DEFAULTONLY...\r\n"}},
    {0x08, 0, {"CMF_default...\r\n", "uFlags==>8\r\n"}},
    {0x18, 0, {"CMF_default...\r\n", "uFlags==>24\r\n"}},
};

class MenuFlagTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(MenuFlagTest, FlagsDecideItemsResultAndTrace) {
    const FlagCase& c = GetParam();
    TempDir dir;
    const std::string trace = dir.path() + "/trace";
    LoadedExtension extension;
    Handler handler(extension, {"/docs/a.txt"});
    ASSERT_NE(handler.menu, nullptr);
    HostMenu menu;
    EnvGuard env;
    env.set("ZEBDOC_TRACE", trace);
    EXPECT_EQ(handler.menu->QueryContextMenu(&menu, 0, 100, 200, c.flags), c.result);
    Lines expected = {"CZEBShellExt::QueryContextMenu()\r\n"};
    expected.insert(expected.end(), c.trace.begin(), c.trace.end());
    EXPECT_EQ(traceLines(trace), expected);
    EXPECT_EQ(menu.items().size(), c.result == 2 ? 3u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Flags, MenuFlagTest, ::testing::ValuesIn(kFlagCases),
                         [](const ::testing::TestParamInfo<FlagCase>& info) {
                             return "Flags0x" + std::to_string(info.param.flags / 16) +
                                    std::to_string(info.param.flags % 16);
                         });

TEST(HandlerMenu, SeparatorAndTwoItemsAtThePositionWithTheFirstIds) {
    LoadedExtension extension;
    for (const UINT first : {0u, 1u, 7000u}) {
        SCOPED_TRACE(first);
        Handler handler(extension, {"/docs/a.txt", "/docs/b.txt"});
        HostMenu menu;
        for (int i = 0; i < 4; ++i) {
            menu.InsertMenuA(static_cast<UINT>(i), MF_STRING | MF_BYPOSITION,
                             static_cast<UINT>(i + 1), ("other " + std::to_string(i)).c_str());
        }
        EXPECT_EQ(handler.menu->QueryContextMenu(&menu, 2, first, first + 10, CMF_NORMAL), 2);
        const auto& items = menu.items();
        ASSERT_EQ(items.size(), 7u);
        EXPECT_EQ(items[1].text, "other 1");
        EXPECT_TRUE(items[2].separator);
        EXPECT_EQ(items[3].text, "&Add new version");
        EXPECT_EQ(items[3].id, first);
        EXPECT_EQ(items[4].text, "&Get from archived version");
        EXPECT_EQ(items[4].id, first + 1);
        EXPECT_EQ(items[5].text, "other 2");
    }
}

TEST(HandlerMenu, RoomForFewerThanTwoIdsGetsNoItems) {
    LoadedExtension extension;
    Handler handler(extension, {"/docs/a.txt"});
    HostMenu menu;
    EXPECT_EQ(handler.menu->QueryContextMenu(&menu, 0, 50, 50, CMF_NORMAL), 0);
    EXPECT_TRUE(menu.items().empty());
    EXPECT_EQ(handler.menu->QueryContextMenu(&menu, 0, 50, 51, CMF_NORMAL), 2);
}

// A data object whose data cannot be had.
class RefusingData final : public IDataObject {
public:
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetData(const FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    ULONG refs = 1;
};

TEST(HandlerMenu, NoDataObjectARefusedRequestOrAnEmptyListGiveNoItems) {
    LoadedExtension extension;
    auto* init = extension.makeHandler<IShellExtInit>(IID_IShellExtInit);
    ASSERT_NE(init, nullptr);
    IContextMenu* contextMenu = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&contextMenu)), S_OK);
    RefusingData refusing;
    auto* empty = new HostDataObject({});
    auto itemsAfter = [&](IDataObject* data) {
        EXPECT_EQ(init->Initialize(nullptr, data, nullptr), S_OK);
        HostMenu menu;
        contextMenu->QueryContextMenu(&menu, 0, 1, 100, CMF_NORMAL);
        return menu.items().size();
    };
    EXPECT_EQ(itemsAfter(nullptr), 0u);
    EXPECT_EQ(itemsAfter(&refusing), 0u);
    // The handler holds the data object until the next one comes.
    EXPECT_EQ(refusing.refs, 2u);
    EXPECT_EQ(itemsAfter(empty), 0u);
    EXPECT_EQ(refusing.refs, 1u);
    EXPECT_EQ(empty->references(), 2u);
    contextMenu->Release();
    init->Release();
    EXPECT_EQ(empty->references(), 1u);
    empty->Release();
    EXPECT_EQ(extension.canUnloadNow(), S_OK);
}

TEST(HandlerMenu, GetCommandStringAndRefusedInvocations) {
    LoadedExtension extension;
    Handler handler(extension, {"/docs/a.txt"});
    char text[64] = "untouched";
    EXPECT_EQ(handler.menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, text, sizeof text), S_OK);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(handler.menu->GetCommandString(0, GCS_VERBA, nullptr, text, sizeof text), S_OK);
    EXPECT_STREQ(text, "New menu item number 1");
    char small[8] = "";
    EXPECT_EQ(handler.menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, small, sizeof small), S_OK);
    EXPECT_STREQ(small, "New men");

    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.lpVerb = "add";  // a verb text, not an offset
    EXPECT_EQ(handler.menu->InvokeCommand(&info), E_INVALIDARG);
    EXPECT_EQ(handler.invoke(2), E_INVALIDARG);
    EXPECT_EQ(handler.menu->InvokeCommand(nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace zebtest

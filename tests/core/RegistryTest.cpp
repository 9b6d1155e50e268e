#include "core/Registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/ArchiveRoot.h"
#include "tests/support/BackendTest.h"

namespace {

using zeb::platform::RegistryStore;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { m_env.set("ZEBDOC_REGISTRY", m_dir.path() + "/registry.reg"); }
    void TearDown() override { ArchiveRoot::refresh(); }

    static void set(const std::string& name, const std::string& value) {
        ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name, value));
    }
    // What GetRegString leaves in a buffer that held "before".
    static std::string get(HKEY root, const char* subkey, const char* name) {
        char out[1024] = "before";
        EXPECT_EQ(GetRegString(root, subkey, name, out), 1);
        return out;
    }

    zebtest::TempDir m_dir;
    zebtest::EnvGuard m_env;
};

TEST_F(RegistryTest, ReadsAValueAndLeavesTheBufferWhenThereIsNone) {
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN"), "before") << "no file at all";
    set("DSN", "zeb \"data\" \\ source");
    set("PWD", "");
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN"), "zeb \"data\" \\ source");
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "PWD"), "") << "an empty value is one";
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "UID"), "before");
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, "Software\\Other\\", "DSN"), "before");
    EXPECT_EQ(get(HKEY_CURRENT_USER, ZEBDOC_USERINFO_KEY, "DSN"), "before");
    EXPECT_EQ(get(HKEY_LOCAL_MACHINE, nullptr, "DSN"), "before");
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN", nullptr), 1);

    // Long values keep to 259 bytes of whole characters.
    std::string value = "ab";
    for (int i = 0; i < 200; ++i) {
        value += "\xC3\xA4";  // "ä"
    }
    set("DestinationPath", value);
    char out[1024];
    std::memset(out, 'x', sizeof(out));
    GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DestinationPath", out);
    // 2 + 128 * 2 = 258 bytes; the next "ä" would end past 259.
    EXPECT_EQ(std::string(out), value.substr(0, 258));
    EXPECT_EQ(out[259], 'x');
}

TEST_F(RegistryTest, ArchiveRootFollowsTheDestinationPath) {
    ArchiveRoot::refresh();
    EXPECT_STREQ(ArchiveRoot::path(), "/VFS");
    set("DestinationPath", "/opt/zebdoc");
    EXPECT_STREQ(ArchiveRoot::path(), "/VFS");  // until refreshed
    ArchiveRoot::refresh();
    EXPECT_STREQ(ArchiveRoot::path(), "/opt/zebdoc/VFS");
}

}  // namespace

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

TEST_F(RegistryTest, ArchiveRootFollowsTheDestinationPathAndIsNoneWithoutAUsableOne) {
    struct Case {
        const char* destination;  // nullptr: no value at all
        std::string root;
        const char* problem;  // a word the reason holds; nullptr: none
    };
    const std::string tooLong = "/" + std::string(1100, 'a');
    const Case cases[] = {
        {nullptr, "", "missing"},
        {"", "", "empty"},
        {"zebdoc", "", "absolute"},
        {"./opt/zebdoc", "", "absolute"},
        {tooLong.c_str(), "", "longer"},
        {"/opt/zebdoc", "/opt/zebdoc/VFS", nullptr},
        {"/opt//zebdoc/./x/../", "/opt/zebdoc/VFS", nullptr},
        {"/", "/VFS", nullptr},
    };
    for (const Case& c : cases) {
        if (c.destination != nullptr) {
            set("DestinationPath", c.destination);
        }
        ArchiveRoot::refresh();
        const std::string name = c.destination != nullptr ? c.destination : "(none)";
        EXPECT_EQ(ArchiveRoot::path(), c.root) << name;
        EXPECT_EQ(ArchiveRoot::isValid(), !c.root.empty()) << name;
        if (c.problem != nullptr) {
            EXPECT_NE(ArchiveRoot::problem().find(c.problem), std::string::npos)
                << name << ": " << ArchiveRoot::problem();
            EXPECT_EQ(ArchiveRoot::objectDirectory("/home/ann/a.txt"), "") << name;
            EXPECT_EQ(ArchiveRoot::installationFolder(), "") << name;
        } else {
            EXPECT_EQ(ArchiveRoot::problem(), "") << name;
            EXPECT_EQ(ArchiveRoot::installationFolder() + (c.root == "/VFS" ? "VFS" : "/VFS"),
                      c.root);
        }
    }
    set("DestinationPath", "/srv/zeb");
    EXPECT_STREQ(ArchiveRoot::path(), "/VFS") << "until refreshed";
}

}  // namespace

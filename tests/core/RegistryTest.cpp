#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "core/ArchiveRoot.h"
#include "core/Registry.h"
#include "tests/support/BackendTest.h"

namespace {

using zeb::platform::RegistryStore;

// Points the registry at a file of the test's own.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("ZEBDOC_REGISTRY");
        if (old != nullptr) {
            m_oldRegistry = old;
        }
        m_file = m_dir.path() + "/registry.reg";
        setenv("ZEBDOC_REGISTRY", m_file.c_str(), 1);
    }
    void TearDown() override {
        if (m_oldRegistry) {
            setenv("ZEBDOC_REGISTRY", m_oldRegistry->c_str(), 1);
        } else {
            unsetenv("ZEBDOC_REGISTRY");
        }
        ArchiveRoot::refresh();
    }

    void set(const std::string& name, const std::string& value) {
        ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name, value));
    }

    zebtest::TempDir m_dir;
    std::string m_file;
    std::optional<std::string> m_oldRegistry;
};

TEST_F(RegistryTest, ReadsAValueAndLeavesTheBufferWhenThereIsNone) {
    char out[1024] = "before";
    // No file at all.
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN", out), 1);
    EXPECT_STREQ(out, "before");

    set("DSN", "zeb \"data\" \\ source");
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN", out), 1);
    EXPECT_STREQ(out, "zeb \"data\" \\ source");

    std::strcpy(out, "before");
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "PWD", out), 1);
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, "Software\\Other\\", "DSN", out), 1);
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, ZEBDOC_USERINFO_KEY, "DSN", out), 1);
    EXPECT_STREQ(out, "before");
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, nullptr, "DSN", out), 1);
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN", nullptr), 1);

    // An empty value is a value.
    set("PWD", "");
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "PWD", out), 1);
    EXPECT_STREQ(out, "");
}

TEST_F(RegistryTest, LongValuesKeepTo259BytesOfWholeCharacters) {
    std::string value = "ab";
    for (int i = 0; i < 200; ++i) {
        value += "\xC3\xA4";  // "ä"
    }
    set("DestinationPath", value);
    char out[1024];
    std::memset(out, 'x', sizeof(out));
    EXPECT_EQ(GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DestinationPath", out), 1);
    // 2 + 128 * 2 = 258 bytes; the next "ä" would end past 259.
    EXPECT_EQ(std::strlen(out), 258u);
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

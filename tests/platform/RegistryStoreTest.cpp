#include "platform/RegistryStore.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/platform/EnvGuard.h"
#include "tests/support/BackendTest.h"

using zeb::platform::RegistryStore;

namespace {

const char* const kKey = "Software\\Quorvane\\ZEBDOC\\UserInfo\\";

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = m_dir.path() + "/cfg/zebdoc/registry.reg";
        m_env.set("ZEBDOC_REGISTRY", m_file);
    }

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir((m_dir.path() + "/cfg/zebdoc").c_str())) {
            while (const dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..") {
                    names.push_back(name);
                }
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::string get(const std::string& subkey, const std::string& name) {
        std::string out = "<none>";
        RegistryStore::getString(HKEY_LOCAL_MACHINE, subkey, name, out);
        return out;
    }

    zebtest::TempDir m_dir;
    zebtest::EnvGuard m_env;
    std::string m_file;
};

TEST_F(RegistryStoreTest, RoundTripKeepsAwkwardTextAndWritesPrivateFileAtomically) {
    const std::vector<std::pair<std::string, std::string>> values = {
        {"DestinationPath", "C:\\Program Files\\ZEBDOC"},
        {"PWD", "pa\"ss\\\"word\\"},
        {"UserName", "J\xC3\xBCrgen \xE6\x97\xA5\xE6\x9C\xAC"},
        {"Empty", ""},
        {"Say \"hi\"", "= [x] ;"},
    };
    for (const auto& value : values) {
        ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, value.first, value.second))
            << value.first;
    }
    for (const auto& value : values) {
        EXPECT_EQ(get(kKey, value.first), value.second) << value.first;
    }

    std::string text = zebtest::readFile(m_file);
    EXPECT_EQ(
        text.rfind("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quorvane\\ZEBDOC\\UserInfo]\n", 0),
        0u)
        << text;
    EXPECT_NE(text.find("\"DestinationPath\"=\"C:\\\\Program Files\\\\ZEBDOC\"\n"),
              std::string::npos);
    EXPECT_NE(text.find("J\xC3\xBCrgen \xE6\x97\xA5\xE6\x9C\xAC"), std::string::npos);

    struct stat st;
    ASSERT_EQ(stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(stat((m_dir.path() + "/cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u) << "created folders are private";
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));

    // Line breaks cannot be stored in the file's lines: refused, file unchanged.
    EXPECT_FALSE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "PWD", "a\nb"));
    EXPECT_FALSE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "A\rB", "x"));
    EXPECT_EQ(zebtest::readFile(m_file), text);
}

TEST_F(RegistryStoreTest, KeysAndNamesIgnoreCaseAndExtraBackslashes) {
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "DSN", "zebdoc"));
    EXPECT_EQ(get("\\software\\\\QUORVANE\\zebdoc\\userinfo", "dsn"), "zebdoc");

    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\quorvane\\ZebDoc\\UserInfo",
                                         "Dsn", "other"));
    EXPECT_EQ(get(kKey, "DSN"), "other");
    EXPECT_EQ(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, kKey), std::vector<std::string>{"DSN"});

    std::string out = "kept";
    EXPECT_FALSE(RegistryStore::getString(HKEY_CURRENT_USER, kKey, "DSN", out));
    EXPECT_FALSE(RegistryStore::getString(reinterpret_cast<HKEY>(0x1234), kKey, "DSN", out));
    EXPECT_FALSE(RegistryStore::setString(reinterpret_cast<HKEY>(0x1234), kKey, "DSN", "x"));
    EXPECT_EQ(out, "kept");
    EXPECT_EQ(RegistryStore::rootName(HKEY_CLASSES_ROOT), "HKEY_CLASSES_ROOT");
}

TEST_F(RegistryStoreTest, HandWrittenFileIsReadAndMalformedLinesAreSkipped) {
    zebtest::writeFile(m_file,
                       "\xEF\xBB\xBFREGEDIT4\r\n"
                       "\r\n"
                       "\"Orphan\"=\"before any key\"\r\n"
                       "; a comment\r\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Quorvane\\ZEBDOC\\UserInfo]\r\n"
                       "\"DSN\"=\"zebdoc\"\r\n"
                       "\"Broken=\"no closing quote\r\n"
                       "\"Unterminated\"=\"value\r\n"
                       "\"Trailing\"=\"x\" junk\r\n"
                       "garbage line\r\n"
                       "  \"Spaced\" = \"yes\"  \r\n"
                       "\"Count\"=dword:00000001\r\n"
                       "@=\"default\"\r\n"
                       "[-HKEY_LOCAL_MACHINE\\Software\\Old]\r\n"
                       "\"Lost\"=\"under a removal line\"\r\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Quorvane\\ZEBDOC\\USERINFO]\r\n"
                       "\"UID\"=\"admin\"\r\n"
                       "\"dsn\"=\"later wins\"\r\n"
                       "[broken\r\n"
                       "\"AfterBroken\"=\"x\"\r\n");

    EXPECT_EQ(get(kKey, "DSN"), "later wins");
    EXPECT_EQ(get(kKey, "UID"), "admin");
    EXPECT_EQ(get(kKey, "Spaced"), "yes");
    EXPECT_EQ(get(kKey, ""), "default");
    EXPECT_EQ(get(kKey, "Count"), "<none>") << "not a string value";
    for (const char* name :
         {"Orphan", "Broken", "Unterminated", "Trailing", "Lost", "AfterBroken"}) {
        EXPECT_EQ(get(kKey, name), "<none>") << name;
    }
    EXPECT_EQ(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, kKey),
              (std::vector<std::string>{"DSN", "Spaced", "Count", "", "UID"}));

    // A write keeps what could be read, values of other kinds included.
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "PWD", "secret"));
    EXPECT_EQ(get(kKey, "DSN"), "later wins");
    EXPECT_EQ(get(kKey, ""), "default");
    std::string text = zebtest::readFile(m_file);
    EXPECT_NE(text.find("\"Count\"=dword:00000001\n"), std::string::npos) << text;
    EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("garbage"), std::string::npos) << text;
}

TEST_F(RegistryStoreTest, MissingOrUnusableFileReadsAsNoValue) {
    std::string out = "kept";
    EXPECT_FALSE(RegistryStore::getString(HKEY_LOCAL_MACHINE, kKey, "DSN", out));
    EXPECT_TRUE(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, kKey).empty());
    EXPECT_FALSE(RegistryStore::deleteValue(HKEY_LOCAL_MACHINE, kKey, "DSN"));

    // A folder where the file should be: no value, and writes fail cleanly.
    m_env.set("ZEBDOC_REGISTRY", m_dir.path());
    EXPECT_FALSE(RegistryStore::getString(HKEY_LOCAL_MACHINE, kKey, "DSN", out));
    EXPECT_FALSE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "DSN", "x"));

    // Binary junk.
    m_env.set("ZEBDOC_REGISTRY", m_file);
    zebtest::writeFile(m_file, std::string("\0\xff[\x01\n\"\\", 7) + std::string(5000, '"'));
    EXPECT_FALSE(RegistryStore::getString(HKEY_LOCAL_MACHINE, kKey, "DSN", out));
    EXPECT_EQ(out, "kept");
}

TEST_F(RegistryStoreTest, DeleteKeyRemovesSubkeysButNotSiblingsOrParents) {
    const std::string key = "Software\\Quorvane\\ZEBDOC\\UserInfo";
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, key, "DSN", "a"));
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, key + "\\Sub", "X", "b"));
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, key + "\\Sub\\Deeper", "Y", "c"));
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, key + "Other", "Z", "d"));
    ASSERT_TRUE(
        RegistryStore::setString(HKEY_LOCAL_MACHINE, "Software\\Quorvane\\ZEBDOC", "V", "e"));
    ASSERT_TRUE(RegistryStore::setString(HKEY_CURRENT_USER, key, "DSN", "f"));

    EXPECT_TRUE(RegistryStore::deleteValue(HKEY_LOCAL_MACHINE, key, "dsn"));
    EXPECT_FALSE(RegistryStore::deleteValue(HKEY_LOCAL_MACHINE, key, "DSN"));
    EXPECT_EQ(get(key + "\\Sub", "X"), "b");

    EXPECT_TRUE(
        RegistryStore::deleteKey(HKEY_LOCAL_MACHINE, "software\\quorvane\\zebdoc\\userinfo\\"));
    EXPECT_EQ(get(key + "\\Sub", "X"), "<none>");
    EXPECT_EQ(get(key + "\\Sub\\Deeper", "Y"), "<none>");
    EXPECT_EQ(get(key + "Other", "Z"), "d");
    EXPECT_EQ(get("Software\\Quorvane\\ZEBDOC", "V"), "e");
    std::string out;
    EXPECT_TRUE(RegistryStore::getString(HKEY_CURRENT_USER, key, "DSN", out));
    EXPECT_FALSE(RegistryStore::deleteKey(HKEY_LOCAL_MACHINE, key));
    EXPECT_FALSE(RegistryStore::deleteKey(HKEY_LOCAL_MACHINE, "\\")) << "the root stays";
    EXPECT_EQ(get(key + "Other", "Z"), "d");
}

TEST_F(RegistryStoreTest, LocationFollowsEnvironment) {
    const std::string system = "/etc/zebdoc/registry.reg";
    const std::string home = m_dir.path() + "/home";
    const std::string xdg = m_dir.path() + "/xdg";
    m_env.set("ZEBDOC_REGISTRY", "");
    m_env.set("HOME", home);
    m_env.set("XDG_CONFIG_HOME", xdg);
    const bool root = geteuid() == 0;
    // Nothing is written here: with no ZEBDOC_REGISTRY a write could reach /etc.
    EXPECT_EQ(RegistryStore::readPath(), system) << "no user file yet";
    EXPECT_EQ(RegistryStore::writePath(), root ? system : xdg + "/zebdoc/registry.reg");

    zebtest::writeFile(xdg + "/zebdoc/registry.reg", "REGEDIT4\n");
    EXPECT_EQ(RegistryStore::readPath(), xdg + "/zebdoc/registry.reg");

    m_env.set("XDG_CONFIG_HOME", "relative/config");  // not absolute: ignored
    EXPECT_EQ(RegistryStore::readPath(), system);
    zebtest::writeFile(home + "/.config/zebdoc/registry.reg", "REGEDIT4\n");
    EXPECT_EQ(RegistryStore::readPath(), home + "/.config/zebdoc/registry.reg");
    m_env.unset("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryStore::readPath(), home + "/.config/zebdoc/registry.reg");
    EXPECT_EQ(RegistryStore::writePath(), root ? system : home + "/.config/zebdoc/registry.reg");

    m_env.set("ZEBDOC_REGISTRY", m_file);
    EXPECT_EQ(RegistryStore::readPath(), m_file);
    EXPECT_EQ(RegistryStore::writePath(), m_file);
}

TEST_F(RegistryStoreTest, ConcurrentWritersInTwoProcessesLoseNothing) {
    constexpr int kPerWriter = 100;
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "Start", "1"));
    std::vector<pid_t> children;
    for (int writer = 0; writer < 2; ++writer) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < kPerWriter; ++i) {
                std::string name = "W" + std::to_string(writer) + "_" + std::to_string(i);
                ok = RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, name, name + "!") && ok;
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, kKey).size(), 2u * kPerWriter + 1);
    for (int writer = 0; writer < 2; ++writer) {
        for (int i = 0; i < kPerWriter; ++i) {
            std::string name = "W" + std::to_string(writer) + "_" + std::to_string(i);
            EXPECT_EQ(get(kKey, name), name + "!");
        }
    }
    EXPECT_EQ(folderEntries(), (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
}

}  // namespace

#include "platform/RegistryStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/BackendTest.h"

using zeb::platform::RegistryStore;

namespace {

const char* const kKey = "Software\\Quorvane\\ZEBDOC\\UserInfo\\";

class RegistryStoreTest : public ::testing::Test {
protected:
    void SetUp() override { m_env.set("ZEBDOC_REGISTRY", m_file); }

    static std::string get(const std::string& subkey, const std::string& name) {
        std::string out = "<none>";
        RegistryStore::getString(HKEY_LOCAL_MACHINE, subkey, name, out);
        return out;
    }
    static bool set(const std::string& subkey, const std::string& name, const std::string& data) {
        return RegistryStore::setString(HKEY_LOCAL_MACHINE, subkey, name, data);
    }
    // The registry's folder holds the file and its lock, nothing else.
    void expectNoLeftovers() const {
        std::vector<std::string> names;
        for (const auto& entry :
             std::filesystem::directory_iterator(m_dir.path() + "/cfg/zebdoc")) {
            names.push_back(entry.path().filename());
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
    }

    zebtest::TempDir m_dir;
    zebtest::EnvGuard m_env;
    const std::string m_file = m_dir.path() + "/cfg/zebdoc/registry.reg";
};

TEST_F(RegistryStoreTest, RoundTripKeepsAwkwardTextAndWritesPrivateFileAtomically) {
    const std::pair<std::string, std::string> values[] = {
        {"DestinationPath", "C:\\Program Files\\ZEBDOC"},
        {"PWD", "pa\"ss\\\"word\\"},
        {"UserName", "J\xC3\xBCrgen \xE6\x97\xA5\xE6\x9C\xAC"},
        {"Empty", ""},
        {"Say \"hi\"", "= [x] ;"}};
    for (const auto& [name, data] : values) {
        ASSERT_TRUE(set(kKey, name, data)) << name;
    }
    for (const auto& [name, data] : values) {
        EXPECT_EQ(get(kKey, name), data) << name;
    }
    const std::string text = zebtest::readFile(m_file);
    EXPECT_EQ(text.rfind("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Quorvane\\ZEBDOC\\UserInfo]\n"
                         "\"DestinationPath\"=\"C:\\\\Program Files\\\\ZEBDOC\"\n",
                         0),
              0u)
        << text;

    struct stat st;
    ASSERT_EQ(stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(stat((m_dir.path() + "/cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u) << "created folders are private";
    expectNoLeftovers();

    // Line breaks cannot be stored in the file's lines: refused, file unchanged.
    EXPECT_FALSE(set(kKey, "PWD", "a\nb"));
    EXPECT_FALSE(set(kKey, "A\rB", "x"));
    EXPECT_EQ(zebtest::readFile(m_file), text);
}

TEST_F(RegistryStoreTest, KeysAndNamesIgnoreCaseAndExtraBackslashes) {
    ASSERT_TRUE(set(kKey, "DSN", "zebdoc"));
    EXPECT_EQ(get("\\software\\\\QUORVANE\\zebdoc\\userinfo", "dsn"), "zebdoc");
    ASSERT_TRUE(set("SOFTWARE\\quorvane\\ZebDoc\\UserInfo", "Dsn", "other"));
    EXPECT_EQ(get(kKey, "DSN"), "other");
    EXPECT_EQ(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, kKey), std::vector<std::string>{"DSN"});

    std::string out = "kept";
    const HKEY unknown = reinterpret_cast<HKEY>(0x1234);
    EXPECT_FALSE(RegistryStore::getString(HKEY_CURRENT_USER, kKey, "DSN", out));
    EXPECT_FALSE(RegistryStore::getString(unknown, kKey, "DSN", out));
    EXPECT_FALSE(RegistryStore::setString(unknown, kKey, "DSN", "x"));
    EXPECT_EQ(out, "kept");
}

TEST_F(RegistryStoreTest, HandWrittenFileIsReadAndMalformedLinesAreSkipped) {
    zebtest::writeFile(m_file,
                       "\xEF\xBB\xBFREGEDIT4\r\n\r\n"
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
    const std::pair<std::string, std::string> expected[] = {
        {"DSN", "later wins"},  {"UID", "admin"},     {"Spaced", "yes"},
        {"", "default"},        {"Count", "<none>"},  // not a string value
        {"Orphan", "<none>"},   {"Broken", "<none>"}, {"Unterminated", "<none>"},
        {"Trailing", "<none>"}, {"Lost", "<none>"},   {"AfterBroken", "<none>"}};
    for (const auto& [name, data] : expected) {
        EXPECT_EQ(get(kKey, name), data) << name;
    }
    EXPECT_EQ(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, kKey),
              (std::vector<std::string>{"DSN", "Spaced", "Count", "", "UID"}));

    // A write keeps what could be read, values of other kinds included.
    ASSERT_TRUE(set(kKey, "PWD", "secret"));
    EXPECT_EQ(get(kKey, "DSN"), "later wins");
    EXPECT_EQ(get(kKey, ""), "default");
    const std::string text = zebtest::readFile(m_file);
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
    EXPECT_FALSE(set(kKey, "DSN", "x"));

    m_env.set("ZEBDOC_REGISTRY", m_file);
    zebtest::writeFile(m_file, std::string("\0\xff[\x01\n\"\\", 7) + std::string(5000, '"'));
    EXPECT_FALSE(RegistryStore::getString(HKEY_LOCAL_MACHINE, kKey, "DSN", out));
    EXPECT_EQ(out, "kept");
}

TEST_F(RegistryStoreTest, DeleteKeyRemovesSubkeysButNotSiblingsOrParents) {
    const std::string key = "Software\\Quorvane\\ZEBDOC\\UserInfo";
    ASSERT_TRUE(set(key, "DSN", "a"));
    ASSERT_TRUE(set(key + "\\Sub", "X", "b"));
    ASSERT_TRUE(set(key + "\\Sub\\Deeper", "Y", "c"));
    ASSERT_TRUE(set(key + "Other", "Z", "d"));
    ASSERT_TRUE(set("Software\\Quorvane\\ZEBDOC", "V", "e"));
    ASSERT_TRUE(RegistryStore::setString(HKEY_CURRENT_USER, key, "DSN", "f"));

    EXPECT_TRUE(RegistryStore::deleteValue(HKEY_LOCAL_MACHINE, key, "dsn"));
    EXPECT_FALSE(RegistryStore::deleteValue(HKEY_LOCAL_MACHINE, key, "DSN"));
    EXPECT_EQ(get(key + "\\Sub", "X"), "b");

    EXPECT_TRUE(
        RegistryStore::deleteKey(HKEY_LOCAL_MACHINE, "software\\quorvane\\zebdoc\\userinfo\\"));
    EXPECT_FALSE(RegistryStore::deleteKey(HKEY_LOCAL_MACHINE, key));
    EXPECT_FALSE(RegistryStore::deleteKey(HKEY_LOCAL_MACHINE, "\\")) << "the root stays";
    EXPECT_EQ(get(key + "\\Sub", "X"), "<none>");
    EXPECT_EQ(get(key + "\\Sub\\Deeper", "Y"), "<none>");
    EXPECT_EQ(get(key + "Other", "Z"), "d");
    EXPECT_EQ(get("Software\\Quorvane\\ZEBDOC", "V"), "e");
    std::string out;
    EXPECT_TRUE(RegistryStore::getString(HKEY_CURRENT_USER, key, "DSN", out));
}

TEST_F(RegistryStoreTest, LocationFollowsEnvironment) {
    const std::string system = "/etc/zebdoc/registry.reg";
    const std::string xdgFile = m_dir.path() + "/xdg/zebdoc/registry.reg";
    const std::string homeFile = m_dir.path() + "/home/.config/zebdoc/registry.reg";
    m_env.set("ZEBDOC_REGISTRY", "");
    m_env.set("ZEBDOC_SYSTEM_REGISTRY", std::nullopt);
    m_env.set("HOME", m_dir.path() + "/home");
    m_env.set("XDG_CONFIG_HOME", m_dir.path() + "/xdg");
    // Nothing is written here: with no ZEBDOC_REGISTRY a write could reach /etc.
    EXPECT_EQ(RegistryStore::readPath(), system) << "no user file yet";
    // Also root's writes go to its own file unless the system's is asked for.
    EXPECT_EQ(RegistryStore::writePath(), xdgFile);
    EXPECT_EQ(RegistryStore::writePath(RegistryStore::Scope::System), system);
    zebtest::writeFile(xdgFile, "REGEDIT4\n");
    EXPECT_EQ(RegistryStore::readPath(), xdgFile);

    m_env.set("XDG_CONFIG_HOME", "relative/config");  // not absolute: ignored
    EXPECT_EQ(RegistryStore::readPath(), system);
    zebtest::writeFile(homeFile, "REGEDIT4\n");
    EXPECT_EQ(RegistryStore::readPath(), homeFile);
    m_env.set("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(RegistryStore::readPath(), homeFile);
    EXPECT_EQ(RegistryStore::writePath(), homeFile);

    m_env.set("ZEBDOC_SYSTEM_REGISTRY", m_dir.path() + "/etc/registry.reg");
    EXPECT_EQ(RegistryStore::writePath(RegistryStore::Scope::System),
              m_dir.path() + "/etc/registry.reg");
    m_env.set("ZEBDOC_REGISTRY", m_file);  // the only file, whatever is asked for
    EXPECT_EQ(RegistryStore::writePath(RegistryStore::Scope::System), m_file);
    EXPECT_EQ(RegistryStore::readPath(), m_file);
}

// Two files: the user's own values first, value by value, then the system's,
// which a root install writes for every user and which therefore holds no
// secret and can be read by all.
TEST_F(RegistryStoreTest, ValuesFallBackOneByOneFromTheUsersFileToTheSystems) {
    using Scope = RegistryStore::Scope;
    const std::string userFile = m_dir.path() + "/xdg/zebdoc/registry.reg";
    const std::string systemFile = m_dir.path() + "/etc/zebdoc/registry.reg";
    m_env.set("ZEBDOC_REGISTRY", std::nullopt);
    m_env.set("XDG_CONFIG_HOME", m_dir.path() + "/xdg");
    m_env.set("ZEBDOC_SYSTEM_REGISTRY", systemFile);
    const std::string server = "CLSID\\{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}\\InprocServer32";

    ASSERT_TRUE(RegistryStore::setString(HKEY_CLASSES_ROOT, server, "", "/opt/zebdoc/lib/x.so",
                                         Scope::System));
    ASSERT_TRUE(set(kKey, "DSN", "mine"));
    ASSERT_TRUE(set(kKey, "PWD", "s3cret"));
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "DSN", "theirs", Scope::System));
    ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "DestinationPath", "/opt/zebdoc",
                                         Scope::System));

    const struct {
        HKEY root;
        std::string key;
        std::string name;
        std::string expected;
    } reads[] = {
        {HKEY_LOCAL_MACHINE, kKey, "DSN", "mine"},  // the user's hides the system's
        {HKEY_LOCAL_MACHINE, kKey, "dsn", "mine"},
        {HKEY_LOCAL_MACHINE, kKey, "PWD", "s3cret"},
        {HKEY_LOCAL_MACHINE, kKey, "DestinationPath", "/opt/zebdoc"},  // only the system has it
        {HKEY_CLASSES_ROOT, server, "", "/opt/zebdoc/lib/x.so"},
        {HKEY_LOCAL_MACHINE, kKey, "UID", "<none>"},
    };
    for (const auto& read : reads) {
        std::string out = "<none>";
        RegistryStore::getString(read.root, read.key, read.name, out);
        EXPECT_EQ(out, read.expected) << read.name;
    }
    EXPECT_EQ(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, kKey),
              (std::vector<std::string>{"DSN", "PWD", "DestinationPath"}));

    struct stat st {};
    ASSERT_EQ(stat(userFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    ASSERT_EQ(stat(systemFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u) << "every user reads the system's file";
    EXPECT_EQ(zebtest::readFile(systemFile).find("s3cret"), std::string::npos);

    // The system's file never becomes writable by others; a file its owner
    // made private stays private.
    for (const auto& [before, after] : {std::pair<unsigned, unsigned>{0666, 0644}, {0600, 0600}}) {
        chmod(systemFile.c_str(), before);
        ASSERT_TRUE(RegistryStore::setString(HKEY_LOCAL_MACHINE, kKey, "Mode",
                                             std::to_string(before), Scope::System));
        ASSERT_EQ(stat(systemFile.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, after) << std::oct << before;
    }

    // The user's key gone, the system's values show through.
    EXPECT_TRUE(RegistryStore::deleteKey(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_EQ(get(kKey, "DSN"), "theirs");
    EXPECT_EQ(get(kKey, "PWD"), "<none>");
    EXPECT_TRUE(RegistryStore::deleteValue(HKEY_LOCAL_MACHINE, kKey, "DSN", Scope::System));
    EXPECT_EQ(get(kKey, "DSN"), "<none>");
}

TEST_F(RegistryStoreTest, ConcurrentWritersInTwoProcessesLoseNothing) {
    constexpr int kPerWriter = 100;
    auto name = [](int writer, int i) {
        return "W" + std::to_string(writer) + "_" + std::to_string(i);
    };
    ASSERT_TRUE(set(kKey, "Start", "1"));
    pid_t children[2];
    for (int writer = 0; writer < 2; ++writer) {
        children[writer] = fork();
        ASSERT_GE(children[writer], 0);
        if (children[writer] == 0) {
            bool ok = true;
            for (int i = 0; i < kPerWriter; ++i) {
                ok = set(kKey, name(writer, i), name(writer, i) + "!") && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(RegistryStore::valueNames(HKEY_LOCAL_MACHINE, kKey).size(), 2u * kPerWriter + 1);
    for (int writer = 0; writer < 2; ++writer) {
        for (int i = 0; i < kPerWriter; ++i) {
            EXPECT_EQ(get(kKey, name(writer, i)), name(writer, i) + "!");
        }
    }
    expectNoLeftovers();
}

}  // namespace

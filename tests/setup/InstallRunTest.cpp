// The setup program itself, unattended, from a release folder: install for
// a user and for the system (below a prefix), check what is where, run the
// installed tools, uninstall, and check what went and what stayed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/Registry.h"
#include "platform/FileSystem.h"
#include "platform/RegistryStore.h"
#include "tests/setup/SetupTestSupport.h"
#include "tests/support/BackendTest.h"

namespace fs = zeb::platform;
namespace sfs = std::filesystem;
using zeb::platform::RegistryStore;

namespace {

const char* const kClass = "{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}";
const std::string kServerKey = std::string("CLSID\\") + kClass + "\\InprocServer32";
const char* const kHandlerKey = "*\\shellex\\ContextMenuHandlers\\ZEBDOC";

// Where the release keeps the help book: the destination has it there too.
std::string helpBook() {
    for (const char* place : {"share/zebdoc/zebdoc.htb", "bin/zebdoc.htb"}) {
        if (fs::isRegularFile(std::string(ZEBDOC_RELEASE_DIR) + "/" + place)) {
            return place;
        }
    }
    return "no help book in the release";
}

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

bool isLink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

using EnvChange = std::pair<std::string, std::optional<std::string>>;

// Runs `program` (found on PATH when it is a bare name) with `args` and the environment changed as
// given; its output goes to `log`. Returns the exit code, -1 when it did not exit.
int runProgram(const std::string& program, const std::vector<std::string>& args,
               const std::vector<EnvChange>& changes, const std::string& log) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : changes) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execvp(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Stand-ins for the file manager's menu, as zebdoc-filemanagers makes them.
void writeMenuFiles(const std::string& release) {
    auto put = [&](const std::string& path, const std::string& text, unsigned mode) {
        zebtest::writeFile(release + "/" + path, text);
        chmod((release + "/" + path).c_str(), mode);
    };
    put("bin/zebui-host", "#!/bin/sh\nexit 0\n", 0755);
    put("lib/libzebui.so", "not really a library", 0644);
    put("lib/libzebui-windows.so", "nor this", 0644);
    put("share/zebdoc/extensions/libnautilus-zebdoc.so", "Nautilus's", 0644);
    put("share/zebdoc/extensions/libcaja-zebdoc.so", "Caja's", 0644);
    const std::string glue = "share/zebdoc/glue/";
    put(glue + "nemo/zebdoc-add.nemo_action", "[Nemo Action]\nExec='zebui-host' add %F\n", 0644);
    put(glue + "nemo/zebdoc-get.nemo_action", "[Nemo Action]\nExec='zebui-host' get %F\n", 0644);
    put(glue + "dolphin/zebdoc.desktop", "[Desktop Entry]\nType=Service\n", 0755);
    for (const char* folder : {"nautilus-scripts/", "caja-scripts/"}) {
        put(glue + folder + "Add new version", "#!/bin/sh\nexec 'zebui-host' add \"$@\"\n", 0755);
        put(glue + folder + "Get from archived version",
            "#!/bin/sh\nexec 'zebui-host' get \"$@\"\n", 0755);
    }
    put(glue + "thunar/zebdoc-actions.xml",
        "<action>\n\t<unique-id>zebdoc-add</unique-id>\n\t<command>'zebui-host' add "
        "%F</command>\n</action>\n<action>\n\t<unique-id>zebdoc-get</unique-id>\n"
        "\t<command>'zebui-host' get %F</command>\n</action>\n",
        0644);
}

const char* const kTheirAction =
    "<action>\n\t<name>Open Terminal Here</name>\n\t<unique-id>1234-1</unique-id>\n</action>\n";

class InstallRunTest : public zebtest::BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        m_user = value(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "UID");
        m_password = value(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "PWD");
        m_source = zebtest::readIni(workDir() + "/odbc.ini")[dataSourceName()];
        // The user's folders of this test alone.
        m_env.set("HOME", workDir() + "/home");
        m_env.set("XDG_DATA_HOME", workDir() + "/data");
        m_env.set("XDG_CONFIG_HOME", workDir() + "/config");
        m_env.set("XDG_CONFIG_DIRS", workDir() + "/xdg");
        m_env.set("ZEBDOC_TRACE", workDir() + "/trace");
    }

    static std::string value(HKEY root, const std::string& key, const std::string& name) {
        std::string out = "<none>";
        RegistryStore::getString(root, key, name, out);
        return out;
    }

    // A release folder of this test: setup itself copied (it finds the
    // script beside itself), every other file a link into the build's, and
    // the script with or without the file manager's menu.
    std::string makeRelease(bool withMenu) {
        const std::string built = ZEBDOC_RELEASE_DIR;
        const std::string release = workDir() + "/release";
        for (const auto& entry : sfs::recursive_directory_iterator(built)) {
            const std::string relative = entry.path().string().substr(built.size());
            if (entry.is_directory()) {
                sfs::create_directories(release + relative);
            } else if (relative != "/install" && relative != "/zebdoc.inf") {
                sfs::create_symlink(entry.path(), release + relative);
            }
        }
        EXPECT_TRUE(fs::copyFile(built + "/install", release + "/install", fs::CopyOptions()));
        const std::string script =
            std::string(ZEBDOC_BINARY_DIR) +
            (withMenu ? "/setup/zebdoc-with-menu.inf" : "/setup/zebdoc-without-menu.inf");
        EXPECT_TRUE(fs::copyFile(script, release + "/zebdoc.inf", fs::CopyOptions()));
        if (withMenu) {
            writeMenuFiles(release);
        }
        return release;
    }

    std::string answers() {
        std::string text =
            "[Welcome]\nButton=Next\n"
            "[UserInformation]\nName=Jo Bloggs\nEmail=jo@example.org\nButton=Next\n"
            "[DataSource]\n";
        m_dsn = dataSourceName() + "_setup";
        if (backend() == zebtest::Backend::SQLite) {
            text += "Driver=SQLite3\nDatabaseFile=" + m_source["Database"] + "\n";
        } else {
            text += "Driver=PostgreSQL ANSI\nServer=" + m_source["Servername"] +
                    "\nPort=" + m_source["Port"] + "\nDatabase=" + m_source["Database"] + "\n";
        }
        return text + "DSN=" + m_dsn + "\nUID=" + m_user + "\nPWD=" + m_password +
               "\nButton=Next\n[Destination]\nButton=Finish\n";
    }

    int runSetup(const std::string& program, const std::vector<std::string>& args,
                 const std::string& answersText, std::vector<EnvChange> changes) {
        const std::string file = workDir() + "/answers" + std::to_string(++m_runs);
        zebtest::writeFile(file, answersText);
        changes.emplace_back("ZEBDOC_SETUP_ANSWERS", file);
        const int code = runProgram(program, args, changes, workDir() + "/setup.log");
        if (code != 0) {
            ADD_FAILURE() << program << " exited with " << code << ":\n"
                          << zebtest::readFile(workDir() + "/setup.log") << "\ntrace:\n"
                          << zebtest::readFile(workDir() + "/trace");
        }
        return code;
    }

    bool tableExists(const char* table) {
        return rawExec(std::string("SELECT * FROM ") + table + " WHERE 1 = 0");
    }

    zebtest::EnvGuard m_env;
    std::string m_user;
    std::string m_password;
    std::string m_dsn;
    zebtest::IniSection m_source;
    int m_runs = 0;
};

struct Places {
    std::string destination, links, applications, icons, nemo, dolphin, nautilus, caja, thunar;
};

// For the person who runs it: the program in ~/.local/share/zebdoc, links
// in ~/.local/bin, the menus' glue in the user's folders, everything in the
// user's registry file, the data source in the user's odbc.ini.
TEST_P(InstallRunTest, ForTheUserAndBack) {
    for (bool withMenu : {true, false}) {
        SCOPED_TRACE(withMenu ? "with the file manager's menu" : "without it");
        std::error_code ec;
        sfs::remove_all(workDir() + "/release", ec);
        const std::string release = makeRelease(withMenu);
        const std::string data = env("XDG_DATA_HOME");
        const std::string config = env("XDG_CONFIG_HOME");
        const Places p{
            data + "/zebdoc",           env("HOME") + "/.local/bin", data + "/applications",
            data + "/icons/hicolor",    data + "/nemo/actions",      data + "/kio/servicemenus",
            data + "/nautilus/scripts", config + "/caja/scripts",    config + "/Thunar/uca.xml"};
        zebtest::writeFile(p.thunar, std::string("<?xml version=\"1.0\"?>\n<actions>\n") +
                                         kTheirAction + "</actions>\n");

        ASSERT_EQ(runSetup(release + "/install", {}, answers(), {{"ZEBDOC_SETUP_SCOPE", "user"}}),
                  0);

        // Files, with their modes; the destination private.
        EXPECT_EQ(modeOf(p.destination), 0700u);
        const struct {
            std::string path;
            unsigned mode;
        } files[] = {
            {p.destination + "/install", 0755},
            {p.destination + "/zebdoc.inf", 0644},
            {p.destination + "/bin/zebdoc", 0755},
            {p.destination + "/bin/zebcheck", 0755},
            {p.destination + "/" + helpBook(), 0644},
            {p.destination + "/lib/libzebcore.so", 0644},
            {p.destination + "/lib/libzebplatform.so", 0644},
            {p.applications + "/zebdoc.desktop", 0644},
            {p.applications + "/zebdoc-setup.desktop", 0644},
            {p.icons + "/scalable/apps/zebdoc.svg", 0644},
        };
        for (const auto& f : files) {
            EXPECT_TRUE(fs::isRegularFile(f.path)) << f.path;
            EXPECT_EQ(modeOf(f.path), f.mode) << f.path;
        }
        EXPECT_TRUE(fs::isRegularFile(p.applications + "/mimeinfo.cache"));
        EXPECT_TRUE(fs::isRegularFile(p.icons + "/icon-theme.cache"));
        // Links on PATH, never one named "install".
        EXPECT_EQ(fs::followLinks(p.links + "/zebdoc"), p.destination + "/bin/zebdoc");
        EXPECT_EQ(fs::followLinks(p.links + "/zebdoc-setup"), p.destination + "/install");
        EXPECT_FALSE(fs::exists(p.links + "/install"));

        // The menu's glue where each file manager looks, runnable where it
        // must be; Thunar's actions beside the user's own.
        const struct {
            std::string path;
            unsigned mode;
        } glue[] = {
            {p.destination + "/bin/zebui-host", 0755},
            {p.destination + "/lib/libzebui.so", 0644},
            {p.destination + "/lib/libzebui-windows.so", 0644},
            {p.nemo + "/zebdoc-add.nemo_action", 0644},
            {p.nemo + "/zebdoc-get.nemo_action", 0644},
            {p.dolphin + "/zebdoc.desktop", 0755},
            {p.nautilus + "/Add new version", 0755},
            {p.nautilus + "/Get from archived version", 0755},
            {p.caja + "/Add new version", 0755},
            {p.caja + "/Get from archived version", 0755},
        };
        for (const auto& g : glue) {
            EXPECT_EQ(fs::isRegularFile(g.path), withMenu) << g.path;
            EXPECT_EQ(modeOf(g.path), withMenu ? g.mode : 0u) << g.path;
        }
        EXPECT_EQ(isLink(p.links + "/zebui-host"), withMenu);
        // A user's file managers load no compiled extension of theirs.
        EXPECT_FALSE(fs::exists(workDir() + "/root"));
        const std::string uca = zebtest::readFile(p.thunar);
        EXPECT_NE(uca.find("1234-1"), std::string::npos);
        EXPECT_EQ(uca.find("zebdoc-add") != std::string::npos, withMenu);

        // The registry: the user information, the data source's values and
        // the extension's class.
        const struct {
            HKEY root;
            std::string key;
            std::string name;
            std::string expected;
        } values[] = {
            {HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN", m_dsn},
            {HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "UID", m_user},
            {HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "PWD", m_password},
            {HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "UserName", "Jo Bloggs"},
            {HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "EmailAddress", "jo@example.org"},
            {HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DestinationPath", p.destination},
            {HKEY_CLASSES_ROOT, kServerKey, "",
             withMenu ? p.destination + "/lib/libzebui.so" : "<none>"},
            {HKEY_CLASSES_ROOT, kHandlerKey, "", withMenu ? kClass : "<none>"},
        };
        for (const auto& v : values) {
            EXPECT_EQ(value(v.root, v.key, v.name), v.expected) << v.key << " " << v.name;
        }
        EXPECT_EQ(zebtest::readIni(workDir() + "/odbc.ini")[m_dsn]["Driver"],
                  backend() == zebtest::Backend::SQLite ? "SQLite3" : "PostgreSQL ANSI");
        for (const char* table : {"MASTERZEB", "REVTABLE", "FILETABLE"}) {
            EXPECT_TRUE(tableExists(table)) << table;
        }
        // The installed check tool finds its libraries, the registry, the
        // data source and the tables.
        EXPECT_EQ(runProgram(p.links + "/zebcheck", {}, {}, workDir() + "/zebcheck.log"), 0)
            << zebtest::readFile(workDir() + "/zebcheck.log");

        // The user's documents, which uninstall must leave alone.
        zebtest::writeFile(p.destination + "/VFS/home/jo/report.odt/1", "archived");
        ASSERT_TRUE(rawExec("INSERT INTO FILETABLE VALUES('f1', '/home/jo/report.odt')"));

        ASSERT_EQ(runSetup(p.links + "/zebdoc-setup", {"uninstall"},
                           "[Uninstall]\nButton=Continue\n", {{"ZEBDOC_SETUP_SCOPE", "user"}}),
                  0);
        for (const auto& f : files) {
            EXPECT_FALSE(fs::exists(f.path)) << f.path;
        }
        for (const auto& g : glue) {
            EXPECT_FALSE(fs::exists(g.path)) << g.path;
        }
        for (const char* link : {"/zebdoc", "/zebcheck", "/zebdoc-setup", "/zebui-host"}) {
            EXPECT_FALSE(isLink(p.links + link)) << link;
        }
        EXPECT_FALSE(fs::exists(p.destination + "/bin"));
        EXPECT_EQ(zebtest::readFile(p.thunar).find("zebdoc-"), std::string::npos);
        EXPECT_NE(zebtest::readFile(p.thunar).find("1234-1"), std::string::npos);
        for (const auto& v : values) {
            EXPECT_EQ(value(v.root, v.key, v.name), "<none>") << v.key << " " << v.name;
        }
        // What holds the user's documents stays.
        EXPECT_EQ(zebtest::readFile(p.destination + "/VFS/home/jo/report.odt/1"), "archived");
        EXPECT_EQ(rawCount("SELECT * FROM FILETABLE"), 1u);
        EXPECT_EQ(zebtest::readIni(workDir() + "/odbc.ini").count(m_dsn), 1u);
        if (backend() == zebtest::Backend::SQLite) {
            EXPECT_TRUE(fs::isRegularFile(m_source["Database"]));
        }
        // The next round starts afresh.
        ASSERT_TRUE(rawExec("DROP TABLE MASTERZEB") && rawExec("DROP TABLE REVTABLE") &&
                    rawExec("DROP TABLE FILETABLE"));
        resetInstance();
        sfs::remove_all(p.destination, ec);
    }
}

// For every user, below a prefix: the program in /opt/zebdoc, links in
// /usr/local/bin, the desktop's and the menus' system places, a system data
// source; the class registration in the system's registry file, which every
// user reads and which holds no password; the user information in root's
// own file.
TEST_P(InstallRunTest, ForEveryUserBelowAPrefixAndBack) {
    const std::string release = makeRelease(true);
    const std::string prefix = workDir() + "/root";
    const std::string systemRegistry = prefix + "/etc/zebdoc/registry.reg";
    const std::string userRegistry = env("XDG_CONFIG_HOME") + "/zebdoc/registry.reg";
    // Two files from here on: the user's and the system's.
    m_env.set("ZEBDOC_REGISTRY", std::nullopt);
    m_env.set("ZEBDOC_SYSTEM_REGISTRY", systemRegistry);
    const std::string share = prefix + "/usr/local/share";
    const Places p{prefix + "/opt/zebdoc",
                   prefix + "/usr/local/bin",
                   share + "/applications",
                   share + "/icons/hicolor",
                   share + "/nemo/actions",
                   share + "/kio/servicemenus",
                   "",
                   "",
                   prefix + "/etc/xdg/Thunar/uca.xml"};
    const std::vector<EnvChange> scope = {{"ZEBDOC_SETUP_SCOPE", "system"},
                                          {"ZEBDOC_SETUP_PREFIX", prefix},
                                          {"ZEBDOC_SYSTEM_REGISTRY", std::nullopt}};
    ASSERT_EQ(runSetup(release + "/install", {}, answers(), scope), 0);

    EXPECT_EQ(modeOf(p.destination), 0755u);
    for (const std::string& file :
         {p.destination + "/install", p.destination + "/bin/zebdoc",
          p.destination + "/bin/zebui-host", p.applications + "/zebdoc-setup.desktop",
          p.icons + "/64x64/apps/zebdoc.png", p.nemo + "/zebdoc-get.nemo_action",
          p.dolphin + "/zebdoc.desktop"}) {
        EXPECT_TRUE(fs::isRegularFile(file)) << file;
    }
    EXPECT_EQ(modeOf(p.dolphin + "/zebdoc.desktop"), 0755u);
    const std::string libraries = prefix + "/usr/lib/" ZEBDOC_TEST_ARCH;
    const std::string extensions[] = {libraries + "/nautilus/extensions-4/libnautilus-zebdoc.so",
                                      libraries + "/caja/extensions-2.0/libcaja-zebdoc.so"};
    for (const std::string& extension : extensions) {
        EXPECT_TRUE(fs::isRegularFile(extension)) << extension;
    }
    EXPECT_EQ(fs::followLinks(p.links + "/zebdoc-setup"), p.destination + "/install");
    EXPECT_EQ(fs::followLinks(p.links + "/zebui-host"), p.destination + "/bin/zebui-host");
    EXPECT_NE(zebtest::readFile(p.thunar).find("zebdoc-get"), std::string::npos);
    // Scripts are a user's own; nothing went to the user's folders.
    EXPECT_FALSE(fs::exists(env("XDG_DATA_HOME") + "/nautilus"));
    EXPECT_FALSE(fs::exists(env("XDG_DATA_HOME") + "/zebdoc"));
    EXPECT_FALSE(fs::exists(env("HOME") + "/.local/bin"));

    EXPECT_EQ(modeOf(systemRegistry), 0644u);
    EXPECT_EQ(modeOf(userRegistry), 0600u);
    const std::string systemText = zebtest::readFile(systemRegistry);
    EXPECT_NE(systemText.find(p.destination + "/lib/libzebui.so"), std::string::npos);
    EXPECT_EQ(systemText.find("UserInfo"), std::string::npos) << systemText;
    EXPECT_EQ(value(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "PWD"), m_password);
    EXPECT_EQ(value(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DestinationPath"), p.destination);
    EXPECT_EQ(zebtest::readIni(env("ODBCSYSINI") + "/odbc.ini")[m_dsn].count("Driver"), 1u);
    EXPECT_EQ(zebtest::readIni(workDir() + "/odbc.ini").count(m_dsn), 0u);
    EXPECT_TRUE(tableExists("MASTERZEB"));

    // Another user's view: their own file has nothing yet, the class
    // registration comes from the system's.
    {
        zebtest::EnvGuard other;
        other.set("XDG_CONFIG_HOME", workDir() + "/other-user");
        EXPECT_EQ(value(HKEY_CLASSES_ROOT, kServerKey, ""), p.destination + "/lib/libzebui.so");
        EXPECT_EQ(value(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "PWD"), "<none>");
    }

    ASSERT_EQ(
        runSetup(p.links + "/zebdoc-setup", {"uninstall"}, "[Uninstall]\nButton=Continue\n", scope),
        0);
    for (const std::string& gone :
         {p.destination + "/install", p.destination + "/bin", p.links + "/zebdoc",
          p.applications + "/zebdoc.desktop", p.nemo + "/zebdoc-get.nemo_action",
          p.dolphin + "/zebdoc.desktop"}) {
        EXPECT_FALSE(fs::exists(gone)) << gone;
    }
    for (const std::string& extension : extensions) {
        EXPECT_FALSE(fs::exists(extension)) << extension;
    }
    EXPECT_EQ(zebtest::readFile(p.thunar).find("zebdoc-"), std::string::npos);
    EXPECT_EQ(value(HKEY_CLASSES_ROOT, kServerKey, ""), "<none>");
    EXPECT_EQ(value(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN"), "<none>");
    EXPECT_EQ(zebtest::readIni(env("ODBCSYSINI") + "/odbc.ini").count(m_dsn), 1u);
    EXPECT_TRUE(tableExists("MASTERZEB"));
}

ZEB_INSTANTIATE_BACKENDS(InstallRunTest);

// cpack -G TGZ packs the release folder; unpacked anywhere, its install
// installs from it and takes it off again.
class ReleaseArchiveTest : public InstallRunTest {};

TEST_P(ReleaseArchiveTest, UnpackedAnywhereItInstallsAndUninstalls) {
    const std::string packages = workDir() + "/packages";
    ASSERT_EQ(runProgram("cpack",
                         {"-G", "TGZ", "--config",
                          std::string(ZEBDOC_BINARY_DIR) + "/CPackConfig.cmake", "-B", packages},
                         {}, workDir() + "/cpack.log"),
              0)
        << zebtest::readFile(workDir() + "/cpack.log");
    const std::string unpacked = workDir() + "/somewhere";
    sfs::create_directories(unpacked);
    ASSERT_EQ(runProgram("tar", {"-xzf", packages + "/zebdoc-1.0-Linux.tar.gz", "-C", unpacked}, {},
                         workDir() + "/tar.log"),
              0)
        << zebtest::readFile(workDir() + "/tar.log");
    const std::string release = unpacked + "/zebdoc-1.0-Linux";
    for (const char* file : {"/install", "/zebdoc.inf", "/bin/zebdoc", "/lib/libzebcore.so",
                             "/share/applications/zebdoc-setup.desktop"}) {
        EXPECT_TRUE(fs::isRegularFile(release + file)) << file;
    }
    EXPECT_TRUE(fs::isRegularFile(release + "/" + helpBook()));
    EXPECT_EQ(modeOf(release + "/install"), 0755u);

    const std::vector<EnvChange> user = {{"ZEBDOC_SETUP_SCOPE", "user"}};
    ASSERT_EQ(runSetup(release + "/install", {}, answers(), user), 0);
    const std::string destination = env("XDG_DATA_HOME") + "/zebdoc";
    EXPECT_TRUE(fs::isRegularFile(destination + "/bin/zebdoc"));
    EXPECT_EQ(value(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DestinationPath"), destination);
    ASSERT_EQ(runSetup(release + "/install", {"uninstall"}, "[Uninstall]\nButton=Continue\n", user),
              0);
    EXPECT_FALSE(fs::exists(destination + "/bin"));
    EXPECT_TRUE(tableExists("MASTERZEB"));
}

INSTANTIATE_TEST_SUITE_P(SQLite, ReleaseArchiveTest, ::testing::Values(zebtest::Backend::SQLite),
                         [](const auto&) { return std::string("SQLite"); });

// An answers file that means nothing stops setup before anything happens;
// answers that run out cancel it. Both say so in their exit code.
TEST(InstallProgram, BadOrExhaustedAnswersChangeNothing) {
    zebtest::TempDir dir;
    const std::string program = std::string(ZEBDOC_RELEASE_DIR) + "/install";
    const struct {
        std::string answers;
        int code;
        const char* said;
    } cases[] = {
        {"[Welcome]\nButton=Next\n[Nonsense]\n", 1, "line 3: unknown section [Nonsense]"},
        {"[Welcome]\nButton=Next\n", 2, "setup was cancelled"},
    };
    for (const auto& c : cases) {
        zebtest::writeFile(dir.path() + "/answers", c.answers);
        const std::string log = dir.path() + "/log";
        fs::removeFile(log);
        EXPECT_EQ(runProgram(program, {},
                             {{"ZEBDOC_SETUP_ANSWERS", dir.path() + "/answers"},
                              {"ZEBDOC_SETUP_SCOPE", "user"},
                              {"ODBCSYSINI", dir.path()},
                              {"ODBCINI", dir.path() + "/odbc.ini"}},
                             log),
                  c.code);
        EXPECT_NE(zebtest::readFile(log).find(c.said), std::string::npos) << zebtest::readFile(log);
        EXPECT_FALSE(fs::exists(env("XDG_DATA_HOME") + "/zebdoc"));
        EXPECT_FALSE(fs::exists(env("ZEBDOC_REGISTRY")));
    }
    EXPECT_EQ(runProgram(program, {},
                         {{"ZEBDOC_SETUP_SCOPE", "nobody"},
                          {"ZEBDOC_SETUP_ANSWERS", dir.path() + "/answers"}},
                         dir.path() + "/log"),
              1);
}

}  // namespace

// The interpreter of the installation script on small scripts: each
// directive, the copy style, the places of each scope, the registry, Thunar's
// actions, and the lines it refuses.

#include "setup/script/ScriptInstaller.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/RegistryFile.h"
#include "setup/script/ThunarActions.h"
#include "tests/setup/SetupTestSupport.h"
#include "tests/support/BackendTest.h"

using namespace setup;
namespace fs = zeb::platform;

namespace {

const std::string kVersion = "[Version]\nSignature=\"$Chicago$\"\n";

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

std::string linkOf(const std::string& path) {
    char buffer[PATH_MAX] = {};
    const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

class RecordingCallback : public QueueCallback {
public:
    Answer deleteFailed(const std::string& path, int error) override {
        deleteErrors.emplace_back(path, error);
        return onDelete;
    }
    Answer copyFailed(const std::string& path, int error) override {
        copyErrors.emplace_back(path, error);
        return Answer::Abort;
    }
    void progress(size_t done, size_t total, const std::string&) override {
        lastProgress = {done, total};
    }
    Answer onDelete = Answer::Skip;
    std::vector<std::pair<std::string, int>> deleteErrors;
    std::vector<std::pair<std::string, int>> copyErrors;
    std::pair<size_t, size_t> lastProgress;
};

class ScriptInstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_env.set("ZEBDOC_REGISTRY", std::nullopt);
        m_env.set("XDG_CONFIG_HOME", root() + "/config");
        m_env.set("ZEBDOC_SYSTEM_REGISTRY", root() + "/prefix/etc/zebdoc/registry.reg");
        m_env.set("XDG_CONFIG_DIRS", root() + "/xdg");
        usePlaces(Places::Scope::User);
    }

    const std::string& root() const { return m_dir.path(); }
    std::string source(const std::string& relative) const { return root() + "/src/" + relative; }
    std::string dest(const std::string& relative = "") const {
        return root() + "/dest" + (relative.empty() ? "" : "/" + relative);
    }
    void usePlaces(Places::Scope scope) {
        m_places = Places::make(scope, root() + "/home", root() + "/data", root() + "/config",
                                root() + "/prefix");
    }
    void addSource(const std::string& relative, const std::string& text, unsigned mode = 0644) {
        zebtest::writeFile(source(relative), text);
        chmod(source(relative).c_str(), mode);
    }

    // Parses the script (after its [Version]); the installer works on it.
    ScriptInstaller& load(const std::string& text) {
        ScriptError error;
        m_script = InfScript();
        EXPECT_TRUE(InfScript::parse(kVersion + text, "test.inf", m_script, error)) << error.text();
        m_installer = std::make_unique<ScriptInstaller>(m_script, root() + "/src", m_places);
        EXPECT_TRUE(m_installer->setDestination(dest()));
        return *m_installer;
    }

    bool installFiles(const std::string& text, const std::string& section = "Install") {
        ScriptInstaller& installer = load(text);
        return installer.checkFiles(section) && installer.queueFiles(section) &&
               installer.commitQueue(m_callback);
    }

    std::string registryText(bool system) {
        return zebtest::readFile(system ? root() + "/prefix/etc/zebdoc/registry.reg"
                                        : root() + "/config/zebdoc/registry.reg");
    }

    zebtest::TempDir m_dir;
    zebtest::EnvGuard m_env;
    Places m_places;
    InfScript m_script;
    std::unique_ptr<ScriptInstaller> m_installer;
    RecordingCallback m_callback;
};

const char* const kCopyScript =
    "[DestinationDirs]\n"
    "DefaultDestDir=65600\n"
    "Prog=65600,bin\n"
    "Menu=65605\n"
    "Scripts=65606\n"
    "[Install]\n"
    "CopyFiles=Prog,Top\n"
    "CopyFiles=Menu,Scripts\n"
    "[Prog]\n"
    "tool,bin/tool\n"
    "notes.txt,bin/notes.txt\n"
    "[Top]\n"
    "install\n"
    "[Menu]\n"
    "zebdoc.desktop,glue/dolphin.desktop\n"
    "[Scripts]\n"
    "\"Add new version\",\"glue/Add new version\"\n";

// Copies go where [DestinationDirs] says, keep the mode bits of their
// source, and make the destination private for a user; a place a scope does
// not have is passed over.
TEST_F(ScriptInstallerTest, CopiesKeepTheirModeAndGoToTheirPlaces) {
    addSource("bin/tool", "#!/bin/sh\n", 0755);
    addSource("bin/notes.txt", "notes", 0640);
    addSource("install", "setup", 0700);
    addSource("glue/dolphin.desktop", "[Desktop Entry]\n", 0755);
    addSource("glue/Add new version", "#!/bin/sh\nexec zebui-host add \"$@\"\n", 0755);
    for (Places::Scope scope : {Places::Scope::User, Places::Scope::System}) {
        const bool system = scope == Places::Scope::System;
        SCOPED_TRACE(system ? "system" : "user");
        std::error_code ec;
        std::filesystem::remove_all(dest(), ec);
        std::filesystem::remove_all(root() + "/data", ec);
        usePlaces(scope);
        ASSERT_TRUE(installFiles(kCopyScript)) << m_installer->error().text();
        const std::string menus = system ? root() + "/prefix/usr/local/share/kio/servicemenus"
                                         : root() + "/data/kio/servicemenus";
        const struct {
            std::string path;
            unsigned mode;
            std::string text;
        } files[] = {
            {dest("bin/tool"), 0755, "#!/bin/sh\n"},
            {dest("bin/notes.txt"), 0640, "notes"},
            {dest("install"), 0700, "setup"},
            {menus + "/zebdoc.desktop", 0755, "[Desktop Entry]\n"},
        };
        for (const auto& f : files) {
            EXPECT_EQ(zebtest::readFile(f.path), f.text) << f.path;
            EXPECT_EQ(modeOf(f.path), f.mode) << f.path;
        }
        EXPECT_EQ(modeOf(dest()), system ? 0755u : 0700u);
        // Scripts are a user's own: a system install has no place for them.
        EXPECT_EQ(fs::exists(root() + "/data/nautilus/scripts/Add new version"), !system);
        EXPECT_EQ(m_callback.lastProgress, (std::pair<size_t, size_t>{5 - system, 5 - system}));
    }
}

// Copy style "only when newer": a file that is there is replaced only by a
// newer one.
TEST_F(ScriptInstallerTest, OnlyANewerFileReplacesTheOneThere) {
    const std::string script =
        "[DestinationDirs]\nDefaultDestDir=65600\n[Install]\nCopyFiles=Files\n[Files]\nf\n";
    const struct {
        const char* what;
        bool targetThere;
        int64_t targetSeconds;  // against the source's 1,000,000
        std::string after;
    } cases[] = {
        {"missing", false, 0, "new"},
        {"older", true, 999999, "new"},
        {"same time", true, 1000000, "old"},
        {"newer", true, 1000001, "old"},
    };
    for (const auto& c : cases) {
        addSource("f", "new");
        ASSERT_TRUE(fs::setModifiedTime(source("f"), fs::FileTime{1000000, 0}));
        std::error_code ec;
        std::filesystem::remove_all(dest(), ec);
        if (c.targetThere) {
            zebtest::writeFile(dest("f"), "old");
            ASSERT_TRUE(fs::setModifiedTime(dest("f"), fs::FileTime{c.targetSeconds, 0}));
        }
        ASSERT_TRUE(installFiles(script)) << c.what;
        EXPECT_EQ(zebtest::readFile(dest("f")), c.after) << c.what;
    }
    // The source itself as the target (setup run again from its
    // destination) is left alone.
    ScriptInstaller installer(m_script, root() + "/src", m_places);
    ASSERT_TRUE(installer.setDestination(root() + "/src"));
    ASSERT_TRUE(installer.queueFiles("Install"));
    ASSERT_TRUE(installer.commitQueue(m_callback));
    EXPECT_EQ(zebtest::readFile(source("f")), "new");
}

// Deletes: a missing file is nothing, a file that cannot be deleted is the
// callback's to skip; folders below the destination that are left empty go,
// the others (the archive among them) stay.
TEST_F(ScriptInstallerTest, DeletesSkipWhatCannotBeDeletedAndTakeEmptiedFolders) {
    const std::string script =
        "[DestinationDirs]\nBin=65600,bin\nLib=65600,lib\nShare=65600,share/deep\n"
        "[Uninstall]\nDelFiles=Bin,Lib,Share\n"
        "[Bin]\ntool\nblocked\nnever-there\n[Lib]\nlibx.so,lib/libx.so\n[Share]\nthing\n";
    for (auto answer : {QueueCallback::Answer::Skip, QueueCallback::Answer::Abort}) {
        std::error_code ec;
        std::filesystem::remove_all(dest(), ec);
        zebtest::writeFile(dest("bin/tool"), "t");
        std::filesystem::create_directories(dest("bin/blocked/inside"));  // not deletable
        zebtest::writeFile(dest("lib/libx.so"), "l");
        zebtest::writeFile(dest("share/deep/thing"), "s");
        zebtest::writeFile(dest("VFS/home/doc.txt/rev1"), "my document");
        zebtest::writeFile(dest("zebdoc.db"), "rows");
        m_callback = RecordingCallback();
        m_callback.onDelete = answer;
        const bool skip = answer == QueueCallback::Answer::Skip;
        EXPECT_EQ(installFiles(script, "Uninstall"), skip);
        ASSERT_EQ(m_callback.deleteErrors.size(), 1u);
        EXPECT_EQ(m_callback.deleteErrors[0].first, dest("bin/blocked"));
        EXPECT_FALSE(fs::exists(dest("bin/tool")));
        EXPECT_TRUE(fs::isDirectory(dest("bin/blocked/inside")));
        EXPECT_EQ(fs::exists(dest("lib")), !skip) << "a stopped commit deletes no more";
        EXPECT_EQ(fs::exists(dest("share")), !skip);
        EXPECT_EQ(zebtest::readFile(dest("VFS/home/doc.txt/rev1")), "my document");
        EXPECT_EQ(zebtest::readFile(dest("zebdoc.db")), "rows");
    }
}

// Links to the destination's programs; an existing link is replaced, a file
// that is no link is left alone and fails the commit. Removing takes only
// links that lead where ours do.
TEST_F(ScriptInstallerTest, LinksAreMadeReplacedAndRemovedOnlyWhenOurs) {
    const std::string script =
        "[DestinationDirs]\nLinks=65601\n"
        "[Install]\nSymLinks=Links\n[Uninstall]\nDelSymLinks=Links\n"
        "[Links]\nzebdoc,%65600%/bin/zebdoc\nzebdoc-setup,\"%65600%/install\"\n"
        "pct,%65600%/100%%\n";
    const std::string bin = root() + "/home/.local/bin";
    std::filesystem::create_directories(bin);
    ASSERT_EQ(symlink("/elsewhere/zebdoc", (bin + "/zebdoc").c_str()), 0);
    ASSERT_TRUE(installFiles(script)) << m_installer->error().text();
    EXPECT_EQ(linkOf(bin + "/zebdoc"), dest("bin/zebdoc"));
    EXPECT_EQ(linkOf(bin + "/zebdoc-setup"), dest("install"));
    EXPECT_EQ(linkOf(bin + "/pct"), dest("100%"));

    // Somebody's own program of that name stays.
    ASSERT_EQ(unlink((bin + "/zebdoc-setup").c_str()), 0);
    zebtest::writeFile(bin + "/zebdoc-setup", "mine");
    EXPECT_FALSE(installFiles(script));
    EXPECT_EQ(zebtest::readFile(bin + "/zebdoc-setup"), "mine");
    EXPECT_NE(m_installer->error().text().find(bin + "/zebdoc-setup"), std::string::npos);
    EXPECT_EQ(m_installer->error().line, 11);

    ASSERT_EQ(unlink((bin + "/pct").c_str()), 0);
    ASSERT_EQ(symlink("/elsewhere/pct", (bin + "/pct").c_str()), 0);
    ASSERT_TRUE(installFiles(script, "Uninstall")) << m_installer->error().text();
    EXPECT_FALSE(fs::exists(bin + "/zebdoc") || linkOf(bin + "/zebdoc") != "");
    EXPECT_EQ(zebtest::readFile(bin + "/zebdoc-setup"), "mine");
    EXPECT_EQ(linkOf(bin + "/pct"), "/elsewhere/pct");
}

// AddReg and DelReg: string values with directory ids in them; HKCR and
// HKLM go to the system's file in a system install, HKCU always to the
// user's.
TEST_F(ScriptInstallerTest, RegistryEntriesGoToTheFileOfTheirScope) {
    const std::string script =
        "[Install]\nAddReg=Reg\n[Uninstall]\nDelReg=Del\n"
        "[Reg]\n"
        "HKCR,\"CLSID\\{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}\\InprocServer32\",,,"
        "\"%65600%/lib/libzebui.so\"\n"
        "HKCR,\"CLSID\\{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}\\InprocServer32\",ThreadingModel,,"
        "Apartment\n"
        "HKLM,Software\\Quorvane\\ZEBDOC\\Setup,Kept,0x2,new\n"
        "HKEY_CURRENT_USER,Software\\Quorvane\\ZEBDOC\\Mine,Name,0,\"a, b\"\n"
        "[Del]\n"
        "HKCR,\"CLSID\\{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}\"\n"
        "HKLM,Software\\Quorvane\\ZEBDOC\\Setup,Kept\n"
        "HKCU,Software\\Quorvane\\ZEBDOC\\Nothing\n";
    using zeb::platform::RegistryStore;
    const std::string server = "CLSID\\{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}\\InprocServer32";
    for (Places::Scope scope : {Places::Scope::User, Places::Scope::System}) {
        const bool system = scope == Places::Scope::System;
        SCOPED_TRACE(system ? "system" : "user");
        usePlaces(scope);
        std::error_code ec;
        std::filesystem::remove_all(root() + "/config/zebdoc", ec);
        std::filesystem::remove_all(root() + "/prefix/etc", ec);
        ASSERT_TRUE(RegistryStore::setString(
            HKEY_LOCAL_MACHINE, "Software\\Quorvane\\ZEBDOC\\Setup", "Kept", "old",
            system ? RegistryStore::Scope::System : RegistryStore::Scope::User));
        ScriptInstaller& installer = load(script);
        ASSERT_TRUE(installer.checkRegistry("Install"));
        ASSERT_TRUE(installer.installRegistry("Install")) << installer.error().text();
        std::string value;
        ASSERT_TRUE(RegistryStore::getString(HKEY_CLASSES_ROOT, server, "", value));
        EXPECT_EQ(value, dest("lib/libzebui.so"));
        ASSERT_TRUE(RegistryStore::getString(HKEY_CLASSES_ROOT, server, "ThreadingModel", value));
        EXPECT_EQ(value, "Apartment");
        ASSERT_TRUE(RegistryStore::getString(HKEY_LOCAL_MACHINE,
                                             "Software\\Quorvane\\ZEBDOC\\Setup", "Kept", value));
        EXPECT_EQ(value, "old") << "0x2 keeps a value that is there";
        ASSERT_TRUE(RegistryStore::getString(HKEY_CURRENT_USER, "Software\\Quorvane\\ZEBDOC\\Mine",
                                             "Name", value));
        EXPECT_EQ(value, "a, b");
        EXPECT_EQ(registryText(system).find("libzebui.so") != std::string::npos, true);
        EXPECT_EQ(registryText(!system).find("libzebui.so"), std::string::npos);
        EXPECT_NE(registryText(false).find("\"Name\"=\"a, b\""), std::string::npos);

        ASSERT_TRUE(installer.installRegistry("Uninstall")) << installer.error().text();
        EXPECT_FALSE(RegistryStore::getString(HKEY_CLASSES_ROOT, server, "", value));
        EXPECT_FALSE(RegistryStore::getString(HKEY_LOCAL_MACHINE,
                                              "Software\\Quorvane\\ZEBDOC\\Setup", "Kept", value));
        EXPECT_TRUE(RegistryStore::getString(HKEY_CURRENT_USER, "Software\\Quorvane\\ZEBDOC\\Mine",
                                             "Name", value));
    }
}

// Every line the interpreter does not understand is refused, naming the
// line, before anything is done.
TEST_F(ScriptInstallerTest, BadLinesAreErrorsWithTheirLineNumbers) {
    addSource("f", "x");
    const std::string dirs = "[DestinationDirs]\nDefaultDestDir=65600\n";  // lines 3-4
    const struct {
        std::string text;
        int line;
        const char* message;
        bool registry;
    } cases[] = {
        {"[DestinationDirs]\nX=65650\n[Install]\n", 4, "unknown directory id 65650", false},
        {"[DestinationDirs]\nX=11\n[Install]\n", 4, "unknown directory id 11", false},
        {"[DestinationDirs]\nX=ten\n[Install]\n", 4, "unknown directory id ten", false},
        {"[DestinationDirs]\nX=65600,../up\n[Install]\n", 4, "must be relative", false},
        {"[DestinationDirs]\nX=65600,/abs\n[Install]\n", 4, "must be relative", false},
        {dirs + "[Install]\nCopyFiles=Missing\n", 6, "no section [Missing]", false},
        {dirs + "[Install]\nRenFiles=F\n[F]\n", 6, "unknown directive RenFiles", false},
        {dirs + "[Install]\nF\n[F]\n", 6, "without a directive", false},
        {dirs + "[Install]\nCopyFiles=@f\n", 6, "single files", false},
        {"[Install]\nCopyFiles=F\n[F]\nf\n", 4, "no destination for the section [F]", false},
        {dirs + "[Install]\nCopyFiles=F\n[F]\nf,,,0x10\n", 8, "unsupported copy flags", false},
        {dirs + "[Install]\nCopyFiles=F\n[F]\nf,../f\n", 8, "must be relative", false},
        {dirs + "[Install]\nCopyFiles=F\n[F]\nsub/f,f\n", 8, "file name", false},
        {dirs + "[Install]\nCopyFiles=F\n[F]\ng\n", 8, "g is missing beside the setup program",
         false},
        {dirs + "[Install]\nSymLinks=F\n[F]\nl\n", 8, "name,target", false},
        {dirs + "[Install]\nSymLinks=F\n[F]\nl,relative/target\n", 8, "absolute", false},
        {dirs + "[Install]\nSymLinks=F\n[F]\nl,%65650%/x\n", 8, "unknown directory id or string",
         false},
        {"[Other]\n", 0, "no section [Install]", false},
        {"[Install]\nAddReg=R\n[R]\nHKCR,Key,Name,,%65600%/a%\n", 6, "closing", true},
        {"[Install]\nAddReg=R\n[R]\nHKCR,Key,Name,,%Strkey%\n", 6,
         "unknown directory id or string %Strkey%", true},
        {"[Install]\nAddReg=R\n[R]\nHKU,Key,Name,,v\n", 6, "unsupported registry root HKU", true},
        {"[Install]\nAddReg=R\n[R]\nHKCR,Key,Name,0x10001,v\n", 6, "unsupported registry flags",
         true},
        {"[Install]\nAddReg=R\n[R]\nHKCR,Key\n", 6, "a key without a value", true},
        {"[Install]\nAddReg=R\n[R]\nHKCR,,Name,,v\n", 6, "no subkey", true},
        {"[Install]\nAddReg=R\n[R]\nKey=HKCR,K,N,,v\n", 6, "root,subkey", true},
        {"[Install]\nDelReg=R\n[R]\nHKCR\n", 6, "root,subkey", true},
        {"[Install]\nThunarActions=T\n[DestinationDirs]\nT=65608\n[T]\nAdd=x\n", 8, "Merge=file",
         true},
        {"[Install]\nThunarActions=T\n[DestinationDirs]\nT=65608\n[T]\nMerge=missing.xml\n", 8,
         "missing", true},
        {"[Install]\nAddReg=R\n[R]\nHKCR,\"K\\%65606%\",N,,v\n", 6, "has no place", true},
    };
    usePlaces(Places::Scope::System);  // 65606 has no place there
    for (const auto& c : cases) {
        ScriptInstaller& installer = load(c.text);
        const bool ok =
            c.registry ? installer.checkRegistry("Install") : installer.checkFiles("Install");
        EXPECT_FALSE(ok) << c.text;
        EXPECT_EQ(installer.error().line, c.line) << c.text << installer.error().text();
        EXPECT_NE(installer.error().message.find(c.message), std::string::npos)
            << c.text << installer.error().text();
        EXPECT_EQ(installer.error().file, "test.inf");
    }
    EXPECT_FALSE(fs::exists(dest())) << "checks change nothing";
    ScriptInstaller installer(m_script, root() + "/src", m_places);
    EXPECT_FALSE(installer.setDestination("relative/dest"));
    EXPECT_FALSE(installer.setDestination(""));
}

// A copy that fails leaves the file there as it was and stops the commit.
TEST_F(ScriptInstallerTest, FailedCopyLeavesTheOldFileAndStops) {
    addSource("a", std::string(100000, 'n'));
    addSource("b", "new b");
    zebtest::writeFile(dest("a"), "old a");
    ASSERT_TRUE(fs::setModifiedTime(dest("a"), fs::FileTime{1, 0}));
    fs::setCopyFaultForTesting(ENOSPC, 500, 1);
    EXPECT_FALSE(
        installFiles("[DestinationDirs]\nDefaultDestDir=65600\n"
                     "[Install]\nCopyFiles=F\n[F]\na\nb\n"));
    fs::clearCopyFaultForTesting();
    EXPECT_EQ(zebtest::readFile(dest("a")), "old a");
    EXPECT_FALSE(fs::exists(dest("b")));
    ASSERT_EQ(m_callback.copyErrors.size(), 1u);
    EXPECT_EQ(m_callback.copyErrors[0].second, ENOSPC);
    EXPECT_EQ(m_installer->error().line, 8);
    std::vector<fs::DirEntry> entries;
    ASSERT_TRUE(fs::listDirectory(dest(), entries));
    EXPECT_EQ(entries.size(), 1u) << "no temporary file is left";
}

const char* const kOtherAction =
    "<action>\n\t<icon>utilities-terminal</icon>\n\t<name>Open Terminal Here</name>\n"
    "\t<unique-id>1234-1</unique-id>\n\t<command>exo-open --launch TerminalEmulator</command>\n"
    "</action>\n";

std::string ours(const std::string& host) {
    std::string text;
    for (const char* verb : {"add", "get"}) {
        text += std::string("<action>\n\t<name>") + verb + "</name>\n\t<unique-id>zebdoc-" + verb +
                "</unique-id>\n\t<command>" + host + " " + verb + " %F</command>\n</action>\n";
    }
    return text;
}

std::vector<std::string> idsIn(const std::string& xml) {
    std::vector<std::string> ids;
    for (const ActionElement& e : actionElements(xml)) {
        ids.push_back(e.uniqueId);
    }
    return ids;
}

TEST(ThunarActions, MergeReplacesOursAndKeepsTheRest) {
    const std::string file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n" +
                             std::string(kOtherAction) + "</actions>\n";
    std::string merged;
    std::string error;
    ASSERT_TRUE(mergeActions(file, ours("old-host"), merged, error)) << error;
    EXPECT_EQ(idsIn(merged), (std::vector<std::string>{"1234-1", "zebdoc-add", "zebdoc-get"}));
    std::string again;
    ASSERT_TRUE(mergeActions(merged, ours("new-host"), again, error));
    EXPECT_EQ(idsIn(again), idsIn(merged)) << "merging twice adds nothing";
    EXPECT_EQ(again.find("old-host"), std::string::npos);
    EXPECT_EQ(removeActions(again, {"zebdoc-add", "zebdoc-get"}), file);
    EXPECT_EQ(removeActions(again, {"zebdoc-*"}), file);
    EXPECT_EQ(removeActions(file, {"zebdoc-*"}), file);

    ASSERT_TRUE(mergeActions("", ours("h"), merged, error));
    EXPECT_EQ(idsIn(merged), (std::vector<std::string>{"zebdoc-add", "zebdoc-get"}));
    EXPECT_NE(merged.find("<actions>"), std::string::npos);

    EXPECT_FALSE(mergeActions("<actions>\n<action>broken", ours("h"), merged, error));
    EXPECT_FALSE(mergeActions(file, "no actions here", merged, error));
    EXPECT_FALSE(mergeActions(file, "<action><name>x</name></action>", merged, error))
        << "an action of ours needs its id";
}

// Through the script: the user's uca.xml gets ours beside theirs (a user
// without one keeps the system's actions too); a file that cannot be
// understood is left alone; Remove takes ours out again.
TEST_F(ScriptInstallerTest, ThunarActionsAreMergedIntoTheUsersFileAndTakenOut) {
    const std::string script =
        "[DestinationDirs]\nT=65608\nR=65608\n[Install]\nThunarActions=T\n[Uninstall]"
        "\nThunarActions=R\n"
        "[T]\nMerge=glue/actions.xml\n"
        "[R]\nRemove=zebdoc-add\nRemove=zebdoc-get\n";
    m_env.set("XDG_CONFIG_DIRS", root() + "/none:" + root() + "/xdg");
    addSource("glue/actions.xml", ours("zebui-host"));
    const std::string uca = root() + "/config/Thunar/uca.xml";
    const std::string systemFile =
        "<?xml version=\"1.0\"?>\n<actions>\n" + std::string(kOtherAction) + "</actions>\n";
    zebtest::writeFile(root() + "/xdg/Thunar/uca.xml", systemFile);

    ScriptInstaller& installer = load(script);
    ASSERT_TRUE(installer.checkRegistry("Install")) << installer.error().text();
    ASSERT_TRUE(installer.installRegistry("Install")) << installer.error().text();
    EXPECT_EQ(idsIn(zebtest::readFile(uca)),
              (std::vector<std::string>{"1234-1", "zebdoc-add", "zebdoc-get"}));
    EXPECT_EQ(modeOf(uca), 0644u);
    chmod(uca.c_str(), 0600);
    ASSERT_TRUE(installer.installRegistry("Install"));
    EXPECT_EQ(idsIn(zebtest::readFile(uca)).size(), 3u);
    EXPECT_EQ(modeOf(uca), 0600u) << "the file keeps its mode";

    ASSERT_TRUE(installer.installRegistry("Uninstall")) << installer.error().text();
    EXPECT_EQ(idsIn(zebtest::readFile(uca)), std::vector<std::string>{"1234-1"});
    ASSERT_TRUE(installer.installRegistry("Uninstall"));

    zebtest::writeFile(uca, "<actions><action>half");
    EXPECT_FALSE(installer.installRegistry("Install"));
    EXPECT_EQ(zebtest::readFile(uca), "<actions><action>half");
    EXPECT_NE(installer.error().text().find("left as it is"), std::string::npos);

    // A system install merges into the file users inherit.
    usePlaces(Places::Scope::System);
    ScriptInstaller& system = load(script);
    ASSERT_TRUE(system.installRegistry("Install")) << system.error().text();
    EXPECT_EQ(idsIn(zebtest::readFile(root() + "/prefix/etc/xdg/Thunar/uca.xml")),
              (std::vector<std::string>{"zebdoc-add", "zebdoc-get"}));
}

}  // namespace

// zebui-host as the file managers' glue runs it: a process of its own on a
// real repository, prompts answered through the extension's test seam
// (ZEBUI_TEST_ANSWERS), what it asked noted in ZEBUI_TEST_RECORD and what
// the extension did in its trace.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/RegistryStore.h"
#include "shellext/host/ServerLocator.h"
#include "tests/shellext/ShellextTestSupport.h"

namespace zebtest {
namespace {

using Texts = std::vector<std::string>;
using zeb::platform::RegistryStore;

const std::string kAddDone =
    "message\tVersioned file\tSuccesfully created new versions for selected files";
const std::string kGetDone = "message\tVersioned file\tGet operation has succesfully completed";

class HostProcessTest : public ShellItemTest {
protected:
    void SetUp() override {
        ShellItemTest::SetUp();
        std::filesystem::create_directories(docsDir());
        m_env.set("ZEBUI_TEST_ANSWERS", "");
        m_env.set("ZEBUI_TEST_RECORD", record());
        m_env.set("ZEBDOC_TRACE", trace());
    }
    std::string record() const { return workDir() + "/record"; }
    std::string trace() const { return workDir() + "/trace"; }
    Texts recorded() const {
        Texts lines;
        for (std::string line : traceLines(record())) {
            line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    HostRun host(const Texts& arguments) { return runHost(arguments, docsDir(), workDir()); }
    std::string doc(const std::string& name) const { return docsDir() + "/" + name; }

    EnvGuard m_env;
};

TEST_P(HostProcessTest, AddsTheGivenFilesThenGetsAnArchivedVersionBack) {
    const Texts names = {"it's a $file; really.txt", "second file.txt"};
    writeFile(doc(names[0]), std::string(4096, 'a'));
    writeFile(doc(names[1]), std::string(10, 'b'));
    // Bare names, as a script glue passes them, with the folder as current.
    HostRun run = host({"add", names[0], names[1]});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(versions(), (Texts{doc(names[0]) + "|1|" + names[0] + "|Size: 4 KB",
                                 doc(names[1]) + "|1|" + names[1] + "|Size: 0 KB"}));
    EXPECT_EQ(recorded(), Texts{kAddDone});
    const Texts lines = traceLines(trace());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "In DLLMain, DLL_PROCESS_ATTACH\r\n");
    EXPECT_EQ(lines.back(), "In DLLMain, DLL_PROCESS_DETACH\r\n");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "CZEBShellExt::AddToZEB()\r\n"), lines.end());

    writeFile(doc(names[0]), "edited");
    m_env.set("ZEBUI_TEST_ANSWERS", "pick:1");
    run = host({"get", doc(names[0])});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readFile(doc(names[0])), std::string(4096, 'a'));
    const Texts got = recorded();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1], "pick\t1\t" + value("SELECT UID FROM REVTABLE WHERE REVNAME = '" +
                                          std::string("it''s a $file; really.txt") + "'"));
    EXPECT_EQ(got[2], kGetDone);

    // The menu as the extension fills it.
    run = host({"menu", names[1]});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "-\n0\t&Add new version\n1\t&Get from archived version\n");
}

TEST_P(HostProcessTest, AFileThatVanishedSinceTheMenuIsNoCrash) {
    HostRun run = host({"add", "gone.txt"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(versions().empty());
    EXPECT_TRUE(recorded().empty());
    run = host({"get", "gone.txt"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(recorded(),
              Texts{"message\tVersioned file\tFile " + doc("gone.txt") + " is not versioned."});
}

TEST_P(HostProcessTest, TwoHostsAtOnceOnOneFileBothSucceed) {
    const std::string file = doc("clicked twice.txt");
    writeFile(file, "content");
    std::vector<std::unique_ptr<ChildProgram>> hosts;
    for (int i = 0; i < 2; ++i) {
        hosts.push_back(
            std::make_unique<ChildProgram>(Texts{ZEBDOC_BINARY_DIR "/bin/zebui-host", "add", file},
                                           docsDir(), workDir() + "/twice" + std::to_string(i)));
    }
    for (auto& child : hosts) {
        EXPECT_EQ(child->wait(), 0) << child->output();
    }
    // The second is the next version, after the confirmation (answered OK).
    EXPECT_EQ(versions(), (Texts{file + "|1|clicked twice.txt|Size: 0 KB",
                                 file + "|2|clicked twice.txt|Size: 0 KB"}));
    Texts done;
    for (const std::string& line : recorded()) {
        if (line == kAddDone) {
            done.push_back(line);
        }
    }
    EXPECT_EQ(done.size(), 2u);
}

TEST_P(HostProcessTest, OnceItsToolkitStartedTheHostStillEndsCleanly) {
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no display: run the tests under xvfb-run";
    }
    // The success message starts the toolkit, as a real one does; the
    // library then stays loaded and the toolkit stops before its own
    // objects go at exit.
    m_env.set("ZEBUI_TEST_TOOLKIT", "1");
    m_env.set("NO_AT_BRIDGE", "1");
    m_env.set("GSETTINGS_BACKEND", "memory");
    writeFile(doc("shown.txt"), "bytes");
    const HostRun run = host({"add", "shown.txt"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(versions(), Texts{doc("shown.txt") + "|1|shown.txt|Size: 0 KB"});
    EXPECT_EQ(recorded(), Texts{kAddDone});
    EXPECT_EQ(traceLines(trace()).back(), "In DLLMain, DLL_PROCESS_DETACH\r\n");
}

TEST_P(HostProcessTest, WithoutItsWindowLibraryTheExtensionAsksOnTheStandardError) {
    // A copy of the extension with no window library beside it, registered,
    // and the real prompts: each says on the standard error what it could
    // not show and answers as without a display.
    const std::string library = workDir() + "/alone/libzebui.so";
    std::filesystem::create_directories(workDir() + "/alone");
    std::filesystem::copy_file(zebuiLibrary(), library);
    ASSERT_TRUE(
        RegistryStore::setString(HKEY_CLASSES_ROOT, kHandlerKey, "", CLSID_ZEBShellExt_Text));
    ASSERT_TRUE(RegistryStore::setString(HKEY_CLASSES_ROOT, inprocServerKey(), "", library));
    m_env.set("ZEBUI_TEST_ANSWERS", std::nullopt);
    writeFile(doc("alone.txt"), "bytes");
    HostRun run = host({"add", "alone.txt"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("zebui: cannot load " + workDir() + "/alone/libzebui-windows.so"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Versioned file: Succesfully created new versions"),
              std::string::npos)
        << run.output;
    // The same bytes again: the question is answered Cancel.
    run = host({"add", "alone.txt"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Versioned file: The selected file has the same size"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("Succesfully"), std::string::npos) << run.output;
    EXPECT_EQ(versions(), Texts{doc("alone.txt") + "|1|alone.txt|Size: 0 KB"});
    EXPECT_TRUE(recorded().empty());
}

ZEB_INSTANTIATE_BACKENDS(HostProcessTest);

// The command line, the registry's registration and the library beside the
// host (no repository needed).
struct LaunchCase {
    const char* name;
    Texts arguments;
    // The registry's handler entry and in-process server; empty: not written.
    std::string handlerClass;
    std::string server;
    int status;
    std::string output;  // a part of what it prints
};

class HostLaunchTest : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(HostLaunchTest, FindsTheExtensionOrSaysWhyNot) {
    const LaunchCase& c = GetParam();
    TempDir dir;
    EnvGuard env;
    env.set("ZEBDOC_REGISTRY", dir.path() + "/registry.reg");
    std::filesystem::create_directories(dir.path() + "/folder");
    writeFile(dir.path() + "/file.txt", "x");
    if (!c.handlerClass.empty()) {
        ASSERT_TRUE(RegistryStore::setString(HKEY_CLASSES_ROOT, kHandlerKey, "", c.handlerClass));
    }
    if (!c.server.empty()) {
        const std::string server = c.server == "@" ? zebuiLibrary() : c.server;
        ASSERT_TRUE(RegistryStore::setString(HKEY_CLASSES_ROOT, inprocServerKey(), "", server));
        ASSERT_TRUE(RegistryStore::setString(HKEY_CLASSES_ROOT, inprocServerKey(), "ThreadingModel",
                                             "Apartment"));
    }
    const HostRun run = runHost(c.arguments, dir.path(), dir.path());
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.output), std::string::npos) << run.output;
}

const LaunchCase kLaunchCases[] = {
    {"NoArguments", {}, "", "", 2, "usage: zebui-host add|get|menu FILE..."},
    {"NoFile", {"add"}, "", "", 2, "no file given"},
    {"OnlyAFolder", {"get", "folder"}, "", "", 2, "is a folder: the menu is for files"},
    {"LibraryBesideTheHost", {"menu", "file.txt"}, "", "", 0, "0\t&Add new version\n"},
    {"Registered",
     {"menu", "file.txt", "folder"},
     CLSID_ZEBShellExt_Text,
     "@",
     0,
     "1\t&Get from archived version\n"},
    {"RegisteredServerMissing",
     {"menu", "file.txt"},
     CLSID_ZEBShellExt_Text,
     "/nonexistent/libzebui.so",
     1,
     "cannot load /nonexistent/libzebui.so"},
    {"RegisteredServerRelative",
     {"menu", "file.txt"},
     CLSID_ZEBShellExt_Text,
     "libzebui.so",
     1,
     "not a full path"},
    {"HandlerWithoutServer",
     {"menu", "file.txt"},
     CLSID_ZEBShellExt_Text,
     "",
     1,
     "has no in-process server"},
    {"HandlerOfAnotherClass",
     {"menu", "file.txt"},
     "{00000000-0000-0000-0000-000000000001}",
     "@",
     1,
     "names another class"},
    {"NoExtensionInTheLibrary",
     {"menu", "file.txt"},
     CLSID_ZEBShellExt_Text,
     "/lib/x86_64-linux-gnu/libc.so.6",
     1,
     "is no context-menu extension"},
};

INSTANTIATE_TEST_SUITE_P(Cases, HostLaunchTest, ::testing::ValuesIn(kLaunchCases),
                         [](const ::testing::TestParamInfo<LaunchCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zebtest

// A real file manager on the run's display, as a person uses it: two files
// with awkward names selected, the context menu opened from the keyboard,
// "Add new version" chosen; then "Get from archived version" with the
// picker answered through the extension's test seam. The file manager runs
// as an unprivileged user with a private home and session bus
// (filemanager.sh); the checks are on what the host did: the repository,
// the working files, the extension's trace and the prompts it recorded.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/shellext/ShellextTestSupport.h"

namespace zebtest {
namespace {

using Texts = std::vector<std::string>;

const std::string kScript = ZEBDOC_SOURCE_DIR "/tests/shellext/clients/filemanager.sh";
const std::string kHost = ZEBDOC_BINARY_DIR "/bin/zebui-host";

bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Lets `user` (nobody, when the test runs as root) reach a folder: every
// folder above it may be passed through, and it and all below are theirs.
void handOver(const std::string& folder) {
    if (geteuid() != 0) {
        return;
    }
    namespace fs = std::filesystem;
    for (fs::path p = fs::path(folder).parent_path(); p != p.root_path(); p = p.parent_path()) {
        struct stat st {};
        if (stat(p.c_str(), &st) == 0 && (st.st_mode & S_IXOTH) == 0) {
            chmod(p.c_str(), (st.st_mode & 07777) | S_IXOTH);
        }
    }
    ASSERT_EQ(std::system(("chown -R nobody '" + folder + "'").c_str()), 0);
}

// Copies the host and the extension's tool with the project's libraries to
// `folder`/bin and `folder`/lib (the programs find the libraries beside
// them); the copied host's path, or empty.
std::string stageHost(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path bin = fs::path(kHost).parent_path();
    fs::create_directories(folder + "/bin", ec);
    fs::copy(bin.parent_path() / "lib", folder + "/lib", fs::copy_options::recursive, ec);
    for (const char* program : {"zebui-host", "zebdoc-filemanagers"}) {
        fs::copy_file(bin / program, fs::path(folder) / "bin" / program, ec);
        if (ec) {
            return std::string();
        }
    }
    return folder + "/bin/zebui-host";
}

class RealClientTest : public ShellItemTest {
protected:
    void SetUp() override {
        ShellItemTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "no display: run the tests under xvfb-run";
        }
        for (const char* program : {"xdotool", "dbus-run-session", "setsid"}) {
            if (!onPath(program)) {
                GTEST_SKIP() << program << " is not installed (packaging/debian-packages.txt)";
            }
        }
        // A build folder that nobody may enter (a checkout below /root):
        // the host, its tool and the libraries are copied where they can.
        std::string host = kHost;
        if (geteuid() == 0 &&
            std::system(("runuser -u nobody -- test -x '" + kHost + "'").c_str()) != 0) {
            host = stageHost(workDir() + "/staged");
            ASSERT_FALSE(host.empty()) << "cannot copy the host out of " << kHost;
        }
        std::filesystem::create_directories(docsDir());
        m_env.set("ZEBDOC_TRACE", workDir() + "/trace");
        m_env.set("ZEBUI_TEST_RECORD", workDir() + "/record");
        // The add's success message, then for each file the picker (version
        // 1) and the get's message.
        m_env.set("ZEBUI_TEST_ANSWERS", "pick:1 ok pick:1 ok");
        m_env.set("ZEBUI_HOST", host);
        const char* odbcsysini = std::getenv("ODBCSYSINI");
        m_odbcSystem = odbcsysini != nullptr ? odbcsysini : "";
    }
    void TearDown() override {
        if (m_started) {
            script({"stop", fmDir()});
        }
        ShellItemTest::TearDown();
    }

    std::string fmDir() const { return workDir() + "/filemanager"; }

    int script(const Texts& arguments) {
        std::string command = "'" + kScript + "'";
        for (const std::string& a : arguments) {
            command += " '" + a + "'";
        }
        return std::system((command + " >>'" + workDir() + "/script.log' 2>&1").c_str());
    }

    void runWith(const std::string& fileManager) {
        if (!onPath(fileManager)) {
            GTEST_SKIP() << fileManager << " is not installed (packaging/debian-packages.txt)";
        }
        const Texts names = {"it's a $file; with spaces.txt", "second \"file\" (2).txt"};
        const Texts bytes = {std::string(4100, 'a'), std::string(2050, 'b')};
        for (size_t i = 0; i < names.size(); ++i) {
            writeFile(docsDir() + "/" + names[i], bytes[i]);
        }
        // The host, as another user, writes this repository: no connection
        // of the test's may keep the database's side files its own.
        resetInstance();
        handOver(workDir());
        handOver(m_odbcSystem);

        const auto started = std::chrono::steady_clock::now();
        m_started = true;
        ASSERT_EQ(script({"start", fmDir(), fileManager, docsDir()}), 0) << log();
        ASSERT_EQ(script({"choose", fmDir(), "a", workDir() + "/trace"}), 0) << log();
        for (size_t i = 0; i < names.size(); ++i) {
            writeFile(docsDir() + "/" + names[i], "edited " + std::to_string(i));
        }
        ASSERT_EQ(script({"choose", fmDir(), "g", workDir() + "/trace"}), 0) << log();
        script({"stop", fmDir()});
        m_started = false;
        std::cout << fileManager << ": "
                  << std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now() - started)
                         .count()
                  << " ms from start to stop\n";

        EXPECT_EQ(versions(),
                  (Texts{docsDir() + "/" + names[0] + "|1|" + names[0] + "|Size: 4 KB",
                         docsDir() + "/" + names[1] + "|1|" + names[1] + "|Size: 2 KB"}))
            << log();
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(readFile(docsDir() + "/" + names[i]), bytes[i]) << names[i];
        }
        Texts recorded;
        for (std::string line : traceLines(workDir() + "/record")) {
            line.pop_back();
            // The kind and the first field.
            recorded.push_back(line.substr(0, line.find('\t', line.find('\t') + 1)));
        }
        EXPECT_EQ(recorded, (Texts{"message\tVersioned file", "pick\t1", "message\tVersioned file",
                                   "pick\t1", "message\tVersioned file"}));
        const Texts trace = traceLines(workDir() + "/trace");
        EXPECT_EQ(std::count(trace.begin(), trace.end(), "CZEBShellExt::AddToZEB()\r\n"), 1);
        EXPECT_EQ(std::count(trace.begin(), trace.end(), "CZEBShellExt::RetrieveFromZEB()\r\n"), 1);
    }

    std::string log() const {
        return readFile(workDir() + "/script.log") + readFile(fmDir() + "/filemanager.log");
    }

    EnvGuard m_env;
    std::string m_odbcSystem;
    bool m_started = false;
};

TEST_P(RealClientTest, Thunar) {
    runWith("thunar");
}

TEST_P(RealClientTest, Nemo) {
    runWith("nemo");
}

TEST_P(RealClientTest, Dolphin) {
    runWith("dolphin");
}

INSTANTIATE_TEST_SUITE_P(Backends, RealClientTest, ::testing::Values(Backend::SQLite),
                         [](const ::testing::TestParamInfo<Backend>& info) {
                             return backendName(info.param);
                         });

}  // namespace
}  // namespace zebtest

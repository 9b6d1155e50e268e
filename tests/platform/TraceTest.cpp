#include "platform/Trace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <string>

#include "tests/platform/EnvGuard.h"
#include "tests/support/BackendTest.h"

using zeb::platform::outputDebugString;

namespace {

TEST(Trace, AppendsTextAsItStandsToTraceFile) {
    zebtest::TempDir dir;
    zebtest::EnvGuard env;
    const std::string file = dir.path() + "/trace.log";
    env.set("ZEBDOC_TRACE", file);

    errno = EDOM;
    outputDebugString("CZEBShellExt::Initialize\r\n");
    outputDebugString(nullptr);
    outputDebugString("");
    outputDebugString("no line end, \xC3\xBC %s %n");
    EXPECT_EQ(errno, EDOM) << "the caller's errno is left alone";
    EXPECT_EQ(zebtest::readFile(file), "CZEBShellExt::Initialize\r\nno line end, \xC3\xBC %s %n");
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // Unusable trace targets are ignored.
    env.set("ZEBDOC_TRACE", dir.path());
    outputDebugString("into a folder\n");
    env.set("ZEBDOC_TRACE", dir.path() + "/missing/trace.log");
    outputDebugString("into nowhere\n");
    env.unset("ZEBDOC_TRACE");
    outputDebugString("syslog only\n");
}

TEST(Trace, LinesFromSeveralProcessesStayWhole) {
    zebtest::TempDir dir;
    zebtest::EnvGuard env;
    const std::string file = dir.path() + "/trace.log";
    env.set("ZEBDOC_TRACE", file);
    constexpr int kLines = 200;
    const std::string lines[2] = {std::string(300, 'a') + "\r\n", std::string(300, 'b') + "\r\n"};
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
        children[i] = fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) {
            for (int n = 0; n < kLines; ++n) {
                outputDebugString(lines[i].c_str());
            }
            _exit(0);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
    }
    std::istringstream text(zebtest::readFile(file));
    std::string line;
    int count = 0;
    while (std::getline(text, line)) {
        line += '\n';
        EXPECT_TRUE(line == lines[0] || line == lines[1]) << "torn line: " << line;
        ++count;
    }
    EXPECT_EQ(count, 2 * kLines);
}

}  // namespace

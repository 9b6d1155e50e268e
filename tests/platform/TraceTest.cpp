#include "platform/Trace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

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
    for (const std::optional<std::string>& target :
         {std::optional<std::string>(dir.path()), {dir.path() + "/missing/trace.log"}, {}}) {
        env.set("ZEBDOC_TRACE", target);
        outputDebugString("nowhere but syslog\n");
    }
}

}  // namespace

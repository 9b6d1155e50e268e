#include "core/WriterLock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "core/ArchiveRoot.h"
#include "core/Registry.h"
#include "core/UID.h"
#include "platform/FileLock.h"
#include "platform/RegistryStore.h"
#include "tests/support/BackendTest.h"

namespace zebtest {
namespace {

class WriterLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_env.set("ZEBDOC_REGISTRY", m_dir.path() + "/registry.reg");
        setDestination(m_dir.path() + "/install");
        WriterLock::setTimeoutForTesting(100);
    }
    void TearDown() override {
        WriterLock::setTimeoutForTesting(-1);
        m_env.set("ZEBDOC_REGISTRY", std::nullopt);
        ArchiveRoot::refresh();
    }
    static void setDestination(const std::string& folder) {
        ASSERT_TRUE(zeb::platform::RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY,
                                                            "DestinationPath", folder));
        ArchiveRoot::refresh();
    }
    // Runs `body` in a forked child; its exit status.
    template <typename Body>
    static int inChild(Body body) {
        const pid_t pid = fork();
        if (pid == 0) {
            _exit(body());
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    TempDir m_dir;
    EnvGuard m_env;
};

TEST_F(WriterLockTest, NestsWithinAProcessAndExcludesEveryOtherHolder) {
    const std::string path = m_dir.path() + "/install/zebdoc.lock";
    EXPECT_EQ(WriterLock::lockPath(), path);
    {
        WriterLock outer;
        ASSERT_TRUE(outer.held()) << WriterLock::lastError();
        {
            WriterLock inner;  // the initial revision's save inside the file's
            EXPECT_TRUE(inner.held());
        }
        // The inner scope's end does not release the outer one's lock.
        zeb::platform::FileLock other;
        EXPECT_FALSE(other.acquire(path, 0));
        // A forked child shares the parent's open file but not its scope:
        // it must wait like any other program, and must not unlock it.
        EXPECT_EQ(inChild([] { return WriterLock().held() ? 1 : 0; }), 0);
        EXPECT_FALSE(other.acquire(path, 0));
    }
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(stat((m_dir.path() + "/install/VFS").c_str(), &st), -1) << "the lock is not inside";

    // Held by another program: the wait is bounded and says why.
    zeb::platform::FileLock other;
    ASSERT_TRUE(other.acquire(path, 0));
    const auto start = std::chrono::steady_clock::now();
    WriterLock blocked;
    EXPECT_FALSE(blocked.held());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));
    EXPECT_NE(WriterLock::lastError().find("too long"), std::string::npos);
    other.release();
    EXPECT_TRUE(WriterLock().held());
}

TEST_F(WriterLockTest, NoInstallationFolderNoLock) {
    setDestination("relative/folder");
    EXPECT_EQ(WriterLock::lockPath(), "");
    EXPECT_FALSE(WriterLock().held());
    EXPECT_EQ(WriterLock::lastError(), ArchiveRoot::problem());
    // A folder that does not exist yet is made, privately.
    setDestination(m_dir.path() + "/new/install");
    EXPECT_TRUE(WriterLock().held()) << WriterLock::lastError();
    struct stat st {};
    ASSERT_EQ(stat((m_dir.path() + "/new/install").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(WriterLockTest, ForkedChildMakesIdentifiersOfItsOwn) {
    const UID before;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const int status = inChild([&] {
        char text[64];
        UID().toString(text, sizeof text);
        return write(fds[1], text, std::strlen(text) + 1) > 0 ? 0 : 1;
    });
    close(fds[1]);
    char text[64] = "";
    ASSERT_GT(read(fds[0], text, sizeof text), 0);
    close(fds[0]);
    EXPECT_EQ(status, 0);
    UID child = UID::none();
    child = text;
    EXPECT_NE(child.host(), before.host()) << text;
    // A placeholder spends no counter value.
    const UID next;
    const UID placeholder = UID::none();
    EXPECT_EQ(placeholder.host(), 0u);
    EXPECT_EQ(UID().count(), next.count() + 1);
}

}  // namespace
}  // namespace zebtest

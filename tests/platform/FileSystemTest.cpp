#include "platform/FileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/platform/EnvGuard.h"
#include "tests/support/BackendTest.h"

namespace fs = zeb::platform;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    void TearDown() override { fs::clearCopyFaultForTesting(); }

    std::string path(const std::string& name) const { return m_dir.path() + "/" + name; }

    std::vector<std::string> names(const std::string& folder) const {
        std::vector<fs::DirEntry> entries;
        EXPECT_TRUE(fs::listDirectory(folder, entries));
        std::vector<std::string> out;
        for (const auto& entry : entries) {
            out.push_back(entry.name);
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    static std::string bytes(size_t size, uint32_t seed) {
        std::string out(size, '\0');
        uint32_t x = seed;
        for (char& c : out) {
            x = x * 1664525u + 1013904223u;
            c = static_cast<char>(x >> 24);
        }
        return out;
    }

    static void setTimes(const std::string& file, fs::FileTime atime, fs::FileTime mtime) {
        struct timespec times[2] = {{static_cast<time_t>(atime.sec), atime.nsec},
                                    {static_cast<time_t>(mtime.sec), mtime.nsec}};
        ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }

    zebtest::TempDir m_dir;
};

// Puts the current directory back after a test that changes it.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir) {
        char buffer[PATH_MAX];
        m_saved = getcwd(buffer, sizeof buffer) ? buffer : "/";
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~CurrentDirectory() { EXPECT_EQ(chdir(m_saved.c_str()), 0); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::string m_saved;
};

TEST_F(FileSystemTest, PathsAreNormalisedLexically) {
    CurrentDirectory cwd(m_dir.path());
    const std::string here = m_dir.path();
    EXPECT_EQ(fs::fullPath(""), here);
    EXPECT_EQ(fs::fullPath("."), here);
    EXPECT_EQ(fs::fullPath("a/./b//c/../d/"), here + "/a/b/d");
    EXPECT_EQ(fs::fullPath("c:\\docs\\a b.txt"), here + "/c:\\docs\\a b.txt");
    EXPECT_EQ(fs::fullPath(".."), fs::parentPath(here));
    EXPECT_EQ(fs::fullPath("/"), "/");
    EXPECT_EQ(fs::fullPath("//"), "/");
    EXPECT_EQ(fs::fullPath("/../../x/"), "/x");
    EXPECT_EQ(fs::fullPath("///usr//./lib/.."), "/usr");
    // A symlink is not followed: "link/.." is the folder holding the link.
    ASSERT_EQ(symlink("/usr/lib", (here + "/link").c_str()), 0);
    EXPECT_EQ(fs::fullPath("link/.."), here);

    EXPECT_EQ(fs::parentPath("/a/b"), "/a");
    EXPECT_EQ(fs::parentPath("/a/b/"), "/a");
    EXPECT_EQ(fs::parentPath("/a"), "/");
    EXPECT_EQ(fs::parentPath("/"), "/");
    EXPECT_EQ(fs::parentPath("file"), "");
    EXPECT_EQ(fs::baseName("/a/b.txt"), "b.txt");
    EXPECT_EQ(fs::baseName("/a/b/"), "b");
    EXPECT_EQ(fs::baseName("name"), "name");
    EXPECT_EQ(fs::baseName("/"), "");
}

TEST_F(FileSystemTest, StatusListingAndAttributes) {
    fs::FileStatus status;
    int error = -1;
    EXPECT_TRUE(fs::getStatus(path("missing"), status, &error));
    EXPECT_FALSE(status.exists);
    EXPECT_EQ(error, 0);
    zebtest::writeFile(path("file.txt"), "12345");
    EXPECT_TRUE(fs::getStatus(path("file.txt/below"), status)) << "below a file: just missing";
    EXPECT_FALSE(status.exists);

    ASSERT_TRUE(fs::getStatus(path("file.txt"), status));
    EXPECT_TRUE(status.exists && status.isRegular && !status.isDirectory && !status.readOnly);
    EXPECT_EQ(status.size, 5u);
    ASSERT_TRUE(fs::setModifiedTime(path("file.txt"), {1500000000, 123456789}));
    ASSERT_TRUE(fs::setReadOnly(path("file.txt")));
    ASSERT_TRUE(fs::getStatus(path("file.txt"), status));
    EXPECT_EQ(status.modified, (fs::FileTime{1500000000, 123456789}));
    EXPECT_TRUE(status.readOnly);
    EXPECT_EQ(status.mode, 0444u);
    ASSERT_TRUE(fs::setWritable(path("file.txt")));
    ASSERT_TRUE(fs::getStatus(path("file.txt"), status));
    EXPECT_EQ(status.mode, 0644u);
    if (status.hasBirthTime) {
        EXPECT_GT(status.born.sec, 0);
    }

    // Folders, links followed, mode under the umask.
    const mode_t oldMask = umask(027);
    EXPECT_EQ(fs::currentUmask(), 027u);
    EXPECT_TRUE(fs::createDirectory(path("sub")));
    EXPECT_EQ(fs::currentUmask(), 027u) << "reading it leaves it";
    umask(oldMask);
    EXPECT_FALSE(fs::createDirectory(path("sub"), &error));
    EXPECT_EQ(error, EEXIST);
    ASSERT_TRUE(fs::getStatus(path("sub"), status));
    EXPECT_TRUE(status.isDirectory);
    EXPECT_EQ(status.mode, 0750u);
    ASSERT_EQ(symlink(path("sub").c_str(), path("to-sub").c_str()), 0);
    ASSERT_EQ(symlink(path("gone").c_str(), path("dangling").c_str()), 0);
    EXPECT_TRUE(fs::isDirectory(path("to-sub")));
    EXPECT_FALSE(fs::exists(path("dangling")));
    EXPECT_TRUE(fs::isRegularFile(path("file.txt")));

    std::vector<fs::DirEntry> entries;
    ASSERT_TRUE(fs::listDirectory(m_dir.path(), entries));
    std::map<std::string, bool> listed;  // name -> isDirectory
    for (const auto& entry : entries) {
        listed[entry.name] = entry.isDirectory;
    }
    EXPECT_EQ(listed,
              (std::map<std::string, bool>{
                  {"dangling", false}, {"file.txt", false}, {"sub", true}, {"to-sub", true}}));
    EXPECT_FALSE(fs::listDirectory(path("missing"), entries, &error));
    EXPECT_EQ(error, ENOENT);

    zebtest::writeFile(path("sub/inner"), "x");
    EXPECT_FALSE(fs::removeDirectory(path("sub"), &error));
    EXPECT_EQ(error, ENOTEMPTY);
    EXPECT_TRUE(fs::removeFile(path("sub/inner")));
    EXPECT_TRUE(fs::removeDirectory(path("sub")));
    EXPECT_FALSE(fs::removeFile(path("sub/inner"), &error));
    EXPECT_EQ(error, ENOENT);
}

TEST_F(FileSystemTest, TemporaryDirectoryComesFromTmpdirWhenUsable) {
    zebtest::EnvGuard env;
    env.set("TMPDIR", m_dir.path() + "/");
    EXPECT_EQ(fs::temporaryDirectory(), m_dir.path());
    env.set("TMPDIR", path("missing"));
    EXPECT_EQ(fs::temporaryDirectory(), "/tmp");
    env.unset("TMPDIR");
    EXPECT_EQ(fs::temporaryDirectory(), "/tmp");
}

TEST_F(FileSystemTest, CopyKeepsBytesTimesAndMode) {
    const std::string content = bytes(300000, 7) + std::string("\0tail\0", 6);
    zebtest::writeFile(path("src"), content);
    ASSERT_EQ(chmod(path("src").c_str(), 0640), 0);
    for (bool durable : {false, true}) {
        SCOPED_TRACE(durable ? "durable" : "plain");
        // Again each time: reading the source moves its access time.
        setTimes(path("src"), {1400000000, 5}, {1300000000, 987654321});
        const std::string target = path(durable ? "durable" : "plain");
        int error = -1;
        ASSERT_TRUE(fs::copyFile(path("src"), target, fs::CopyOptions{false, durable, -1}, &error));
        EXPECT_EQ(error, 0);
        fs::FileStatus status;
        ASSERT_TRUE(fs::getStatus(target, status));  // before reading it changes the atime
        EXPECT_EQ(status.modified, (fs::FileTime{1300000000, 987654321}));
        EXPECT_EQ(status.accessed, (fs::FileTime{1400000000, 5}));
        EXPECT_EQ(status.mode, 0640u);
        EXPECT_EQ(zebtest::readFile(target), content);
    }
    ASSERT_TRUE(fs::copyFile(path("src"), path("ro"), fs::CopyOptions{false, false, 0444}));
    fs::FileStatus status;
    ASSERT_TRUE(fs::getStatus(path("ro"), status));
    EXPECT_EQ(status.mode, 0444u);

    // Pseudo files report size 0 but have contents.
    ASSERT_TRUE(fs::copyFile("/proc/version", path("version"), fs::CopyOptions{}));
    EXPECT_EQ(zebtest::readFile(path("version")), zebtest::readFile("/proc/version"));
    EXPECT_FALSE(zebtest::readFile(path("version")).empty());
    fs::removeFile(path("version"));

    // An empty file copies as an empty file.
    zebtest::writeFile(path("empty"), "");
    ASSERT_TRUE(fs::copyFile(path("empty"), path("empty2"), fs::CopyOptions{}));
    EXPECT_EQ(zebtest::readFile(path("empty2")), "");
    EXPECT_EQ(names(m_dir.path()),
              (std::vector<std::string>{"durable", "empty", "empty2", "plain", "ro", "src"}));
}

TEST_F(FileSystemTest, CopyReplacesOnlyWhenAskedAndFailsCleanly) {
    zebtest::writeFile(path("src"), "new contents");
    zebtest::writeFile(path("dst"), "old");
    ASSERT_TRUE(fs::setReadOnly(path("dst")));
    int error = 0;
    EXPECT_FALSE(fs::copyFile(path("src"), path("dst"), fs::CopyOptions{}, &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_EQ(zebtest::readFile(path("dst")), "old");

    EXPECT_TRUE(fs::copyFile(path("src"), path("dst"), fs::CopyOptions{true, false, -1}, &error));
    EXPECT_EQ(zebtest::readFile(path("dst")), "new contents");

    EXPECT_FALSE(fs::copyFile(path("missing"), path("x"), fs::CopyOptions{}, &error));
    EXPECT_EQ(error, ENOENT);
    ASSERT_TRUE(fs::createDirectory(path("folder")));
    EXPECT_FALSE(fs::copyFile(path("folder"), path("x"), fs::CopyOptions{}, &error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_FALSE(
        fs::copyFile(path("src"), path("folder"), fs::CopyOptions{true, false, -1}, &error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_FALSE(fs::copyFile(path("src"), path("nofolder/x"), fs::CopyOptions{}, &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(names(m_dir.path()), (std::vector<std::string>{"dst", "folder", "src"}));
    EXPECT_TRUE(names(path("folder")).empty());
}

TEST_F(FileSystemTest, InjectedWriteFailureLeavesNoPartialFile) {
    const std::string content = bytes(1 << 20, 3);
    zebtest::writeFile(path("src"), content);
    zebtest::writeFile(path("kept"), "kept");

    fs::setCopyFaultForTesting(ENOSPC, 4096, 2);
    int error = 0;
    EXPECT_FALSE(fs::copyFile(path("src"), path("dst"), fs::CopyOptions{}, &error));
    EXPECT_EQ(error, ENOSPC);
    EXPECT_FALSE(fs::copyFile(path("src"), path("kept"), fs::CopyOptions{true, true, -1}, &error));
    EXPECT_EQ(error, ENOSPC);
    EXPECT_EQ(zebtest::readFile(path("kept")), "kept");
    EXPECT_EQ(names(m_dir.path()), (std::vector<std::string>{"kept", "src"}));
    // Both armed failures are used up.
    EXPECT_TRUE(fs::copyFile(path("src"), path("dst"), fs::CopyOptions{}, &error));
    EXPECT_EQ(zebtest::readFile(path("dst")), content);

    // Until cleared, and also when the file is shorter than the fault point.
    fs::setCopyFaultForTesting(EIO, 10u << 20);
    EXPECT_FALSE(fs::copyFile(path("src"), path("a"), fs::CopyOptions{}, &error));
    EXPECT_EQ(error, EIO);
    EXPECT_FALSE(fs::copyFile(path("src"), path("b"), fs::CopyOptions{}, &error));
    fs::clearCopyFaultForTesting();
    EXPECT_TRUE(fs::copyFile(path("src"), path("c"), fs::CopyOptions{}, &error));
    EXPECT_EQ(names(m_dir.path()), (std::vector<std::string>{"c", "dst", "kept", "src"}));
}

TEST_F(FileSystemTest, AwkwardNamesCopyAndList) {
    const std::vector<std::string> awkward = {
        "with space.txt", "quote\"s",      "single'quote",
        "back\\slash",    "c:colon",       "\xC3\xBCml\xC3\xA4ut \xE6\x97\xA5\xE6\x9C\xAC.doc",
        "-dash",          "semi;colon$(x)"};
    ASSERT_TRUE(fs::createDirectory(path("in")));
    ASSERT_TRUE(fs::createDirectory(path("out dir")));
    for (const std::string& name : awkward) {
        zebtest::writeFile(path("in/" + name), "data of " + name);
        ASSERT_TRUE(fs::copyFile(path("in/" + name), path("out dir/" + name), fs::CopyOptions{}))
            << name;
        EXPECT_EQ(zebtest::readFile(path("out dir/" + name)), "data of " + name);
        EXPECT_TRUE(fs::isRegularFile(path("out dir/" + name)));
        EXPECT_EQ(fs::baseName(fs::fullPath(path("out dir/" + name))), name);
    }
    std::vector<std::string> expected = awkward;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names(path("out dir")), expected);
}

TEST_F(FileSystemTest, LargeFileCopiesExactly) {
    const std::string content = bytes(50u << 20, 11);
    zebtest::writeFile(path("big"), content);
    ASSERT_TRUE(fs::copyFile(path("big"), path("big2"), fs::CopyOptions{false, true, -1}));
    EXPECT_TRUE(zebtest::readFile(path("big2")) == content) << "contents differ";

    // A failure deep into the copy, past the first chunks.
    fs::setCopyFaultForTesting(ENOSPC, (20u << 20) + 3, 1);
    int error = 0;
    EXPECT_FALSE(fs::copyFile(path("big"), path("big3"), fs::CopyOptions{}, &error));
    EXPECT_EQ(error, ENOSPC);
    EXPECT_EQ(names(m_dir.path()), (std::vector<std::string>{"big", "big2"}));
}

}  // namespace

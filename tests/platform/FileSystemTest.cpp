#include "platform/FileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/BackendTest.h"

namespace fs = zeb::platform;
using zebtest::readFile;
using zebtest::writeFile;

namespace {

// Larger than one copy_file_range call (16 MiB), so copies take several.
constexpr size_t kLarge = (16u << 20) + 300000;

class FileSystemTest : public ::testing::Test {
protected:
    void TearDown() override { fs::clearCopyFaultForTesting(); }

    std::string path(const std::string& name) const { return m_dir.path() + "/" + name; }
    fs::FileStatus status(const std::string& name) const {
        fs::FileStatus out;
        EXPECT_TRUE(fs::getStatus(path(name), out)) << name;
        return out;
    }
    // Names in a folder of the test's own, sorted.
    std::vector<std::string> names(const std::string& folder = ".") const {
        std::vector<fs::DirEntry> entries;
        EXPECT_TRUE(fs::listDirectory(path(folder), entries));
        std::vector<std::string> out;
        for (const auto& entry : entries) {
            out.push_back(entry.name);
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    zebtest::TempDir m_dir;
};

std::string bytes(size_t size, uint32_t seed) {
    std::string out(size, '\0');
    for (char& c : out) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return out;
}

TEST_F(FileSystemTest, PathsAreNormalisedLexically) {
    const std::string here = m_dir.path();
    const auto saved = std::filesystem::current_path();
    ASSERT_EQ(chdir(here.c_str()), 0);
    ASSERT_EQ(symlink("/usr/lib", path("link").c_str()), 0);
    const std::pair<std::string, std::string> full[] = {
        {"", here},
        {".", here},
        {"a/./b//c/../d/", here + "/a/b/d"},
        {"c:\\docs\\a b.txt", here + "/c:\\docs\\a b.txt"},
        {"..", fs::parentPath(here)},
        {"/", "/"},
        {"//", "/"},
        {"/../../x/", "/x"},
        {"///usr//./lib/..", "/usr"},
        {"link/..", here}};  // a symlink is not followed
    for (const auto& [in, out] : full) {
        EXPECT_EQ(fs::fullPath(in), out) << in;
    }
    std::filesystem::current_path(saved);
    const std::tuple<std::string, std::string, std::string> pieces[] = {// path, parent, base
                                                                        {"/a/b.txt", "/a", "b.txt"},
                                                                        {"/a/b/", "/a", "b"},
                                                                        {"/a", "/", "a"},
                                                                        {"/", "/", ""},
                                                                        {"file", "", "file"}};
    for (const auto& [in, parent, base] : pieces) {
        EXPECT_EQ(fs::parentPath(in), parent) << in;
        EXPECT_EQ(fs::baseName(in), base) << in;
    }
}

TEST_F(FileSystemTest, StatusListingAndAttributes) {
    int error = -1;
    fs::FileStatus missing;
    EXPECT_TRUE(fs::getStatus(path("missing"), missing, &error));
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(error, 0);
    writeFile(path("file.txt"), "12345");
    EXPECT_FALSE(status("file.txt/below").exists) << "below a file: just missing";

    fs::FileStatus file = status("file.txt");
    EXPECT_TRUE(file.exists && file.isRegular && !file.isDirectory && !file.readOnly);
    EXPECT_EQ(file.size, 5u);
    ASSERT_TRUE(fs::setModifiedTime(path("file.txt"), {1500000000, 123456789}));
    ASSERT_TRUE(fs::setReadOnly(path("file.txt")));
    file = status("file.txt");
    EXPECT_EQ(file.modified, (fs::FileTime{1500000000, 123456789}));
    EXPECT_TRUE(file.readOnly);
    EXPECT_EQ(file.mode, 0444u);
    ASSERT_TRUE(fs::setWritable(path("file.txt")));
    EXPECT_EQ(status("file.txt").mode, 0644u);

    // Folders under the umask, links followed.
    const mode_t oldMask = umask(027);
    EXPECT_EQ(fs::currentUmask(), 027u);
    EXPECT_TRUE(fs::createDirectory(path("sub")));
    EXPECT_EQ(fs::currentUmask(), 027u) << "reading it leaves it";
    umask(oldMask);
    EXPECT_FALSE(fs::createDirectory(path("sub"), &error));
    EXPECT_EQ(error, EEXIST);
    EXPECT_TRUE(status("sub").isDirectory);
    EXPECT_EQ(status("sub").mode, 0750u);
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

    writeFile(path("sub/inner"), "x");
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
    env.set("TMPDIR", std::nullopt);
    EXPECT_EQ(fs::temporaryDirectory(), "/tmp");
}

TEST_F(FileSystemTest, CopyKeepsBytesTimesAndMode) {
    const std::string content = bytes(kLarge, 7) + std::string("\0tail\0", 6);
    writeFile(path("src"), content);
    ASSERT_EQ(chmod(path("src").c_str(), 0640), 0);
    for (const char* target : {"plain", "durable"}) {
        SCOPED_TRACE(target);
        // Again each time: reading the source moves its access time.
        const struct timespec times[2] = {{1400000000, 5}, {1300000000, 987654321}};
        ASSERT_EQ(utimensat(AT_FDCWD, path("src").c_str(), times, 0), 0);
        int error = -1;
        const fs::CopyOptions options{false, target[0] == 'd', -1};
        ASSERT_TRUE(fs::copyFile(path("src"), path(target), options, &error));
        EXPECT_EQ(error, 0);
        const fs::FileStatus copy = status(target);  // before reading it moves the atime
        EXPECT_EQ(copy.modified, (fs::FileTime{1300000000, 987654321}));
        EXPECT_EQ(copy.accessed, (fs::FileTime{1400000000, 5}));
        EXPECT_EQ(copy.mode, 0640u);
        EXPECT_TRUE(readFile(path(target)) == content) << "contents differ";
    }
    ASSERT_TRUE(fs::copyFile(path("src"), path("ro"), fs::CopyOptions{false, false, 0444}));
    EXPECT_EQ(status("ro").mode, 0444u);

    // Pseudo files report size 0 but have contents; an empty file stays empty.
    ASSERT_TRUE(fs::copyFile("/proc/version", path("version"), fs::CopyOptions{}));
    EXPECT_EQ(readFile(path("version")), readFile("/proc/version"));
    EXPECT_FALSE(readFile(path("version")).empty());
    writeFile(path("empty"), "");
    ASSERT_TRUE(fs::copyFile(path("empty"), path("empty2"), fs::CopyOptions{}));
    EXPECT_EQ(readFile(path("empty2")), "");
    EXPECT_EQ(names(), (std::vector<std::string>{"durable", "empty", "empty2", "plain", "ro", "src",
                                                 "version"}));
}

TEST_F(FileSystemTest, CopyReplacesOnlyWhenAskedAndFailsCleanly) {
    writeFile(path("src"), "new contents");
    writeFile(path("dst"), "old");
    ASSERT_TRUE(fs::setReadOnly(path("dst")));
    ASSERT_TRUE(fs::createDirectory(path("folder")));
    const std::tuple<std::string, std::string, bool, int> failures[] = {
        // from, to, replace, error
        {"src", "dst", false, EEXIST},
        {"missing", "x", false, ENOENT},
        {"folder", "x", false, EISDIR},
        {"src", "folder", true, EISDIR},
        {"src", "nofolder/x", false, ENOENT}};
    for (const auto& [from, to, replace, expected] : failures) {
        int error = 0;
        EXPECT_FALSE(
            fs::copyFile(path(from), path(to), fs::CopyOptions{replace, false, -1}, &error))
            << from << " -> " << to;
        EXPECT_EQ(error, expected) << from << " -> " << to;
    }
    EXPECT_EQ(readFile(path("dst")), "old");
    EXPECT_TRUE(fs::copyFile(path("src"), path("dst"), fs::CopyOptions{true, false, -1}));
    EXPECT_EQ(readFile(path("dst")), "new contents");
    EXPECT_EQ(names(), (std::vector<std::string>{"dst", "folder", "src"}));
    EXPECT_TRUE(names("folder").empty());
}

TEST_F(FileSystemTest, InjectedWriteFailureLeavesNoPartialFile) {
    const std::string content = bytes(kLarge, 3);
    writeFile(path("src"), content);
    writeFile(path("kept"), "kept");

    fs::setCopyFaultForTesting(ENOSPC, 4096, 2);
    int error = 0;
    EXPECT_FALSE(fs::copyFile(path("src"), path("dst"), fs::CopyOptions{}, &error));
    EXPECT_EQ(error, ENOSPC);
    EXPECT_FALSE(fs::copyFile(path("src"), path("kept"), fs::CopyOptions{true, true, -1}, &error));
    EXPECT_EQ(error, ENOSPC);
    EXPECT_EQ(readFile(path("kept")), "kept");
    EXPECT_EQ(names(), (std::vector<std::string>{"kept", "src"}));
    // Both armed failures are used up.
    EXPECT_TRUE(fs::copyFile(path("src"), path("dst"), fs::CopyOptions{}, &error));
    EXPECT_TRUE(readFile(path("dst")) == content) << "contents differ";

    // Until cleared: past the first chunk, and past the end of the file.
    for (uint64_t after : {uint64_t{(16u << 20) + 3}, uint64_t{kLarge + 1}}) {
        fs::setCopyFaultForTesting(EIO, after);
        EXPECT_FALSE(fs::copyFile(path("src"), path("a"), fs::CopyOptions{}, &error)) << after;
        EXPECT_EQ(error, EIO);
    }
    fs::clearCopyFaultForTesting();
    EXPECT_TRUE(fs::copyFile(path("src"), path("c"), fs::CopyOptions{}, &error));
    EXPECT_EQ(names(), (std::vector<std::string>{"c", "dst", "kept", "src"}));
}

TEST_F(FileSystemTest, AwkwardNamesCopyAndList) {
    std::vector<std::string> awkward = {
        "with space.txt", "quote\"s", "single'quote",   "back\\slash",
        "c:colon",        "-dash",    "semi;colon$(x)", "\xC3\xBCml\xC3\xA4ut \xE6\x97\xA5.doc"};
    ASSERT_TRUE(fs::createDirectory(path("out dir")));
    for (const std::string& name : awkward) {
        writeFile(path("in/" + name), "data of " + name);
        ASSERT_TRUE(fs::copyFile(path("in/" + name), path("out dir/" + name), fs::CopyOptions{}))
            << name;
        EXPECT_EQ(readFile(path("out dir/" + name)), "data of " + name);
        EXPECT_EQ(fs::baseName(fs::fullPath(path("out dir/" + name))), name);
    }
    std::sort(awkward.begin(), awkward.end());
    EXPECT_EQ(names("out dir"), awkward);
}

}  // namespace

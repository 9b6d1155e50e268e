// Two programs writing one repository at the same time: zebtest_writer and
// zebcheck processes started beside the test, on the test's data source and
// installation folder.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/RepositoryCheck.h"
#include "core/VersionedFile.h"
#include "platform/FileSystem.h"
#include "tests/core/ItemTestSupport.h"

extern char** environ;

namespace zebtest {
namespace {

using Strings = std::vector<std::string>;
constexpr auto kPatience = std::chrono::seconds(60);

// A program of the build running beside the test, both its output streams
// in a file. Its standard input is a pipe held open until go():
// zebtest_writer waits on it after "ready", so two of them start together.
// One still running when the object goes is killed, so a failing test never
// leaves one behind nor waits for one forever.
class Child {
public:
    Child(const std::string& program, Strings args, const std::string& output) : m_output(output) {
        args.insert(args.begin(), ZEBDOC_BINARY_DIR "/bin/" + program);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[0]);
        m_stdin = fds[1];
    }
    ~Child() {
        kill();
        go();
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void go() {
        if (m_stdin >= 0) {
            close(m_stdin);
            m_stdin = -1;
        }
    }
    bool running() {
        if (m_pid > 0 && waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
            m_pid = -1;
        }
        return m_pid > 0;
    }
    // False when it ended before printing "ready" or took too long.
    bool waitReady() {
        return pollFor([this] { return output().rfind("ready\n", 0) == 0; });
    }
    // Its exit status; -1 when it was killed or did not end in time.
    int wait() {
        if (!pollFor([] { return false; }) && running()) {
            ADD_FAILURE() << "still running after " << kPatience.count() << " s:\n" << output();
            kill();
        }
        return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
    }
    void kill() {
        if (running()) {
            ::kill(m_pid, SIGKILL);
            waitpid(m_pid, &m_status, 0);
            m_pid = -1;
        }
    }
    std::string output() const { return readFile(m_output); }
    // The rest of each output line that starts with the word `word`.
    Strings lines(const std::string& word) const {
        Strings found;
        std::istringstream in(output());
        for (std::string line; std::getline(in, line);) {
            if (line == word || line.rfind(word + " ", 0) == 0) {
                found.push_back(line.substr(std::min(line.size(), word.size() + 1)));
            }
        }
        return found;
    }

private:
    // Until `done` while it runs; false when it ended or time ran out first.
    template <typename Done>
    bool pollFor(Done done) {
        for (const auto end = std::chrono::steady_clock::now() + kPatience;
             std::chrono::steady_clock::now() < end && running();) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    std::string m_output;
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_status = -1;
};

class TwoProcessTest : public ItemTest {
protected:
    void SetUp() override {
        ItemTest::SetUp();
        std::filesystem::create_directories(docsDir());
    }

    std::unique_ptr<Child> start(const std::string& program, const Strings& args) {
        const std::string output = workDir() + "/out" + std::to_string(++m_children);
        return std::make_unique<Child>(program, args, output);
    }
    // Both released at once; each must end with 0.
    void runTogether(Child& a, Child& b) {
        ASSERT_TRUE(a.waitReady()) << a.output();
        ASSERT_TRUE(b.waitReady()) << b.output();
        a.go();
        b.go();
        EXPECT_EQ(a.wait(), 0) << a.output();
        EXPECT_EQ(b.wait(), 0) << b.output();
    }
    int zebcheck(bool repair, std::string& output) {
        auto check = start("zebcheck", repair ? Strings{"--repair"} : Strings{});
        check->go();
        const int status = check->wait();
        output = check->output();
        return status;
    }

    std::string doc(const std::string& name) const { return docsDir() + "/" + name; }
    std::set<std::string> revisionsOf(const std::string& path) {
        const Strings uids = column(
            "SELECT R.UID FROM REVTABLE R JOIN FILETABLE F ON R.MASTERUID = F.UID WHERE "
            "F.FilePath = '" +
            path + "'");
        return {uids.begin(), uids.end()};
    }
    // Revisions the writers reported made: "added FILE REV", "version REV".
    static std::set<std::string> made(std::initializer_list<const Child*> writers) {
        std::set<std::string> uids;
        for (const Child* writer : writers) {
            for (const std::string& added : writer->lines("added")) {
                uids.insert(added.substr(added.find(' ') + 1));
            }
            for (const std::string& version : writer->lines("version")) {
                uids.insert(version);
            }
        }
        return uids;
    }

    // After every scenario: nothing for the check to find, and no version
    // number or working path used twice.
    void expectConsistent() {
        RepositoryCheck check;
        ASSERT_TRUE(check.run(false)) << check.error();
        std::string findings;
        for (const RepositoryCheck::Finding& f : check.findings()) {
            findings +=
                std::string(RepositoryCheck::kindName(f.kind)) + " " + f.uid + " " + f.path + "\n";
        }
        EXPECT_EQ(check.problemCount(), 0) << findings;
        EXPECT_EQ(rawCount("SELECT MASTERUID, REVVER FROM REVTABLE GROUP BY MASTERUID, REVVER "
                           "HAVING COUNT(*) > 1"),
                  0u);
        EXPECT_EQ(rawCount("SELECT FilePath FROM FILETABLE GROUP BY FilePath HAVING COUNT(*) > 1"),
                  0u);
    }

private:
    int m_children = 0;
};

TEST_P(TwoProcessTest, SameNewFileAddedByBothAtOnceIsAddedOnce) {
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string path = doc("same" + std::to_string(round) + ".txt");
        auto a = start("zebtest_writer", {"add", path, "1"});
        auto b = start("zebtest_writer", {"add", path, "1"});
        runTogether(*a, *b);
        // The other one lost the first add, or added a version after it.
        auto count = [&](const char* word) {
            return a->lines(word).size() + b->lines(word).size();
        };
        EXPECT_EQ(count("added"), 1u) << a->output() << b->output();
        EXPECT_EQ(count("lost") + count("version"), 1u) << a->output() << b->output();
        EXPECT_EQ(rawCount("SELECT UID FROM FILETABLE WHERE FilePath = '" + path + "'"), 1u);
        EXPECT_EQ(revisionsOf(path), made({a.get(), b.get()}));
    }
    expectConsistent();
}

TEST_P(TwoProcessTest, BothAddingVersionsOfOneFileGetDistinctNumbers) {
    constexpr size_t kEach = 100;
    const std::string path = doc("shared.txt");
    writeFile(path, "first");
    VersionedFile file("doc", "", path.c_str());
    ASSERT_TRUE(file.save());
    auto a = start("zebtest_writer", {"add", path, std::to_string(kEach)});
    auto b = start("zebtest_writer", {"add", path, std::to_string(kEach)});
    runTogether(*a, *b);
    EXPECT_EQ(a->lines("version").size(), kEach);
    EXPECT_EQ(b->lines("version").size(), kEach);

    std::set<std::string> expected = made({a.get(), b.get()});
    expected.insert(value("SELECT UID FROM REVTABLE WHERE REVVER = 1"));
    EXPECT_EQ(revisionsOf(path), expected);
    // Numbered 1 to 2 * kEach + 1, each number once.
    std::set<int> numbers;
    for (const std::string& version : column("SELECT REVVER FROM REVTABLE")) {
        numbers.insert(std::stoi(version));
    }
    EXPECT_EQ(numbers.size(), 2 * kEach + 1);
    EXPECT_EQ(*numbers.rbegin(), static_cast<int>(2 * kEach + 1));
    expectConsistent();
}

TEST_P(TwoProcessTest, DeletingTheLastRevisionWhileTheOtherAddsLosesNothingReported) {
    const std::string path = doc("contested.txt");
    auto adder = start("zebtest_writer", {"add", path, "80"});
    auto deleter = start("zebtest_writer", {"delete-last", path, "80"});
    runTogether(*adder, *deleter);
    EXPECT_FALSE(deleter->lines("deleted").empty()) << deleter->output();

    // Exactly what was reported made and not reported deleted is there.
    std::set<std::string> left = made({adder.get()});
    for (const std::string& deleted : deleter->lines("deleted")) {
        EXPECT_EQ(left.erase(deleted), 1u) << deleted << " deleted but never reported made";
    }
    EXPECT_EQ(revisionsOf(path), left);
    EXPECT_EQ(rowsOf("REVTABLE"), left.size());
    EXPECT_EQ(rowsOf("FILETABLE"), left.empty() ? 0u : 1u);
    expectConsistent();
}

TEST_P(TwoProcessTest, RepairRunningBesideAnAdderFindsNothingAndTakesNothing) {
    const std::string path = doc("busy.txt");
    auto adder = start("zebtest_writer", {"add", path, "60"});
    ASSERT_TRUE(adder->waitReady()) << adder->output();
    adder->go();
    int repairs = 0;
    for (std::string output; adder->running(); ++repairs) {
        ASSERT_EQ(zebcheck(true, output), 0) << output;
        // Under the writer lock a repair never meets a half-written add.
        EXPECT_NE(output.find("summary problems=0 "), std::string::npos) << output;
    }
    EXPECT_EQ(adder->wait(), 0) << adder->output();
    std::cout << repairs << " repairs beside 60 adds\n";
    EXPECT_EQ(revisionsOf(path), made({adder.get()}));
    EXPECT_EQ(rowsOf("REVTABLE"), 60u);
    expectConsistent();
}

TEST_P(TwoProcessTest, RepairAfterAWriterKilledAtAnyMomentLeavesAConsistentRepository) {
    constexpr int kRounds = 40;
    const char* fixed = std::getenv("ZEBDOC_TEST_SEED");
    const unsigned seed =
        fixed != nullptr ? std::strtoul(fixed, nullptr, 10) : std::random_device{}();
    std::cout << "seed " << seed << " (set ZEBDOC_TEST_SEED to repeat)\n";
    std::mt19937 random(seed);
    const std::string path = doc("crashed.txt");
    const std::regex wholeVersion("v [0-9]+ [0-9]+\n");
    int mended = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto writer = start("zebtest_writer", {"loop", path, std::to_string(random())});
        ASSERT_TRUE(writer->waitReady()) << writer->output();
        writer->go();
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 51));
        writer->kill();
        EXPECT_TRUE(writer->lines("FAILED").empty()) << writer->output();

        // The repair deletes no archived copy.
        Strings copies;
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(vfsRoot(), error)) {
            if (entry.is_regular_file() &&
                entry.path().filename().string().rfind(zeb::platform::kTempFilePrefix, 0) != 0) {
                copies.push_back(entry.path());
            }
        }
        std::string output;
        ASSERT_EQ(zebcheck(true, output), 0) << output;
        mended += output.find("summary problems=0 ") == std::string::npos;
        ASSERT_EQ(zebcheck(false, output), 0) << output;
        for (const std::string& copy : copies) {
            EXPECT_TRUE(pathExists(copy)) << copy << " lost by the repair";
        }
        // The working file, when there is one yet, holds one whole version.
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0) {
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_TRUE(std::regex_match(readFile(path), wholeVersion)) << readFile(path);
        }
    }
    std::cout << mended << " of " << kRounds << " repairs mended something\n";
    expectConsistent();
}

ZEB_INSTANTIATE_BACKENDS(TwoProcessTest);

}  // namespace
}  // namespace zebtest

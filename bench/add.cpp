// Adds versions of many small files through the core library, as the main
// program's "Add New Version" does, and the same with `git add FILE && git
// commit` per file on a copy of the files; prints the time per version of
// both and their ratio. Also times the writer lock against one add, and two
// programs adding at once against one doing the same work.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchWorld.h"
#include "core/DatabaseInstance.h"
#include "core/RepositoryCheck.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "core/WriterLock.h"

namespace {

// Times of one side (ours or git) for one round of versions.
struct Round {
    std::vector<double> seconds;  // per version
    unsigned long statements = 0;
    int failures = 0;

    double total() const {
        double sum = 0;
        for (double t : seconds) {
            sum += t;
        }
        return sum;
    }
    // The time below which `share` of the versions took.
    double percentile(double share) const {
        if (seconds.empty()) {
            return 0;
        }
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        const size_t at = static_cast<size_t>(share * static_cast<double>(sorted.size() - 1) + 0.5);
        return sorted[std::min(at, sorted.size() - 1)];
    }
    double median() const { return percentile(0.5); }
    void add(const Round& other) {
        seconds.insert(seconds.end(), other.seconds.begin(), other.seconds.end());
        statements += other.statements;
        failures += other.failures;
    }
};

constexpr int kBlock = 50;

const char* const kUsage =
    "Usage: bench_add [--files N] [--size BYTES] [--no-git] [--times FILE]\n"
    "                 [--writers N] [data source options]\n"
    "\n"
    "Versions N files (default 1000) of BYTES bytes (default 4096) through the core\n"
    "library, then a second version of each. With each file, the same is done with\n"
    "`git add FILE && git commit -q -m v` in a git repository holding a copy of the\n"
    "files (ours and git alternate in blocks of 50 files, so that both see the\n"
    "same load).\n"
    "Prints the time per version, the SQL statements per add and the ratio\n"
    "ours/git. --times writes each version's time to FILE.\n"
    "\n"
    "Then times an acquire and release of the writer lock against one add, and\n"
    "N versions (default 200; 0: none) added by each of two programs at once, to\n"
    "two files and to one file, against one program adding them all.\n"
    "\n";

std::string fileName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "doc%05d.txt", i);
    return name;
}

// The main program's add of one file: a path already versioned gets a new
// revision (after the comparison with its archived copies), a new one is
// saved as a new versioned file.
bool addVersion(const std::string& path, const std::string& name) {
    UID uid = UID::none();
    if (!VersionedFile::isFileVersioned(path.c_str(), uid)) {
        VersionedFile file(name.c_str(), "Size: 4 KB", path.c_str());
        return file.save();
    }
    VersionedFile file(uid);
    RevisionFile revision(name.c_str(), "Size: 4 KB", &file);
    // Unchanged files make the program ask first; the answer here is yes.
    revision.diffFile(path.c_str(), &file);
    return revision.save();
}

void timeOurs(const std::string& folder, int i, Round& round) {
    const std::string name = fileName(i);
    const unsigned long before = DatabaseInstance::statementCount();
    const double start = bench::now();
    if (!addVersion(folder + "/" + name, name)) {
        ++round.failures;
    }
    round.seconds.push_back(bench::now() - start);
    round.statements += DatabaseInstance::statementCount() - before;
}

void timeGit(const std::string& repo, int i, Round& round) {
    const std::string name = fileName(i);
    const double start = bench::now();
    if (bench::runProgram({"git", "-C", repo, "add", name}) != 0 ||
        bench::runProgram({"git", "-C", repo, "commit", "-q", "-m", "v"}) != 0) {
        ++round.failures;
    }
    round.seconds.push_back(bench::now() - start);
}

// One line per version in the order they were made: round, file, ours, git.
void writeTimes(const std::string& path, const Round ours[2], const Round theirs[2]) {
    FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr) {
        return;
    }
    std::fprintf(out, "round file ours_ms git_ms\n");
    for (int version = 0; version < 2; ++version) {
        for (size_t i = 0; i < ours[version].seconds.size(); ++i) {
            const bool hasGit = i < theirs[version].seconds.size();
            std::fprintf(out, "%d %zu %.3f %.3f\n", version + 1, i,
                         1000.0 * ours[version].seconds[i],
                         hasGit ? 1000.0 * theirs[version].seconds[i] : 0.0);
        }
    }
    std::fclose(out);
}

void print(const char* what, const Round& round, bool statements) {
    const size_t n = round.seconds.size();
    std::printf(
        "%-22s %5zu in %7.3f s: %6.3f ms per version (median %6.3f, 90%% %6.3f, max "
        "%7.3f)",
        what, n, round.total(), 1000.0 * round.total() / n, 1000.0 * round.median(),
        1000.0 * round.percentile(0.9), 1000.0 * round.percentile(1.0));
    if (statements) {
        std::printf(", %.1f statements per add", static_cast<double>(round.statements) / n);
    }
    if (round.failures > 0) {
        std::printf("  (%d FAILED)", round.failures);
    }
    std::printf("\n");
}

// Gives the file new bytes of the same size (not flushed), in one rename so
// that another writer never archives half of it.
bool rewrite(const std::string& path, unsigned seed) {
    const std::string temporary = path + ".new" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        std::string bytes = std::to_string(seed) + "\n";
        bytes.resize(4096, 'x');
        out << bytes;
        if (!out.flush()) {
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

// A writing program: this one started again as `bench_add --writer N FILE...`
// with the world's environment. Says "ready" once connected, waits for its
// standard input to close, then adds N versions of each file in turn.
int runWriter(int count, const std::vector<std::string>& files) {
    if (!DatabaseInstance::instance()->isConnected()) {
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char go = 0;
    (void)!read(STDIN_FILENO, &go, 1);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        for (const std::string& path : files) {
            const std::string name = path.substr(path.rfind('/') + 1);
            failures += !rewrite(path, getpid() * 7919u + i) || !addVersion(path, name);
        }
    }
    return failures == 0 ? 0 : 1;
}

// Starts one writer program per group of files, releases them together and
// returns the time until the last has ended; negative when one failed.
double timeWriters(int count, const std::vector<std::vector<std::string>>& groups) {
    struct Writer {
        pid_t pid = -1;
        int in = -1;
        FILE* out = nullptr;
    };
    std::vector<Writer> writers;
    bool ok = true;
    for (const std::vector<std::string>& files : groups) {
        std::vector<std::string> args = {"bench_add", "--writer", std::to_string(count)};
        args.insert(args.end(), files.begin(), files.end());
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            ok = false;
            break;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        Writer writer;
        if (posix_spawn(&writer.pid, "/proc/self/exe", &actions, nullptr, argv.data(), environ) !=
            0) {
            writer.pid = -1;
            ok = false;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        writer.in = in[1];
        writer.out = fdopen(out[0], "r");
        writers.push_back(writer);
    }
    char line[64];
    for (Writer& writer : writers) {
        ok = writer.out != nullptr && std::fgets(line, sizeof line, writer.out) != nullptr &&
             std::string(line) == "ready\n" && ok;
    }
    ::sync();
    const double start = bench::now();
    for (Writer& writer : writers) {
        close(writer.in);
    }
    for (Writer& writer : writers) {
        int status = 0;
        ok = writer.pid > 0 && waitpid(writer.pid, &status, 0) == writer.pid && WIFEXITED(status) &&
             WEXITSTATUS(status) == 0 && ok;
        if (writer.out != nullptr) {
            std::fclose(writer.out);
        }
    }
    const double elapsed = bench::now() - start;
    return ok ? elapsed : -1;
}

// Two programs adding at once against one adding the same number of versions.
bool timeTwoWriters(const std::string& folder, int count) {
    std::filesystem::create_directories(folder);
    auto firstAdd = [&folder](const std::string& name) {
        const std::string path = folder + "/" + name;
        rewrite(path, 1);
        addVersion(path, name);
        return path;
    };
    const std::string a = firstAdd("one-a.txt");
    const std::string b = firstAdd("one-b.txt");
    const std::string c = firstAdd("two-c.txt");
    const std::string d = firstAdd("two-d.txt");
    const std::string e = firstAdd("two-same.txt");
    const double versions = 2.0 * count;
    const double one = timeWriters(count, {{a, b}});
    const double apart = timeWriters(count, {{c}, {d}});
    const double together = timeWriters(count, {{e}, {e}});
    std::printf("two programs, %d versions each (ms per version, wall time / versions):\n", count);
    std::printf("  one program, two files:     %7.3f\n", 1000.0 * one / versions);
    std::printf("  two programs, two files:    %7.3f  (ratio to one program %.3f)\n",
                1000.0 * apart / versions, apart / one);
    std::printf("  two programs, one file:     %7.3f  (ratio to one program %.3f)\n",
                1000.0 * together / versions, together / one);
    if (one < 0 || apart < 0 || together < 0) {
        std::printf("  (a writer FAILED)\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--writer") {
        return runWriter(std::atoi(argv[2]), std::vector<std::string>(argv + 3, argv + argc));
    }
    bench::WorldOptions options;
    std::vector<std::string> rest;
    if (!options.parse(argc, argv, rest)) {
        std::fprintf(stderr, "bench_add: %s\n", options.error.c_str());
        return 2;
    }
    int count = 1000;
    uint64_t size = 4096;
    bool git = true;
    int writerVersions = 200;
    std::string timesFile;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == "--files" && i + 1 < rest.size()) {
            count = std::atoi(rest[++i].c_str());
        } else if (rest[i] == "--size" && i + 1 < rest.size()) {
            size = std::strtoull(rest[++i].c_str(), nullptr, 10);
        } else if (rest[i] == "--times" && i + 1 < rest.size()) {
            timesFile = rest[++i];
        } else if (rest[i] == "--writers" && i + 1 < rest.size()) {
            writerVersions = std::atoi(rest[++i].c_str());
        } else if (rest[i] == "--no-git") {
            git = false;
        } else {
            std::fprintf(stderr, "%s%s", kUsage, bench::WorldOptions::usage());
            return rest[i] == "--help" ? 0 : 2;
        }
    }
    if (count <= 0) {
        std::fprintf(stderr, "bench_add: --files must be at least 1\n");
        return 2;
    }

    bench::World world(options);
    if (!world.ok()) {
        std::fprintf(stderr, "bench_add: %s\n", world.error().c_str());
        return 2;
    }
    const std::string docs = world.dir() + "/docs";
    const std::string repo = world.dir() + "/git";
    for (int i = 0; i < count; ++i) {
        if (!bench::writeDataFile(docs + "/" + fileName(i), size, i) ||
            (git && !bench::writeDataFile(repo + "/" + fileName(i), size, i))) {
            std::fprintf(stderr, "bench_add: cannot write the files in %s\n", world.dir().c_str());
            return 2;
        }
    }
    if (git &&
        (bench::runProgram({"git", "-C", repo, "init", "-q"}) != 0 ||
         bench::runProgram({"git", "-C", repo, "config", "user.name", "Bench"}) != 0 ||
         bench::runProgram({"git", "-C", repo, "config", "user.email", "bench@localhost"}) != 0)) {
        std::fprintf(stderr, "bench_add: git init failed in %s\n", repo.c_str());
        return 2;
    }
    std::printf("bench_add: %d files of %llu bytes; %s\n", count,
                static_cast<unsigned long long>(size), world.description().c_str());

    const double flushBefore = bench::flushLatency(world.dir());
    Round ours[2];
    Round theirs[2];
    for (int version = 0; version < 2; ++version) {
        if (version == 1) {
            // New bytes of the same size for every file, in both folders.
            for (int i = 0; i < count; ++i) {
                if (!bench::writeDataFile(docs + "/" + fileName(i), size, 1000000 + i) ||
                    (git && !bench::writeDataFile(repo + "/" + fileName(i), size, 1000000 + i))) {
                    std::fprintf(stderr, "bench_add: cannot change the files\n");
                    return 2;
                }
            }
        }
        // Blocks of files, ours then git, with the dirty pages of each block
        // written out (not timed) before the next: neither side's flushes
        // wait for the other's unwritten data.
        for (int block = 0; block < count; block += kBlock) {
            const int end = std::min(count, block + kBlock);
            ::sync();
            for (int i = block; i < end; ++i) {
                timeOurs(docs, i, ours[version]);
            }
            if (git) {
                ::sync();
                for (int i = block; i < end; ++i) {
                    timeGit(repo, i, theirs[version]);
                }
            }
        }
    }
    std::printf("fdatasync of 4 KiB here: median %.3f ms before, %.3f ms after\n",
                1000.0 * flushBefore, 1000.0 * bench::flushLatency(world.dir()));
    if (!timesFile.empty()) {
        writeTimes(timesFile, ours, theirs);
    }
    Round oursAll = ours[0];
    oursAll.add(ours[1]);
    print("ours, first versions", ours[0], true);
    print("ours, second versions", ours[1], true);
    print("ours, all", oursAll, true);

    bool ok = oursAll.failures == 0;
    if (git) {
        Round gitAll = theirs[0];
        gitAll.add(theirs[1]);
        print("git, first versions", theirs[0], false);
        print("git, second versions", theirs[1], false);
        print("git, all", gitAll, false);
        std::printf("ratio ours/git: %.3f (medians %.3f; target <= 0.2)\n",
                    oursAll.total() / gitAll.total(), oursAll.median() / gitAll.median());
        ok = ok && gitAll.failures == 0;
    }

    // Every add takes the lock once; the scopes nested inside only count.
    constexpr int kCycles = 2000;
    const double lockStart = bench::now();
    for (int i = 0; i < kCycles; ++i) {
        WriterLock lock;
        ok = ok && lock.held();
    }
    const double lockCycle = (bench::now() - lockStart) / kCycles;
    const double oneAdd = oursAll.total() / static_cast<double>(oursAll.seconds.size());
    std::printf(
        "writer lock: %.2f us per acquire and release, %.3f%% of one add (mean %.3f ms); "
        "target < 5%%\n",
        1e6 * lockCycle, 100.0 * lockCycle / oneAdd, 1000.0 * oneAdd);
    if (writerVersions > 0) {
        ok = timeTwoWriters(world.dir() + "/writers", writerVersions) && ok;
    }

    RepositoryCheck check;
    if (!check.run(false) || check.remainingCount() != 0) {
        std::printf("repository check: %d problem(s) %s\n", check.remainingCount(),
                    check.error().c_str());
    }
    return ok ? 0 : 1;
}

// Adds versions of many small files through the core library, as the main
// program's "Add New Version" does, and the same with `git add FILE && git
// commit` per file on a copy of the files; prints the time per version of
// both and their ratio.

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchWorld.h"
#include "core/DatabaseInstance.h"
#include "core/RepositoryCheck.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"

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
    "                 [data source options]\n"
    "\n"
    "Versions N files (default 1000) of BYTES bytes (default 4096) through the core\n"
    "library, then a second version of each. With each file, the same is done with\n"
    "`git add FILE && git commit -q -m v` in a git repository holding a copy of the\n"
    "files (ours and git alternate in blocks of 50 files, so that both see the\n"
    "same load).\n"
    "Prints the time per version, the SQL statements per add and the ratio\n"
    "ours/git. --times writes each version's time to FILE.\n"
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

}  // namespace

int main(int argc, char** argv) {
    bench::WorldOptions options;
    std::vector<std::string> rest;
    if (!options.parse(argc, argv, rest)) {
        std::fprintf(stderr, "bench_add: %s\n", options.error.c_str());
        return 2;
    }
    int count = 1000;
    uint64_t size = 4096;
    bool git = true;
    std::string timesFile;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == "--files" && i + 1 < rest.size()) {
            count = std::atoi(rest[++i].c_str());
        } else if (rest[i] == "--size" && i + 1 < rest.size()) {
            size = std::strtoull(rest[++i].c_str(), nullptr, 10);
        } else if (rest[i] == "--times" && i + 1 < rest.size()) {
            timesFile = rest[++i];
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

    RepositoryCheck check;
    if (!check.run(false) || check.remainingCount() != 0) {
        std::printf("repository check: %d problem(s) %s\n", check.remainingCount(),
                    check.error().c_str());
    }
    if (!git) {
        return oursAll.failures == 0 ? 0 : 1;
    }
    Round gitAll = theirs[0];
    gitAll.add(theirs[1]);
    print("git, first versions", theirs[0], false);
    print("git, second versions", theirs[1], false);
    print("git, all", gitAll, false);
    std::printf("ratio ours/git: %.3f (medians %.3f; target <= 0.2)\n",
                oursAll.total() / gitAll.total(), oursAll.median() / gitAll.median());
    return oursAll.failures == 0 && gitAll.failures == 0 ? 0 : 1;
}

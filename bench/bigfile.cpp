// Versions one big file through the core library and, in the same run,
// copies it with `cp` and flushes the copy with `sync FILE` (the same durable
// result); prints the ratio ours / (cp + sync).

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchWorld.h"
#include "core/DatabaseInstance.h"
#include "core/VersionedFile.h"

namespace {

const char* const kUsage =
    "Usage: bench_bigfile [--size BYTES] [--rounds N] [data source options]\n"
    "\n"
    "Writes one file of BYTES bytes (default 1 GiB) and flushes it, then runs one\n"
    "warm-up round and N rounds (default 7) of: add it as a new versioned file,\n"
    "and `cp` it then\n"
    "`sync` the copy, alternating which goes first. Each round's outputs are\n"
    "removed before the next. Prints each time, the medians, the best times and\n"
    "the ratios ours / (cp + sync) of both.\n"
    "\n";

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One add of the file as a new versioned file; removed again afterwards
// (not timed).
double ours(const std::string& source, bool& ok) {
    VersionedFile file("big", "", source.c_str());
    const double start = bench::now();
    ok = file.save();
    const double seconds = bench::now() - start;
    ok = file.destroy() && ok;
    return seconds;
}

double copyAndSync(const std::string& source, const std::string& target, bool& ok) {
    const double start = bench::now();
    ok = bench::runProgram({"cp", source, target}) == 0 && bench::runProgram({"sync", target}) == 0;
    const double seconds = bench::now() - start;
    ok = unlink(target.c_str()) == 0 && ok;
    return seconds;
}

}  // namespace

int main(int argc, char** argv) {
    bench::WorldOptions options;
    std::vector<std::string> rest;
    if (!options.parse(argc, argv, rest)) {
        std::fprintf(stderr, "bench_bigfile: %s\n", options.error.c_str());
        return 2;
    }
    uint64_t size = 1ull << 30;
    int rounds = 7;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == "--size" && i + 1 < rest.size()) {
            size = std::strtoull(rest[++i].c_str(), nullptr, 10);
        } else if (rest[i] == "--rounds" && i + 1 < rest.size()) {
            rounds = std::atoi(rest[++i].c_str());
        } else {
            std::fprintf(stderr, "%s%s", kUsage, bench::WorldOptions::usage());
            return rest[i] == "--help" ? 0 : 2;
        }
    }
    if (rounds < 1 || size == 0) {
        std::fprintf(stderr, "bench_bigfile: --rounds and --size must be at least 1\n");
        return 2;
    }

    bench::World world(options);
    if (!world.ok()) {
        std::fprintf(stderr, "bench_bigfile: %s\n", world.error().c_str());
        return 2;
    }
    const std::string source = world.dir() + "/docs/big.bin";
    const std::string target = world.dir() + "/copy/big.bin";
    std::filesystem::create_directories(world.dir() + "/copy");
    // Written and flushed before anything is timed: both sides then read it
    // from the page cache and have no dirty page of it to wait for.
    if (!bench::writeDataFile(source, size, 1)) {
        std::fprintf(stderr, "bench_bigfile: cannot write %s\n", source.c_str());
        return 2;
    }
    std::printf("bench_bigfile: one file of %llu bytes, %d rounds; %s\n",
                static_cast<unsigned long long>(size), rounds, world.description().c_str());

    // One round of each first, not counted: the first copies after the
    // source was written ran up to six times slower here, for both sides.
    bool warm = true;
    ours(source, warm);
    copyAndSync(source, target, warm);
    if (!warm) {
        std::fprintf(stderr, "bench_bigfile: the warm-up round failed\n");
        return 1;
    }

    std::vector<double> oursTimes;
    std::vector<double> cpTimes;
    bool allOk = true;
    for (int round = 0; round < rounds; ++round) {
        bool okOurs = true;
        bool okCp = true;
        double a = 0;
        double b = 0;
        if (round % 2 == 0) {
            a = ours(source, okOurs);
            b = copyAndSync(source, target, okCp);
        } else {
            b = copyAndSync(source, target, okCp);
            a = ours(source, okOurs);
        }
        oursTimes.push_back(a);
        cpTimes.push_back(b);
        allOk = allOk && okOurs && okCp;
        std::printf("round %d (%s first): ours %.3f s, cp + sync %.3f s%s\n", round + 1,
                    round % 2 == 0 ? "ours" : "cp", a, b, okOurs && okCp ? "" : "  (FAILED)");
    }
    const double mb = static_cast<double>(size) / (1 << 20);
    const double oursMedian = median(oursTimes);
    const double cpMedian = median(cpTimes);
    std::printf("median: ours %.3f s (%.0f MiB/s), cp + sync %.3f s (%.0f MiB/s)\n", oursMedian,
                mb / oursMedian, cpMedian, mb / cpMedian);
    const double oursBest = *std::min_element(oursTimes.begin(), oursTimes.end());
    const double cpBest = *std::min_element(cpTimes.begin(), cpTimes.end());
    std::printf("best: ours %.3f s, cp + sync %.3f s\n", oursBest, cpBest);
    std::printf("ratio ours/(cp + sync): %.3f (best %.3f; target <= 1.1)\n", oursMedian / cpMedian,
                oursBest / cpBest);
    return allOk ? 0 : 1;
}

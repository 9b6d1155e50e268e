// Times the search form's work without its window: the statement over
// REVTABLE and FILETABLE, the filter and the result rows, over a repository
// of 100,000 revisions of 10,000 versioned files, for several criteria.
// The floor is the database's own shell (sqlite3, or psql) running the same
// join over the same database. Prints the times, the ratios ours/floor and
// the growth of the process's peak memory while searching.
//
// The repository is written with the core's statements (the same INSERTs
// the versioned items issue, in transactions of 10,000 rows) rather than by
// versioning real files, which would take hours; the archived copies that
// the size criterion examines are made as sparse files of the sizes wanted.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchWorld.h"
#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "core/Statements.h"

// The search's own code, built into this program (it belongs to the main
// program's library, which also holds the windows).
#include "app/search/SearchCriteria.cpp"
#include "app/search/SearchEngine.cpp"
#include "ui/ListRows.cpp"

namespace {

const char* const kUsage =
    "Usage: bench_search [--files N] [--revisions R] [--rounds K] [--no-copies]\n"
    "                    [data source options]\n"
    "\n"
    "Writes N versioned files (default 10000) of R revisions each (default 10)\n"
    "with the core's statements, and an archived copy of every revision (not\n"
    "with --no-copies). Then times the search's work (statement, filter, result\n"
    "rows; no drawing) for: no criteria, a name filter, \"is latest\", a type\n"
    "filter and a size filter, K rounds each (default 5, the median counts),\n"
    "against the same join run by the sqlite3 or psql shell. Prints the times,\n"
    "the ratios and the growth of the peak memory (VmHWM) while searching.\n"
    "\n";

const char* const kExtensions[] = {".txt", ".odt", ".pdf", ".doc", ".DOC",
                                   ".png", "",     ".ods", ".md",  ".c"};

std::string fileUid(int file) {
    char text[32];
    std::snprintf(text, sizeof text, "be1x%xx0", 0x60000000 + file);
    return text;
}

std::string revisionUid(int file, int version) {
    char text[32];
    std::snprintf(text, sizeof text, "be2x%xx%x", 0x60000000 + file, version);
    return text;
}

std::string filePath(int file) {
    char text[96];
    std::snprintf(text, sizeof text, "/home/bench/docs/dir%03d/file%05d%s", file / 100, file,
                  kExtensions[file % 10]);
    return text;
}

std::string revisionName(int file, int version) {
    char text[40];
    if ((file + version) % 7 == 0) {
        std::snprintf(text, sizeof text, "Annual Report %d", version);
    } else {
        std::snprintf(text, sizeof text, "Draft %d of %d", version, file);
    }
    return text;
}

uint64_t copySize(int file, int version) {
    return static_cast<uint64_t>(file * 131 + version * 977) % 4000;
}

// The peak resident size of this process so far, in KiB.
long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs a program with its output thrown away; true when it exits with 0.
bool runQuiet(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool run(const std::string& sql) {
    return DatabaseInstance::instance()->executeUpdate(sql);
}

// Writes the repository's rows; false with a message on the first failure.
bool buildRows(int files, int revisions, std::string& error) {
    const bool transactions = run("BEGIN");
    int pending = 0;
    auto step = [&](const std::string& sql) {
        if (!run(sql)) {
            error = sql + ": " + DatabaseInstance::lastError();
            return false;
        }
        if (transactions && ++pending >= 10000) {
            pending = 0;
            return run("COMMIT") && run("BEGIN");
        }
        return true;
    };
    for (int f = 0; f < files; ++f) {
        const std::string uid = fileUid(f);
        if (!step(Statements::insertObject(uid, "file" + std::to_string(f), "", "1600000000")) ||
            !step(Statements::insertFile(uid, filePath(f)))) {
            return false;
        }
        for (int v = 1; v <= revisions; ++v) {
            const std::string note = "Size: " + std::to_string(copySize(f, v) / 1000) + " KB";
            const std::string time = std::to_string(1600000000LL + f * 1000LL + v * 60LL);
            if (!step(Statements::insertRevision(revisionUid(f, v), revisionName(f, v), note, v,
                                                 uid, time))) {
                return false;
            }
        }
    }
    return !transactions || run("COMMIT");
}

bool makeCopies(int files, int revisions, std::string& error) {
    const std::string root = ArchiveRoot::path();
    for (int f = 0; f < files; ++f) {
        const std::string path = filePath(f);
        // The object directory: the copy's path without its name.
        std::string dir = archivedCopyPath(root, path, "x");
        dir.resize(dir.size() - 2);
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        for (int v = 1; v <= revisions; ++v) {
            const std::string copy = archivedCopyPath(root, path, revisionUid(f, v));
            const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0444);
            if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(copySize(f, v))) != 0) {
                error = "cannot make " + copy;
                if (fd >= 0) {
                    ::close(fd);
                }
                return false;
            }
            ::close(fd);
        }
    }
    return true;
}

struct Case {
    const char* name;
    SearchCriteria criteria;
    bool needsCopies = false;
};

}  // namespace

int main(int argc, char** argv) {
    bench::WorldOptions options;
    std::vector<std::string> rest;
    if (!options.parse(argc, argv, rest)) {
        std::fprintf(stderr, "bench_search: %s\n", options.error.c_str());
        return 2;
    }
    int files = 10000;
    int revisions = 10;
    int rounds = 5;
    bool copies = true;
    for (size_t i = 0; i < rest.size(); ++i) {
        const bool hasValue = i + 1 < rest.size();
        if (rest[i] == "--files" && hasValue) {
            files = std::atoi(rest[++i].c_str());
        } else if (rest[i] == "--revisions" && hasValue) {
            revisions = std::atoi(rest[++i].c_str());
        } else if (rest[i] == "--rounds" && hasValue) {
            rounds = std::atoi(rest[++i].c_str());
        } else if (rest[i] == "--no-copies") {
            copies = false;
        } else {
            std::fprintf(stderr, "%s%s", kUsage, bench::WorldOptions::usage());
            return rest[i] == "--help" ? 0 : 2;
        }
    }
    if (files < 1 || revisions < 1 || rounds < 1) {
        std::fprintf(stderr, "bench_search: --files, --revisions and --rounds must be >= 1\n");
        return 2;
    }

    bench::World world(options);
    if (!world.ok()) {
        std::fprintf(stderr, "bench_search: %s\n", world.error().c_str());
        return 2;
    }
    std::printf("bench_search: %d revisions over %d versioned files; %s\n", files * revisions,
                files, world.description().c_str());

    std::string error;
    double start = bench::now();
    if (!buildRows(files, revisions, error)) {
        std::fprintf(stderr, "bench_search: %s\n", error.c_str());
        return 1;
    }
    std::printf("  rows written in %.1f s\n", bench::now() - start);
    if (copies) {
        start = bench::now();
        if (!makeCopies(files, revisions, error)) {
            std::fprintf(stderr, "bench_search: %s\n", error.c_str());
            return 1;
        }
        std::printf("  archived copies made in %.1f s\n", bench::now() - start);
    }

    // The type list's statement, once per form.
    start = bench::now();
    const std::vector<std::string> types = search::readTypeSet();
    const double typeSetTime = bench::now() - start;
    const auto pdf = std::find(types.begin(), types.end(), ".pdf");

    // The floor: the database's own shell running the same join.
    const std::string join = Statements::selectRevisionsWithPaths();
    std::vector<std::string> shell;
    if (world.postgres()) {
        setenv("PGPASSWORD", options.pg.password.c_str(), 1);
        shell = {"psql",
                 "-X",
                 "-q",
                 "-A",
                 "-t",
                 "-h",
                 options.pg.host,
                 "-p",
                 options.pg.port,
                 "-U",
                 options.pg.user,
                 "-d",
                 "zebbench_" + std::to_string(getpid()),
                 "-c",
                 join};
    } else {
        shell = {"sqlite3", "-batch", "-readonly", world.dir() + "/zebdoc.db", join};
    }
    std::vector<Case> cases;
    cases.push_back({"no criteria", SearchCriteria()});
    SearchCriteria name;
    name.nameHas = "report";
    cases.push_back({"name has \"report\"", name});
    SearchCriteria latest;
    latest.versionChecked = true;
    latest.versionMode = SearchCriteria::kIsLatest;
    cases.push_back({"version is latest", latest});
    SearchCriteria type;
    type.typeChecked = true;
    type.typeIndex = pdf == types.end() ? -1 : static_cast<int>(pdf - types.begin());
    cases.push_back({"type .pdf", type});
    if (copies) {
        SearchCriteria size;
        size.sizeChecked = true;
        size.sizeKB = 2;
        cases.push_back({"size at least 2 KB", size, true});
    }

    // Rounds alternate between the floor and every search, so that all see
    // the same load; round 0 warms the caches and is not counted.
    const std::string root = ArchiveRoot::path();
    const long peakBefore = peakKiB();
    std::vector<double> floorTimes;
    std::vector<double> driverTimes;
    std::vector<std::vector<double>> times(cases.size());
    std::vector<size_t> rowCounts(cases.size());
    for (int round = 0; round <= rounds; ++round) {
        start = bench::now();
        if (!runQuiet(shell)) {
            std::fprintf(stderr, "bench_search: %s failed\n", shell[0].c_str());
            return 1;
        }
        const double floorTime = bench::now() - start;
        // What the driver alone costs: the statement and its rows, no value read.
        start = bench::now();
        ResultSet* rs = DatabaseInstance::instance()->executeQuery(join);
        while (rs->next()) {
        }
        const double driverTime = bench::now() - start;
        if (round > 0) {
            floorTimes.push_back(floorTime);
            driverTimes.push_back(driverTime);
        }
        for (size_t i = 0; i < cases.size(); ++i) {
            Rows results;
            start = bench::now();
            search::runSearch(cases[i].criteria, types, root, results);
            const double took = bench::now() - start;
            if (round > 0) {
                times[i].push_back(took);
            }
            rowCounts[i] = results.size();
        }
    }
    const long peakAfter = peakKiB();
    const double floor = median(floorTimes);

    std::printf("  floor (%s shell, same join): %.3f s; median of %d rounds\n", shell[0].c_str(),
                floor, rounds);
    std::printf("  ODBC driver alone (statement and fetch, no value read): %.3f s = %.2f x floor\n",
                median(driverTimes), floor > 0 ? median(driverTimes) / floor : 0);
    std::printf("  type list's statement: %.3f s, %zu types\n", typeSetTime, types.size());
    std::printf("  %-22s %8s %10s %10s\n", "search", "rows", "ours (s)", "ours/floor");
    bool ratiosMet = true;
    double slowest = 0;
    for (size_t i = 0; i < cases.size(); ++i) {
        const double ours = median(times[i]);
        slowest = std::max(slowest, ours);
        const double ratio = floor > 0 ? ours / floor : 0;
        // The size test examines every archived copy, which the floor does not.
        if (!cases[i].needsCopies) {
            ratiosMet = ratiosMet && ratio <= 2.0;
        }
        std::printf("  %-22s %8zu %10.3f %10.2f%s\n", cases[i].name, rowCounts[i], ours, ratio,
                    cases[i].needsCopies ? "  (also reads every archived copy's size)" : "");
    }
    const double growth = static_cast<double>(peakAfter - peakBefore) / 1024.0;
    std::printf("  peak memory growth while searching: %.1f MB (VmHWM %.1f -> %.1f MB)\n", growth,
                static_cast<double>(peakBefore) / 1024.0, static_cast<double>(peakAfter) / 1024.0);
    std::printf("  slowest search: %.3f s\n", slowest);
    std::printf("  targets: ours/floor <= 2 %s; growth <= 100 MB %s\n",
                ratiosMet ? "met" : "MISSED", growth <= 100.0 ? "met" : "MISSED");
    return 0;
}

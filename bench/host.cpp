// The file manager's click, timed: zebui-host add on one 4 KiB file, from
// the start of the process to its end, split into its parts, against the
// same add in-process (as bench_add makes it) in the same run.
//
//   bench_host [--files N] [common options]
//
// Prompts are answered by the extension's test seam (a build with the tests
// on has it): the first series loads no window code at all. With a display,
// a second series starts the window toolkit at the success message as the
// real prompts do, which gives the start of the extension's window library
// (loaded then) and of the toolkit.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchWorld.h"
#include "core/DatabaseInstance.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"

namespace {

const char* const kUsage = "usage: bench_host [--files N]\n";

long long monotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string hostProgram() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string path(self, length > 0 ? static_cast<size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + "zebui-host";
}

// One run of the host, in milliseconds: process start (spawn to main),
// loading the extension, the command (connection, add, prompt), exit.
struct HostTimes {
    bool ok = false;
    double start = 0, load = 0, command = 0, exit = 0, total = 0;
};

HostTimes runHost(const std::string& host, const std::string& file, const std::string& errors) {
    HostTimes times;
    std::vector<std::string> args = {host, "add", file};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const long long spawned = monotonicNs();
    const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (!started || waitpid(pid, &status, 0) != pid) {
        return times;
    }
    const long long ended = monotonicNs();
    std::ifstream in(errors);
    std::string line;
    long long start = 0, loaded = 0, done = 0, unloaded = 0;
    while (std::getline(in, line)) {
        if (std::sscanf(line.c_str(),
                        "zebui-host times: start=%lld loaded=%lld done=%lld unloaded=%lld", &start,
                        &loaded, &done, &unloaded) == 4) {
            times.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
    }
    times.start = (start - spawned) / 1e6;
    times.load = (loaded - start) / 1e6;
    times.command = (done - loaded) / 1e6;
    times.exit = (ended - done) / 1e6;
    times.total = (ended - spawned) / 1e6;
    return times;
}

bool addInProcess(const std::string& path, const std::string& name) {
    UID uid = UID::none();
    if (!VersionedFile::isFileVersioned(path.c_str(), uid)) {
        VersionedFile file(name.c_str(), "Size: 4 KB", path.c_str());
        return file.save();
    }
    VersionedFile file(uid);
    RevisionFile revision(name.c_str(), "Size: 4 KB", &file);
    revision.diffFile(path.c_str(), &file);
    return revision.save();
}

struct Series {
    std::vector<double> start, load, command, exit, total;
    int failures = 0;
    void add(const HostTimes& t) {
        if (!t.ok) {
            ++failures;
            return;
        }
        start.push_back(t.start);
        load.push_back(t.load);
        command.push_back(t.command);
        exit.push_back(t.exit);
        total.push_back(t.total);
    }
    void print(const char* what) const {
        std::printf(
            "%-34s %6.1f ms: process start %5.1f, loading zebui %5.1f, command %5.1f, exit %5.1f "
            "(medians of %zu; %d failed)\n",
            what, median(total), median(start), median(load), median(command), median(exit),
            total.size(), failures);
    }
};

}  // namespace

int main(int argc, char** argv) {
    bench::WorldOptions options;
    std::vector<std::string> rest;
    if (!options.parse(argc, argv, rest)) {
        std::fprintf(stderr, "bench_host: %s\n", options.error.c_str());
        return 2;
    }
    int count = 30;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == "--files" && i + 1 < rest.size()) {
            count = std::max(1, std::atoi(rest[++i].c_str()));
        } else {
            std::fprintf(stderr, "%s%s", kUsage, bench::WorldOptions::usage());
            return rest[i] == "--help" ? 0 : 2;
        }
    }
    const std::string host = hostProgram();
    if (access(host.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "bench_host: %s is missing (build zebui-host)\n", host.c_str());
        return 2;
    }
    bench::World world(options);
    if (!world.ok()) {
        std::fprintf(stderr, "bench_host: %s\n", world.error().c_str());
        return 2;
    }
    std::printf("%s\n", world.description().c_str());
    const std::string docs = world.dir() + "/docs";
    setenv("ZEBUI_TEST_ANSWERS", "", 1);
    setenv("ZEBUI_HOST_TIMES", "1", 1);
    unsetenv("ZEBUI_TEST_TOOLKIT");

    // The connection alone: a fresh one's first statement against the next.
    std::vector<double> connection;
    for (int i = 0; i < 5; ++i) {
        delete DatabaseInstance::instance();
        UID uid = UID::none();
        const double t0 = bench::now();
        VersionedFile::isFileVersioned("/nowhere", uid);
        const double t1 = bench::now();
        VersionedFile::isFileVersioned("/nowhere", uid);
        const double t2 = bench::now();
        connection.push_back(1000.0 * ((t1 - t0) - (t2 - t1)));
    }

    // In-process and through the host, alternating, each on new files.
    std::vector<double> inProcess;
    Series plain;
    Series windowed;
    const bool display = std::getenv("DISPLAY") != nullptr;
    for (int i = 0; i < count; ++i) {
        const std::string a = "in-process-" + std::to_string(i) + ".txt";
        const std::string b = "host-" + std::to_string(i) + ".txt";
        const std::string c = "host-windowed-" + std::to_string(i) + ".txt";
        if (!bench::writeDataFile(docs + "/" + a, 4096, i) ||
            !bench::writeDataFile(docs + "/" + b, 4096, i + 100000) ||
            !bench::writeDataFile(docs + "/" + c, 4096, i + 200000)) {
            std::fprintf(stderr, "bench_host: cannot write the files in %s\n", docs.c_str());
            return 2;
        }
        const double t0 = bench::now();
        if (addInProcess(docs + "/" + a, a)) {
            inProcess.push_back(1000.0 * (bench::now() - t0));
        }
        plain.add(runHost(host, docs + "/" + b, world.dir() + "/host.err"));
        if (display) {
            setenv("ZEBUI_TEST_TOOLKIT", "1", 1);
            windowed.add(runHost(host, docs + "/" + c, world.dir() + "/host.err"));
            unsetenv("ZEBUI_TEST_TOOLKIT");
        }
    }
    const double add = median(inProcess);
    std::printf("%-34s %6.1f ms (median of %zu)\n", "in-process add (bench_add's path)", add,
                inProcess.size());
    std::printf("%-34s %6.1f ms (median of 5)\n", "connection (in process)", median(connection));
    plain.print("zebui-host add, no window");
    std::printf("  the add itself in the host: %.1f ms (command less connection)\n",
                median(plain.command) - median(connection));
    std::printf("host's work beyond toolkit start / in-process add: %.2f (target <= 2)\n",
                median(plain.total) / add);
    if (display) {
        windowed.print("zebui-host add, toolkit started");
        std::printf("  window library and toolkit start: %.1f ms\n",
                    median(windowed.command) - median(plain.command));
        std::printf("whole click with the toolkit: %.1f ms (target < 300)\n",
                    median(windowed.total));
    } else {
        std::printf("no display: the toolkit's start is not measured\n");
    }
    return plain.failures == 0 && windowed.failures == 0 ? 0 : 1;
}

// zebui-host: plays the file manager's part for the context-menu extension.
// The file manager's glue starts it with the chosen command and the selected
// files; it finds the extension in the registry, loads it and drives it as
// the desktop's file manager drives an in-process server (HostSession.h).
//
//   zebui-host add FILE...    Add new version
//   zebui-host get FILE...    Get from archived version
//   zebui-host menu FILE...   prints the items the extension inserts
//
// With ZEBUI_HOST_TIMES set, it prints the monotonic clock (nanoseconds) at
// its start, after loading the extension, after the command and after
// unloading, on one line of its standard error, for the benchmark.

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "shellext/host/HostSession.h"
#include "shellext/host/ServerLocator.h"
#include "shellext/host/ServerModule.h"

namespace fs = zeb::platform;

namespace {

long long monotonicNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
    const long long started = monotonicNow();
    const bool timed = std::getenv("ZEBUI_HOST_TIMES") != nullptr;

    HostCommand command = HostCommand::Menu;
    std::vector<std::string> given;
    std::string error;
    if (!parseHostArguments(std::vector<std::string>(argv + 1, argv + argc), command, given,
                            error)) {
        std::fprintf(stderr, "zebui-host: %s\n", error.c_str());
        return 2;
    }
    // The extension is registered for files, as the file manager's menu is.
    std::vector<std::string> files;
    for (const std::string& path : given) {
        if (fs::isDirectory(path)) {
            std::fprintf(stderr, "zebui-host: %s is a folder: the menu is for files\n",
                         path.c_str());
        } else {
            files.push_back(path);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "zebui-host: no file to %s\n", commandWord(command));
        return 2;
    }

    const std::string library = locateServer(libraryBesideProgram(), error);
    ServerModule module;
    if (library.empty() || !module.load(library, error)) {
        std::fprintf(stderr, "zebui-host: %s\n", error.c_str());
        return 1;
    }
    const long long loaded = monotonicNow();

    const HostOutcome outcome =
        runSession({module.getClassObject(), module.canUnloadNow()}, command, files);
    const long long done = monotonicNow();
    if (command == HostCommand::Menu) {
        for (const HostMenuItem& item : outcome.menu) {
            if (item.separator) {
                std::printf("-\n");
            } else {
                std::printf("%u\t%s\n", item.id - kFirstCommandId, item.text.c_str());
            }
        }
        std::fflush(stdout);
    }
    if (!outcome.ok) {
        std::fprintf(stderr, "zebui-host: %s\n", outcome.error.c_str());
    }
    if (outcome.canUnload) {
        module.unload();
    } else {
        std::fprintf(stderr, "zebui-host: the extension still has live objects\n");
    }
    if (timed) {
        std::fprintf(stderr, "zebui-host times: start=%lld loaded=%lld done=%lld unloaded=%lld\n",
                     started, loaded, done, monotonicNow());
    }
    return outcome.ok ? 0 : 1;
}

// zebdoc-filemanagers: puts the ZEBDOC items into the file managers' menus
// for the current user, or takes them out again (see Glue.h).
//
//   zebdoc-filemanagers install [--host PATH]
//   zebdoc-filemanagers uninstall
//   zebdoc-filemanagers generate FOLDER [--host PATH]
//
// The host is zebui-host beside this program unless --host names another
// (by its full path).

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "shellext/clients/Glue.h"

namespace {

std::string hostBesideProgram() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return {};
    }
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + "zebui-host";
}

int usage() {
    std::fprintf(stderr,
                 "usage: zebdoc-filemanagers install [--host PATH]\n"
                 "       zebdoc-filemanagers uninstall\n"
                 "       zebdoc-filemanagers generate FOLDER [--host PATH]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string host = hostBesideProgram();
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--host") {
            host = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i),
                       args.begin() + static_cast<long>(i) + 2);
            break;
        }
    }
    if (args.empty()) {
        return usage();
    }
    std::string error;
    bool ok = false;
    if (args[0] == "install" && args.size() == 1) {
        ok = glue::installForUser(host, error);
        if (ok) {
            std::printf(
                "The ZEBDOC items are in the menus of Nemo, Thunar and Dolphin, and in the "
                "Scripts menu of Nautilus and Caja (restart a running file manager).\n");
        }
    } else if (args[0] == "uninstall" && args.size() == 1) {
        ok = glue::uninstallForUser(error);
    } else if (args[0] == "generate" && args.size() == 2) {
        ok = glue::generate(args[1], host, error);
    } else {
        return usage();
    }
    if (!ok) {
        std::fprintf(stderr, "zebdoc-filemanagers: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

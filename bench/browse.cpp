// Times the browse tree on a folder of many versioned files: selecting the
// folder (its listing in the right pane) and expanding it (a node per file),
// for folders of 1,000 and 10,000 files, in the program's own main window.
// Prints the time per entry at each size and the ratio of the two: linear
// work gives a ratio near 1. For comparison it also times the archive
// folder's reading alone (directory, kinds and the one query) and what one
// look-up per entry (VersionedFile::isFileVersioned) would cost.
//
// The files are versioned through the core library (VersionedFile::save),
// as Add does; at 11,000 files that takes a while. Needs a display: run it
// under xvfb-run.

// The ODBC headers first: the window system's headers define UNICODE, which
// would turn the plain ODBC calls of the benchmark world into wide ones.
#include "bench/BenchWorld.h"

#include <stdlib.h>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/treectrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/browse/ArchiveFolder.h"
#include "app/browse/TreeCtrl.h"
#include "app/window/MainWindow.h"
#include "app/window/StartUp.h"
#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "ui/IconView.h"

namespace {

const char* const kUsage =
    "Usage: xvfb-run -a bench_browse [--sizes N,M,...] [--rounds K] [data source options]\n"
    "\n"
    "Versions the files of one folder per size (default 1000 and 10000 files)\n"
    "with the core library, then, K times per size (default 5, the median\n"
    "counts), builds a new browse tree and times selecting the folder and\n"
    "expanding its node, each until the window has drawn. Prints the time per\n"
    "entry at each size and the ratio of the per-entry times of the largest\n"
    "and the smallest size.\n"
    "\n";

class BenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::string folderOf(const bench::World& world, int size) {
    return world.dir() + "/work/f" + std::to_string(size);
}

bool versionFolder(const std::string& folder, int size) {
    for (int i = 0; i < size; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "file%05d.txt", i);
        const std::string path = folder + "/" + name;
        if (!bench::writeDataFile(path, 64, static_cast<uint64_t>(i))) {
            return false;
        }
        VersionedFile file(name, "bench", path.c_str());
        if (!file.save()) {
            std::fprintf(stderr, "bench_browse: cannot version %s: %s\n", path.c_str(),
                         DatabaseInstance::lastError().c_str());
            return false;
        }
    }
    return true;
}

// Lets the window finish what the last action caused: pending events, the
// layout the controls do when idle, and drawing.
void settle(wxWindow* window) {
    for (int pass = 0; pass < 3; ++pass) {
        wxTheApp->Yield(true);
        for (int i = 0; i < 100 && wxTheApp->ProcessIdle(); ++i) {
        }
        window->Update();
    }
}

// The child of `node` named `name`, expanding `node` first.
wxTreeItemId childNamed(TreeCtrl& tree, const wxTreeItemId& node, const std::string& name) {
    tree.treeWindow()->Expand(node);
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree.treeWindow()->GetFirstChild(node, cookie); c.IsOk();
         c = tree.treeWindow()->GetNextChild(node, cookie)) {
        const NodeRecord* record = tree.nodeRecord(tree.nodeNumber(c));
        if (record && record->name == name) {
            return c;
        }
    }
    return wxTreeItemId();
}

// The node of a working folder, its ancestors expanded but not itself.
wxTreeItemId nodeOf(TreeCtrl& tree, const std::string& folder) {
    const std::string form = ArchiveRoot::archiveForm(folder);
    wxTreeItemId node = tree.treeWindow()->GetRootItem();
    size_t start = 0;
    while (node.IsOk() && start <= form.size()) {
        size_t end = form.find('/', start);
        if (end == std::string::npos) {
            end = form.size();
        }
        node = childNamed(tree, node, form.substr(start, end - start));
        start = end + 1;
    }
    return node;
}

struct Figures {
    int size = 0;
    double select = 0;           // seconds, median
    double expand = 0;           // seconds, median
    double read = 0;             // ArchiveFolder::read for the tree, median
    double list = 0;             // ArchiveFolder::read for the folder listing, median
    double perEntryLookups = 0;  // seconds for `size` isFileVersioned calls
    size_t listed = 0;           // rows of the folder listing
    size_t nodes = 0;            // children after expansion
};

bool measure(MainWindow* window, const bench::World& world, int size, int rounds, Figures& out) {
    out.size = size;
    const std::string folder = folderOf(world, size);
    std::vector<double> selects;
    std::vector<double> expands;
    std::vector<double> reads;
    std::vector<double> lists;
    for (int round = 0; round < rounds; ++round) {
        window->browse();
        auto* tree = dynamic_cast<TreeCtrl*>(window->leftPane());
        if (!tree) {
            std::fprintf(stderr, "bench_browse: the left pane is not the browse tree\n");
            return false;
        }
        settle(window);
        const wxTreeItemId node = nodeOf(*tree, folder);
        if (!node.IsOk()) {
            std::fprintf(stderr, "bench_browse: no node for %s\n", folder.c_str());
            return false;
        }
        settle(window);

        double start = bench::now();
        tree->treeWindow()->SelectItem(node);
        settle(window);
        selects.push_back(bench::now() - start);
        auto* icons = dynamic_cast<IconView*>(window->rightPane());
        out.listed = icons ? icons->rows().size() : 0;

        start = bench::now();
        tree->treeWindow()->Expand(node);
        settle(window);
        expands.push_back(bench::now() - start);
        out.nodes = tree->treeWindow()->GetChildrenCount(node, false);

        // The archive's part of each: the folder read for the listing and
        // for the nodes.
        const ArchiveFolder archived(ArchiveRoot::path(), ArchiveRoot::archiveForm(folder));
        std::vector<ArchiveEntry> entries;
        start = bench::now();
        archived.read(entries, false);
        lists.push_back(bench::now() - start);
        start = bench::now();
        archived.read(entries, true);
        reads.push_back(bench::now() - start);
    }
    out.select = median(selects);
    out.expand = median(expands);
    out.read = median(reads);
    out.list = median(lists);

    // What the folder would cost with one look-up per entry.
    const double start = bench::now();
    for (int i = 0; i < size; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/file%05d.txt", i);
        UID uid = UID::none();
        VersionedFile::isFileVersioned((folder + name).c_str(), uid);
    }
    out.perEntryLookups = bench::now() - start;
    return true;
}

double micros(double seconds, int size) {
    return seconds * 1e6 / size;
}

}  // namespace

int main(int argc, char** argv) {
    bench::WorldOptions options;
    std::vector<std::string> rest;
    if (!options.parse(argc, argv, rest)) {
        std::fprintf(stderr, "bench_browse: %s\n", options.error.c_str());
        return 2;
    }
    std::vector<int> sizes = {1000, 10000};
    int rounds = 5;
    for (size_t i = 0; i < rest.size(); ++i) {
        const bool hasValue = i + 1 < rest.size();
        if (rest[i] == "--sizes" && hasValue) {
            sizes.clear();
            const std::string list = rest[++i];
            for (size_t at = 0; at <= list.size();) {
                size_t comma = list.find(',', at);
                if (comma == std::string::npos) {
                    comma = list.size();
                }
                sizes.push_back(std::atoi(list.substr(at, comma - at).c_str()));
                at = comma + 1;
            }
        } else if (rest[i] == "--rounds" && hasValue) {
            rounds = std::atoi(rest[++i].c_str());
        } else {
            std::fprintf(stderr, "%s%s", kUsage, bench::WorldOptions::usage());
            return rest[i] == "--help" ? 0 : 2;
        }
    }
    if (sizes.empty() || rounds < 1 ||
        std::any_of(sizes.begin(), sizes.end(), [](int n) { return n < 1 || n > 99999; })) {
        std::fprintf(stderr, "bench_browse: sizes between 1 and 99999, rounds >= 1\n");
        return 2;
    }
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "bench_browse: no display; run it under xvfb-run -a\n");
        return 2;
    }

    bench::World world(options);
    if (!world.ok()) {
        std::fprintf(stderr, "bench_browse: %s\n", world.error().c_str());
        return 2;
    }
    std::printf("bench_browse: folders of");
    for (int size : sizes) {
        std::printf(" %d", size);
    }
    std::printf(" versioned files; %s\n", world.description().c_str());
    for (int size : sizes) {
        const double start = bench::now();
        if (!versionFolder(folderOf(world, size), size)) {
            return 1;
        }
        std::printf("  %d files versioned in %.1f s\n", size, bench::now() - start);
    }

    // The desktop settings stay in memory and the desktop's folders in the
    // temporary folder: nothing of the user's is read or written.
    ::setenv("GSETTINGS_BACKEND", "memory", 1);
    ::setenv("NO_AT_BRIDGE", "1", 1);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
        const std::string dir = world.dir() + "/" + name;
        std::filesystem::create_directories(dir);
        ::setenv(name, dir.c_str(), 1);
    }
    wxApp::SetInstance(new BenchApp);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    if (!wxEntryStart(wxArgc, wxArgv) || !wxTheApp->CallOnInit()) {
        std::fprintf(stderr, "bench_browse: cannot initialise the window system\n");
        return 2;
    }
    int status = 0;
    std::vector<Figures> figures;
    MainWindow* window = startUp();
    if (!window) {
        std::fprintf(stderr, "bench_browse: no main window\n");
        status = 1;
    } else {
        for (int size : sizes) {
            Figures f;
            if (!measure(window, world, size, rounds, f)) {
                status = 1;
                break;
            }
            figures.push_back(f);
        }
        window->Destroy();
        wxTheApp->Yield(true);
    }
    wxTheApp->OnExit();
    wxEntryCleanup();
    if (status != 0) {
        return status;
    }

    std::printf("\n  %7s %8s %8s %10s %10s %12s %12s   %s\n", "entries", "listed", "nodes",
                "select ms", "expand ms", "select us/e", "expand us/e",
                "archive's part (us/e): listing, nodes");
    for (const Figures& f : figures) {
        std::printf("  %7d %8zu %8zu %10.1f %10.1f %12.2f %12.2f   %.2f, %.2f\n", f.size, f.listed,
                    f.nodes, f.select * 1e3, f.expand * 1e3, micros(f.select, f.size),
                    micros(f.expand, f.size), micros(f.list, f.size), micros(f.read, f.size));
    }
    std::printf("\n  one look-up per entry instead (isFileVersioned):");
    for (const Figures& f : figures) {
        std::printf("  %d: %.1f ms (%.1f us/e)", f.size, f.perEntryLookups * 1e3,
                    micros(f.perEntryLookups, f.size));
    }
    std::printf("\n");
    if (figures.size() >= 2) {
        const Figures& small = figures.front();
        const Figures& large = figures.back();
        std::printf("\n  per-entry ratio %d/%d: select %.2f, expand %.2f (linear: 1.0)\n",
                    large.size, small.size,
                    micros(large.select, large.size) / micros(small.select, small.size),
                    micros(large.expand, large.size) / micros(small.expand, small.size));
    }
    return 0;
}

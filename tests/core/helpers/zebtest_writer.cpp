// zebtest_writer: another program writing the repository of the test that
// starts it (registry and ODBC settings come from the environment). Prints
// "ready" once connected, waits for a byte or the end of its standard input,
// then runs one command, printing one line per operation:
//
//   add PATH N          N times: the first add of PATH when it is not
//                       versioned ("added FILEUID REVUID", or "lost" when
//                       another program added it first), else a new version
//                       after changing it ("version REVUID", or "gone" when
//                       the file was deleted meanwhile)
//   delete-last PATH N  N times: deletes the highest-numbered revision
//                       ("deleted REVUID", "none")
//   loop PATH SEED      adds, restores and deletes at random until killed
//
// Anything unexpected prints "FAILED what" and makes the exit status 1.

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/DatabaseInstance.h"
#include "core/RevisionFile.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "core/WriterLock.h"

namespace {

bool g_failed = false;

void report(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void fail(const std::string& what) {
    g_failed = true;
    report("FAILED " + what);
}

std::string textOf(const IZEB& item) {
    char text[1024];
    item.getUID(text, sizeof text);
    return text;
}

UID uidFrom(const std::string& text) {
    UID uid = UID::none();
    uid = text.c_str();
    return uid;
}

std::string versionedAs(const std::string& path) {
    UID uid = UID::none();
    char text[1024] = "";
    if (VersionedFile::isFileVersioned(path.c_str(), uid)) {
        uid.toString(text, sizeof text);
    }
    return text;
}

// New content in one rename, so that no one archives half of it.
bool touch(const std::string& path) {
    static unsigned serial = 0;
    const std::string temporary = path + ".w" + std::to_string(getpid());
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fprintf(out, "v %d %u\n", getpid(), ++serial) > 0;
    return std::fclose(out) == 0 && written && std::rename(temporary.c_str(), path.c_str()) == 0;
}

// (version, identifier) of every revision of the file `uid`.
using Revisions = std::vector<std::pair<int, std::string>>;
Revisions revisionsOf(const std::string& uid) {
    if (uid.empty()) {
        return {};
    }
    const int room = VersionedObject::getNumRevs(uidFrom(uid)) + 8;
    std::unique_ptr<RevisionListElement[]> rows(new RevisionListElement[room]);
    int count = 0;
    VersionedObject::getRevisions(uidFrom(uid), rows.get(), room, &count);
    Revisions revisions;
    for (int i = 0; i < count; ++i) {
        revisions.emplace_back(std::atoi(rows[i][0]), rows[i][4]);
    }
    return revisions;
}

// The main program's Add of one file.
void addOnce(const std::string& path) {
    if (!touch(path)) {
        return fail("cannot write " + path);
    }
    const std::string uid = versionedAs(path);
    if (uid.empty()) {
        VersionedFile file("doc", "", path.c_str());
        WriterLock lock;  // so that the revision read back is this add's own
        if (file.save()) {
            const Revisions revisions = revisionsOf(textOf(file));
            report("added " + textOf(file) + " " +
                   (revisions.size() == 1 ? revisions[0].second : "?"));
        } else if (!versionedAs(path).empty()) {
            report("lost");
        } else {
            fail("add");
        }
        return;
    }
    VersionedFile file(uidFrom(uid));
    RevisionFile revision("next", "", &file);
    if (revision.save()) {
        report("version " + textOf(revision));
    } else if (versionedAs(path) != uid) {
        report("gone");
    } else {
        fail("version");
    }
}

void deleteLast(const std::string& path) {
    const std::string uid = versionedAs(path);
    // A first add under way shows the file's row before its revision's.
    const Revisions revisions = revisionsOf(uid);
    if (revisions.empty()) {
        usleep(5000);  // time for the other writer to add
        return report("none");
    }
    VersionedFile file(uidFrom(uid));
    const std::string last = std::max_element(revisions.begin(), revisions.end())->second;
    if (RevisionFile(uidFrom(last), &file).destroy()) {
        report("deleted " + last);
    } else {
        fail("delete " + last);
    }
}

// One writer alone: half versions, the rest restores, deletes of the whole
// file (and with them first adds) and deletes of a revision.
[[noreturn]] void loop(const std::string& path, unsigned seed) {
    std::mt19937 random(seed);
    for (;;) {
        const unsigned pick = random() % 10;
        const std::string uid = versionedAs(path);
        const Revisions revisions = revisionsOf(uid);
        if (revisions.empty() || pick < 5) {
            addOnce(path);
            continue;
        }
        VersionedFile file(uidFrom(uid));
        const std::string chosen = revisions[random() % revisions.size()].second;
        RevisionFile revision(uidFrom(chosen), &file);
        if (pick < 7) {
            revision.restore() ? report("restored " + chosen) : fail("restore " + chosen);
        } else if (pick < 8) {
            revision.destroy() ? report("deleted " + chosen) : fail("delete " + chosen);
        } else {
            file.destroy() ? report("destroyed " + uid) : fail("destroy " + uid);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc == 4 ? argv[1] : "";
    if (command != "add" && command != "delete-last" && command != "loop") {
        std::fprintf(stderr, "usage: zebtest_writer add|delete-last PATH N | loop PATH SEED\n");
        return 2;
    }
    // The SQLite driver loads and unloads the ODBC installer library with
    // every connection; held, its cache stays reachable.
    static void* const installer = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_LOCAL);
    (void)installer;
    std::unique_ptr<DatabaseInstance> db(DatabaseInstance::instance());
    if (db == nullptr || !db->isConnected()) {
        std::fprintf(stderr, "zebtest_writer: %s\n", DatabaseInstance::lastError().c_str());
        return 2;
    }
    report("ready");
    char go = 0;
    (void)!read(STDIN_FILENO, &go, 1);

    const std::string path = argv[2];
    const long count = std::strtol(argv[3], nullptr, 10);
    if (command == "loop") {
        loop(path, static_cast<unsigned>(count));
    }
    for (long i = 0; i < count; ++i) {
        command == "add" ? addOnce(path) : deleteLast(path);
    }
    return g_failed ? 1 : 0;
}

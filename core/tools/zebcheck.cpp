// zebcheck: compares the repository's tables with its archive of copies and
// reports what does not match, one line per finding; --repair removes the
// leftovers and orphans that hold no user data.

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/Registry.h"
#include "core/RepositoryCheck.h"
#include "platform/RegistryStore.h"

namespace {

constexpr int kConsistent = 0;
constexpr int kProblems = 1;
constexpr int kCannotCheck = 2;

const char* const kUsage =
    "Usage: zebcheck [--repair]\n"
    "\n"
    "Compares the repository's tables (MASTERZEB, REVTABLE, FILETABLE) with the\n"
    "archive of copies below the installation folder and reports every mismatch,\n"
    "one line per finding:\n"
    "\n"
    "  KIND UID PATH        (\"-\" where a finding has no UID or no path)\n"
    "    followed by indented lines: what it is, and what a repair does or why it\n"
    "    keeps it. The last line is a summary.\n"
    "\n"
    "Kinds:\n"
    "  revision-without-copy     revision row whose archived copy is missing\n"
    "  revision-without-object   revision row whose object has no row at all\n"
    "  copy-without-revision     archived copy without a revision row\n"
    "  file-without-object       FILETABLE row without MASTERZEB row\n"
    "  object-without-file       MASTERZEB row without FILETABLE row\n"
    "  object-without-revisions  versioned file without any revision row\n"
    "  folder-without-file       folder of archived copies that no file row names\n"
    "  unknown-file              file in the archive the system did not make\n"
    "  temporary-file            leftover of an interrupted copy\n"
    "  unreadable-folder         folder of the archive that cannot be listed\n"
    "  path-recorded-twice       one working path in several FILETABLE rows\n"
    "  empty-folder              (a note, not a problem) empty folder in the archive\n"
    "\n"
    "Without options nothing is changed. With --repair it removes temporary files\n"
    "and empty folders, deletes rows that point at nothing (revision rows without\n"
    "their copy, file rows without object and revisions, object rows without\n"
    "revisions), writes again the object row of a file whose add was interrupted,\n"
    "makes a copy without its row a revision of its file again (an add that was\n"
    "interrupted between the two), and checks again. It never deletes an archived\n"
    "copy, never follows a symbolic link, and never repairs a path recorded twice\n"
    "by deleting. A repair holds the repository's writer lock for its whole run:\n"
    "programs that add or delete versions wait for it, and it for them.\n"
    "\n"
    "The data source and the installation folder come from the registry values\n"
    "\"DSN\", \"UID\", \"PWD\" and \"DestinationPath\" ($ZEBDOC_REGISTRY names the\n"
    "registry file).\n"
    "\n"
    "Exit status: 0 when the repository is consistent (after --repair: when\n"
    "nothing is left), 1 when problems were found (after --repair: when some are\n"
    "left), 2 on a usage error or when the data source or the archive cannot be\n"
    "read.\n";

// The SQLite driver loads the ODBC installer library for each connection and
// unloads it at disconnect, which strands the library's cache of odbc.ini
// look-ups. Held for the life of the process, the library keeps it reachable
// (and leak checkers quiet).
void holdInstallerLibrary() {
    static void* const held = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_LOCAL);
    (void)held;
}

std::string registryValue(const char* name) {
    char buffer[1024] = "";
    GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name, buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

const char* orDash(const std::string& text) {
    return text.empty() ? "-" : text.c_str();
}

const char* outcomeWord(const RepositoryCheck::Finding& finding) {
    switch (finding.outcome) {
        case RepositoryCheck::Outcome::Open:
            return finding.repairable ? "with --repair" : "kept";
        case RepositoryCheck::Outcome::Repaired:
            return "repaired";
        case RepositoryCheck::Outcome::Kept:
            return "kept";
        case RepositoryCheck::Outcome::Failed:
            return "failed";
    }
    return "kept";
}

void print(const RepositoryCheck& check) {
    for (const RepositoryCheck::Finding& finding : check.findings()) {
        std::printf("%s %s %s\n", RepositoryCheck::kindName(finding.kind), orDash(finding.uid),
                    orDash(finding.path));
        if (!finding.detail.empty()) {
            std::printf("  %s\n", finding.detail.c_str());
        }
        if (!finding.remedy.empty()) {
            std::printf("  %s: %s\n", outcomeWord(finding), finding.remedy.c_str());
        }
    }
    const int problems = check.problemCount();
    const int remaining = check.remainingCount();
    std::printf(
        "summary problems=%d repaired=%d remaining=%d notes=%d files=%d revisions=%d "
        "archive=%s\n",
        problems, problems - remaining, remaining, check.noteCount(), check.fileCount(),
        check.revisionCount(), ArchiveRoot::path());
}

}  // namespace

int main(int argc, char** argv) {
    bool repair = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repair") == 0) {
            repair = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return kConsistent;
        } else {
            std::fprintf(stderr, "zebcheck: unknown argument \"%s\"\n\n%s", argv[i], kUsage);
            return kCannotCheck;
        }
    }

    holdInstallerLibrary();
    const std::string dsn = registryValue("DSN");
    if (dsn.empty()) {
        std::fprintf(stderr,
                     "zebcheck: no data source configured: the registry value \"DSN\" is missing "
                     "in %s\n",
                     zeb::platform::RegistryStore::readPath().c_str());
        return kCannotCheck;
    }
    DatabaseInstance* db = DatabaseInstance::instance();
    if (db == nullptr || !db->isConnected()) {
        std::fprintf(stderr, "zebcheck: cannot connect to the data source \"%s\": %s\n",
                     dsn.c_str(), DatabaseInstance::lastError().c_str());
        return kCannotCheck;
    }

    RepositoryCheck check;
    const bool checked = check.run(repair);
    if (!checked) {
        std::fprintf(stderr, "zebcheck: %s\n", check.error().c_str());
        delete db;
        return kCannotCheck;
    }
    print(check);
    std::fflush(stdout);
    delete db;
    return check.remainingCount() == 0 ? kConsistent : kProblems;
}

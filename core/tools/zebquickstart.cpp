// Quick start: makes a working configuration for the current user on the
// embedded database (registry values, an SQLite data source, the database
// file and its tables), then versions a sample document and prints what the
// repository holds. Running it again keeps the configuration and the data
// and adds one more version.
//
// With --configure-only it stops once the configuration and the tables are
// there; only a repository that holds no file yet gets the sample document
// (version 1), so that a new user has something to look at.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/Registry.h"
#include "core/ResultSet.h"
#include "core/RevisionFile.h"
#include "core/Schema.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "platform/FileSystem.h"
#include "platform/OdbcInstaller.h"
#include "platform/RegistryStore.h"

namespace fs = zeb::platform;
using zeb::platform::RegistryStore;

namespace {

const char* const kDataSource = "zebdoc";
const char* const kDriver = "SQLite3";

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/tmp";
}

// $XDG_DATA_HOME/zebdoc, by default ~/.local/share/zebdoc.
std::string dataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string base = xdg && *xdg ? std::string(xdg) : homeFolder() + "/.local/share";
    return base + "/zebdoc";
}

// The data folder holds the database and the archive: private, as are the
// database file and the journals SQLite makes beside it with its mode.
bool makePrivateFolder(const std::string& path) {
    return fs::createDirectories(path, 0700) && chmod(path.c_str(), 0700) == 0;
}

bool makePrivateFile(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    const bool ok = fchmod(fd, 0600) == 0;
    return close(fd) == 0 && ok;
}

std::string registryValue(const char* name) {
    char buffer[1024] = "";
    GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name, buffer);
    return buffer;
}

bool configure(const std::string& data) {
    if (!registryValue("DSN").empty()) {
        std::printf("Configuration found in %s: data source \"%s\", installation folder \"%s\"\n",
                    RegistryStore::readPath().c_str(), registryValue("DSN").c_str(),
                    registryValue("DestinationPath").c_str());
        return true;
    }
    const std::string database = data + "/zebdoc.db";
    if (!makePrivateFile(database)) {
        std::fprintf(stderr, "Cannot create the database file %s\n", database.c_str());
        return false;
    }
    fs::OdbcInstaller installer;
    if (!installer.isLoaded()) {
        std::fprintf(stderr, "The ODBC installer library (%s) is not installed: %s\n",
                     installer.libraryPath().c_str(), installer.lastError().c_str());
        return false;
    }
    std::vector<std::string> drivers;
    installer.installedDrivers(drivers);
    bool haveDriver = false;
    for (const auto& d : drivers) {
        haveDriver = haveDriver || d == kDriver;
    }
    if (!haveDriver) {
        std::fprintf(stderr,
                     "The ODBC driver \"%s\" is not installed (Debian package libsqliteodbc).\n",
                     kDriver);
        return false;
    }
    if (!installer.writeDataSource(false, kDataSource, kDriver,
                                   {{"Description", "ZEBDOC repository"},
                                    {"Database", database},
                                    {"JournalMode", "WAL"},
                                    {"SyncPragma", "FULL"},
                                    {"Timeout", "10000"}})) {
        std::fprintf(stderr, "Cannot write the data source \"%s\": %s\n", kDataSource,
                     installer.lastError().c_str());
        return false;
    }
    const char* const key = ZEBDOC_USERINFO_KEY;
    const bool written = RegistryStore::setString(HKEY_LOCAL_MACHINE, key, "DSN", kDataSource) &&
                         RegistryStore::setString(HKEY_LOCAL_MACHINE, key, "UID", "") &&
                         RegistryStore::setString(HKEY_LOCAL_MACHINE, key, "PWD", "") &&
                         RegistryStore::setString(HKEY_LOCAL_MACHINE, key, "DestinationPath", data);
    if (!written) {
        std::fprintf(stderr, "Cannot write the registry file %s\n",
                     RegistryStore::writePath().c_str());
        return false;
    }
    ArchiveRoot::refresh();
    std::printf("Configured: registry %s, data source \"%s\" (SQLite3, %s), archive %s\n",
                RegistryStore::writePath().c_str(), kDataSource, database.c_str(),
                ArchiveRoot::path());
    return true;
}

void printQuery(const char* title, const std::string& sql,
                const std::vector<const char*>& textColumns, const char* intColumn) {
    std::printf("%s\n", title);
    ResultSet* rows = DatabaseInstance::instance()->executeQuery(sql);
    while (rows->next()) {
        std::printf("  ");
        if (intColumn) {
            int value = -1;
            rows->getInt(intColumn, &value);
            std::printf("%s=%d  ", intColumn, value);
        }
        for (const char* column : textColumns) {
            char value[1024] = "";
            rows->getString(column, value, sizeof value);
            std::printf("%s=\"%s\"  ", column, value);
        }
        std::printf("\n");
    }
}

bool repositoryIsEmpty() {
    ResultSet* rows = DatabaseInstance::instance()->executeQuery("SELECT * FROM FILETABLE");
    return !rows->next();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string option = argc > 1 ? argv[1] : "";
    if (argc > 2 || (!option.empty() && option != "--configure-only")) {
        std::fprintf(stderr, "usage: zebquickstart [--configure-only]\n");
        return 2;
    }
    const bool configureOnly = option == "--configure-only";
    const std::string data = dataFolder();
    if (!makePrivateFolder(data)) {
        std::fprintf(stderr, "Cannot create the folder %s\n", data.c_str());
        return 1;
    }
    if (!configure(data)) {
        return 1;
    }

    DatabaseInstance* db = DatabaseInstance::instance();
    if (!db->isConnected()) {
        std::fprintf(stderr, "Cannot connect to the data source: %s\n",
                     DatabaseInstance::lastError().c_str());
        return 1;
    }
    if (Schema::createTables(false)) {
        std::printf("Created the tables MASTERZEB, REVTABLE and FILETABLE\n");
    } else {
        Schema::createIndexes();
    }
    if (configureOnly && !repositoryIsEmpty()) {
        return 0;
    }

    // A sample document, changed on every run so that each run adds a version.
    const std::string sample = data + "/sample/Welcome notes.txt";
    fs::createDirectories(fs::parentPath(sample), 0777);
    char stamp[64];
    const time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    FILE* out = std::fopen(sample.c_str(), "a");
    if (!out) {
        std::fprintf(stderr, "Cannot write %s\n", sample.c_str());
        return 1;
    }
    std::fprintf(out, "Edited %s\n", stamp);
    std::fclose(out);

    UID uid = UID::none();
    if (VersionedFile::isFileVersioned(sample.c_str(), uid)) {
        VersionedFile file(uid);
        RevisionFile revision("Welcome notes.txt", stamp, &file);
        if (!revision.save()) {
            std::fprintf(stderr, "Cannot archive a new version: %s\n",
                         DatabaseInstance::lastError().c_str());
            return 1;
        }
        char version[32];
        revision.getVersion(version, sizeof version);
        std::printf("Archived version %s of %s\n", version, sample.c_str());
    } else {
        VersionedFile file("Welcome notes.txt", stamp, sample.c_str());
        if (!file.save()) {
            std::fprintf(stderr, "Cannot put %s under version control: %s\n", sample.c_str(),
                         DatabaseInstance::lastError().c_str());
            return 1;
        }
        std::printf("Put %s under version control (version 1)\n", sample.c_str());
    }
    if (configureOnly) {
        return 0;
    }

    printQuery("FILETABLE", "SELECT * FROM FILETABLE", {"UID", "FilePath"}, nullptr);
    printQuery("MASTERZEB", "SELECT * FROM MASTERZEB", {"UID", "VerName", "VerNotes", "VerTime"},
               nullptr);
    printQuery("REVTABLE", "SELECT * FROM REVTABLE", {"UID", "REVNAME", "REVNOTES", "REVTIME"},
               "REVVER");
    std::printf("Archived copies are kept below %s\n", ArchiveRoot::path());
    return 0;
}

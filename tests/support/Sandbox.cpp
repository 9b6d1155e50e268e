#include "tests/support/Sandbox.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <vector>

namespace zebtest {

namespace {

// A place's state: missing, or its type, size and modification time.
std::string stateOf(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) {
        return "missing";
    }
    return std::to_string(st.st_mode) + "/" + std::to_string(st.st_size) + "/" +
           std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
}

class OutsideWatch : public ::testing::EmptyTestEventListener {
public:
    explicit OutsideWatch(const std::vector<std::string>& places) {
        for (const std::string& place : places) {
            m_before[place] = stateOf(place);
        }
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (auto& [place, before] : m_before) {
            const std::string now = stateOf(place);
            if (now != before) {
                ADD_FAILURE() << "the test wrote outside its temporary folders: " << place;
                before = now;  // reported once
            }
        }
    }

private:
    std::map<std::string, std::string> m_before;
};

struct Sandbox {
    std::string root;
    ~Sandbox() {
        std::error_code ec;
        if (!root.empty()) {
            std::filesystem::remove_all(root, ec);
        }
    }
};

}  // namespace

std::string enterSandbox() {
    static Sandbox sandbox;
    if (!sandbox.root.empty()) {
        return sandbox.root;
    }
    const char* realHome = std::getenv("HOME");
    const std::string home = realHome != nullptr ? realHome : "";
    std::vector<std::string> outside = {"/VFS", "/etc/zebdoc", "/etc/odbc.ini",
                                        "/etc/odbcinst.ini"};
    for (const char* mine : {"/.odbc.ini", "/.config/zebdoc", "/.local/share/zebdoc"}) {
        if (!home.empty()) {
            outside.push_back(home + mine);
        }
    }

    char pattern[] = "/tmp/zebtest-sandbox-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return std::string();
    }
    sandbox.root = pattern;
    const std::string& root = sandbox.root;
    for (const char* sub : {"/home", "/config", "/data", "/cache", "/runtime", "/tmp", "/share",
                            "/share/applications"}) {
        mkdir((root + sub).c_str(), 0700);
    }
    // The system's MIME, icon, settings-schema and theme tables, which GLib
    // and GTK need to name and draw file types; not its applications, so
    // that what opens a file is only what a test declares.
    for (const char* table : {"mime", "icons", "glib-2.0", "themes"}) {
        symlink((std::string("/usr/share/") + table).c_str(), (root + "/share/" + table).c_str());
    }
    setenv("HOME", (root + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    setenv("XDG_DATA_DIRS", (root + "/share").c_str(), 1);
    setenv("TMPDIR", (root + "/tmp").c_str(), 1);
    setenv("ZEBDOC_REGISTRY", (root + "/registry.reg").c_str(), 1);
    // The driver manager takes the user's odbc.ini from the password
    // database's home folder, not from HOME, and makes it when it is missing.
    setenv("ODBCINI", (root + "/home/.odbc.ini").c_str(), 1);
    ::testing::UnitTest::GetInstance()->listeners().Append(new OutsideWatch(outside));
    return root;
}

}  // namespace zebtest

#pragma once

// A private world for one benchmark run, shared by the benchmark programs
// (header-only: every bench/*.cpp is a program of its own). It makes a
// temporary folder holding unixODBC's configuration (ODBCSYSINI, ODBCINI),
// a registry file (ZEBDOC_REGISTRY) and the installation folder, and a fresh
// database: a SQLite file, or a new database on a PostgreSQL server, dropped
// at the end. Nothing outside the temporary folder is touched.
//
// PostgreSQL is chosen with --pg HOST:PORT:USER:PASSWORD, with --pgcluster
// DIR (the env file written by tests/support/pgcluster.sh), or with the
// same HOST:PORT:USER:PASSWORD text in $ZEBDOC_BENCH_PG.

#include <dlfcn.h>
#include <fcntl.h>
#include <glob.h>
#include <spawn.h>
#include <sql.h>
#include <sqlext.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/Registry.h"
#include "core/Schema.h"
#include "platform/RegistryStore.h"

extern char** environ;

namespace bench {

inline double now() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Runs a program (looked up in PATH) and waits for it; its exit status, or
// -1 when it could not be started or did not exit normally.
inline int runProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Writes `size` bytes that differ from file to file (by `seed`) and do not
// compress away; flushed, so that no dirty page of it is left to be written
// while something else is timed.
inline bool writeDataFile(const std::string& path, uint64_t size, uint64_t seed) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ull + 1);
    std::vector<uint64_t> block(std::min<uint64_t>(size, 1u << 20) / 8 + 1);
    bool ok = true;
    for (uint64_t written = 0; ok && written < size;) {
        for (uint64_t& word : block) {
            word = random();
        }
        const size_t want =
            static_cast<size_t>(std::min<uint64_t>(size - written, block.size() * 8));
        ok = ::write(fd, block.data(), want) == static_cast<ssize_t>(want);
        written += want;
    }
    ok = ok && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

// Median time of `count` fdatasync calls, each after rewriting 4 KiB of a
// file in `folder`: what one durable commit costs on this disk right now.
inline double flushLatency(const std::string& folder, int count = 21) {
    const std::string path = folder + "/.flushprobe";
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return 0;
    }
    std::vector<double> times;
    char block[4096];
    for (int i = 0; i < count; ++i) {
        std::memset(block, i, sizeof block);
        const double start = now();
        if (pwrite(fd, block, sizeof block, 0) != static_cast<ssize_t>(sizeof block) ||
            fdatasync(fd) != 0) {
            break;
        }
        times.push_back(now() - start);
    }
    close(fd);
    unlink(path.c_str());
    if (times.empty()) {
        return 0;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void removeTree(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

// A plain ODBC connection, for what the core does not do: making and
// dropping the PostgreSQL database, reading server settings.
class RawConnection {
public:
    RawConnection() = default;
    ~RawConnection() {
        if (m_dbc != SQL_NULL_HDBC) {
            SQLDisconnect(m_dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        }
        if (m_env != SQL_NULL_HENV) {
            SQLFreeHandle(SQL_HANDLE_ENV, m_env);
        }
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool open(const std::string& dsn, const std::string& user, const std::string& password) {
        if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env) != SQL_SUCCESS) {
            return false;
        }
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                      SQL_IS_INTEGER);
        if (SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc) != SQL_SUCCESS) {
            return false;
        }
        const SQLRETURN rc =
            SQLConnect(m_dbc, text(dsn), SQL_NTS, text(user), SQL_NTS, text(password), SQL_NTS);
        if (!SQL_SUCCEEDED(rc)) {
            m_error = diagnostics(SQL_HANDLE_DBC, m_dbc);
            SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
            m_dbc = SQL_NULL_HDBC;
            return false;
        }
        return true;
    }

    // Runs `sql`; the first column of the first row in `value` when asked.
    bool exec(const std::string& sql, std::string* value = nullptr) {
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        if (m_dbc == SQL_NULL_HDBC ||
            SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt) != SQL_SUCCESS) {
            return false;
        }
        SQLRETURN rc = SQLExecDirect(stmt, text(sql), SQL_NTS);
        bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
        if (!ok) {
            m_error = diagnostics(SQL_HANDLE_STMT, stmt);
        } else if (value != nullptr && SQL_SUCCEEDED(SQLFetch(stmt))) {
            char buffer[256] = "";
            SQLLEN length = 0;
            SQLGetData(stmt, 1, SQL_C_CHAR, buffer, sizeof buffer, &length);
            *value = buffer;
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return ok;
    }

    const std::string& error() const { return m_error; }

private:
    static SQLCHAR* text(const std::string& s) {
        return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
    }
    static std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
        SQLCHAR state[6] = {0};
        SQLCHAR message[512] = {0};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(type, handle, 1, state, &native, message, sizeof message, &length);
        return std::string(reinterpret_cast<char*>(state)) + ": " +
               reinterpret_cast<char*>(message);
    }

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    std::string m_error;
};

struct PgServer {
    std::string host;
    std::string port;
    std::string user;
    std::string password;
    bool given() const { return !port.empty(); }
};

// Options every benchmark takes; the rest is left in `rest`.
struct WorldOptions {
    PgServer pg;
    std::string parent;  // folder for the temporary folder; $TMPDIR or /tmp
    bool keep = false;
    std::string sqliteSync = "FULL";  // SyncPragma of the SQLite data source
    std::string error;

    static bool parsePg(const std::string& text, PgServer& out) {
        std::vector<std::string> parts;
        size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            const size_t colon = text.find(':', start);
            if (colon == std::string::npos) {
                return false;
            }
            parts.push_back(text.substr(start, colon - start));
            start = colon + 1;
        }
        parts.push_back(text.substr(start));  // the password may hold ':'
        out = PgServer{parts[0], parts[1], parts[2], parts[3]};
        return !out.host.empty() && !out.port.empty();
    }

    static bool readCluster(const std::string& dir, PgServer& out) {
        std::ifstream in(dir + "/env");
        std::map<std::string, std::string> values;
        std::string line;
        while (std::getline(in, line)) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos) {
                values[line.substr(0, eq)] = line.substr(eq + 1);
            }
        }
        out = PgServer{"127.0.0.1", values["PORT"], values["USER"], values["PASSWORD"]};
        return out.given();
    }

    // Takes the options it knows out of argv; false with `error` on a bad one.
    bool parse(int argc, char** argv, std::vector<std::string>& rest) {
        const char* env = std::getenv("ZEBDOC_BENCH_PG");
        if (env != nullptr && *env != '\0' && !parsePg(env, pg)) {
            error = "ZEBDOC_BENCH_PG is not HOST:PORT:USER:PASSWORD";
            return false;
        }
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            const bool hasValue = i + 1 < argc;
            if (arg == "--pg" && hasValue) {
                if (!parsePg(argv[++i], pg)) {
                    error = "--pg takes HOST:PORT:USER:PASSWORD";
                    return false;
                }
            } else if (arg == "--pgcluster" && hasValue) {
                if (!readCluster(argv[++i], pg)) {
                    error = std::string("no running cluster described in ") + argv[i] + "/env";
                    return false;
                }
            } else if (arg == "--sqlite") {
                pg = PgServer();
            } else if (arg == "--sqlite-sync" && hasValue) {
                sqliteSync = argv[++i];
            } else if (arg == "--dir" && hasValue) {
                parent = argv[++i];
            } else if (arg == "--keep") {
                keep = true;
            } else {
                rest.push_back(arg);
            }
        }
        return true;
    }

    static const char* usage() {
        return "  --sqlite            SQLite data source (default)\n"
               "  --pg H:P:USER:PWD   PostgreSQL server; a database is made for the run\n"
               "                      and dropped afterwards (also $ZEBDOC_BENCH_PG)\n"
               "  --pgcluster DIR     PostgreSQL cluster started by tests/support/pgcluster.sh\n"
               "  --sqlite-sync MODE  SyncPragma of the SQLite data source: FULL (default, as\n"
               "                      installed), NORMAL or OFF\n"
               "  --dir DIR           where the temporary folder goes ($TMPDIR or /tmp)\n"
               "  --keep              keep the temporary folder\n";
    }
};

class World {
public:
    explicit World(const WorldOptions& options) : m_options(options) {
        std::string parent = options.parent;
        if (parent.empty()) {
            const char* tmp = std::getenv("TMPDIR");
            parent = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
        }
        std::string templ = parent + "/zebbench.XXXXXX";
        if (mkdtemp(templ.data()) == nullptr) {
            m_error = "cannot make a temporary folder in " + parent;
            return;
        }
        m_dir = templ;
        setUp();
    }

    ~World() {
        if (DatabaseInstance::hasInstance()) {
            delete DatabaseInstance::instance();
        }
        if (!m_database.empty()) {
            RawConnection admin;
            if (admin.open(m_adminDsn, m_options.pg.user, m_options.pg.password)) {
                admin.exec("DROP DATABASE IF EXISTS " + m_database + " WITH (FORCE)");
            }
        }
        if (!m_dir.empty() && !m_options.keep) {
            removeTree(m_dir);
        }
    }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    const std::string& dir() const { return m_dir; }
    std::string installDir() const { return m_dir + "/install"; }
    bool postgres() const { return m_options.pg.given(); }
    // The data source and its durability settings, for the report.
    const std::string& description() const { return m_description; }

private:
    static std::string findDriver(const std::string& file) {
        for (const std::string& pattern : {"/usr/lib/*/odbc/" + file, "/usr/lib/odbc/" + file,
                                           "/usr/lib64/" + file, "/usr/local/lib/" + file}) {
            glob_t found{};
            if (glob(pattern.c_str(), 0, nullptr, &found) == 0 && found.gl_pathc > 0) {
                std::string path = found.gl_pathv[0];
                globfree(&found);
                return path;
            }
            globfree(&found);
        }
        return std::string();
    }

    void write(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::app);
        out << text;
    }

    std::string addDataSource(const std::string& name,
                              const std::vector<std::pair<std::string, std::string>>& attributes) {
        std::string section = "[" + name + "]\n";
        for (const auto& [key, value] : attributes) {
            section += key + "=" + value + "\n";
        }
        write(m_dir + "/odbc.ini", section + "\n");
        return name;
    }

    void setUp() {
        // The SQLite driver loads and unloads the installer library for each
        // connection; keeping it loaded keeps its caches.
        static void* const held = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_LOCAL);
        (void)held;

        std::filesystem::create_directories(m_dir + "/odbc");
        std::filesystem::create_directories(installDir());
        const std::string sqlite = findDriver("libsqlite3odbc.so");
        const std::string pg = findDriver("psqlodbca.so");
        write(m_dir + "/odbc/odbcinst.ini", "[SQLite3]\nDriver=" + sqlite +
                                                "\nThreading=2\n\n[PostgreSQL ANSI]\nDriver=" + pg +
                                                "\n\n");
        write(m_dir + "/odbc/odbc.ini", "");
        write(m_dir + "/odbc.ini", "");
        setenv("ODBCSYSINI", (m_dir + "/odbc").c_str(), 1);
        setenv("ODBCINI", (m_dir + "/odbc.ini").c_str(), 1);
        setenv("ZEBDOC_REGISTRY", (m_dir + "/registry.reg").c_str(), 1);

        std::string dsn;
        if (!postgres()) {
            if (sqlite.empty()) {
                m_error = "the SQLite ODBC driver (libsqliteodbc) is missing";
                return;
            }
            dsn = addDataSource("zebbench", {{"Driver", "SQLite3"},
                                             {"Database", m_dir + "/zebdoc.db"},
                                             {"JournalMode", "WAL"},
                                             {"SyncPragma", m_options.sqliteSync},
                                             {"Timeout", "10000"}});
            m_description = "SQLite (journal WAL, synchronous " + m_options.sqliteSync + ")";
        } else {
            if (pg.empty()) {
                m_error = "the PostgreSQL ODBC driver (odbc-postgresql) is missing";
                return;
            }
            const PgServer& server = m_options.pg;
            const std::vector<std::pair<std::string, std::string>> where = {
                {"Driver", "PostgreSQL ANSI"}, {"Servername", server.host}, {"Port", server.port}};
            auto with = [&where](const std::string& database) {
                auto attributes = where;
                attributes.emplace_back("Database", database);
                return attributes;
            };
            m_adminDsn = addDataSource("zebbench_admin", with("postgres"));
            RawConnection admin;
            if (!admin.open(m_adminDsn, server.user, server.password)) {
                m_error = "cannot connect to PostgreSQL at " + server.host + ":" + server.port +
                          ": " + admin.error();
                return;
            }
            const std::string database = "zebbench_" + std::to_string(getpid());
            if (!admin.exec("CREATE DATABASE " + database)) {
                m_error = "CREATE DATABASE " + database + ": " + admin.error();
                return;
            }
            m_database = database;
            std::string fsync = "?";
            std::string commit = "?";
            admin.exec("SHOW fsync", &fsync);
            admin.exec("SHOW synchronous_commit", &commit);
            dsn = addDataSource("zebbench", with(database));
            m_description = "PostgreSQL at " + server.host + ":" + server.port + " (fsync " +
                            fsync + ", synchronous_commit " + commit + ")";
        }

        using zeb::platform::RegistryStore;
        const std::pair<const char*, std::string> values[] = {{"DSN", dsn},
                                                              {"UID", m_options.pg.user},
                                                              {"PWD", m_options.pg.password},
                                                              {"DestinationPath", installDir()}};
        for (const auto& [name, value] : values) {
            if (!RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, name, value)) {
                m_error = std::string("cannot write the registry value ") + name;
                return;
            }
        }
        ArchiveRoot::refresh();
        if (!DatabaseInstance::instance()->isConnected()) {
            m_error = "cannot connect: " + DatabaseInstance::lastError();
            return;
        }
        if (!Schema::createTables(false)) {
            m_error = "cannot create the tables: " + DatabaseInstance::lastError();
        }
    }

    WorldOptions m_options;
    std::string m_dir;
    std::string m_adminDsn;
    std::string m_database;  // PostgreSQL database made for the run
    std::string m_description;
    std::string m_error;
};

}  // namespace bench

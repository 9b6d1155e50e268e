#include "core/DatabaseInstance.h"

#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/Registry.h"
#include "core/ResultSet.h"
#include "core/Utf8.h"

DatabaseInstance* DatabaseInstance::m_inst = nullptr;

namespace {

// The latest diagnostic report, kept for the whole process.
constexpr size_t kMaxErrorText = 389;
constexpr size_t kRegBufferSize = 1024;
unsigned long g_statementCount = 0;
unsigned long g_failureCount = 0;

struct Diagnostics {
    std::string text;
    std::vector<std::string> states;
};

Diagnostics& diagnostics() {
    static Diagnostics d;
    return d;
}

// The SQLite driver loads the ODBC installer library for every connection and
// unloads it at disconnect; the library's cache of odbc.ini look-ups is then
// stranded (about 1.5 KiB per connection). Kept resident (RTLD_NODELETE), the
// library keeps its cache reachable and reuses it. The handle itself is
// closed at once.
void keepInstallerLibraryResident() {
    static const bool done = [] {
        void* handle = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle != nullptr) {
            dlclose(handle);
        }
        return true;
    }();
    (void)done;
}

// Stands in when not even an empty result set can be allocated, so that a
// failed statement never yields null.
ResultSet& spareEmptyResultSet() {
    static ResultSet empty;
    return empty;
}

#ifdef ZEBDOC_TEST_SEAMS
struct InjectedFault {
    unsigned long countdown = 0;
    std::string state;
};

InjectedFault& injectedFault() {
    static InjectedFault fault;
    return fault;
}
#endif

std::string cutLine(const std::string& line) {
    return line.substr(0, zeb::utf8::prefixBytes(line.data(), line.size(), kMaxErrorText));
}

// Collects the diagnostic records of a failed call. Must run before any
// other call on the handle, which would replace them.
void report(SQLSMALLINT handleType, SQLHANDLE handle) {
    Diagnostics& d = diagnostics();
    d.text.clear();
    d.states.clear();
    if (handle == nullptr) {
        return;
    }
    try {
        // A driver that never answers SQL_NO_DATA must not keep us here.
        for (SQLSMALLINT record = 1; record < 1000; ++record) {
            SQLCHAR state[6] = {0};
            SQLINTEGER native = 0;
            SQLCHAR message[512] = {0};
            SQLSMALLINT length = 0;
            SQLRETURN rc =
                SQLGetDiagRec(handleType, handle, record, state, &native, message, 511, &length);
            if (rc == SQL_NO_DATA || rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) {
                break;
            }
            message[sizeof(message) - 1] = '\0';
            char line[1024];
            std::snprintf(line, sizeof(line),
                          "SQL Error State:%s, Native Error Code: %lX, ODBC Error: %s",
                          reinterpret_cast<const char*>(state),
                          static_cast<unsigned long>(static_cast<uint32_t>(native)),
                          reinterpret_cast<const char*>(message));
            std::string text = cutLine(line);
            d.states.emplace_back(reinterpret_cast<const char*>(state));
            if (d.text.empty()) {
                d.text = text;
            } else if (d.text.size() + text.size() + 1 >= kMaxErrorText + 1) {
                d.text = text;
            } else {
                d.text += '\n';
                d.text += text;
            }
        }
    } catch (const std::exception&) {
        // Out of memory: keep what was collected.
    }
}

#ifdef ZEBDOC_TEST_SEAMS
// True when the armed fault is due now; then the diagnostics say so.
bool takeInjectedFault() {
    InjectedFault& fault = injectedFault();
    if (fault.countdown == 0 || --fault.countdown != 0) {
        return false;
    }
    Diagnostics& d = diagnostics();
    d.states.assign(1, fault.state);
    d.text = "SQL Error State:" + fault.state +
             ", Native Error Code: 0, ODBC Error: statement failed on purpose (test)";
    return true;
}
#endif

}  // namespace

#ifdef ZEBDOC_TEST_SEAMS
void DatabaseInstance::failStatementForTesting(unsigned long nth, const char* state) {
    injectedFault().countdown = nth;
    injectedFault().state = state != nullptr ? state : "HY000";
}
#endif

DatabaseInstance* DatabaseInstance::instance() {
    if (m_inst == nullptr) {
        try {
            m_inst = new DatabaseInstance();
        } catch (const std::exception&) {
            m_inst = nullptr;
        }
    }
    return m_inst;
}

DatabaseInstance::DatabaseInstance() {
    keepInstallerLibraryResident();
    SQLHENV env = SQL_NULL_HENV;
    if (SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env) != SQL_SUCCESS) {
        return;
    }
    m_env = env;
    if (SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                      SQL_IS_INTEGER) != SQL_SUCCESS) {
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        m_env = nullptr;
        return;
    }
    connect();
}

bool DatabaseInstance::connect() {
    // Until SQLConnect answers, the latest return code says "no connection",
    // never the "matched no row" of an earlier statement.
    m_lastReturnCode = SQL_INVALID_HANDLE;
    if (m_env == nullptr) {
        return false;
    }
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (SQLAllocHandle(SQL_HANDLE_DBC, m_env, &dbc) != SQL_SUCCESS) {
        return false;
    }

    char dsn[kRegBufferSize] = "";
    char uid[kRegBufferSize] = "";
    char pwd[kRegBufferSize] = "";
    GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "DSN", dsn);
    GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "UID", uid);
    GetRegString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY, "PWD", pwd);

    SQLRETURN rc =
        SQLConnect(dbc, reinterpret_cast<SQLCHAR*>(dsn), SQL_NTS, reinterpret_cast<SQLCHAR*>(uid),
                   SQL_NTS, reinterpret_cast<SQLCHAR*>(pwd), SQL_NTS);
    std::memset(pwd, 0, sizeof pwd);
    m_lastReturnCode = rc;
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
        report(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        return false;
    }
    if (!prepareSession(dbc)) {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        return false;
    }
    m_dbc = dbc;
    m_lost = false;

    SQLUSMALLINT identifierCase = 0;
    if (SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_IDENTIFIER_CASE, &identifierCase, sizeof(identifierCase),
                                 nullptr))) {
        m_identifierCase = identifierCase;
    }
    return true;
}

bool DatabaseInstance::prepareSession(void* dbc) {
    char name[64] = "";
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length)) ||
        std::strcmp(name, "PostgreSQL") != 0) {
        return true;
    }
    // Quotes in values are doubled; that is safe only while a backslash is
    // an ordinary character, which older databases and roles turn off.
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt) != SQL_SUCCESS) {
        report(SQL_HANDLE_DBC, dbc);
        return false;
    }
    static const char kSet[] = "SET standard_conforming_strings = on";
    SQLRETURN rc =
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(kSet)), SQL_NTS);
    if (!SQL_SUCCEEDED(rc)) {
        report(SQL_HANDLE_STMT, stmt);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    m_lastReturnCode = rc;
    return SQL_SUCCEEDED(rc);
}

void DatabaseInstance::disconnect() {
    releaseStatement();
    if (m_dbc != nullptr) {
        SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        m_dbc = nullptr;
    }
}

bool DatabaseInstance::connectionLost() {
    for (const std::string& state : diagnostics().states) {
        // Class 08: connection exception. 57P01-57P03: the server is shutting
        // down, crashed, or not yet accepting connections.
        if (state.compare(0, 2, "08") == 0 || state == "57P01" || state == "57P02" ||
            state == "57P03") {
            return true;
        }
    }
    return false;
}

DatabaseInstance::~DatabaseInstance() {
    close();
    if (m_inst == this) {
        m_inst = nullptr;
    }
}

ResultSet* DatabaseInstance::executeQuery(const std::string& sql) {
    countFailure(executeStatement(sql));
    return m_resultSet != nullptr ? m_resultSet : &spareEmptyResultSet();
}

bool DatabaseInstance::executeUpdate(const std::string& sql) {
    return countFailure(executeStatement(sql));
}

bool DatabaseInstance::countFailure(bool succeeded) const {
    if (!succeeded && m_lastReturnCode != SQL_NO_DATA) {
        ++g_failureCount;
    }
    return succeeded;
}

bool DatabaseInstance::lastMatchedNoRow() const {
    return m_lastReturnCode == SQL_NO_DATA;
}

void DatabaseInstance::releaseStatement() {
    // The result set's buffers are bound to the statement: free the
    // statement (which closes its cursor) first.
    if (m_stmt != nullptr) {
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
        m_stmt = nullptr;
    }
    delete m_resultSet;
    m_resultSet = nullptr;
}

bool DatabaseInstance::executeStatement(const std::string& sql) {
    releaseStatement();
    ++g_statementCount;
    try {
        if (m_lost) {
            disconnect();
        }
        if (m_dbc == nullptr && !connect()) {
            // Still no connection: the report of the failed connection is
            // the latest one.
            if (SQL_SUCCEEDED(m_lastReturnCode)) {
                m_lastReturnCode = SQL_INVALID_HANDLE;
            }
            m_resultSet = new ResultSet();
            return false;
        }
#ifdef ZEBDOC_TEST_SEAMS
        if (takeInjectedFault()) {
            m_lastReturnCode = SQL_ERROR;
            m_lost = connectionLost();
            m_resultSet = new ResultSet();
            return false;
        }
#endif
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &stmt);
        m_lastReturnCode = rc;
        if (rc != SQL_SUCCESS) {
            report(SQL_HANDLE_DBC, m_dbc);
            m_lost = connectionLost();
            if (stmt != SQL_NULL_HSTMT && rc == SQL_SUCCESS_WITH_INFO) {
                SQLFreeHandle(SQL_HANDLE_STMT, stmt);
            }
            m_resultSet = new ResultSet();
            return false;
        }
        m_stmt = stmt;

        if (sql.size() > static_cast<size_t>(INT32_MAX)) {
            m_lastReturnCode = SQL_ERROR;
            report(SQL_HANDLE_STMT, nullptr);
            m_resultSet = new ResultSet();
            return false;
        }
        rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                           static_cast<SQLINTEGER>(sql.size()));
        m_lastReturnCode = rc;
        if (rc != SQL_SUCCESS) {
            report(SQL_HANDLE_STMT, stmt);
            m_lost = rc != SQL_NO_DATA && connectionLost();
            m_resultSet = new ResultSet();
            return false;
        }
        m_resultSet = new ResultSet(stmt, m_identifierCase);
        return true;
    } catch (const std::exception&) {
        // Out of memory while binding: no result set of our own this time.
        delete m_resultSet;
        m_resultSet = nullptr;
        return false;
    }
}

void DatabaseInstance::close() {
    disconnect();
    if (m_env != nullptr) {
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
        m_env = nullptr;
    }
}

std::string DatabaseInstance::lastError() {
    return diagnostics().text;
}

std::vector<std::string> DatabaseInstance::lastStates() {
    return diagnostics().states;
}

unsigned long DatabaseInstance::statementCount() {
    return g_statementCount;
}

unsigned long DatabaseInstance::failureCount() {
    return g_failureCount;
}

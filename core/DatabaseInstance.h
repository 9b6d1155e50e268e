#pragma once

#include <string>
#include <vector>

#include "core/ZebcoreExport.h"

class ResultSet;

// The process-wide ODBC connection. Opened on the first instance() with the
// data source, user and password stored in the registry ("DSN", "UID",
// "PWD" under HKEY_LOCAL_MACHINE "Software\Quorvane\ZEBDOC\UserInfo\").
// One statement and one result set exist at a time: every statement closes
// and frees the previous one.
//
// A connection that is gone (a failed first connect, or a statement that
// failed with SQLSTATE class 08 or a server shut-down code, as when the
// server was restarted) is opened again, from the registry's values at that
// time, by the next statement. The statement that failed is not repeated: it
// has failed, and its caller knows.
//
// On PostgreSQL every session runs with standard_conforming_strings on, so
// that a backslash in a quoted literal is an ordinary character whatever the
// database's or role's default; a session where that cannot be set is not
// used.
class ZEBCORE_API DatabaseInstance {
public:
    // The single instance, made on first use. Never null in practice.
    static DatabaseInstance* instance();

    virtual ~DatabaseInstance();

    // Runs the text and returns the current result set, which stays valid
    // until the next statement or close(). A failed statement gives a result
    // set without columns (next() false, every read false); never null.
    ResultSet* executeQuery(const std::string& sql);
    // True when the execution answered SQL_SUCCESS. An UPDATE or DELETE that
    // matched no row answers SQL_NO_DATA and gives false: lastReturnCode()
    // tells that apart from an error.
    bool executeUpdate(const std::string& sql);
    void close();

    // Return code of the latest SQLExecDirect (or of the allocation that
    // failed before it; SQL_INVALID_HANDLE, -2, without a connection), for
    // callers that must tell "matched no row" (SQL_NO_DATA, 100) from an
    // error.
    int lastReturnCode() const { return m_lastReturnCode; }
    bool lastMatchedNoRow() const;
    // True when instance() has made the instance and it was not deleted
    // since; does not make one.
    static bool hasInstance() { return m_inst != nullptr; }
    // True when the connection was opened.
    bool isConnected() const { return m_dbc != nullptr; }

    // The latest diagnostic report: one line per diagnostic record, at most
    // 389 characters, and the SQLSTATE codes of its records.
    static std::string lastError();
    static std::vector<std::string> lastStates();

    // Number of statements run by the process so far (for measurements).
    static unsigned long statementCount();
    // Number of statements that failed so far (one that matched no row does
    // not count): a caller that sees it grow over a sequence of its own
    // knows that the database refused something there, and lastError() may
    // say what.
    static unsigned long failureCount();

#ifdef ZEBDOC_TEST_SEAMS
    // Makes the `nth` statement from now fail (1: the next one) as if the
    // driver had answered SQL_ERROR with the SQLSTATE `state`; 0 disarms.
    // A state of class 08 also counts as a lost connection.
    static void failStatementForTesting(unsigned long nth, const char* state = "HY000");
#endif

private:
    DatabaseInstance();
    DatabaseInstance(const DatabaseInstance&) = delete;
    DatabaseInstance& operator=(const DatabaseInstance&) = delete;

    bool executeStatement(const std::string& sql);
    bool countFailure(bool succeeded) const;
    void releaseStatement();
    // Allocates the connection handle and connects; false (with a report)
    // when that fails, leaving m_dbc null.
    bool connect();
    void disconnect();
    // Settings every session needs; false when one cannot be made.
    bool prepareSession(void* dbc);
    // Whether the diagnostic states of the latest report say that the
    // connection is gone.
    static bool connectionLost();

    void* m_env = nullptr;   // SQLHENV
    void* m_dbc = nullptr;   // SQLHDBC
    void* m_stmt = nullptr;  // SQLHSTMT of the latest statement
    ResultSet* m_resultSet = nullptr;
    int m_identifierCase = 0;  // SQL_IDENTIFIER_CASE of the data source
    int m_lastReturnCode = 0;
    bool m_lost = false;  // the connection is gone; the next statement connects again

    static DatabaseInstance* m_inst;
};

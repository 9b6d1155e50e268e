#pragma once

#include <string>

// What the process's database connection shows at a moment: how many
// statements have run so far and how the latest one ended (an ODBC return
// code: SQL_SUCCESS 0, SQL_SUCCESS_WITH_INFO 1, SQL_NO_DATA 100, SQL_ERROR
// -1, SQL_INVALID_HANDLE -2 when there was no connection).
struct DatabaseReading {
    unsigned long statements = 0;
    int returnCode = 0;
};

// Decides when the person hears that the database cannot be used, and when
// the status bar stops saying so, from readings taken whenever the program
// is idle. A latest statement that failed (an error, or no connection to
// run it on) starts a spell of trouble, which is told once; a later
// statement that succeeds (a row or none) ends it, and the next failure
// starts a new one. A reading without a new statement changes nothing.
class DatabaseWatch {
public:
    enum class Change { kNone, kFailed, kRecovered };

    Change observe(const DatabaseReading& reading);
    bool isFailing() const { return m_failing; }

    // The message that tells it: the data source's name and what the
    // driver said (its diagnostic records, one a line).
    static std::string message(const std::string& dataSource, const std::string& diagnostic);

private:
    unsigned long m_seen = 0;
    bool m_failing = false;
};

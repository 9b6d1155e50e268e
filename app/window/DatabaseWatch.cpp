#include "app/window/DatabaseWatch.h"

#include "app/window/StringTable.h"

DatabaseWatch::Change DatabaseWatch::observe(const DatabaseReading& reading) {
    if (reading.statements == m_seen) {
        return Change::kNone;
    }
    m_seen = reading.statements;
    // Negative codes are the failures; "no row" (SQL_NO_DATA) and a
    // success with a warning are answers of a reachable database.
    const bool failed = reading.returnCode < 0;
    if (failed == m_failing) {
        return Change::kNone;
    }
    m_failing = failed;
    return failed ? Change::kFailed : Change::kRecovered;
}

std::string DatabaseWatch::message(const std::string& dataSource, const std::string& diagnostic) {
    return strings::filled(
        strings::kDatabaseUnusable,
        {dataSource, diagnostic.empty() ? strings::text(strings::kNoDiagnostic) : diagnostic});
}

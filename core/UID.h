#pragma once

#include <cstdint>
#include <ctime>

#include "core/ZebcoreExport.h"

// Identifier of every versioned object and revision: the making process's
// identity, a time base and a counter, written as lower-case hexadecimal
// fields joined by "x" ("4d8x3ea2b377x0", at most 22 characters). Stored and
// exchanged only as text.
class ZEBCORE_API UID {
public:
    // Makes a new identifier; every construction consumes one counter value.
    UID();
    UID(const UID&) = default;
    // A place to assign an identifier to, "0x0x0": spends no counter value.
    static UID none();

    // Writes the text form, cut to size - 1 characters and terminated.
    void toString(char* out, unsigned int size) const;
    // Takes the value from its text form; text without three fields, or
    // whose first or second field reads as 0, leaves the identifier as it was.
    UID& operator=(const char* text);
    UID& operator=(const UID& other);

    uint32_t host() const { return m_host; }
    int32_t time() const { return m_time; }
    uint16_t count() const { return m_count; }

    // Process-wide state shared by all identifiers made in the process. A
    // child made by fork takes its own process identity at once, so that it
    // never makes its parent's identifiers.
    static unsigned long m_hostUnique;
    static long m_lastTime;
    static unsigned short m_lastCount;

    // Seams for tests: the clock and the one-second sleep of the rollover wait.
    using ClockFunction = time_t (*)();
    using SleepFunction = void (*)(unsigned int milliseconds);
    static void setClock(ClockFunction clock);
    static void setSleep(SleepFunction sleep);

private:
    struct NoValue {};
    explicit UID(NoValue) : m_host(0), m_time(0), m_count(0) {}

    uint32_t m_host;
    int32_t m_time;
    uint16_t m_count;
};

#include "core/UID.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

time_t systemClock() {
    return ::time(nullptr);
}

void systemSleep(unsigned int milliseconds) {
    ::usleep(static_cast<useconds_t>(milliseconds) * 1000);
}

UID::ClockFunction g_clock = systemClock;
UID::SleepFunction g_sleep = systemSleep;

// Identifiers made within this many seconds share one time base.
constexpr long kTimeBaseSeconds = 1000;
constexpr unsigned short kCounterLimit = 0xFFFF;
constexpr size_t kReadBufferSize = 1024;

// Reads one hexadecimal field the way strtoul does with base 16: leading
// white space, an optional sign and an optional "0x" prefix; stops at the
// first non-digit; no digit reads as 0. The value is taken modulo 2^32 (a
// minus sign negates it there), so "ffffffff" reads back as 0xFFFFFFFF.
uint32_t readHexField(const char* text) {
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p))) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
        std::isxdigit(static_cast<unsigned char>(p[2]))) {
        p += 2;
    }
    uint64_t value = 0;
    bool overflow = false;
    for (; std::isxdigit(static_cast<unsigned char>(*p)); ++p) {
        const char c = *p;
        const unsigned digit = std::isdigit(static_cast<unsigned char>(c))
                                   ? static_cast<unsigned>(c - '0')
                                   : static_cast<unsigned>(std::tolower(c) - 'a' + 10);
        if (value > (UINT64_MAX >> 4)) {
            overflow = true;
        }
        value = (value << 4) | digit;
    }
    if (overflow || value > UINT32_MAX) {
        value = UINT32_MAX;
    }
    const uint32_t result = static_cast<uint32_t>(value);
    return negative ? static_cast<uint32_t>(0u - result) : result;
}

}  // namespace

unsigned long UID::m_hostUnique = static_cast<unsigned long>(::getpid());

namespace {

void takeChildIdentity() {
    UID::m_hostUnique = static_cast<unsigned long>(::getpid());
}

[[maybe_unused]] const int g_forkHandler = pthread_atfork(nullptr, nullptr, takeChildIdentity);

}  // namespace

UID UID::none() {
    return UID(NoValue{});
}
long UID::m_lastTime = static_cast<long>(::time(nullptr));
unsigned short UID::m_lastCount = 0;

void UID::setClock(ClockFunction clock) {
    g_clock = clock ? clock : systemClock;
}

void UID::setSleep(SleepFunction sleep) {
    g_sleep = sleep ? sleep : systemSleep;
}

UID::UID() {
    if (m_lastCount == kCounterLimit) {
        // The counter is used up: start a new time base, but only once the
        // clock is a whole time base past the old one.
        time_t now = g_clock();
        while (now < static_cast<time_t>(m_lastTime) + kTimeBaseSeconds) {
            g_sleep(1000);
            now = g_clock();
        }
        m_lastTime = static_cast<long>(now);
        m_lastCount = 0;
    }
    // The time field holds the low 32 bits of the seconds count.
    m_time = static_cast<int32_t>(static_cast<uint32_t>(m_lastTime));
    m_host = static_cast<uint32_t>(m_hostUnique);
    m_count = m_lastCount;
    ++m_lastCount;
}

void UID::toString(char* out, unsigned int size) const {
    if (out == nullptr || size == 0) {
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%xx%xx%x", static_cast<unsigned>(m_host),
                  static_cast<unsigned>(static_cast<uint32_t>(m_time)),
                  static_cast<unsigned>(m_count));
    const size_t length = std::min<size_t>(std::strlen(text), size - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

UID& UID::operator=(const char* text) {
    if (text == nullptr) {
        return *this;
    }
    char buffer[kReadBufferSize];
    std::strncpy(buffer, text, sizeof buffer - 1);
    buffer[sizeof buffer - 1] = '\0';

    // Fields are separated by runs of "x"; leading ones are skipped.
    const char* fields[3] = {nullptr, nullptr, nullptr};
    char* cursor = buffer;
    for (auto& field : fields) {
        while (*cursor == 'x') {
            ++cursor;
        }
        if (*cursor == '\0') {
            break;
        }
        field = cursor;
        while (*cursor != '\0' && *cursor != 'x') {
            ++cursor;
        }
        if (*cursor == 'x') {
            *cursor++ = '\0';
        }
    }

    if (fields[0] == nullptr) {
        return *this;
    }
    const uint32_t host = readHexField(fields[0]);
    if (host == 0 || fields[1] == nullptr) {
        return *this;
    }
    const uint32_t time = readHexField(fields[1]);
    if (time == 0 || fields[2] == nullptr) {
        return *this;
    }
    const uint32_t count = readHexField(fields[2]);
    m_host = host;
    m_time = static_cast<int32_t>(time);
    m_count = static_cast<uint16_t>(count & 0xFFFF);
    return *this;
}

UID& UID::operator=(const UID& other) {
    m_host = other.m_host;
    m_time = other.m_time;
    m_count = other.m_count;
    return *this;
}

#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace zebtest {

// Keyboard and mouse simulation goes through the display server, whose
// pointer and modifier keys all the tests of a run share: tests that type
// or drag hold this lock (one per display) while they do.
class DisplayInputLock {
public:
    DisplayInputLock() {
        const char* display = std::getenv("DISPLAY");
        std::string name = "/tmp/zebdoc-input-";
        for (const char* c = display ? display : ""; *c; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        }
        m_fd = ::open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_EX);
        }
    }
    ~DisplayInputLock() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    DisplayInputLock(const DisplayInputLock&) = delete;
    DisplayInputLock& operator=(const DisplayInputLock&) = delete;

private:
    int m_fd = -1;
};

}  // namespace zebtest

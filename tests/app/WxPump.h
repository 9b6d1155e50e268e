#pragma once

// Helpers of the window tests: let the event loop run until something has
// happened.

#include <wx/app.h>
#include <wx/utils.h>

#include <chrono>
#include <functional>
#include <thread>

namespace zebtest {

// Dispatches pending events until `done` holds or `timeoutMs` has passed;
// returns whether `done` held.
inline bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        wxTheApp->Yield(true);
        if (done()) {
            return true;
        }
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Dispatches pending events for `ms` milliseconds.
inline void pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
}

}  // namespace zebtest

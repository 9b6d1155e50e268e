#pragma once

#include <memory>
#include <string>
#include <vector>

// A program started in the background, and the wait for its end that keeps
// the windows handling events meanwhile.

// What a wait looks at: set once the process has ended.
struct ProcessEnd {
    bool ended = false;
    int exitCode = 0;
    long pid = 0;
};

// Starts `argv` without waiting. Null when it could not be started. The
// returned state turns `ended` when the process ends, whether or not anybody
// still waits for it.
std::shared_ptr<const ProcessEnd> startProcess(const std::vector<std::string>& argv);

// Waits until `process` has ended while events go on being dispatched: the
// windows repaint, menus, toolbar buttons and dialogs keep working. No
// accelerator is special here. Returns true when the process ended and false
// when there is nothing to wait for.
bool waitWithDispatch(const std::shared_ptr<const ProcessEnd>& process);

// How many waits are running now (they nest when a command run inside one
// starts another).
int runningWaits();

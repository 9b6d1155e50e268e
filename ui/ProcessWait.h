#pragma once

#include <memory>

// A program started in the background, and the wait for its end that keeps
// the windows handling events meanwhile.

// What a wait looks at: set once the process has ended.
struct ProcessEnd {
    bool ended = false;
    int exitCode = 0;  // 128 + the signal for a process killed by one
    long pid = 0;
};

// Watches `pid`, a child of this program that nobody else reaps (started
// with G_SPAWN_DO_NOT_REAP_CHILD). The returned state turns `ended`, and the
// child is reaped, when it ends, whether or not anybody still waits for it.
// Null for a pid that is no process.
std::shared_ptr<const ProcessEnd> watchChild(long pid);

// A state that has ended already: what a launch that leaves no process of
// ours to wait on (an application started over D-Bus) gives.
std::shared_ptr<const ProcessEnd> endedProcess();

// Waits until `process` has ended while events go on being dispatched: the
// windows repaint, menus, toolbar buttons and dialogs keep working. No
// accelerator is special here. Returns true when the process ended and false
// when there is nothing to wait for.
bool waitWithDispatch(const std::shared_ptr<const ProcessEnd>& process);

// How many waits are running now (they nest when a command run inside one
// starts another).
int runningWaits();

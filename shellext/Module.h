#pragma once

// The module's own state, one per process: the count of live objects that
// decides whether the library may be unloaded, and the thread-local slot
// that holds each thread's current revision picker.

#include <pthread.h>

#include "shellext/ComAbi.h"

namespace zebui {

// Every constructor of the class factory and of the handler calls
// objectCreated(), every destructor objectDestroyed(); nothing else changes
// the count.
void objectCreated();
void objectDestroyed();
LONG objectCount();

// The slot of the current revision picker (valid between process attach and
// detach).
pthread_key_t dialogTlsIndex();

// A line of the module's debug trace, through the platform's trace.
void trace(const char* line);

}  // namespace zebui

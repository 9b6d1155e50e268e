#pragma once

#include "shellext/windows/WindowsApi.h"

namespace zebui {

// The revision picker's window over the shared report pane; null when out
// of memory.
PickerWindow* makePickerWindow(PickerOwner& owner);

}  // namespace zebui

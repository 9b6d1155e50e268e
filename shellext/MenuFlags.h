#pragma once

#include <string>
#include <vector>

#include "shellext/ComAbi.h"

// What QueryContextMenu does with the flags it is given: the trace lines it
// writes and whether it goes on to insert its items. Decided by the low
// four bits, tested in this order: none set (a normal menu), 0x2 (verbs
// only), 0x4 (the explorer's tree), 0x1 (default item only: no items),
// otherwise 0x8 alone (no verbs: no items).
struct MenuFlagDecision {
    std::vector<std::string> traceLines;
    bool addItems = false;
};

MenuFlagDecision decideMenuFlags(UINT flags);

#include "shellext/MenuFlags.h"

#include <cstdio>

MenuFlagDecision decideMenuFlags(UINT flags) {
    MenuFlagDecision decision;
    if ((flags & 0x000F) == CMF_NORMAL) {
        decision.traceLines = {"CMF_NORMAL...\r\n"};
        decision.addItems = true;
    } else if (flags & CMF_VERBSONLY) {
        decision.traceLines = {"CMF_VERBSONLY...\r\n"};
        decision.addItems = true;
    } else if (flags & CMF_EXPLORE) {
        decision.traceLines = {"CMF_EXPLORE...\r\n"};
        decision.addItems = true;
    } else if (flags & CMF_DEFAULTONLY) {
        decision.traceLines = {"CMF_DEFAULTONLY...\r\n"};
    } else {
        char line[64];
        std::snprintf(line, sizeof line, "uFlags==>%d\r\n", static_cast<int>(flags));
        decision.traceLines = {"CMF_default...\r\n", line};
    }
    return decision;
}

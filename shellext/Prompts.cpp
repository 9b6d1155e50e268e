#include "shellext/Prompts.h"

namespace {

ShellPrompts* g_installed = nullptr;

}  // namespace

ShellPrompts& shellPrompts() {
    if (g_installed != nullptr) {
        return *g_installed;
    }
#ifdef ZEBDOC_TEST_SEAMS
    if (ShellPrompts* scripted = environmentPrompts()) {
        return *scripted;
    }
#endif
    return desktopPrompts();
}

#ifdef ZEBDOC_TEST_SEAMS
extern "C" ShellPrompts* ZebuiSetPromptsForTesting(ShellPrompts* prompts) {
    ShellPrompts* previous = g_installed;
    g_installed = prompts;
    return previous;
}
#endif

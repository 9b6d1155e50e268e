// install: puts ZEBDOC on this machine for the person who runs it (or for
// every user, as root), or with the command line "uninstall" takes it off
// again. See setup/gui/DesktopSetup.h.

#include "setup/gui/DesktopSetup.h"

int main(int argc, char** argv) {
    return setup::setupMain(argc, argv);
}

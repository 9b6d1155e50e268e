// Build step of the compiled file-manager extensions: writes their header
// of menu texts (from zebui's string table, the mnemonic in GTK's form) and
// the installed host's path.

#include <cstdio>
#include <fstream>
#include <string>

#include "shellext/ShellStrings.h"

namespace {

std::string cString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s HEADER HOST\n", argv[0]);
        return 2;
    }
    std::ofstream out(argv[1], std::ios::trunc);
    out << "/* Made by the build from zebui's string table. */\n"
        << "#define ZEBDOC_ADD_LABEL "
        << cString(shellstrings::menuText(shellstrings::kMenuAdd, "_"))
        << "\n#define ZEBDOC_ADD_TIP "
        << cString(shellstrings::menuText(shellstrings::kMenuAdd, ""))
        << "\n#define ZEBDOC_GET_LABEL "
        << cString(shellstrings::menuText(shellstrings::kMenuGet, "_"))
        << "\n#define ZEBDOC_GET_TIP "
        << cString(shellstrings::menuText(shellstrings::kMenuGet, ""))
        << "\n#define ZEBDOC_HOST_PATH " << cString(argv[2]) << "\n";
    out.close();
    return out ? 0 : 1;
}

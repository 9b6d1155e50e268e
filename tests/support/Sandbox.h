#pragma once

#include <string>

namespace zebtest {

// Every test process runs in a private world: HOME, the XDG folders, TMPDIR,
// the registry file (ZEBDOC_REGISTRY), the user's odbc.ini (ODBCINI) and the
// desktop's data folders (XDG_DATA_DIRS: the system's MIME, icon and settings
// tables, but none of its applications) all point into one temporary folder.
// Call before anything reads them; the folder goes when the process ends.
//
// The places a forgotten redirection would write to instead (an archive at
// the file-system root, the system's registry and ODBC files, the user's
// own) are noted at the start, and a test after which one of them changed
// fails.
std::string enterSandbox();

}  // namespace zebtest

#pragma once

#include <chrono>
#include <string>
#include <vector>

// Where Open puts the copies it hands to applications: a folder of the
// user's alone (mode 0700), $XDG_RUNTIME_DIR/zebdoc-open or else
// <temporary folder>/zebdoc-open-<user id>, with one subfolder per running
// program named "<pid>-<start time>". A subfolder whose program is no longer
// running holds leftovers of a crash.
namespace OpenedCopies {

// A launched application that ends sooner than this after its start has
// handed the file to an instance that was already running.
inline constexpr std::chrono::milliseconds kHandOverTime{3000};

// The extension of the file's own name, from its last "." to the end; empty
// when the name has none. The folders play no part: "/tmp/x.d/file" has
// none, "/tmp/a/report.final.odt" has ".odt".
std::string nameExtension(const std::string& path);

// The shared folder above the per-program subfolders, as it would be used
// now (it is not created).
std::string baseFolder();

// Makes `path` a folder of the user's alone: creates it with mode 0700, or
// takes an existing one owned by the user and sets its mode to 0700. False,
// touching nothing, for a symbolic link, something that is not a folder or a
// folder owned by someone else.
bool securePrivateFolder(const std::string& path);

// This program's folder for opened copies, made on first use; empty when no
// private folder can be made.
std::string processFolder();

// Keeps `path` until removeKept().
void keepUntilExit(const std::string& path);
const std::vector<std::string>& keptCopies();

// Removes the kept copies and this program's folder with whatever is in it.
void removeKept();

// Removes the subfolders of programs that are no longer running.
void cleanStale();

// The subfolder name of the process `pid` as it runs now ("<pid>-<start
// time>"), or empty when it is not running.
std::string processTag(long pid);

// For tests: the hand-over time in place of kHandOverTime (negative: back
// to it), and forgetting the folder so that the next use makes it again.
void setHandOverTimeForTesting(std::chrono::milliseconds time);
std::chrono::milliseconds handOverTime();
void resetForTesting();

}  // namespace OpenedCopies

#pragma once

#include <string>
#include <vector>

// Opening a file with the person's default application for its type, as the
// desktop's file manager would.

// The arguments that run `commandLine` (the Exec line of a desktop entry,
// with its field codes) on one file: %f and %F become `path`, %u and %U its
// file URI, %% a percent sign; %i, %c, %k and the deprecated codes go. When
// the line names no file the path is added at the end. False when the line
// cannot be parsed or is empty.
bool expandCommandLine(const std::string& commandLine, const std::string& path,
                       std::vector<std::string>& argv);

// The arguments that open `path` with the default application for its
// content type (the person's choice in mimeapps.list comes first). False,
// with the reason in `error`, when there is no such application or its
// program cannot be found.
bool defaultApplicationCommand(const std::string& path, std::vector<std::string>& argv,
                               std::string& error);

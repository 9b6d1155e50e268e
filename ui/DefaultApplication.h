#pragma once

#include <memory>
#include <string>

#include "ui/ProcessWait.h"

class wxWindow;

// Opening a file with an application, as the desktop's file manager would.

// The content type of the file at `path`, from its contents and its name.
std::string contentTypeOf(const std::string& path);

// The desktop id ("viewer.desktop") of the person's default application for
// `contentType` (their choice in mimeapps.list comes first); empty when no
// installed application opens that type.
std::string defaultApplicationId(const std::string& contentType);

// Starts the application `appId` on `path` the way the desktop does: GIO
// fills in its Exec line with the file name quoted, so nothing in the name
// is ever run, and starts an application that asks for a terminal
// (Terminal=true) in one, or not at all. Returns what to wait for: the
// started process, or a state that has ended already when the application
// was started without a process of ours. Null, with the reason in `error`,
// when nothing was started.
std::shared_ptr<const ProcessEnd> launchApplication(const std::string& appId,
                                                    const std::string& path, std::string& error);

// Opens `path` with the default application for its type or, when there is
// none, with the one the person picks in the desktop's chooser
// (userInterface().chooseApplication; the choice is not remembered), and
// waits, while the windows keep handling events, until it ends. False when
// nothing was started.
bool openAndWait(wxWindow* parent, const std::string& path);

#pragma once

class wxWindow;

// The Add New Version command: asks for files and puts a new version of each
// under version control.
void addNewVersion(wxWindow* mainWindow);

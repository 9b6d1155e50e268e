#include "app/AddNewVersion.h"

// Adding versions from the main window comes with the version commands;
// until then the command does nothing.
void addNewVersion(wxWindow*) {}

// The entry's view of the GTK backend: make the window, run the loop, tidy up.
#pragma once

#include "platform/platform.h"

// The instance handle the game keeps (it has no meaning on GTK).
InstanceHandle gtkInstance();

// Creates the window with its title (code page 932), menu bar, icon (none when iconPath names
// no image) and drawing area; windowProcedure receives msgCreate, then the window is shown.
// Returns false when the window could not be made.
bool gtkCreateMainWindow(const char* title, const char* iconPath);

// Runs the message loop until postQuitMessage; returns its exit code.
int gtkRunMessageLoop();

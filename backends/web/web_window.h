// The web backend's entry points for main: the window and its message loop.
#pragma once

#include "platform/platform.h"

InstanceHandle webInstance();
// Builds the menu bar, sends msgCreate and paints once. False when the window went away
// during its creation.
bool webCreateMainWindow(const char* title);
// Runs until the quit message; returns its exit code.
int webRunMessageLoop();

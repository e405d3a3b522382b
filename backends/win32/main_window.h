// The game window of keyfall.exe: its class, its creation and its native window procedure.
#pragma once

#include <windows.h>

// Registers the window class with the icon of the data folder, the arrow cursor, the white
// background and the menu MYMENU. Returns the class atom, 0 on failure.
ATOM registerMainWindowClass(HINSTANCE instance);

// Creates the window, sized for the DPI of its monitor, shows and updates it. Returns the
// window, or null when it could not be made.
HWND createMainWindow(HINSTANCE instance, int showCommand);

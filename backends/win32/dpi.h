// The scale of the game window: the frame's pixels drawn as whole blocks of device pixels,
// as many per side as the monitor's DPI holds whole multiples of 96.
#pragma once

#include <windows.h>

// 1 at 96 DPI (100 %) and at 120 (125 %), 2 at 192 (200 %), 3 at 288; never below 1.
int scaleForDpi(UINT dpi);

// The DPI of the monitor the window is on; the system's where Windows cannot tell per window.
UINT dpiOfWindow(HWND window);

// The outer size of the game window at dpi: 645 x 365 at 96 DPI, as the window has always
// been; at any other DPI the size whose client area is the frame times the scale.
SIZE mainWindowSize(UINT dpi, DWORD style);

// The scale the frame, its texts and the window's own drawing use from now on.
void setFrameScale(int scale);
int frameScale();

// What the process entry prepares before any window exists; shared by every backend.
#pragma once

// The longest of the data paths: when it fits under the working folder, all of them do.
inline constexpr char longestDataPath[] = "\\Date\\Image\\RankingBack.bmp";

#include "platform/platform.h"

// Time stamps of the combo timing are milliseconds from here on; the instance is kept for
// the platform calls that want it. In a working folder too long for the data paths the
// player is told so (a message box with no owner: the window does not exist yet).
void startUp(InstanceHandle instance);

// The window class name, code page 932; the window's title is the same text.
const char* mainWindowClassName();

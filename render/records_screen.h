// The records screen: charts of the last games, a keyboard of misses and the weakest kana.
#pragma once

#include "base/records_figures.h"
#include "platform/platform.h"

// Game state: writes backBuffer. Composes the screen from figures, text included, into the
// back buffer (no platform text: the frame is the same bytes on every backend).
void composeRecordsScreen(const RecordsFigures& figures);
// Game state: as composeRecordsScreen, then the frame is presented.
void paintRecordsScreen(WindowHandle window, const RecordsFigures& figures);

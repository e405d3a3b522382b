// The paint and the repaint timer: a frame is composed only when the picture can change.
#pragma once

#include "platform/platform.h"

// Game state: everything a paint reads and writes. Composes the frame of the screen shown
// (the ranking screen reads its file first), or shows the kept frame again when the new one
// would be the same: same screen, same inputs as the last composed frame left them, on the
// ranking screen the same file, and a window whose screen has kept its scale.
void paintScreen(WindowHandle window);
// Game state: reads what a paint reads. The repaint timer's tick: asks for a paint when the
// picture can have changed, or else lets the timer sleep until something happens.
void repaintTick(WindowHandle window, unsigned timer);
// Game state: reads what a paint reads. After a key: a game screen whose picture has changed
// is painted and shown before the key's message is done, instead of at the next tick.
void repaintAfterKey(WindowHandle window);

// Every paint composes its frame and every tick asks for one when false, as a reference for
// the frames left out; true from the start.
void setRepeatedFramesSkipped(bool skipped);

// What the GTK backend's drawing keeps between calls, for its tests to see.
#pragma once

#include "platform/platform.h"

// How many laid-out texts are kept for the next measure or draw of the same text.
int keptLayoutCount();

// Draws the texts a frame bitmap is waiting for: until then they are only noted, so that those
// its surface shows already are not drawn again. Presenting and deleting the bitmap do it.
void finishFrameBitmap(BitmapHandle bitmap);
// What copyFrameToWindow does with the bitmap selected: its texts drawn, it is shown, with
// what it changes from the frame shown before it when that is known.
void presentFrameBitmap(BitmapHandle bitmap, int width, int height);

// The ten pictures, the 640 x 320 back buffer, and the frame bitmap of each paint.
#pragma once

#include "base/game_state.h"
#include "platform/platform.h"

// Game state: backBuffer and the ten images, loaded in their fixed order.
void loadImages();
// Game state: backBuffer and the ten images, released in their fixed order and emptied.
void releaseImages();

// The frame bitmap of one paint and the bitmap it replaced in memoryDC.
struct PaintFrame {
    BitmapHandle bitmap = nullptr;
    BitmapHandle replaced = nullptr;
};

// Game state: reads backBuffer, memoryDC. Makes the frame bitmap of this paint from the back
// buffer and selects it into memoryDC; texts drawn afterwards land on it.
PaintFrame selectFrameBitmap(DeviceContext paintDC);
// Game state: reads memoryDC. Copies 640 x height pixels of the frame to the window (no more
// rows than the frame has), takes the frame out of memoryDC and ends the paint. The frame is
// kept, in place of the one before, until the next present or until the pictures go.
void presentFrame(WindowHandle window, DeviceContext paintDC, const PaintFrame& frame, int height);
// Whether a presented frame is kept and can be shown again as it is in the window now.
bool lastFrameShowable(WindowHandle window);
// Game state: reads memoryDC. A whole paint that shows the kept frame again as it was
// presented, without composing anything. False, with no paint begun, when it cannot be.
bool presentLastFrame(WindowHandle window);

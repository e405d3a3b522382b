// Bitmap files, the 640 x 320 back buffer, the colour-keyed blit and the frame of each paint.
#pragma once

#include "game/game_state.h"
#include "platform/platform.h"

// Reads a 24-bit bottom-up bitmap file whole into one zero-filled block. A file that is
// missing or breaks the format rules gives an empty DibImage (drawn as nothing) and one line
// on stderr naming the file and the reason.
DibImage loadDib(const char* resolvedPath);

// Copies the rectangle (sx, sy, w, h) of src so that source pixel (sx, sy) lands on (x, y)
// of dst; pure black pixels are transparent. If sx, sy, sx + w or sy + h is negative the
// whole image is copied with its pixel (0, 0) at (x, y). Whatever is outside either image is
// skipped.
void blitKeyed(DibImage& dst, const DibImage& src, int x, int y, int sx, int sy, int w, int h);
// Draws exactly what blitKeyed(dst, src, x + p, y, sx, sy, 1, h) for p = 0 to count - 1 would:
// one source column across count neighbouring columns, a row at a time. For the gauge's bands
// and the balloons' slices.
void blitColumnAcross(DibImage& dst, const DibImage& src, int64_t x, int64_t count, int y, int sx,
                      int sy, int h);

// Draws exactly what blitKeyed(dst, src, 0, 0, -1, -1, -1, -1) would. Drawing a picture over
// itself changes nothing, so when the last background drawn into dst was src, only what
// blitKeyed and blitColumnAcross have changed in dst since then is drawn again. This relies on
// pictures not changing after loading and on dst being written through those two only.
void drawBackground(DibImage& dst, const DibImage& src);

// Touches GameState: backBuffer and the ten images, loaded in their fixed order.
void loadImages();
// Touches GameState: backBuffer and the ten images, released in their fixed order and emptied.
void releaseImages();

// Reads GameState: backBuffer, memoryDC. Makes the frame bitmap of this paint from the back
// buffer and selects it into memoryDC; texts drawn afterwards land on it.
void selectFrameBitmap(DeviceContext paintDC);
// Reads GameState: memoryDC. Copies 640 x height pixels of the frame to the window, takes the
// frame out of memoryDC, releases it and ends the paint.
void presentFrame(WindowHandle window, DeviceContext paintDC, int height);

// The colour-keyed blit: pure black is transparent in every picture.
#pragma once

#include <cstdint>

#include "base/dib_image.h"
#include "platform/platform.h"

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
// Where dst may differ from what it held when the background before the last was drawn over:
// what the last drawBackground put back and what was blitted since, the areas of the last two
// frames. False when that is not known (the last background was drawn whole).
bool changesSinceLastBackground(const DibImage& dst, FrameBitsChanges& changes);
// Forgets what drawBackground knows: pictures or the back buffer are about to be made or freed.
void forgetBackground();

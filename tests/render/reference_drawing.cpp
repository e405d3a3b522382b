// The straightforward drawing, kept as the reference of the fast paths.
#include "tests/render/reference_drawing.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int screenWidth = 640;
constexpr int balloonRows = 36;
constexpr int topBalloonRow = 320 - balloonRows;
constexpr int bandRow[] = {72, 36, 0, 0};

int64_t roundUpTo4(int64_t value) { return (value + 3) / 4 * 4; }
int half(int value) { return value / 2; }

void slice(DibImage& dst, const DibImage& frame, int64_t column, int row, int sliceColumn,
           int band) {
    if (column < INT32_MIN || column > INT32_MAX) return;
    referenceBlitKeyed(dst, frame, static_cast<int>(column), row, sliceColumn, band, 1,
                       balloonRows);
}

int gameBalloonWidth(const char* text, DeviceContext dc, BalloonKind kind) {
    if (kind == Display) return measureText(dc, text) + 20;
    if (kind == Romaji || game.scrollRomaji != 1) return measureText(dc, game.romajiText) + 20;
    return screenWidth;
}

}  // namespace

void referenceBlitKeyed(DibImage& dst, const DibImage& src, int x, int y, int sx, int sy, int w,
                        int h) {
    // The blit as written: every source pixel of the walk, one at a time, each destination
    // pixel tested on its own. Only the walk is bounded to the stored pixels, so a rectangle
    // far larger than its picture still ends.
    if (!dst.bits || !dst.header || !src.bits || !src.header) return;
    const int64_t dstWidth = dst.header->biWidth;
    const int64_t dstHeight = dst.header->biHeight;
    const int64_t srcWidth4 = roundUpTo4(src.header->biWidth);
    const int64_t srcHeight = src.header->biHeight;
    const int64_t ex = int64_t{sx} + w;
    const int64_t ey = int64_t{sy} + h;
    const bool wholeImage = sx < 0 || sy < 0 || ex < 0 || ey < 0;
    const int64_t firstColumn = wholeImage ? 0 : sx;
    const int64_t firstRow = wholeImage ? 0 : sy;
    const int64_t endColumn = std::min(wholeImage ? srcWidth4 : ex, srcWidth4);
    const int64_t endRow = std::min(wholeImage ? roundUpTo4(srcHeight) : ey, srcHeight);
    for (int64_t r = firstRow; r < endRow; ++r) {
        for (int64_t c = firstColumn; c < endColumn; ++c) {
            const int64_t X = int64_t{x} + c - firstColumn;
            const int64_t Y = int64_t{y} + r - firstRow;
            if (X < 0 || X >= dstWidth || Y < 0 || Y >= dstHeight) continue;
            const uint8_t* source = src.bits + (r * srcWidth4 + c) * 3;
            if ((source[0] | source[1] | source[2]) == 0) continue;
            uint8_t* target = dst.bits + (Y * dstWidth + X) * 3;
            target[0] = source[0];
            target[1] = source[1];
            target[2] = source[2];
        }
    }
}

void referenceTimeGauge(DibImage& dest, const DibImage& strip, int x, int row) {
    const int64_t columns = dest.header ? int64_t{dest.header->biWidth} - x : 0;
    for (int i = 0; i < columns && i < game.timeGauge; ++i) {
        referenceBlitKeyed(dest, strip, x + i, row, i / 59 + 1, 0, 1, 12);
    }
}

void referenceBalloon(const char* text, DeviceContext dc, int x, int y, BalloonKind kind,
                      DibImage& dst, const DibImage& frame) {
    const int band = bandRow[kind];
    if (kind == Ranking) {
        const int w = measureText(dc, text) + 15;
        int64_t centre = x;
        if (centre - half(w) < 0) {
            centre = 0;
        } else if (centre + half(w) > screenWidth) {
            centre = screenWidth - half(w);
        }
        y = std::clamp(y, 0, topBalloonRow);
        const int64_t left = centre - half(w);
        for (int p = 0; p <= 5; ++p) slice(dst, frame, left + p, y, 0, band);
        for (int p = 5; p <= w - 5; ++p) slice(dst, frame, left + p, y, 1, band);
        for (int p = w - 5; p < w && p <= screenWidth; ++p) slice(dst, frame, left + p, y, 2, band);
        return;
    }
    int w = gameBalloonWidth(text, dc, kind);
    int64_t centre = x;
    if (centre + half(w) > screenWidth) {
        centre = screenWidth - half(w);
        if (centre - w < 0) {
            w = screenWidth;
            centre = screenWidth / 2;
        }
    } else if (centre - half(w) < 0) {
        centre = half(w);
        if (w > screenWidth) {
            w = screenWidth;
            centre = screenWidth / 2;
        }
    }
    const int64_t left = centre - half(w);
    for (int p = 0; p <= 5; ++p) slice(dst, frame, left + p, y, 0, band);
    for (int p = 5; p < w - 5; ++p) slice(dst, frame, left + p, y, 1, band);
    for (int p = w - 5; p <= w; ++p) slice(dst, frame, left + p, y, 2, band);
}

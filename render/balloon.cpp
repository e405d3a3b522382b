// Word balloons: scroll flags, width, placement near the edges, and the slices of Frame.bmp.
#include "render/balloon.h"

#include <algorithm>
#include <cstdint>

#include "render/keyed_blit.h"

namespace {

constexpr int screenWidth = 640;
constexpr int balloonRows = 36;
constexpr int topBalloonRow = 320 - balloonRows;

// Frame.bmp's slice columns.
constexpr int leftEnd = 0;
constexpr int middle = 1;
constexpr int rightEnd = 2;

// The band row of Frame.bmp for each kind, in BalloonKind order.
constexpr int bandRow[] = {72, 36, 0, 0};

int half(int value) { return value / 2; }

// The slices for p = from to end - 1, each one column of Frame.bmp drawn at left + p.
void slices(DibImage& dst, const DibImage& frame, int64_t left, int64_t from, int64_t end, int row,
            int sliceColumn, int band) {
    if (end > from) {
        blitColumnAcross(dst, frame, left + from, end - from, row, sliceColumn, band, balloonRows);
    }
}

// Game state: the scroll flag of kind. Returns the balloon's width.
int gameBalloonWidth(const char* text, DeviceContext dc, int64_t x, BalloonKind kind) {
    const int typedWidth = measureText(dc, game.typedText);
    switch (kind) {
        case Display: {
            const int width = measureText(dc, text);
            // The flag turns on only once half a screen has been typed, and off only when the
            // word fits again.
            if (x - half(width) > 0 && x + half(width) < 624) {
                game.scrollDisplay = 0;
            } else if (typedWidth >= 320) {
                game.scrollDisplay = 1;
            }
            return width + 20;
        }
        case Romaji: {
            const int width = measureText(dc, game.romajiText);
            if (width < screenWidth) {
                game.scrollRomaji = 0;
            } else if (typedWidth >= 320) {
                game.scrollRomaji = 1;
            }
            return width + 20;
        }
        default: {
            // Reads the scrollRomaji that the romaji balloon of this paint has just set.
            game.scrollTyped = (typedWidth >= 320 && game.scrollRomaji == 1) ? 1 : 0;
            if (game.scrollRomaji == 1) return screenWidth;
            return measureText(dc, game.romajiText) + 20;
        }
    }
}

// A game balloon covers w + 1 columns from its left column; near an edge it is pushed in,
// and one that cannot fit spans the whole screen.
void drawGameBalloon(const char* text, DeviceContext dc, int64_t x, int y, BalloonKind kind,
                     DibImage& dst, const DibImage& frame) {
    int w = gameBalloonWidth(text, dc, x, kind);
    int64_t centre = x;
    if (x + half(w) > screenWidth) {
        centre = screenWidth - half(w);
        if (centre - w < 0) {
            w = screenWidth;
            centre = screenWidth / 2;
        }
    } else if (x - half(w) < 0) {
        centre = half(w);
        if (w > screenWidth) {
            w = screenWidth;
            centre = screenWidth / 2;
        }
    }
    const int64_t left = centre - half(w);
    const int band = bandRow[kind];
    slices(dst, frame, left, 0, 6, y, leftEnd, band);
    // The middle's first slice covers the left end's last; its black lets the end show.
    slices(dst, frame, left, 5, int64_t{w} - 5, y, middle, band);
    slices(dst, frame, left, int64_t{w} - 5, int64_t{w} + 1, y, rightEnd, band);
}

// A ranking balloon covers w columns; it is held on the screen by its centre and its row.
void drawRankingBalloon(const char* text, DeviceContext dc, int64_t x, int y, DibImage& dst,
                        const DibImage& frame) {
    const int w = measureText(dc, text) + 15;
    if (x - half(w) < 0) {
        x = 0;
    } else if (x + half(w) > screenWidth) {
        x = screenWidth - half(w);
    }
    if (y < 0) y = 0;
    if (y > topBalloonRow) y = topBalloonRow;
    const int64_t left = x - half(w);
    const int band = bandRow[Ranking];
    slices(dst, frame, left, 0, 6, y, leftEnd, band);
    slices(dst, frame, left, 5, int64_t{w} - 4, y, middle, band);
    slices(dst, frame, left, int64_t{w} - 5, std::min<int64_t>(w, screenWidth + 1), y, rightEnd,
           band);
}

}  // namespace

void drawBalloon(const char* text, DeviceContext dc, int x, int y, BalloonKind kind, DibImage& dst,
                 const DibImage& frame) {
    if (kind == Ranking) {
        drawRankingBalloon(text, dc, x, y, dst, frame);
    } else {
        drawGameBalloon(text, dc, x, y, kind, dst, frame);
    }
}

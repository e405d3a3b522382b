// The colour-keyed blit, its column runs, and the background drawn again only where changed.
#include "render/keyed_blit.h"

#include <algorithm>
#include <cstdint>

#include "render/keyed_rows.h"

namespace {

// Columns [left, right) and rows [bottom, top) of a destination.
struct Area {
    int64_t left = 0;
    int64_t bottom = 0;
    int64_t right = 0;
    int64_t top = 0;
};

constexpr int maxChangedAreas = 8;

// What is known of the destination of the last background: which picture it shows, and where
// blits have changed it since.
struct Background {
    const uint8_t* target = nullptr;  // the destination's bits; null when nothing is known
    const uint8_t* picture = nullptr;
    const BitmapInfoHeader* pictureHeader = nullptr;
    Area changed[maxChangedAreas];
    int changedCount = 0;
    // What the last drawBackground put back, when it drew over the background before.
    Area restored[maxChangedAreas];
    int restoredCount = -1;  // -1: it drew the picture whole
};
// The program's one deliberate cache. Drawing a background over itself changes nothing, so
// a paint over the background the last paint drew only draws again where blits changed it.
// It holds addresses, never pixels: loading or releasing pictures forgets it.
Background background;

Area around(const Area& a, const Area& b) {
    return {std::min(a.left, b.left), std::min(a.bottom, b.bottom), std::max(a.right, b.right),
            std::max(a.top, b.top)};
}

int64_t pixelsOf(const Area& a) { return (a.right - a.left) * (a.top - a.bottom); }

// Notes that a blit may have written the area of dst. Areas that touch or overlap become one
// (a balloon's slices, the item boxes); when there is no room left, the new area joins the one
// that grows least.
void noteChange(const DibImage& dst, Area area) {
    if (!background.target || dst.bits != background.target) return;
    int best = -1;
    int64_t bestGrowth = 0;
    for (int i = 0; i < background.changedCount; ++i) {
        Area& known = background.changed[i];
        const int64_t growth = pixelsOf(around(known, area)) - pixelsOf(known) - pixelsOf(area);
        if (growth <= 0) {
            known = around(known, area);
            return;
        }
        if (best < 0 || growth < bestGrowth) {
            best = i;
            bestGrowth = growth;
        }
    }
    if (background.changedCount < maxChangedAreas) {
        background.changed[background.changedCount++] = area;
    } else {
        background.changed[best] = around(background.changed[best], area);
    }
}

// Rows of source pixels are this many pixels apart: the width rounded up to a multiple of 4.
int64_t roundUpTo4(int64_t value) { return (value + 3) / 4 * 4; }

// Whether any of rows rows of bytes bytes, rows sourceStride and targetStride apart, share
// memory. Pictures live in blocks of their own, so only a picture drawn onto itself does.
bool overlaps(const uint8_t* source, int64_t sourceStride, const uint8_t* target,
              int64_t targetStride, int64_t rows, int64_t bytes) {
    const auto sourceStart = reinterpret_cast<uintptr_t>(source);
    const auto targetStart = reinterpret_cast<uintptr_t>(target);
    const auto sourceEnd = sourceStart + static_cast<uintptr_t>((rows - 1) * sourceStride + bytes);
    const auto targetEnd = targetStart + static_cast<uintptr_t>((rows - 1) * targetStride + bytes);
    return sourceStart < targetEnd && targetStart < sourceEnd;
}

}  // namespace

void forgetBackground() { background = Background{}; }

void blitKeyed(DibImage& dst, const DibImage& src, int x, int y, int sx, int sy, int w, int h) {
    if (!dst.bits || !dst.header || !src.bits || !src.header) return;
    const int64_t dstWidth = dst.header->biWidth;
    const int64_t dstHeight = dst.header->biHeight;
    const int64_t srcWidth4 = roundUpTo4(src.header->biWidth);
    const int64_t srcHeight = src.header->biHeight;
    const int64_t ex = int64_t{sx} + w;
    const int64_t ey = int64_t{sy} + h;

    // The source range walked, and the source pixel that lands on (x, y).
    int64_t firstColumn = sx, endColumn = ex, firstRow = sy, endRow = ey;
    int64_t originColumn = sx, originRow = sy;
    if (sx < 0 || sy < 0 || ex < 0 || ey < 0) {
        // Whole-image mode walks the stored rows' full width, padding column included, and
        // H rounded up to 4 rows; rows past the picture are not in the file and are skipped.
        firstColumn = 0;
        endColumn = srcWidth4;
        firstRow = 0;
        endRow = roundUpTo4(srcHeight);
        originColumn = 0;
        originRow = 0;
    }
    // Clip once to the source's stored pixels and to the destination, then walk what is left.
    firstColumn = std::max({firstColumn, int64_t{0}, originColumn - x});
    endColumn = std::min({endColumn, srcWidth4, originColumn - x + dstWidth});
    firstRow = std::max({firstRow, int64_t{0}, originRow - y});
    endRow = std::min({endRow, srcHeight, originRow - y + dstHeight});
    if (firstColumn >= endColumn || firstRow >= endRow) return;
    const int64_t columns = endColumn - firstColumn;
    const uint8_t* source = src.bits + (firstRow * srcWidth4 + firstColumn) * 3;
    uint8_t* target =
        dst.bits + ((y + firstRow - originRow) * dstWidth + x + firstColumn - originColumn) * 3;
    const int64_t rows = endRow - firstRow;
    const int64_t left = x + firstColumn - originColumn;
    const int64_t bottom = y + firstRow - originRow;
    noteChange(dst, {left, bottom, left + columns, bottom + rows});
    if (overlaps(source, srcWidth4 * 3, target, dstWidth * 3, rows, columns * 3)) {
        // A picture drawn onto itself is walked pixel by pixel, so each pixel reads what the
        // ones before it have left.
        for (int64_t r = 0; r < rows; ++r) {
            for (int64_t c = 0; c < columns * 3; c += 3) {
                const uint8_t* s = source + r * srcWidth4 * 3 + c;
                uint8_t* t = target + r * dstWidth * 3 + c;
                if (s[0] | s[1] | s[2]) {
                    t[0] = s[0];
                    t[1] = s[1];
                    t[2] = s[2];
                }
            }
        }
        return;
    }
    for (int64_t r = 0; r < rows; ++r) {
        copyKeyedRow(target + r * dstWidth * 3, source + r * srcWidth4 * 3, columns);
    }
}

void blitColumnAcross(DibImage& dst, const DibImage& src, int64_t x, int64_t count, int y, int sx,
                      int sy, int h) {
    if (!dst.bits || !dst.header || !src.bits || !src.header || count <= 0) return;
    const int64_t dstWidth = dst.header->biWidth;
    const int64_t dstHeight = dst.header->biHeight;
    const int64_t srcWidth4 = roundUpTo4(src.header->biWidth);
    if (sx < 0 || sy < 0 || int64_t{sy} + h < 0 || src.bits == dst.bits) {
        // Not a rectangle (each call draws the whole image), or a picture drawn onto itself:
        // the calls whose image can reach the destination are made one by one.
        const int64_t first = std::max<int64_t>(x, 1 - srcWidth4);
        const int64_t end = std::min<int64_t>(x + count, dstWidth);
        for (int64_t column = first; column < end; ++column) {
            blitKeyed(dst, src, static_cast<int>(column), y, sx, sy, 1, h);
        }
        return;
    }
    if (sx >= srcWidth4) return;
    const int64_t firstRow = std::max<int64_t>({sy, 0, int64_t{sy} - y});
    const int64_t endRow =
        std::min<int64_t>({int64_t{sy} + h, src.header->biHeight, int64_t{sy} - y + dstHeight});
    const int64_t firstColumn = std::max<int64_t>(x, 0);
    const int64_t endColumn = std::min<int64_t>(x + count, dstWidth);
    if (firstRow >= endRow || firstColumn >= endColumn) return;
    noteChange(dst, {firstColumn, y + firstRow - sy, endColumn, y + endRow - sy});
    for (int64_t r = firstRow; r < endRow; ++r) {
        const uint8_t* pixel = src.bits + (r * srcWidth4 + sx) * 3;
        // A black source pixel leaves its whole run of the row alone.
        if (!(pixel[0] | pixel[1] | pixel[2])) continue;
        fillPixelRun(dst.bits + ((y + r - sy) * dstWidth + firstColumn) * 3, pixel,
                     endColumn - firstColumn);
    }
}

void drawBackground(DibImage& dst, const DibImage& src) {
    const bool known = dst.bits && src.bits && src.header && background.target == dst.bits &&
                       background.picture == src.bits && background.pictureHeader == src.header;
    if (!known) {
        background = Background{};
        blitKeyed(dst, src, 0, 0, -1, -1, -1, -1);
        if (dst.bits && dst.header && src.bits && src.header) {
            background.target = dst.bits;
            background.picture = src.bits;
            background.pictureHeader = src.header;
        }
        return;
    }
    // The picture's pixel (c, r) lands on (c, r): each changed area is its own rectangle of it.
    const Background changes = background;
    std::copy(changes.changed, changes.changed + changes.changedCount, background.restored);
    background.restoredCount = changes.changedCount;
    for (int i = 0; i < changes.changedCount; ++i) {
        const Area& a = changes.changed[i];
        blitKeyed(dst, src, static_cast<int>(a.left), static_cast<int>(a.bottom),
                  static_cast<int>(a.left), static_cast<int>(a.bottom),
                  static_cast<int>(a.right - a.left), static_cast<int>(a.top - a.bottom));
    }
    // Those blits put the picture back: the destination shows it whole again.
    background.changedCount = 0;
}

bool changesSinceLastBackground(const DibImage& dst, FrameBitsChanges& changes) {
    changes.count = 0;
    if (!background.target || dst.bits != background.target || background.restoredCount < 0 ||
        background.restoredCount + background.changedCount > FrameBitsChanges::maxAreas) {
        return false;
    }
    auto add = [&](const Area& a) {
        changes.areas[changes.count++] = {static_cast<int>(a.left), static_cast<int>(a.bottom),
                                          static_cast<int>(a.right), static_cast<int>(a.top)};
    };
    std::for_each(background.restored, background.restored + background.restoredCount, add);
    std::for_each(background.changed, background.changed + background.changedCount, add);
    return true;
}

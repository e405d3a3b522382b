// The memory context of the web backend: frame bitmaps as canvases of the page, fonts and
// text drawn there with the page's web font, and the copy to the window's canvas.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "backends/web/web_bridge.h"
#include "backends/web/web_objects.h"

namespace {

constexpr int largestBitmapSide = 4096;
// What a context shows before the game selects a font of its own.
constexpr int defaultFontHeight = 16;

struct Drawing {
    NativeDC paintDC;
    std::unique_ptr<NativeDC> memoryDC;
    // The last frame: its pixels as the page reads them, and its rows as the game gave them,
    // so that the next frame sends only what changed.
    std::vector<uint8_t> rgba;
    std::vector<uint8_t> bits;
    // Scratch of changedArea, kept so that its storage serves every frame.
    std::vector<int> compareFrom;
    std::vector<int> compareTo;
    int width = 0;
    int height = 0;
};

Drawing drawing;

struct Changed {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

size_t strideOf(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

// 24-bit rows, bottom row first, each padded to 4 bytes, become RGBA rows, top row first: the
// columns [left, right) of the rows [top, bottom).
void convertRows(const uint8_t* bits, int width, int height, Changed area, uint8_t* rgba) {
    const size_t stride = strideOf(width);
    for (int row = area.y; row < area.y + area.height; ++row) {
        const uint8_t* source =
            bits + stride * static_cast<size_t>(height - 1 - row) + static_cast<size_t>(area.x) * 3;
        uint8_t* target = rgba + (static_cast<size_t>(row) * static_cast<size_t>(width) +
                                  static_cast<size_t>(area.x)) *
                                     4;
        for (int column = 0; column < area.width; ++column) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            target[3] = 255;
            source += 3;
            target += 4;
        }
    }
}

// The rectangle (top row first) where the rows differ from the last frame's, whose kept rows
// then take the new bytes; all of it when the size changed. Where the game says which areas
// may have changed, only those are compared.
Changed changedArea(const uint8_t* bits, int width, int height, const FrameBitsChanges* changes) {
    const size_t stride = strideOf(width);
    if (width != drawing.width || height != drawing.height ||
        drawing.bits.size() != stride * static_cast<size_t>(height)) {
        drawing.bits.assign(bits, bits + stride * static_cast<size_t>(height));
        return {0, 0, width, height};
    }
    // The columns [left, right) to compare in each row of the block (bottom row first).
    std::vector<int>& from = drawing.compareFrom;
    std::vector<int>& to = drawing.compareTo;
    from.assign(static_cast<size_t>(height), changes ? width : 0);
    to.assign(static_cast<size_t>(height), changes ? 0 : width);
    for (int i = 0; changes && i < changes->count; ++i) {
        const FrameBitsChanges::Area& a = changes->areas[i];
        const int left = std::clamp(a.left, 0, width);
        const int right = std::clamp(a.right, 0, width);
        for (int row = std::max(a.bottom, 0); row < std::min(a.top, height); ++row) {
            from[static_cast<size_t>(row)] = std::min(from[static_cast<size_t>(row)], left);
            to[static_cast<size_t>(row)] = std::max(to[static_cast<size_t>(row)], right);
        }
    }
    int top = height, bottom = 0, left = width, right = 0;
    for (int blockRow = 0; blockRow < height; ++blockRow) {
        const int first = from[static_cast<size_t>(blockRow)];
        const int end = to[static_cast<size_t>(blockRow)];
        if (first >= end) continue;
        const size_t offset = stride * static_cast<size_t>(blockRow) + size_t{3} * first;
        const size_t bytes = size_t{3} * static_cast<size_t>(end - first);
        const uint8_t* now = bits + offset;
        uint8_t* before = drawing.bits.data() + offset;
        if (std::memcmp(now, before, bytes) == 0) continue;
        size_t low = 0;
        while (now[low] == before[low]) ++low;
        size_t high = bytes - 1;
        while (now[high] == before[high]) --high;
        std::memcpy(before + low, now + low, high - low + 1);
        const int row = height - 1 - blockRow;
        top = std::min(top, row);
        bottom = std::max(bottom, row + 1);
        left = std::min(left, first + static_cast<int>(low / 3));
        right = std::max(right, first + static_cast<int>(high / 3) + 1);
    }
    if (bottom == 0) return {};
    return {left, top, right - left, bottom - top};
}

int fontHeight(const NativeDC* dc) { return dc && dc->font ? dc->font->height : defaultFontHeight; }

}  // namespace

DeviceContext webPaintContext() { return &drawing.paintDC; }

DeviceContext createMemoryContext(WindowHandle) {
    // The game makes one at window creation; a second call gets the same context.
    if (!drawing.memoryDC) {
        drawing.memoryDC = std::make_unique<NativeDC>();
        drawing.memoryDC->memory = true;
    }
    return drawing.memoryDC.get();
}

BitmapHandle createFrameBitmap(DeviceContext, int width, int height, const uint8_t* bits,
                               const FrameBitsChanges* changes) {
    // The game's changes count from the bits of the call before, kept or not: one whose bits
    // are not kept makes the next frame's all new.
    if (!bits || width <= 0 || height <= 0 || width > largestBitmapSide ||
        height > largestBitmapSide) {
        drawing.width = 0;
        return nullptr;
    }
    int canvas = keyfall_bitmap_create(width, height);
    if (canvas == 0) {
        drawing.width = 0;
        return nullptr;
    }
    const Changed changed = changedArea(bits, width, height, changes);
    drawing.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    convertRows(bits, width, height, changed, drawing.rgba.data());
    drawing.width = width;
    drawing.height = height;
    keyfall_bitmap_upload(canvas, drawing.rgba.data(), width, height, changed.x, changed.y,
                          changed.width, changed.height);
    auto* bitmap = new NativeBitmap;
    bitmap->canvas = canvas;
    bitmap->width = width;
    bitmap->height = height;
    return bitmap;
}

BitmapHandle selectBitmap(DeviceContext memoryDC, BitmapHandle bitmap) {
    BitmapHandle previous = memoryDC->bitmap;
    memoryDC->bitmap = bitmap;
    return previous;
}

void deleteBitmap(BitmapHandle bitmap) {
    if (!bitmap) return;
    // GDI refuses to delete a selected bitmap; so do we, rather than leave a dangling one.
    if (drawing.memoryDC && drawing.memoryDC->bitmap == bitmap) return;
    keyfall_bitmap_delete(bitmap->canvas);
    delete bitmap;
}

// The page scales the canvas as a whole: a frame fits whatever the screen.
bool frameBitmapStillFits(WindowHandle, BitmapHandle bitmap) { return bitmap != nullptr; }

void copyFrameToWindow(DeviceContext, DeviceContext memoryDC, int width, int height) {
    if (!memoryDC || !memoryDC->bitmap) return;
    keyfall_present(memoryDC->bitmap->canvas, width, height);
}

// --- Text ----------------------------------------------------------------------------------

FontHandle createFont(int height, int, const char*) {
    // Every face is the page's one web font: it stands in for "ＭＳ ゴシック" as IPAGothic
    // does on the Linux desktop.
    auto* font = new NativeFont;
    font->height = height != 0 ? (height < 0 ? -height : height) : defaultFontHeight;
    return font;
}

FontHandle selectFont(DeviceContext memoryDC, FontHandle font) {
    FontHandle previous = memoryDC->font;
    memoryDC->font = font;
    return previous;
}

void deleteFont(FontHandle font) {
    if (!font) return;
    if (drawing.memoryDC && drawing.memoryDC->font == font) return;
    delete font;
}

void setTransparentText(DeviceContext memoryDC) { memoryDC->transparent = true; }

void setTextColour(DeviceContext memoryDC, uint32_t colour) { memoryDC->colour = colour; }

int measureText(DeviceContext memoryDC, const char* text) {
    if (!text || !*text) return 0;
    return keyfall_text_width(fontHeight(memoryDC), text);
}

void drawText(DeviceContext memoryDC, int x, int y, const char* text) {
    if (!memoryDC || !memoryDC->bitmap || !text || !*text) return;
    keyfall_text_draw(memoryDC->bitmap->canvas, fontHeight(memoryDC), memoryDC->colour,
                      memoryDC->transparent ? 0 : 1, x, y, text);
}

// The memory context of the web backend: frame bitmaps as canvases of the page, fonts and
// text drawn there with the page's web font, and the copy to the window's canvas.
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
    std::vector<uint8_t> rgba;  // the pixels on their way to a canvas, kept for the next frame
};

Drawing drawing;

// 24-bit rows, bottom row first, each padded to 4 bytes, become RGBA rows, top row first.
void convertRows(const uint8_t* bits, int width, int height, uint8_t* rgba) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    for (int row = 0; row < height; ++row) {
        const uint8_t* source = bits + stride * static_cast<size_t>(height - 1 - row);
        uint8_t* target = rgba + static_cast<size_t>(row) * static_cast<size_t>(width) * 4;
        for (int column = 0; column < width; ++column) {
            target[0] = source[2];
            target[1] = source[1];
            target[2] = source[0];
            target[3] = 255;
            source += 3;
            target += 4;
        }
    }
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

BitmapHandle createFrameBitmap(DeviceContext, int width, int height, const uint8_t* bits) {
    if (!bits || width <= 0 || height <= 0 || width > largestBitmapSide ||
        height > largestBitmapSide) {
        return nullptr;
    }
    int canvas = keyfall_bitmap_create(width, height);
    if (canvas == 0) return nullptr;
    drawing.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    convertRows(bits, width, height, drawing.rgba.data());
    keyfall_bitmap_upload(canvas, drawing.rgba.data(), width, height);
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

// Boxes, lines and bitmap-font text drawn straight into the back buffer.
#include "render/plot.h"

#include <algorithm>
#include <cstdlib>

#include "base/cp932.h"
#include "base/data_path.h"
#include "render/bitmap_file.h"
#include "render/glyph_table.h"

namespace {

constexpr int cell = 16;
constexpr int atlasColumns = 32;

struct Atlas {
    DibImage image;
    bool tried = false;
};
Atlas atlas;

int widthOf(const DibImage& image) { return image.header ? image.header->biWidth : 0; }
int heightOf(const DibImage& image) { return image.header ? image.header->biHeight : 0; }

void putPixel(DibImage& dst, int x, int y, uint32_t colour) {
    const int width = widthOf(dst);
    const int height = heightOf(dst);
    if (!dst.bits || x < 0 || y < 0 || x >= width || y >= height) return;
    uint8_t* p = dst.bits + (static_cast<size_t>(height - 1 - y) * width + x) * 3;
    p[0] = static_cast<uint8_t>(colour);
    p[1] = static_cast<uint8_t>(colour >> 8);
    p[2] = static_cast<uint8_t>(colour >> 16);
}

int glyphIndex(uint16_t code) {
    const uint16_t* end = glyphCodes + glyphCount;
    const uint16_t* found = std::lower_bound(glyphCodes, end, code);
    return found != end && *found == code ? static_cast<int>(found - glyphCodes) : -1;
}

// The next character of text at i: its code and its byte count.
uint16_t codeAt(const char* text, size_t i, size_t& bytes) {
    const auto lead = static_cast<uint8_t>(text[i]);
    if (isCp932LeadByte(lead) && text[i + 1] != '\0') {
        bytes = 2;
        return static_cast<uint16_t>(lead << 8 | static_cast<uint8_t>(text[i + 1]));
    }
    bytes = 1;
    return lead;
}

// Whether the atlas's pixel (column, row from the top) is ink.
bool inkAt(const DibImage& image, int column, int row) {
    const int width = widthOf(image);
    const int height = heightOf(image);
    if (column < 0 || row < 0 || column >= width || row >= height) return false;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    const uint8_t* p = image.bits + static_cast<size_t>(height - 1 - row) * stride + column * 3;
    return (p[0] | p[1] | p[2]) != 0;
}

}  // namespace

void fillBox(DibImage& dst, int x, int y, int w, int h, uint32_t colour) {
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = std::min(x + w, widthOf(dst));
    const int y1 = std::min(y + h, heightOf(dst));
    for (int row = y0; row < y1; ++row) {
        for (int column = x0; column < x1; ++column) putPixel(dst, column, row, colour);
    }
}

void drawLine(DibImage& dst, int x0, int y0, int x1, int y1, uint32_t colour) {
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1;
    const int stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        putPixel(dst, x0, y0, colour);
        if (x0 == x1 && y0 == y1) return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y0 += stepY;
        }
    }
}

const DibImage& glyphAtlas() {
    if (!atlas.tried) {
        atlas.tried = true;
        char path[dataPathSize];
        resolveDataPath(path, "\\Date\\Image\\Glyphs.bmp");
        atlas.image = loadDib(path[0] ? path : "\\Date\\Image\\Glyphs.bmp");
    }
    return atlas.image;
}

void releaseGlyphAtlas() {
    releaseDib(atlas.image);
    atlas = Atlas{};
}

int bitmapTextWidth(const char* text) {
    int width = 0;
    size_t bytes = 0;
    for (size_t i = 0; text[i] != '\0'; i += bytes) {
        codeAt(text, i, bytes);
        width += bytes == 2 ? cell : cell / 2;
    }
    return width;
}

bool bitmapTextDrawable(const char* text) {
    size_t bytes = 0;
    for (size_t i = 0; text[i] != '\0'; i += bytes) {
        if (glyphIndex(codeAt(text, i, bytes)) < 0) return false;
    }
    return true;
}

void drawBitmapText(DibImage& dst, int x, int y, const char* text, uint32_t colour) {
    const DibImage& image = glyphAtlas();
    size_t bytes = 0;
    for (size_t i = 0; text[i] != '\0'; i += bytes) {
        const int index = glyphIndex(codeAt(text, i, bytes));
        const int width = bytes == 2 ? cell : cell / 2;
        if (index >= 0 && image.bits) {
            const int left = index % atlasColumns * cell;
            const int top = index / atlasColumns * cell;
            for (int row = 0; row < cell; ++row) {
                for (int column = 0; column < width; ++column) {
                    if (inkAt(image, left + column, top + row)) {
                        putPixel(dst, x + column, y + row, colour);
                    }
                }
            }
        }
        x += width;
    }
}

// Plain drawing into the back buffer for the records screen: filled boxes, lines and text in
// the bitmap font. Positions are counted from the top left, as texts are; all is clipped.
#pragma once

#include <cstdint>

#include "base/dib_image.h"

// Colours as 0x00RRGGBB.
void fillBox(DibImage& dst, int x, int y, int w, int h, uint32_t colour);
void drawLine(DibImage& dst, int x0, int y0, int x1, int y1, uint32_t colour);
// The glyph atlas (Date\Image\Glyphs.bmp); empty when it cannot be loaded.
const DibImage& glyphAtlas();
// Releases the atlas; the next use loads it again.
void releaseGlyphAtlas();
// Width in pixels of a code page 932 text in the bitmap font: 8 a single byte, 16 a pair.
int bitmapTextWidth(const char* text);
// Draws text with its top-left corner at (x, y); characters the atlas lacks are left blank.
void drawBitmapText(DibImage& dst, int x, int y, const char* text, uint32_t colour);
// Whether every character of text is in the atlas's table.
bool bitmapTextDrawable(const char* text);

// The records screen's bitmap font: which code page 932 codes Date/Image/Glyphs.bmp holds.
#pragma once

#include <cstdint>

// Ascending; the glyph of glyphCodes[i] is cell i of the atlas (32 cells of 16x16 a row, from
// the top left). Single-byte codes are 8 pixels wide, the others 16.
extern const uint16_t glyphCodes[];
extern const int glyphCount;

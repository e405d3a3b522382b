// The game's bottom-up 24-bit frames turned into the top-down 32-bit rows of a cairo image.
#pragma once

#include <cstdint>

// Which code converts the rows; every choice gives the same bytes.
enum class RowConversion {
    fastest,   // SSSE3 shuffles where the processor has them, 4-byte loads otherwise
    portable,  // 4-byte loads only
};

// Writes the width x height picture of the bottom-up block bits (rows of 3-byte blue, green,
// red pixels, each row padded to 4 bytes) into top-down rows of pixels, stride bytes apart,
// as 0x00RRGGBB (cairo's RGB24). Reads nothing past the block's last pixel.
void convertFrameRows(const uint8_t* bits, int width, int height, uint8_t* pixels, int stride,
                      RowConversion how = RowConversion::fastest);

// The same picture with every pixel a scale x scale block of device pixels, for a window on
// a screen of that many device pixels per pixel: width x scale columns, height x scale rows.
void convertFrameRowsScaled(const uint8_t* bits, int width, int height, uint8_t* pixels, int stride,
                            int scale);

// The columns [left, right) of rows [top, bottom) (counted top-down) of the width x height
// block bits written where convertFrameRowsScaled would write them; the rest of pixels is
// left as it is. The rectangle must lie inside the picture.
void convertFrameArea(const uint8_t* bits, int width, int height, int left, int top, int right,
                      int bottom, uint8_t* pixels, int stride, int scale);

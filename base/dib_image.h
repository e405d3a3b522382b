// A bitmap file held whole in memory, and the file's info header read in place.
#pragma once

#include <cstdint>

// A 24-bit bottom-up bitmap header laid out as in the file (40 bytes, no padding), read in
// place from a file block; packed so that it may sit at any address.
#pragma pack(push, 1)
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40, "bitmap header must match the file layout");

// A bitmap file held whole in one block; bits - offset is the start of the block.
// An image that could not be loaded has all three fields empty and is drawn as nothing.
struct DibImage {
    uint8_t* bits = nullptr;
    const BitmapInfoHeader* header = nullptr;
    uint32_t offset = 0;
};

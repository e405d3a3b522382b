// The one-pass frame conversion against the plain pixel-by-pixel one, and the kept surfaces
// of deleted frame bitmaps.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "backends/gtk/frame_pixels.h"
#include "backends/gtk/gtk_objects.h"

namespace {

size_t blockStride(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

// A bottom-up block of random bytes, the row padding included (it must not be read as pixels).
std::vector<uint8_t> randomBlock(int width, int height, std::mt19937& random) {
    std::vector<uint8_t> block(blockStride(width) * static_cast<size_t>(height));
    for (uint8_t& byte : block) byte = static_cast<uint8_t>(random());
    return block;
}

// The plain conversion: one pixel at a time, byte by byte, the unused top byte zero.
std::vector<uint32_t> plainConversion(const std::vector<uint8_t>& block, int width, int height) {
    std::vector<uint32_t> rows(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = &block[blockStride(width) * static_cast<size_t>(height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = source + 3 * x;
            rows[static_cast<size_t>(y) * width + x] =
                uint32_t{pixel[2]} << 16 | uint32_t{pixel[1]} << 8 | pixel[0];
        }
    }
    return rows;
}

constexpr uint8_t untouched = 0xA5;

TEST(FrameRows, OnePassGivesThePlainConversionsBytes) {
    struct Size {
        int width;
        int height;
    };
    // Widths around the 16-pixel groups and the 4-byte row padding, and the game's frame.
    const Size sizes[] = {{1, 1},  {2, 3},  {3, 2},  {5, 4},  {15, 2},  {16, 3},    {17, 2},
                          {31, 2}, {32, 1}, {33, 3}, {47, 2}, {100, 5}, {640, 320}, {641, 2}};
    std::mt19937 random(20240611);
    for (RowConversion how : {RowConversion::fastest, RowConversion::portable}) {
        for (const Size& size : sizes) {
            const std::vector<uint8_t> block = randomBlock(size.width, size.height, random);
            const std::vector<uint32_t> expected = plainConversion(block, size.width, size.height);
            // Rows wider than the picture: what lies past a row's last pixel must stay.
            const int stride = size.width * 4 + 12;
            std::vector<uint8_t> pixels(static_cast<size_t>(stride) * size.height, untouched);
            convertFrameRows(block.data(), size.width, size.height, pixels.data(), stride, how);
            int wrongPixels = 0;
            int touchedPadding = 0;
            for (int y = 0; y < size.height; ++y) {
                const uint8_t* row = &pixels[static_cast<size_t>(stride) * y];
                for (int x = 0; x < size.width; ++x) {
                    uint32_t pixel;
                    std::memcpy(&pixel, row + 4 * x, 4);
                    wrongPixels += pixel != expected[static_cast<size_t>(y) * size.width + x];
                }
                for (int i = size.width * 4; i < stride; ++i) touchedPadding += row[i] != untouched;
            }
            const bool portable = how == RowConversion::portable;
            EXPECT_EQ(wrongPixels, 0)
                << size.width << "x" << size.height << " portable " << portable;
            EXPECT_EQ(touchedPadding, 0)
                << size.width << "x" << size.height << " portable " << portable;
        }
    }
}

std::vector<uint32_t> surfacePixels(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        std::memcpy(&pixels[static_cast<size_t>(y) * width],
                    data + static_cast<ptrdiff_t>(stride) * y, static_cast<size_t>(width) * 4);
    }
    return pixels;
}

TEST(FrameBitmap, TakesTheSurfaceOfADeletedFrameOnlyWhenNothingElseHoldsIt) {
    std::mt19937 random(7);
    const std::vector<uint8_t> first = randomBlock(640, 320, random);
    const std::vector<uint8_t> second = randomBlock(640, 320, random);
    const std::vector<uint8_t> third = randomBlock(640, 320, random);

    BitmapHandle a = createFrameBitmap(nullptr, 640, 320, first.data());
    cairo_surface_t* firstSurface = a->surface;
    deleteBitmap(a);
    // The next frame of that size is drawn into the kept surface, every pixel of it new.
    BitmapHandle b = createFrameBitmap(nullptr, 640, 320, second.data());
    EXPECT_EQ(b->surface, firstSurface);
    EXPECT_EQ(surfacePixels(b->surface), plainConversion(second, 640, 320));

    // A surface someone still shows is left alone: the next frame gets another one.
    cairo_surface_t* shown = cairo_surface_reference(b->surface);
    deleteBitmap(b);
    BitmapHandle c = createFrameBitmap(nullptr, 640, 320, third.data());
    EXPECT_NE(c->surface, shown);
    EXPECT_EQ(surfacePixels(c->surface), plainConversion(third, 640, 320));
    EXPECT_EQ(surfacePixels(shown), plainConversion(second, 640, 320));
    cairo_surface_destroy(shown);

    // Another size never gets a kept surface of the wrong size.
    const std::vector<uint8_t> smallBlock = randomBlock(17, 3, random);
    BitmapHandle d = createFrameBitmap(nullptr, 17, 3, smallBlock.data());
    EXPECT_EQ(cairo_image_surface_get_width(d->surface), 17);
    EXPECT_EQ(surfacePixels(d->surface), plainConversion(smallBlock, 17, 3));
    deleteBitmap(c);
    deleteBitmap(d);
}

}  // namespace

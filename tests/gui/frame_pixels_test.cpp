// The one-pass frame conversion against the plain pixel-by-pixel one, frame bitmaps of a
// screen that has several device pixels per pixel, and the kept surfaces of deleted frames.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "backends/gtk/frame_pixels.h"
#include "backends/gtk/gtk_drawing.h"
#include "backends/gtk/gtk_objects.h"
#include "backends/gtk/window_picture.h"
#include "base/texts.h"

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

TEST(FrameBitmap, AtAScaleEveryPixelIsAWholeBlockAndTextIsDrawnFiner) {
    std::mt19937 random(11);
    // 5 pixels wide: the row padding must not shift the blocks.
    const std::vector<uint8_t> block = randomBlock(5, 3, random);
    const std::vector<uint32_t> plain = plainConversion(block, 5, 3);
    for (int scale : {1, 2, 3}) {
        NativeDC paintDC;
        paintDC.scale = scale;
        BitmapHandle bitmap = createFrameBitmap(&paintDC, 5, 3, block.data());
        ASSERT_NE(bitmap, nullptr);
        double scaleX = 0, scaleY = 0;
        cairo_surface_get_device_scale(bitmap->surface, &scaleX, &scaleY);
        EXPECT_EQ(scaleX, scale);
        EXPECT_EQ(scaleY, scale);
        ASSERT_EQ(cairo_image_surface_get_width(bitmap->surface), 5 * scale);
        ASSERT_EQ(cairo_image_surface_get_height(bitmap->surface), 3 * scale);
        const std::vector<uint32_t> pixels = surfacePixels(bitmap->surface);
        for (int y = 0; y < 3 * scale; ++y) {
            for (int x = 0; x < 5 * scale; ++x) {
                EXPECT_EQ(pixels[static_cast<size_t>(y) * 5 * scale + x],
                          plain[static_cast<size_t>(y / scale) * 5 + x / scale])
                    << "scale " << scale << ", device pixel " << x << ", " << y;
            }
        }
        deleteBitmap(bitmap);
    }

    // The same text at scale 2 is as wide for the game, but its edges fall inside the
    // 2 x 2 blocks: drawn at the device's resolution, not scaled up.
    const std::vector<uint8_t> white(blockStride(100) * 40, 0xFF);
    FontHandle font = createFont(30, 128, textFontFace);
    std::vector<uint32_t> drawn[2];
    for (int scale : {1, 2}) {
        NativeDC paintDC;
        paintDC.scale = scale;
        BitmapHandle bitmap = createFrameBitmap(&paintDC, 100, 40, white.data());
        NativeDC memoryDC;
        selectBitmap(&memoryDC, bitmap);
        selectFont(&memoryDC, font);
        setTransparentText(&memoryDC);
        EXPECT_EQ(measureText(&memoryDC, "\x82\xCB\x82\xB1k"), 75) << "scale " << scale;
        drawText(&memoryDC, 5, 4, "\x82\xCB\x82\xB1k");
        finishFrameBitmap(bitmap);
        drawn[scale - 1] = surfacePixels(bitmap->surface);
        selectBitmap(&memoryDC, nullptr);
        selectFont(&memoryDC, nullptr);
        deleteBitmap(bitmap);
    }
    deleteFont(font);
    int insideBlocks = 0;
    int inkAtOne = 0;
    int inkAtTwo = 0;
    for (int y = 0; y < 80; y += 2) {
        for (int x = 0; x < 200; x += 2) {
            const uint32_t here = drawn[1][static_cast<size_t>(y) * 200 + x];
            insideBlocks += here != drawn[1][static_cast<size_t>(y) * 200 + x + 1] ||
                            here != drawn[1][static_cast<size_t>(y + 1) * 200 + x];
            inkAtTwo += (here & 0xFF) < 0x80;
            inkAtOne += (drawn[0][static_cast<size_t>(y / 2) * 100 + x / 2] & 0xFF) < 0x80;
        }
    }
    EXPECT_GT(insideBlocks, 50);
    // About as much ink in the same place: the same text at the same position.
    EXPECT_GT(inkAtTwo, inkAtOne / 2);
    EXPECT_LT(inkAtTwo, inkAtOne * 2);
}

// A frame of the game: a band of the back buffer painted one colour, and texts on it.
struct FrameStep {
    int bandTop;
    int bandRows;
    uint8_t bandShade;
    std::vector<std::pair<int, const char*>> texts;  // x at row 200, and the text; "!" opaque
    bool refused = false;  // asked for at a size no frame has: no bitmap comes of it
};

// Frames made one after another on kept surfaces, as the paints of a game make them, give the
// pixels of the same frames each made whole, and the window is told of every pixel that
// differs from the frame it showed before.
TEST(FrameBitmap, EachFrameOnAKeptSurfaceEqualsTheFrameMadeWhole) {
    const std::vector<FrameStep> steps = {
        {0, 0, 0, {{10, "neko"}, {300, "120"}}},
        {0, 0, 0, {{10, "neko"}, {300, "120"}}},  // the same again
        {0, 0, 0, {{10, "neko"}, {300, "125"}}},  // one text changes
        {0, 0, 0, {{10, "neko"}}},                // one goes
        {190, 30, 0x40, {{10, "neko"}}},          // the picture under a text changes
        {0, 0, 0, {{10, "neko"}}},
        {0, 0, 0, {{10, "neko"}}},
        {0, 0, 0, {{10, "neko"}, {40, "\x82\xCB\x82\xB1"}}},  // a new one overlaps a kept one
        {0, 0, 0, {{10, "neko"}, {40, "!\x82\xCB"}}},         // an opaque one over it
        {100, 5, 0x90, {{12, "neko"}, {300, "7"}}},           // one moves, elsewhere a band
        {100, 5, 0x90, {{12, "neko"}, {300, "7"}}},
        {0, 0, 0, {{12, "neko"}}},
        {40, 5, 0x20, {{12, "neko"}}, true},  // the next call's changes count from these bits
        {40, 5, 0x20, {{12, "neko"}}},
    };
    std::mt19937 random(3);
    const std::vector<uint8_t> picture = randomBlock(640, 320, random);
    FontHandle font = createFont(30, 128, textFontFace);
    NativeDC memoryDC;
    selectFont(&memoryDC, font);
    auto makeFrame = [&](const FrameStep& step, bool whole, const FrameStep* last) {
        std::vector<uint8_t> bits = picture;
        for (int y = step.bandTop; y < step.bandTop + step.bandRows; ++y) {
            std::memset(&bits[blockStride(640) * static_cast<size_t>(319 - y)], step.bandShade,
                        640 * 3);
        }
        if (whole) {
            // A frame of another size between: nothing of the frame before is used.
            std::vector<uint8_t> other(blockStride(8) * 8, 0);
            deleteBitmap(createFrameBitmap(nullptr, 8, 8, other.data()));
        }
        // What changed since the last call: its band and this one's, unless they are the same.
        FrameBitsChanges changes;
        const bool same = last && last->bandTop == step.bandTop &&
                          last->bandRows == step.bandRows && last->bandShade == step.bandShade;
        for (const FrameStep* s : {last, &step}) {
            if (s && s->bandRows > 0 && !same) {
                changes.areas[changes.count++] = {0, 320 - s->bandTop - s->bandRows, 640,
                                                  320 - s->bandTop};
            }
        }
        BitmapHandle bitmap = createFrameBitmap(nullptr, step.refused ? 5000 : 640, 320,
                                                bits.data(), whole ? nullptr : &changes);
        if (!bitmap) return bitmap;
        selectBitmap(&memoryDC, bitmap);
        for (const auto& [x, text] : step.texts) {
            const bool opaque = text[0] == '!';
            if (opaque) {
                memoryDC.transparent = false;
            } else {
                setTransparentText(&memoryDC);
            }
            setTextColour(&memoryDC, opaque ? 0x0000FF : 0x000000);
            drawText(&memoryDC, x, 200, opaque ? text + 1 : text);
        }
        selectBitmap(&memoryDC, nullptr);
        return bitmap;
    };
    std::vector<std::vector<uint32_t>> expected;
    for (const FrameStep& step : steps) {
        BitmapHandle bitmap = makeFrame(step, true, nullptr);
        finishFrameBitmap(bitmap);
        expected.push_back(bitmap ? surfacePixels(bitmap->surface) : std::vector<uint32_t>{});
        deleteBitmap(bitmap);
    }
    createWindowPicture();
    findWindowPictureChanges(true);
    BitmapHandle shown = nullptr;
    const FrameStep* last = nullptr;
    const std::vector<uint32_t>* before = nullptr;  // what the window showed
    for (size_t i = 0; i < steps.size(); ++i) {
        BitmapHandle bitmap = makeFrame(steps[i], false, last);
        last = &steps[i];
        if (steps[i].refused) {
            EXPECT_EQ(bitmap, nullptr);
            continue;
        }
        presentFrameBitmap(bitmap, 640, 320);
        if (shown) deleteBitmap(shown);
        shown = bitmap;
        EXPECT_EQ(surfacePixels(bitmap->surface), expected[i]) << "frame " << i;
        cairo_region_t* told = takeWindowPictureChanges();
        int untold = 0;
        for (int y = 0; before && y < 320; ++y) {
            for (int x = 0; x < 640; ++x) {
                const size_t at = static_cast<size_t>(y) * 640 + x;
                untold +=
                    expected[i][at] != (*before)[at] && !cairo_region_contains_point(told, x, y);
            }
        }
        before = &expected[i];
        EXPECT_EQ(untold, 0) << "frame " << i;
        cairo_region_destroy(told);
    }
    deleteBitmap(shown);
    releaseWindowPicture();
    selectFont(&memoryDC, nullptr);
    deleteFont(font);
}

TEST(WindowPicture, AtAScaleShowsTheFrameDevicePixelForDevicePixel) {
    std::mt19937 random(5);
    const std::vector<uint8_t> block = randomBlock(640, 320, random);
    NativeDC paintDC;
    paintDC.scale = 2;
    BitmapHandle frame = createFrameBitmap(&paintDC, 640, 320, block.data());
    ASSERT_NE(frame, nullptr);
    createWindowPicture();
    setWindowPictureScale(2);
    presentFrameSurface(frame->surface, 640, 320);
    // What GTK's draw handler gets on that screen: a 1280 x 640 target scaled by 2.
    cairo_surface_t* widget = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1280, 640);
    cairo_surface_set_device_scale(widget, 2, 2);
    cairo_t* cr = cairo_create(widget);
    showWindowPicture(cr, 320);
    cairo_destroy(cr);
    EXPECT_EQ(surfacePixels(widget), surfacePixels(frame->surface));

    // Back at scale 1 (another monitor), the window shows the picture it had, in blocks
    // taken one in two, until the next frame.
    deleteBitmap(frame);
    setWindowPictureScale(1);
    cairo_surface_t* small = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 320);
    cr = cairo_create(small);
    showWindowPicture(cr, 320);
    cairo_destroy(cr);
    const std::vector<uint32_t> large = surfacePixels(widget);
    const std::vector<uint32_t> shown = surfacePixels(small);
    int wrong = 0;
    for (int y = 0; y < 320; ++y) {
        for (int x = 0; x < 640; ++x) {
            wrong += (shown[static_cast<size_t>(y) * 640 + x] & 0xFFFFFF) !=
                     (large[static_cast<size_t>(2 * y) * 1280 + 2 * x] & 0xFFFFFF);
        }
    }
    EXPECT_EQ(wrong, 0);
    cairo_surface_destroy(small);
    cairo_surface_destroy(widget);
    releaseWindowPicture();
}

}  // namespace

// The GTK backend's text and frame bitmaps, without a display: code page 932 conversion, the
// game font's widths in the locale this process runs in, and pixels drawn on a frame.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

#include "backends/gtk/cp932_utf8.h"
#include "backends/gtk/gtk_drawing.h"
#include "backends/gtk/gtk_objects.h"
#include "base/texts.h"

namespace {

// The locale the test was started for; checked so that a missing locale cannot pass as C.
std::string startedLocale;

struct Conversion {
    const char* cp932;
    const char* utf8;
};

TEST(Cp932ToUtf8, UsesTheWindowsTableAndMarksWhatItCannotRead) {
    const Conversion cases[] = {
        {"neko", "neko"},
        {"\x82\xCB\x82\xB1", "ねこ"},
        {"\\~", "\\~"},                // ASCII, not yen sign and overline
        {"\x81\x60", "～"},            // the wave dash of Windows, U+FF5E
        {"\x81\x5F", "＼"},            // full-width backslash, U+FF3C
        {"\x87\x40", "①"},             // an NEC special character
        {"\x95\x5C\x8E\xA6", "表示"},  // 0x5C as a trail byte
        {"\xB1\xB2", "ｱｲ"},            // half-width katakana
        {"a\x85@z", "a・z"},           // an unassigned double-byte code, 0x85 0x40
        {"a\x80z", "a?z"},             // a byte that is no character
        {"ab\x82", "ab?"},             // a lead byte cut off by the end
        {"", ""},
        {textFontFace, "ＭＳ ゴシック"},
    };
    for (const Conversion& c : cases) {
        EXPECT_EQ(utf8FromCp932(c.cp932), c.utf8) << "from " << c.cp932;
    }
}

TEST(Cp932ToUtf8, TurnsResourceLabelsIntoGtkMnemonics) {
    const Conversion cases[] = {
        {textMenuGame, "ゲーム(_G)"},    {textMenuEasy, "Easy(_E)"},
        {textMenuExit, "終了(E)"},  // no ampersand, no mnemonic
        {"Save && quit", "Save & quit"}, {"a_b&c", "a__b_c"},
    };
    for (const Conversion& c : cases) {
        EXPECT_EQ(mnemonicLabelFromCp932(c.cp932), c.utf8) << "from " << c.cp932;
    }
}

TEST(GameFont, HasTheJapaneseMonospaceWidthsInThisLocale) {
    const char* expected = std::getenv("KEYFALL_EXPECT_LOCALE");
    if (expected) {
        ASSERT_EQ(startedLocale, expected) << "the locale could not be set";
    }
    DeviceContext dc = createMemoryContext(nullptr);
    FontHandle font = createFont(30, 128, textFontFace);
    FontHandle previous = selectFont(dc, font);
    struct Width {
        const char* text;
        int pixels;
    };
    const Width widths[] = {
        {"A", 15},
        {"shinkannsenn", 180},
        {"\x82\xB5\x82\xF1\x82\xA9\x82\xF1\x82\xB9\x82\xF1", 180},  // しんかんせん
        {"\x83^\x83"
         "C\x83\x80\x89\xF1\x95\x9C\x82\xDC\x82\xC5"
         "12",
         240},  // タイム回復まで12
        {"\xB1\xB2", 30},
        {"a\x85\x40", 45},  // the mark of an unknown code keeps the double width
        {"", 0},
    };
    for (const Width& w : widths) {
        EXPECT_EQ(measureText(dc, w.text), w.pixels) << "for " << utf8FromCp932(w.text);
    }
    selectFont(dc, previous);
    deleteFont(font);
}

// A bottom-up 24-bit block of width x height in one colour (blue, green, red).
std::vector<uint8_t> solidBlock(int width, int height, uint8_t blue, uint8_t green, uint8_t red) {
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> block(stride * height, 0);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = &block[stride * row + static_cast<size_t>(x) * 3];
            pixel[0] = blue;
            pixel[1] = green;
            pixel[2] = red;
        }
    }
    return block;
}

uint32_t pixelAt(BitmapHandle bitmap, int x, int y) {
    cairo_surface_flush(bitmap->surface);
    const unsigned char* data = cairo_image_surface_get_data(bitmap->surface);
    int stride = cairo_image_surface_get_stride(bitmap->surface);
    return reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(stride) * y)[x] &
           0xFFFFFF;
}

TEST(FrameBitmap, TurnsTheBottomUpBlockIntoAPictureTopDown) {
    // 5 pixels wide: rows are padded to 16 bytes, and the padding must not shift the rows.
    std::vector<uint8_t> block = solidBlock(5, 3, 0x30, 0x20, 0x10);
    block[0] = 0xFF;  // bottom row, first pixel: blue
    block[1] = block[2] = 0;
    block[32 + 12] = 0;  // top row, last pixel: red
    block[32 + 13] = 0;
    block[32 + 14] = 0xFF;
    BitmapHandle bitmap = createFrameBitmap(nullptr, 5, 3, block.data());
    ASSERT_NE(bitmap, nullptr);
    ASSERT_NE(bitmap->surface, nullptr);
    EXPECT_EQ(pixelAt(bitmap, 0, 2), 0x0000FFu);
    EXPECT_EQ(pixelAt(bitmap, 4, 0), 0xFF0000u);
    EXPECT_EQ(pixelAt(bitmap, 2, 1), 0x102030u);
    deleteBitmap(bitmap);

    // Sizes that do not describe a picture make no bitmap.
    for (auto [width, height] : {std::pair{0, 3}, {5, -3}, {5000, 3}}) {
        EXPECT_EQ(createFrameBitmap(nullptr, width, height, block.data()), nullptr) << width;
    }
    EXPECT_EQ(createFrameBitmap(nullptr, 5, 3, nullptr), nullptr);
}

struct InkCount {
    int ink = 0;        // pixels of the text colour (or close to it)
    int untouched = 0;  // pixels still the background colour
    int other = 0;
    int outsideBox = 0;  // changed pixels outside the text's cell
};

InkCount countInk(BitmapHandle bitmap, uint32_t background, uint32_t ink, int x0, int y0, int width,
                  int height) {
    InkCount count;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            uint32_t pixel = pixelAt(bitmap, x, y);
            bool inside = x >= x0 && x < x0 + width && y >= y0 && y < y0 + height;
            if (pixel == background) {
                ++count.untouched;
            } else if (!inside) {
                ++count.outsideBox;
            } else if (pixel == ink) {
                ++count.ink;
            } else {
                ++count.other;
            }
        }
    }
    return count;
}

TEST(FrameText, DrawsInTheColourInsideItsCellTransparentOrOpaque) {
    std::vector<uint8_t> block = solidBlock(200, 100, 0x40, 0x80, 0x20);
    BitmapHandle bitmap = createFrameBitmap(nullptr, 200, 100, block.data());
    FontHandle font = createFont(30, 128, textFontFace);
    const uint32_t green = 0x208040;

    NativeDC transparent;
    transparent.memory = true;
    selectBitmap(&transparent, bitmap);
    selectFont(&transparent, font);
    setTransparentText(&transparent);
    setTextColour(&transparent, 0xFF00FF);  // magenta as 0x00BBGGRR
    drawText(&transparent, 20, 10, "AB");
    finishFrameBitmap(transparent.bitmap);
    InkCount magenta = countInk(bitmap, green, 0xFF00FF, 20, 10, 30, 31);
    EXPECT_GT(magenta.ink, 30);
    EXPECT_EQ(magenta.outsideBox, 0);
    EXPECT_GT(magenta.untouched, 200 * 100 - 30 * 31);  // the cell's background stays

    // Opaque text (a context's default) fills its cell white behind black letters.
    std::vector<uint8_t> again = solidBlock(200, 100, 0x40, 0x80, 0x20);
    BitmapHandle second = createFrameBitmap(nullptr, 200, 100, again.data());
    NativeDC opaque;
    opaque.memory = true;
    selectBitmap(&opaque, second);
    selectFont(&opaque, font);
    drawText(&opaque, 20, 10, "AB");
    finishFrameBitmap(opaque.bitmap);
    InkCount black = countInk(second, green, 0x000000, 20, 10, 30, 31);
    EXPECT_GT(black.ink, 30);
    EXPECT_EQ(black.outsideBox, 0);
    EXPECT_EQ(black.untouched, 200 * 100 - 30 * 31);
    EXPECT_EQ(pixelAt(second, 21, 11), 0xFFFFFFu);

    deleteFont(font);
    deleteBitmap(bitmap);
    deleteBitmap(second);
}

TEST(MemoryContext, RefusesToDeleteWhatIsSelected) {
    DeviceContext dc = createMemoryContext(nullptr);
    EXPECT_EQ(createMemoryContext(nullptr), dc);
    std::vector<uint8_t> block = solidBlock(4, 4, 1, 2, 3);
    BitmapHandle bitmap = createFrameBitmap(nullptr, 4, 4, block.data());
    BitmapHandle previous = selectBitmap(dc, bitmap);
    deleteBitmap(bitmap);  // refused: still selected, still usable
    EXPECT_EQ(pixelAt(bitmap, 0, 0), 0x030201u);
    EXPECT_EQ(selectBitmap(dc, previous), bitmap);
    deleteBitmap(bitmap);
}

}  // namespace

int main(int argc, char** argv) {
    // As the program does (gtk_init): the locale of the environment, before Pango's first use.
    const char* locale = std::setlocale(LC_ALL, "");
    startedLocale = locale ? locale : "";
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

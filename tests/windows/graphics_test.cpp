// The frame bitmap and the text calls of the Windows backend on a real GDI memory context.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "backends/win32/dpi.h"
#include "backends/win32/handles.h"
#include "base/texts.h"
#include "platform/platform.h"

namespace {

// The pixels of a bitmap as 24-bit bottom-up rows, read back through GDI.
// The header of a 24-bit bottom-up block of width x height pixels.
BITMAPINFO blockInfo(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

std::vector<uint8_t> pixelsOf(HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = blockInfo(width, height);
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> pixels(stride * height);
    int rows =
        GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    EXPECT_EQ(rows, height);
    return pixels;
}

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        memoryDC_ = createMemoryContext(nullptr);
        ASSERT_NE(memoryDC_, nullptr);
        // The memory context is 24 or 32 bits like the screen; the frame must come back exact.
        screenDC_ = GetDC(nullptr);
        ASSERT_NE(screenDC_, nullptr);
    }
    void TearDown() override {
        ReleaseDC(nullptr, screenDC_);
        DeleteDC(nativeDC(memoryDC_));
    }
    DeviceContext memoryDC_ = nullptr;
    HDC screenDC_ = nullptr;
};

}  // namespace

TEST_F(GraphicsTest, FrameBitmapHoldsTheBlockAndLeavesCleanly) {
    // 3 pixels wide: rows of 9 bytes are filled to 12 in the block.
    const int width = 3, height = 2;
    const uint8_t block[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,  // bottom row
                             10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    BitmapHandle frame = createFrameBitmap(portableDC(screenDC_), width, height, block);
    ASSERT_NE(frame, nullptr);
    std::vector<uint8_t> pixels = pixelsOf(screenDC_, nativeBitmap(frame), width, height);
    EXPECT_EQ(pixels, std::vector<uint8_t>(block, block + sizeof block));

    // The memory context's own bitmap is reported as none and comes back for a null one.
    EXPECT_EQ(selectBitmap(memoryDC_, frame), nullptr);
    EXPECT_EQ(GetCurrentObject(nativeDC(memoryDC_), OBJ_BITMAP), nativeBitmap(frame));
    EXPECT_EQ(selectBitmap(memoryDC_, nullptr), frame);
    EXPECT_NE(GetCurrentObject(nativeDC(memoryDC_), OBJ_BITMAP), nativeBitmap(frame));
    deleteBitmap(frame);
    EXPECT_EQ(GetObjectType(nativeBitmap(frame)), 0u) << "the frame bitmap was not released";
}

TEST_F(GraphicsTest, SizesThatDescribeNoPictureMakeNoBitmap) {
    const uint8_t block[12] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2};
    BitmapHandle frame = createFrameBitmap(portableDC(screenDC_), 4, 1, block);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(pixelsOf(screenDC_, nativeBitmap(frame), 4, 1),
              std::vector<uint8_t>(block, block + sizeof block));
    deleteBitmap(frame);

    const std::pair<int, int> broken[] = {{0, 320}, {640, -320}, {100000, 1}};
    for (auto [width, height] : broken) {
        EXPECT_EQ(createFrameBitmap(portableDC(screenDC_), width, height, block), nullptr) << width;
    }
    EXPECT_EQ(createFrameBitmap(portableDC(screenDC_), 4, 1, nullptr), nullptr);
}

TEST_F(GraphicsTest, GameFontMeasuresAndDrawsJapanese) {
    FontHandle font = createFont(30, shiftJisCharSet, textFontFace);
    ASSERT_NE(font, nullptr);
    LOGFONTW logical = {};
    ASSERT_NE(GetObjectW(nativeFont(font), sizeof logical, &logical), 0);
    EXPECT_EQ(logical.lfHeight, 30);
    EXPECT_EQ(logical.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_STREQ(logical.lfFaceName, L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF");  // ＭＳ ゴシック

    EXPECT_EQ(selectFont(memoryDC_, font), nullptr);  // the system font is reported as none
    // Measured as the characters they are: ア is one character, not the two bytes it takes.
    SIZE kana = {};
    ASSERT_TRUE(GetTextExtentPoint32W(nativeDC(memoryDC_), L"\u30A2", 1, &kana));
    EXPECT_GT(kana.cx, 0);
    EXPECT_EQ(measureText(memoryDC_, "\x83\x41"), kana.cx);
    EXPECT_EQ(measureText(memoryDC_, "\x83\x41\x83\x41"), 2 * kana.cx);
    EXPECT_EQ(measureText(memoryDC_, "aa"), 2 * measureText(memoryDC_, "a"));
    EXPECT_EQ(measureText(memoryDC_, ""), 0);

    // Drawn black on white with a transparent background, the text leaves dark pixels.
    std::vector<uint8_t> white(64 * 3 * 40, 0xFF);
    BitmapHandle frame = createFrameBitmap(portableDC(screenDC_), 64, 40, white.data());
    ASSERT_NE(frame, nullptr);
    selectBitmap(memoryDC_, frame);
    setTransparentText(memoryDC_);
    setTextColour(memoryDC_, 0);
    drawText(memoryDC_, 2, 2, "\x83\x41");
    selectBitmap(memoryDC_, nullptr);
    std::vector<uint8_t> pixels = pixelsOf(screenDC_, nativeBitmap(frame), 64, 40);
    int dark = 0;
    for (uint8_t value : pixels) dark += value < 0x80;
    EXPECT_GT(dark, 0);
    deleteBitmap(frame);

    EXPECT_EQ(selectFont(memoryDC_, nullptr), font);
    deleteFont(font);
    EXPECT_EQ(GetObjectType(nativeFont(font)), 0u) << "the font was not released";
}

TEST_F(GraphicsTest, AtScaleTwoFramePixelsAreBlocksAndTextsAreDrawnLarge) {
    struct ScaleBack {
        ~ScaleBack() { setFrameScale(1); }
    } scaleBack;
    FontHandle font = createFont(30, shiftJisCharSet, textFontFace);
    ASSERT_NE(font, nullptr);
    selectFont(memoryDC_, font);
    const int kanaWidth = measureText(memoryDC_, "\x83\x41");
    ASSERT_GT(kanaWidth, 0);

    // The selected font follows the scale: twice the pixels, the same width for the game.
    setFrameScale(2);
    EXPECT_EQ(measureText(memoryDC_, "\x83\x41"), kanaWidth);
    LOGFONTW logical = {};
    ASSERT_NE(GetObjectW(nativeFont(font), sizeof logical, &logical), 0);
    EXPECT_EQ(logical.lfHeight, 60);
    EXPECT_EQ(GetCurrentObject(nativeDC(memoryDC_), OBJ_FONT), nativeFont(font));

    // Every frame pixel is a 2 x 2 block, none blended with its neighbours.
    const uint8_t block[] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 99, 98,  97,  // bottom row
                             1,  2,  3,  4,  5,  6,  7,  8,  9,  0,  255, 1};
    BitmapHandle small = createFrameBitmap(portableDC(screenDC_), 4, 2, block);
    ASSERT_NE(small, nullptr);
    std::vector<uint8_t> scaled = pixelsOf(screenDC_, nativeBitmap(small), 8, 4);
    deleteBitmap(small);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 8; ++column) {
            for (int colour = 0; colour < 3; ++colour) {
                EXPECT_EQ(scaled[static_cast<size_t>(row * 24 + column * 3 + colour)],
                          block[(row / 2) * 12 + (column / 2) * 3 + colour])
                    << "column " << column << ", row " << row;
            }
        }
    }

    // A text at (2, 2) starts at device line 4 and, 60 pixels high, reaches far below line
    // 34, where the 30-pixel font's glyphs end.
    std::vector<uint8_t> white(64 * 3 * 40, 0xFF);
    BitmapHandle frame = createFrameBitmap(portableDC(screenDC_), 64, 40, white.data());
    ASSERT_NE(frame, nullptr);
    selectBitmap(memoryDC_, frame);
    setTransparentText(memoryDC_);
    setTextColour(memoryDC_, 0);
    drawText(memoryDC_, 2, 2, "\x83\x41");
    selectBitmap(memoryDC_, nullptr);
    std::vector<uint8_t> pixels = pixelsOf(screenDC_, nativeBitmap(frame), 128, 80);
    deleteBitmap(frame);
    int lowestDarkLine = -1;
    for (int row = 0; row < 80; ++row) {
        for (int column = 0; column < 128; ++column) {
            if (pixels[static_cast<size_t>(row * 384 + column * 3)] < 0x80) {
                lowestDarkLine = std::max(lowestDarkLine, 79 - row);
            }
        }
    }
    EXPECT_GT(lowestDarkLine, 44) << "the text was not drawn at twice the size";

    selectFont(memoryDC_, nullptr);
    deleteFont(font);
}

// Frames made one after another on the bitmaps of deleted ones, as the paints of a game make
// them, hold what the same frames made afresh hold.
TEST_F(GraphicsTest, FramesOnKeptBitmapsEqualFramesMadeAfresh) {
    struct Step {
        int bandBottom;  // rows [bandBottom, bandBottom + 10) painted, and said to have changed
        uint8_t shade;
        int textX;             // of "neko" at row 150; "120" stays at (300, 280)
        bool refused = false;  // asked for at a size no frame has: no bitmap comes of it
    };
    const Step steps[] = {{0, 0, 10},      {0, 0, 10}, {100, 0x40, 10}, {0, 0, 10},
                          {0, 0, 40},      {0, 0, 40}, {150, 0x90, 40}, {150, 0x90, 40},
                          {150, 0x20, 80}, {0, 0, 80}, {0, 0, 80},      {100, 0x40, 80, true},
                          {100, 0x40, 80}};
    const size_t stride = (size_t{frameWidth} * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> picture(stride * frameHeight);
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 7 / 5);
    FontHandle font = createFont(30, shiftJisCharSet, textFontFace);
    selectFont(memoryDC_, font);
    setTransparentText(memoryDC_);
    auto compose = [&](const Step& step, std::vector<uint8_t>& bits) {
        bits = picture;
        for (int row = step.bandBottom; row < step.bandBottom + (step.shade ? 10 : 0); ++row) {
            std::fill_n(&bits[stride * static_cast<size_t>(row)], size_t{frameWidth} * 3,
                        step.shade);
        }
    };
    auto drawTexts = [&](const Step& step) {
        drawText(memoryDC_, step.textX, 150, "neko");
        drawText(memoryDC_, 300, 280, "120");
    };
    BitmapHandle shown = nullptr;
    const Step* last = nullptr;
    for (const Step& step : steps) {
        std::vector<uint8_t> bits;
        compose(step, bits);
        // What changed since the last call: its band and this one's, unless they are the same.
        FrameBitsChanges changes;
        const bool same = last && last->bandBottom == step.bandBottom && last->shade == step.shade;
        for (const Step* s : {last, &step}) {
            if (s && s->shade && !same) {
                changes.areas[changes.count++] = {0, s->bandBottom, frameWidth, s->bandBottom + 10};
            }
        }
        BitmapHandle frame =
            createFrameBitmap(portableDC(screenDC_), step.refused ? 5000 : frameWidth, frameHeight,
                              bits.data(), &changes);
        last = &step;
        if (step.refused) {
            // The next call's changes count from these bits all the same.
            ASSERT_EQ(frame, nullptr);
            continue;
        }
        ASSERT_NE(frame, nullptr);
        selectBitmap(memoryDC_, frame);
        drawTexts(step);
        selectBitmap(memoryDC_, nullptr);
        const BITMAPINFO info = blockInfo(frameWidth, frameHeight);
        HBITMAP fresh = CreateDIBitmap(screenDC_, &info.bmiHeader, CBM_INIT, bits.data(), &info,
                                       DIB_RGB_COLORS);
        selectBitmap(memoryDC_, portableBitmap(fresh));
        drawTexts(step);
        selectBitmap(memoryDC_, nullptr);
        EXPECT_EQ(pixelsOf(screenDC_, nativeBitmap(frame), frameWidth, frameHeight),
                  pixelsOf(screenDC_, fresh, frameWidth, frameHeight))
            << "frame " << (&step - steps);
        DeleteObject(fresh);
        if (shown) deleteBitmap(shown);
        shown = frame;
    }
    deleteBitmap(shown);
    selectFont(memoryDC_, nullptr);
    deleteFont(font);
}

TEST(ClockTest, SystemTimeIsMilliseconds) {
    // Asked for the wrong unit the clock would count bytes or samples, not track this one.
    uint32_t before = timeGetTime();
    uint32_t now = systemTimeMs();
    uint32_t after = timeGetTime();
    EXPECT_LE(now - before, after - before + 20);
}

// The keyed blit on small pictures, the bitmap loader's checks, and the ten images' order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/keyed_blit.h"
#include "tests/render/render_support.h"

namespace {

const Pixel marker{9, 9, 9};

// A picture whose every pixel is opaque and tells where it came from.
TestImage numberedImage(int width, int height) {
    TestImage image(width, height);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            image.set(c, r, {static_cast<uint8_t>(c + 1), static_cast<uint8_t>(r + 1), 200});
        }
    }
    return image;
}

// Every destination pixel that changed must be the source pixel that (x, y) and the source
// origin map onto it; returns how many changed.
int checkCopied(const TestImage& dst, const TestImage& src, int x, int y, int originColumn,
                int originRow) {
    int copied = 0;
    for (int r = 0; r < dst.height; ++r) {
        for (int c = 0; c < dst.width; ++c) {
            if (dst.at(c, r) == marker) continue;
            ++copied;
            int sc = c - x + originColumn;
            int sr = r - y + originRow;
            EXPECT_TRUE(sc >= 0 && sc < src.width && sr >= 0 && sr < src.height)
                << "pixel (" << c << ", " << r << ") has no source";
            if (sc >= 0 && sc < src.width && sr >= 0 && sr < src.height) {
                EXPECT_EQ(dst.at(c, r), src.at(sc, sr)) << "at (" << c << ", " << r << ")";
            }
        }
    }
    return copied;
}

}  // namespace

TEST(BlitKeyed, BlackIsTheOnlyTransparentColour) {
    TestImage src(4, 4);
    src.set(0, 0, {0, 0, 1});
    src.set(2, 1, {1, 0, 0});
    TestImage dst = makeBackBuffer(marker);
    blitKeyed(dst.image, src.image, 10, 20, -1, -1, -1, -1);
    EXPECT_EQ(dst.at(10, 20), (Pixel{0, 0, 1}));
    EXPECT_EQ(dst.at(12, 21), (Pixel{1, 0, 0}));
    EXPECT_EQ(dst.at(11, 20), marker);
    EXPECT_EQ(checkCopied(dst, src, 10, 20, 0, 0), 2);
}

TEST(BlitKeyed, NegativeCornersMeanTheWholeImageButANegativeSizeAloneDoesNot) {
    struct Case {
        int sx, sy, w, h;
        bool whole;
        int copied;
    };
    const Case cases[] = {
        {-1, -1, -1, -1, true, 16}, {-1, 0, 2, 2, true, 16},  // sx negative
        {0, -1, 2, 2, true, 16},                              // sy negative
        {2, 1, -5, 2, true, 16},                              // sx + w negative
        {1, 2, 1, -3, true, 16},                              // sy + h negative
        {2, 0, -1, 2, false, 0},  // w negative alone: an empty rectangle
        {0, 2, 2, -1, false, 0},  // h negative alone
        {1, 1, 0, 2, false, 0},   // no columns
        {1, 1, 2, 0, false, 0},   // no rows
        {1, 2, 2, 1, false, 2},   // columns 1 and 2 of row 2
        {0, 0, 4, 4, false, 16},
    };
    const TestImage src = numberedImage(4, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.sx << ", " << c.sy << ", " << c.w << ", " << c.h);
        TestImage dst = makeBackBuffer(marker);
        blitKeyed(dst.image, src.image, 100, 50, c.sx, c.sy, c.w, c.h);
        int originColumn = c.whole ? 0 : c.sx;
        int originRow = c.whole ? 0 : c.sy;
        EXPECT_EQ(checkCopied(dst, src, 100, 50, originColumn, originRow), c.copied);
    }
}

TEST(BlitKeyed, AThreeWideImageHasTwelveByteRowsAndIsWalkedAsFourColumns) {
    TestImage src = numberedImage(3, 4);
    ASSERT_EQ(src.rowBytes, 12);
    TestImage dst = makeBackBuffer(marker);
    blitKeyed(dst.image, src.image, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(dst.at(0, 1), src.at(0, 1));  // rows 12 bytes apart
    EXPECT_EQ(dst.at(2, 3), src.at(2, 3));
    EXPECT_EQ(dst.at(3, 0), marker);  // the zero padding is a transparent fourth column
    EXPECT_EQ(checkCopied(dst, src, 0, 0, 0, 0), 12);

    // Whatever the padding holds is walked as that fourth column.
    src.image.bits[9] = 77;
    TestImage again = makeBackBuffer(marker);
    blitKeyed(again.image, src.image, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(again.at(3, 0), (Pixel{77, 0, 0}));
    EXPECT_EQ(again.at(3, 1), marker);
}

TEST(BlitKeyed, ClipsOnEveryEdgeWithoutWrappingIntoANeighbouringRow) {
    struct Case {
        int x, y;
        int copied;
    };
    const Case cases[] = {
        {638, 0, 8},   {636, 0, 16},  {-2, 0, 8},          {-4, 0, 0},
        {0, 318, 8},   {0, 316, 16},  {0, -2, 8},          {0, -4, 0},
        {-2, -2, 4},   {638, 318, 4}, {700, 10, 0},        {10, 400, 0},
        {-100, 10, 0}, {10, -100, 0}, {-2147483647, 0, 0}, {2147483647, 2147483647, 0},
    };
    const TestImage src = numberedImage(4, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "at " << c.x << ", " << c.y);
        TestImage dst = makeBackBuffer(marker);
        blitKeyed(dst.image, src.image, c.x, c.y, -1, -1, -1, -1);
        EXPECT_EQ(checkCopied(dst, src, c.x, c.y, 0, 0), c.copied);
    }
    // The example of a 4 x 4 image at (638, 0): two columns kept, the row above untouched.
    TestImage dst = makeBackBuffer(marker);
    blitKeyed(dst.image, src.image, 638, 0, -1, -1, -1, -1);
    EXPECT_EQ(dst.at(639, 3), src.at(1, 3));
    EXPECT_EQ(dst.at(0, 1), marker);
    EXPECT_EQ(dst.at(1, 1), marker);
}

TEST(BlitKeyed, ReadsOnlyThePicturesOwnPixels) {
    // Each source block is exactly the file's size, so a read past it is caught by ASan.
    struct Case {
        int width, height, sx, sy, w, h;
        int copied;
    };
    const Case cases[] = {
        {4, 4, 2, 2, 10, 10, 4},         // a rectangle reaching past the picture
        {4, 4, 100, 0, 1, 4, 0},         // a rectangle beside it
        {4, 4, 0, 3, 4, 2147483647, 4},  // a height that overflows sy + h
        {4, 3, -1, -1, -1, -1, 12},      // whole mode walks 4 rows; the picture has 3
        {3, 5, -1, -1, -1, -1, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " from " << c.sx
                                          << ", " << c.sy << " size " << c.w << ", " << c.h);
        const TestImage src = numberedImage(c.width, c.height);
        TestImage dst = makeBackBuffer(marker);
        blitKeyed(dst.image, src.image, 20, 20, c.sx, c.sy, c.w, c.h);
        bool whole = c.sx < 0;
        EXPECT_EQ(checkCopied(dst, src, 20, 20, whole ? 0 : c.sx, whole ? 0 : c.sy), c.copied);
    }
}

TEST(BlitKeyed, AnEmptyImageDrawsNothingAndTakesNothing) {
    const TestImage src = numberedImage(4, 4);
    TestImage dst = makeBackBuffer(marker);
    DibImage empty;
    blitKeyed(dst.image, empty, 0, 0, -1, -1, -1, -1);
    blitKeyed(dst.image, empty, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(checkCopied(dst, src, 0, 0, 0, 0), 0);
    blitKeyed(empty, src.image, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(empty.bits, nullptr);
}

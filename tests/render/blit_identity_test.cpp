// The wide keyed blit against the pixel loop: rows on their own, then whole blits of random
// and shipped pictures at every kind of position, in both modes.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "render/keyed_blit.h"
#include "render/keyed_rows.h"
#include "tests/render/pictures.h"
#include "tests/render/reference_drawing.h"

namespace {

using RowCopy = void (*)(uint8_t*, const uint8_t*, int64_t);

void pixelLoopRow(uint8_t* target, const uint8_t* source, int64_t n) {
    for (int64_t i = 0; i < 3 * n; i += 3) {
        if (source[i] | source[i + 1] | source[i + 2]) {
            target[i] = source[i];
            target[i + 1] = source[i + 1];
            target[i + 2] = source[i + 2];
        }
    }
}

// A blit call: destination place, source rectangle (negative corners: the whole picture).
struct Call {
    int x, y, sx, sy, w, h;
};

std::string describe(const Call& c) {
    return "x " + std::to_string(c.x) + " y " + std::to_string(c.y) + " sx " +
           std::to_string(c.sx) + " sy " + std::to_string(c.sy) + " w " + std::to_string(c.w) +
           " h " + std::to_string(c.h);
}

// Draws the call with both blits and expects the same bytes.
void expectSameBlit(DrawnPair& pair, const DibImage& src, const Call& c) {
    referenceBlitKeyed(pair.expected.image, src, c.x, c.y, c.sx, c.sy, c.w, c.h);
    blitKeyed(pair.actual.image, src, c.x, c.y, c.sx, c.sy, c.w, c.h);
    ASSERT_TRUE(pair.same()) << describe(c);
}

// Places around and across a destination of the given size for a picture of the given size:
// off every edge, just inside, straddling, and at the far int values.
std::vector<int> placesAlong(int destination, int picture) {
    return {INT_MIN,         -picture - 1,          -picture,        -picture + 1, -3,     0, 2,
            destination / 2, destination - picture, destination - 1, destination,  INT_MAX};
}

// A random call for a src picture on a dst picture, in either mode.
Call randomCall(std::mt19937& random, int srcWidth, int srcHeight, int dstWidth, int dstHeight) {
    Call c{};
    c.x = randomInt(random, -srcWidth - 8, dstWidth + 8);
    c.y = randomInt(random, -srcHeight - 8, dstHeight + 8);
    if (randomInt(random, 0, 2) == 0) {
        c.sx = c.sy = c.w = c.h = -1;
        // Any negative corner means the whole picture, whatever the rest says.
        if (randomInt(random, 0, 1)) {
            c.sx = randomInt(random, -3, srcWidth);
            c.w = randomInt(random, -srcWidth - 5, -c.sx - 1);
            c.sy = randomInt(random, -3, srcHeight);
            c.h = randomInt(random, -5, srcHeight);
        }
    } else {
        c.sx = randomInt(random, 0, srcWidth + 2);
        c.sy = randomInt(random, 0, srcHeight + 2);
        c.w = randomInt(random, -2, srcWidth + 4 - c.sx);
        c.h = randomInt(random, -2, srcHeight + 4 - c.sy);
    }
    return c;
}

// Widths a bitmap may have: a multiple of 4 or one less.
int randomPictureWidth(std::mt19937& random, int most) {
    const int quads = randomInt(random, 1, (most + 3) / 4);
    return 4 * quads - randomInt(random, 0, 1);
}

}  // namespace

TEST(KeyedRows, WideAndPortableRowsCopyWhatThePixelLoopCopies) {
    std::mt19937 random(11);
    const RowCopy copies[] = {copyKeyedRow, copyKeyedRowPortable};
    const double shares[] = {0.0, 0.1, 0.5, 0.9, 1.0};
    for (int n = 0; n <= 130; ++n) {
        for (int skew = 0; skew < 4; ++skew) {
            for (double share : shares) {
                // The source block ends where the row ends, so a read past it is caught.
                std::vector<uint8_t> source(3 * static_cast<size_t>(n) + skew);
                paintRuns(source, random, share);
                std::vector<uint8_t> target(3 * static_cast<size_t>(n) + 32);
                paintNoise(target, random);
                std::vector<uint8_t> expected = target;
                pixelLoopRow(expected.data() + 16, source.data() + skew, n);
                for (int which = 0; which < 2; ++which) {
                    std::vector<uint8_t> actual = target;
                    copies[which](actual.data() + 16, source.data() + skew, n);
                    ASSERT_TRUE(actual == expected)
                        << (which ? "portable" : "wide") << " row of " << n << " pixels, skew "
                        << skew << ", black share " << share;
                }
            }
        }
    }
}

TEST(KeyedRows, RunsFillExactlyTheirPixels) {
    const uint8_t pixel[3] = {7, 0, 9};
    for (int n = 0; n <= 70; ++n) {
        std::vector<uint8_t> target(3 * static_cast<size_t>(n) + 6, 0xEE);
        fillPixelRun(target.data() + 3, pixel, n);
        for (size_t at = 0; at < target.size(); ++at) {
            const bool inside = at >= 3 && at < 3 + 3 * static_cast<size_t>(n);
            const uint8_t want = inside ? pixel[(at - 3) % 3] : 0xEE;
            ASSERT_EQ(target[at], want) << "run of " << n << ", byte " << at;
        }
    }
}

TEST(BlitKeyed, MatchesThePixelLoopOnRandomPictures) {
    std::mt19937 random(12);
    Picture noisyBackBuffer(640, 320, false);
    paintNoise(noisyBackBuffer.bytes, random);
    DrawnPair backBuffers(noisyBackBuffer);
    for (int trial = 0; trial < 1500; ++trial) {
        const bool bigPicture = trial % 50 == 0;
        const int srcWidth = randomPictureWidth(random, bigPicture ? 700 : 70);
        const int srcHeight = randomInt(random, 1, bigPicture ? 340 : 40);
        const bool backBuffer = trial % 3 == 0;
        const int dstWidth = backBuffer ? 640 : randomInt(random, 1, 150);
        const int dstHeight = backBuffer ? 320 : randomInt(random, 1, 90);
        Picture src(srcWidth, srcHeight, true);
        paintRuns(src.bytes, random, std::uniform_real_distribution<double>(0, 1)(random));
        Picture small(backBuffer ? 1 : dstWidth, backBuffer ? 1 : dstHeight, false);
        paintNoise(small.bytes, random);
        DrawnPair smallPair(small);
        SCOPED_TRACE(::testing::Message() << "trial " << trial << ": " << srcWidth << " x "
                                          << srcHeight << " on " << dstWidth << " x " << dstHeight);
        expectSameBlit(backBuffer ? backBuffers : smallPair, src.image,
                       randomCall(random, srcWidth, srcHeight, dstWidth, dstHeight));
    }
}

TEST(BlitKeyed, MatchesThePixelLoopAtEveryEdgeAndAtTheIntLimits) {
    std::mt19937 random(13);
    for (int srcWidth : {3, 4, 15, 16, 19, 640}) {
        const int srcHeight = srcWidth == 640 ? 320 : 9;
        Picture src(srcWidth, srcHeight, true);
        paintRuns(src.bytes, random, 0.3);
        Picture dst(640, 320, false);
        paintNoise(dst.bytes, random);
        DrawnPair pair(dst);
        for (int x : placesAlong(640, srcWidth)) {
            for (int y : placesAlong(320, srcHeight)) {
                expectSameBlit(pair, src.image, {x, y, -1, -1, -1, -1});
                expectSameBlit(pair, src.image, {x, y, 1, 2, srcWidth, INT_MAX});
                expectSameBlit(pair, src.image, {x, y, INT_MAX, 0, INT_MAX, 1});
                expectSameBlit(pair, src.image, {x, y, 0, 0, INT_MIN, 3});  // sx + w negative
            }
        }
    }
}

TEST(BlitKeyed, APictureDrawnOntoItselfMatchesThePixelLoop) {
    std::mt19937 random(14);
    for (int trial = 0; trial < 400; ++trial) {
        const int width = randomPictureWidth(random, 60);
        const int height = randomInt(random, 1, 30);
        Picture picture(width, height, true);
        paintRuns(picture.bytes, random, 0.4);
        Picture expected(picture);
        Picture actual(picture);
        const Call c = randomCall(random, width, height, width, height);
        referenceBlitKeyed(expected.image, expected.image, c.x, c.y, c.sx, c.sy, c.w, c.h);
        blitKeyed(actual.image, actual.image, c.x, c.y, c.sx, c.sy, c.w, c.h);
        ASSERT_TRUE(expected.bytes == actual.bytes) << "trial " << trial << ": " << describe(c);
    }
}

TEST(BlitColumnAcross, DrawsWhatOneBlitPerColumnDraws) {
    std::mt19937 random(15);
    Picture noisyBackBuffer(640, 320, false);
    paintNoise(noisyBackBuffer.bytes, random);
    DrawnPair backBuffers(noisyBackBuffer);
    for (int trial = 0; trial < 1500; ++trial) {
        const int srcWidth = randomPictureWidth(random, 16);
        const int srcHeight = randomInt(random, 1, 110);
        Picture src(srcWidth, srcHeight, true);
        paintRuns(src.bytes, random, 0.3);
        const bool self = trial % 20 == 0;
        const bool backBuffer = !self && trial % 4 == 0;
        Picture small(randomInt(random, 1, 100), randomInt(random, 1, 120), false);
        paintNoise(small.bytes, random);
        DrawnPair smallPair(self ? src : small);
        DrawnPair& pair = backBuffer ? backBuffers : smallPair;
        const BitmapInfoHeader& target = pair.actual.header;
        const int x = randomInt(random, -80, target.biWidth + 20);
        const int count = randomInt(random, -2, 200);
        const int y = randomInt(random, -srcHeight - 5, target.biHeight + 5);
        const int sx = randomInt(random, -2, srcWidth + 2);
        const int sy = randomInt(random, -2, srcHeight + 2);
        const int h = randomInt(random, -srcHeight - 4, srcHeight + 4);
        const DibImage& expectedSource = self ? pair.expected.image : src.image;
        const DibImage& actualSource = self ? pair.actual.image : src.image;
        for (int p = 0; p < count; ++p) {
            referenceBlitKeyed(pair.expected.image, expectedSource, x + p, y, sx, sy, 1, h);
        }
        blitColumnAcross(pair.actual.image, actualSource, x, count, y, sx, sy, h);
        ASSERT_TRUE(pair.same()) << "trial " << trial << ": x " << x << " count " << count << " y "
                                 << y << " sx " << sx << " sy " << sy << " h " << h
                                 << (self ? " onto itself" : "");
    }
}

// The background drawn again only where blits changed it, against the whole picture drawn
// every time: pictures with black holes, two backgrounds taking turns, every kind of blit in
// between, and a back buffer that is released and made again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "backends/headless/headless.h"
#include "render/frame.h"
#include "render/game_screen.h"
#include "render/keyed_blit.h"
#include "tests/render/pictures.h"
#include "tests/render/reference_drawing.h"

namespace {
constexpr size_t frameBytes = size_t{640} * 320 * 3;
}  // namespace

TEST(Background, DrawsWhatTheWholePictureDrawsWhateverCameBetween) {
    std::mt19937 random(41);
    for (int round = 0; round < 20; ++round) {
        // New pictures and a new back buffer, possibly at the addresses of the last round's, as
        // when the images are loaded again.
        releaseImages();
        // Backgrounds with black holes, of the back buffer's size or smaller.
        Picture first(640, 320, true);
        paintRuns(first.bytes, random, round % 2 ? 0.0 : 0.3);
        Picture second(randomInt(random, 1, 160) * 4 - 1, randomInt(random, 1, 320), true);
        paintRuns(second.bytes, random, 0.2);
        Picture small(randomInt(random, 1, 12) * 4, randomInt(random, 1, 40), true);
        paintRuns(small.bytes, random, 0.3);
        Picture backBuffer(640, 320, false);
        paintNoise(backBuffer.bytes, random);
        DrawnPair pair(backBuffer);
        // The back buffer as the last frame was made from it: just before a background.
        std::vector<uint8_t> lastFrame;
        for (int step = 0; step < 120; ++step) {
            const int what = randomInt(random, 0, 9);
            std::string done;
            if (what < 3) {
                // Every pixel that differs from the last frame's is in the changes told.
                FrameBitsChanges changes;
                if (!lastFrame.empty() && changesSinceLastBackground(pair.actual.image, changes)) {
                    int untold = 0;
                    for (size_t i = 0; i < frameBytes; ++i) {
                        if (lastFrame[i] == pair.actual.bytes[i]) continue;
                        const int x = static_cast<int>(i / 3 % 640);
                        const int row = static_cast<int>(i / 3 / 640);
                        untold += std::none_of(changes.areas, changes.areas + changes.count,
                                               [&](const FrameBitsChanges::Area& a) {
                                                   return a.left <= x && x < a.right &&
                                                          a.bottom <= row && row < a.top;
                                               });
                    }
                    ASSERT_EQ(untold, 0) << "round " << round << ", step " << step;
                }
                lastFrame = pair.actual.bytes;
                const Picture& picture = what == 2 ? second : first;
                referenceBlitKeyed(pair.expected.image, picture.image, 0, 0, -1, -1, -1, -1);
                drawBackground(pair.actual.image, picture.image);
                done = what == 2 ? "second background" : "first background";
            } else if (what < 7) {
                const int x = randomInt(random, -60, 660);
                const int y = randomInt(random, -50, 330);
                const bool whole = what == 3;
                const int sx = whole ? -1 : randomInt(random, 0, small.header.biWidth);
                const int sy = whole ? -1 : randomInt(random, 0, small.header.biHeight);
                const int w = randomInt(random, 0, 50);
                const int h = randomInt(random, 0, 50);
                referenceBlitKeyed(pair.expected.image, small.image, x, y, sx, sy, w, h);
                blitKeyed(pair.actual.image, small.image, x, y, sx, sy, w, h);
                done = "a blit at " + std::to_string(x) + ", " + std::to_string(y);
            } else {
                const int x = randomInt(random, -100, 660);
                const int count = randomInt(random, 0, 300);
                const int y = randomInt(random, -40, 330);
                const int column = randomInt(random, 0, small.header.biWidth - 1);
                for (int p = 0; p < count; ++p) {
                    referenceBlitKeyed(pair.expected.image, small.image, x + p, y, column, 0, 1,
                                       small.header.biHeight);
                }
                blitColumnAcross(pair.actual.image, small.image, x, count, y, column, 0,
                                 small.header.biHeight);
                done = "a run of " + std::to_string(count) + " columns at " + std::to_string(x);
            }
            ASSERT_TRUE(pair.same()) << "round " << round << ", step " << step << ": " << done;
        }
    }
}

TEST(Background, IsDrawnWholeAgainAfterTheImagesAreReleased) {
    std::mt19937 random(42);
    Picture picture(640, 320, true);
    paintRuns(picture.bytes, random, 0.0);
    Picture backBuffer(640, 320, false);
    drawBackground(backBuffer.image, picture.image);
    ASSERT_TRUE(std::memcmp(backBuffer.bytes.data(), picture.bytes.data(), frameBytes) == 0);
    // A back buffer made again may have the old one's address but not its pixels.
    releaseImages();
    std::memset(backBuffer.bytes.data(), 0, frameBytes);
    drawBackground(backBuffer.image, picture.image);
    EXPECT_TRUE(std::memcmp(backBuffer.bytes.data(), picture.bytes.data(), frameBytes) == 0)
        << "the background was not drawn whole on a back buffer made again";
}

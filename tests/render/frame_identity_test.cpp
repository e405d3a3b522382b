// The shipped pictures, the gauge, the balloons and whole game frames against the
// straightforward drawing: the fast paths must not change a single pixel.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "backends/headless/headless.h"
#include "render/balloon.h"
#include "render/bitmap_file.h"
#include "render/frame.h"
#include "render/game_screen.h"
#include "render/keyed_blit.h"
#include "tests/render/pictures.h"
#include "tests/render/reference_drawing.h"

namespace {

const char* const shippedPictures[] = {"MainBack.bmp", "RankingBack.bmp", "Time.bmp", "Frame.bmp",
                                       "ItemBox.bmp",  "TimeStop.bmp",    "Bomb.bmp", "1_2.bmp",
                                       "Miss.bmp",     "Power.bmp"};

std::string shippedPath(const char* name) {
    return std::string(KEYFALL_SOURCE_DIR) + "/Date/Image/" + name;
}

// The working directory is the source tree while the object lives, so that the game finds
// the shipped Date folder.
class InSourceTree {
public:
    InSourceTree() : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(KEYFALL_SOURCE_DIR);
    }
    ~InSourceTree() { std::filesystem::current_path(previous); }
    InSourceTree(const InSourceTree&) = delete;
    InSourceTree& operator=(const InSourceTree&) = delete;

private:
    std::filesystem::path previous;
};

// Texts in these tests are their own widths in pixels: "600" measures 600.
int measureByValue(const std::string& text) { return text.empty() ? 0 : std::stoi(text); }

intptr_t screenProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
    if (message == msgCreate) {
        game.memoryDC = createMemoryContext(window);
        loadLayout();
        loadImages();
        game.font = createGameFont();
        selectFont(game.memoryDC, game.font);
    } else if (message == msgPaint) {
        paintGameScreen(window);
    }
    return 0;
}

void setText(char* field, size_t size, const std::string& text) {
    std::snprintf(field, size, "%s", text.c_str());
}

// A text of single-byte letters, n pixels wide in the headless metrics (15 per letter).
std::string letters(int count) { return std::string(static_cast<size_t>(count), 'k'); }

}  // namespace

TEST(ShippedPictures, BlitLikeThePixelLoopWholeAndByRectangles) {
    std::mt19937 random(21);
    Picture backBuffer(640, 320, false);
    paintNoise(backBuffer.bytes, random);
    for (const char* name : shippedPictures) {
        SCOPED_TRACE(name);
        DibImage picture = loadDib(shippedPath(name).c_str());
        ASSERT_NE(picture.bits, nullptr) << "the shipped picture cannot be read";
        const int width = picture.header->biWidth;
        const int height = picture.header->biHeight;
        const int xs[] = {INT_MIN, -width - 1,      -width + 1,  -7,  0,
                          5,       320 - width / 2, 640 - width, 637, 640};
        const int ys[] = {-height - 1, -height + 2, -1, 0, 160, 320 - height, 318, 320, INT_MAX};
        DrawnPair pair(backBuffer);
        for (int x : xs) {
            for (int y : ys) {
                referenceBlitKeyed(pair.expected.image, picture, x, y, -1, -1, -1, -1);
                blitKeyed(pair.actual.image, picture, x, y, -1, -1, -1, -1);
                ASSERT_TRUE(pair.same()) << "whole at " << x << ", " << y;
            }
        }
        for (int trial = 0; trial < 60; ++trial) {
            const int sx = randomInt(random, 0, width);
            const int sy = randomInt(random, 0, height);
            const int w = randomInt(random, 0, width - sx + 2);
            const int h = randomInt(random, 0, height - sy + 2);
            const int x = randomInt(random, -w - 4, 644);
            const int y = randomInt(random, -h - 4, 324);
            referenceBlitKeyed(pair.expected.image, picture, x, y, sx, sy, w, h);
            blitKeyed(pair.actual.image, picture, x, y, sx, sy, w, h);
            ASSERT_TRUE(pair.same()) << "rectangle " << sx << ", " << sy << ", " << w << ", " << h
                                     << " at " << x << ", " << y;
        }
        std::free(picture.bits - picture.offset);
    }
}

TEST(TimeGauge, BandsDrawWhatOneBlitPerColumnDraws) {
    std::mt19937 random(22);
    DibImage shippedStrip = loadDib(shippedPath("Time.bmp").c_str());
    ASSERT_NE(shippedStrip.bits, nullptr);
    Picture spottedStrip(12, 12, true);  // black pixels in some bands
    paintRuns(spottedStrip.bytes, random, 0.4);
    Picture narrowStrip(4, 12, true);  // bands past column 3 have no strip column
    paintRuns(narrowStrip.bytes, random, 0.1);
    const DibImage* strips[] = {&shippedStrip, &spottedStrip.image, &narrowStrip.image};
    const double gauges[] = {531.0,
                             530.5575,
                             0.3,
                             0.0,
                             -0.4425,
                             59.0,
                             59.0001,
                             58.9999,
                             117.5,
                             639.5,
                             640.0,
                             1e9,
                             std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    const int xs[] = {50, 0, -30, -600, 100, 590, 639, 640, 700};
    const int rows[] = {300, 0, 310, -5, 319};
    Picture backBuffer(640, 320, false);
    paintNoise(backBuffer.bytes, random);
    DrawnPair pair(backBuffer);
    for (const DibImage* strip : strips) {
        for (double gauge : gauges) {
            game.timeGauge = gauge;
            for (int x : xs) {
                for (int row : rows) {
                    referenceTimeGauge(pair.expected.image, *strip, x, row);
                    drawTimeGauge(pair.actual.image, *strip, x, row);
                    ASSERT_TRUE(pair.same()) << "gauge " << gauge << " at " << x << ", row " << row;
                }
            }
        }
    }
    game = GameState{};
    std::free(shippedStrip.bits - shippedStrip.offset);
}

TEST(Balloons, DrawWhatOneBlitPerSliceDraws) {
    headlessReset();
    game = GameState{};
    headlessSetTextMeasure(measureByValue);
    DeviceContext dc = createMemoryContext(nullptr);
    std::mt19937 random(23);
    DibImage shippedFrame = loadDib(shippedPath("Frame.bmp").c_str());
    ASSERT_NE(shippedFrame.bits, nullptr);
    Picture spottedFrame(3, 108, true);
    paintRuns(spottedFrame.bytes, random, 0.3);
    Picture shortFrame(7, 50, true);  // the upper bands are missing
    paintRuns(shortFrame.bytes, random, 0.2);
    const DibImage* frames[] = {&shippedFrame, &spottedFrame.image, &shortFrame.image};
    const BalloonKind kinds[] = {Display, Romaji, Typed, Ranking};
    Picture backBuffer(640, 320, false);
    paintNoise(backBuffer.bytes, random);
    DrawnPair pair(backBuffer);
    for (int trial = 0; trial < 1500; ++trial) {
        const DibImage& frame = *frames[trial % 3];
        const BalloonKind kind = kinds[randomInt(random, 0, 3)];
        const int width = trial % 7 == 0 ? randomInt(random, 600, 2000) : randomInt(random, 0, 700);
        const int x =
            trial % 11 == 0 ? (trial % 2 ? INT_MIN : INT_MAX) : randomInt(random, -800, 1400);
        const int y = randomInt(random, -40, 330);
        const std::string text = std::to_string(width);
        setText(game.romajiText, sizeof game.romajiText, std::to_string(randomInt(random, 0, 900)));
        setText(game.typedText, sizeof game.typedText, std::to_string(randomInt(random, 0, 400)));
        game.scrollRomaji = randomInt(random, 0, 1);
        drawBalloon(text.c_str(), dc, x, y, kind, pair.actual.image, frame);
        // The typed balloon reads scrollRomaji, which no balloon of its own kind changes.
        referenceBalloon(text.c_str(), dc, x, y, kind, pair.expected.image, frame);
        ASSERT_TRUE(pair.same()) << "trial " << trial << ": kind " << kind << " text " << text
                                 << " at " << x << ", " << y << ", romaji " << game.romajiText
                                 << ", scrollRomaji " << game.scrollRomaji;
    }
    std::free(shippedFrame.bits - shippedFrame.offset);
    headlessReset();
    game = GameState{};
}

namespace {

// Paints frames of random game states, each layout sometimes moved, and expects every
// presented frame to be the straightforward composition of the same state.
void expectFramesLikeTheStraightforwardComposition(WindowHandle window, std::mt19937& random,
                                                   int frames) {
    const Layout shippedLayout = game.layout;
    // The reference keeps its own back buffer from frame to frame, as the game does; it starts
    // as the game's does, from the frames painted so far.
    Picture reference(640, 320, false);
    paintGameScreen(window);
    ASSERT_EQ(headlessPresentedFrame().size(), reference.bytes.size());
    reference.bytes = headlessPresentedFrame();
    reference.image.bits = reference.bytes.data();
    for (int frame = 0; frame < frames; ++frame) {
        game.playing = frame % 10 == 0 ? 0 : 1;
        game.countdownState = game.playing ? 2 : 0;
        game.timeGauge = frame % 5 == 0 ? 531.0 : randomInt(random, -10, 5400) / 10.0;
        for (int& held : game.itemHeld) held = randomInt(random, 0, 1);
        setText(game.displayText, sizeof game.displayText,
                std::string(static_cast<size_t>(2 * randomInt(random, 0, 30)), '\x82'));
        setText(game.romajiText, sizeof game.romajiText, letters(randomInt(random, 0, 60)));
        setText(game.typedText, sizeof game.typedText, letters(randomInt(random, 0, 40)));
        game.layout = shippedLayout;
        if (frame % 4 == 1) {
            // Balloons anywhere across the screen and beyond it, item boxes anywhere on it.
            game.layout.NPosX = randomInt(random, -200, 900);
            game.layout.APosX = randomInt(random, -200, 900);
            game.layout.TPosX = randomInt(random, -200, 900);
            game.layout.NPosY = randomInt(random, 0, 284);
            game.layout.APosY = randomInt(random, 0, 284);
            game.layout.TPosY = randomInt(random, 0, 284);
            game.layout.IPosX = randomInt(random, 0, 440);
            game.layout.IPosY = randomInt(random, 0, 280);
        }
        paintGameScreen(window);

        const Layout& l = game.layout;
        referenceBlitKeyed(reference.image, game.imgMainBack, 0, 0, -1, -1, -1, -1);
        if (game.playing == 1) {
            referenceTimeGauge(reference.image, game.imgTime, 50, 300);
            for (int k = 0; k < 5; ++k) {
                referenceBlitKeyed(reference.image, game.imgItemBox, l.IPosX + 40 * k, l.IPosY, -1,
                                   -1, -1, -1);
            }
            const DibImage* icons[] = {&game.imgTimeStop, &game.imgBomb, &game.imgHalf,
                                       &game.imgMiss, &game.imgPower};
            for (int slot = 0; slot < 5; ++slot) {
                if (game.itemHeld[slot] != 1) continue;
                referenceBlitKeyed(reference.image, *icons[slot], l.IPosX + 4 + 40 * slot,
                                   l.IPosY + 4, -1, -1, -1, -1);
            }
            referenceBalloon(game.displayText, game.memoryDC, l.NPosX, l.NPosY, Display,
                             reference.image, game.imgFrame);
            referenceBalloon(game.romajiText, game.memoryDC, l.APosX, l.APosY, Romaji,
                             reference.image, game.imgFrame);
            referenceBalloon(game.romajiText, game.memoryDC, l.TPosX, l.TPosY, Typed,
                             reference.image, game.imgFrame);
        }
        ASSERT_TRUE(headlessPresentedFrame() == reference.bytes)
            << "frame " << frame << ": gauge " << game.timeGauge << ", romaji "
            << std::strlen(game.romajiText) << " letters, typed " << std::strlen(game.typedText);
    }
    game.layout = shippedLayout;
}

void closeScreen() {
    releaseImages();
    selectFont(game.memoryDC, nullptr);
    deleteFont(game.font);
    headlessReset();
    game = GameState{};
}

}  // namespace

TEST(GameScreen, FramesOfTheShippedDataMatchTheStraightforwardComposition) {
    const InSourceTree sourceTree;
    headlessReset();
    game = GameState{};
    WindowHandle window = headlessCreateWindow(screenProcedure);
    ASSERT_NE(game.imgMainBack.bits, nullptr) << "the shipped pictures cannot be read";
    std::mt19937 random(24);
    expectFramesLikeTheStraightforwardComposition(window, random, 300);
    closeScreen();
}

TEST(GameScreen, FramesOverABackgroundWithBlackHolesMatchTheStraightforwardComposition) {
    const InSourceTree sourceTree;
    headlessReset();
    game = GameState{};
    WindowHandle window = headlessCreateWindow(screenProcedure);
    ASSERT_NE(game.imgMainBack.bits, nullptr) << "the shipped pictures cannot be read";
    // Where the background is black the frames before show through, balloons and all.
    std::mt19937 random(25);
    Picture mainBack(640, 320, true);
    paintRuns(mainBack.bytes, random, 0.4);
    Picture strip(12, 12, true);
    paintRuns(strip.bytes, random, 0.3);
    Picture frame(3, 108, true);
    paintRuns(frame.bytes, random, 0.3);
    const GameState shipped = game;
    game.imgMainBack = mainBack.image;
    game.imgTime = strip.image;
    game.imgFrame = frame.image;
    expectFramesLikeTheStraightforwardComposition(window, random, 300);
    // The shipped pictures are released, not the test's.
    game.imgMainBack = shipped.imgMainBack;
    game.imgTime = shipped.imgTime;
    game.imgFrame = shipped.imgFrame;
    closeScreen();
}

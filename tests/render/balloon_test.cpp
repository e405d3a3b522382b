// Balloons checked on the back buffer's columns: scroll flags, widths, placement, slices.
#include <gtest/gtest.h>

#include <string>

#include "backends/headless/headless.h"
#include "render/balloon.h"
#include "tests/render/render_support.h"

namespace {

// Texts in these tests are their own widths in pixels: "600" measures 600.
int measureByValue(const std::string& text) { return text.empty() ? 0 : std::stoi(text); }

class BalloonTest : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        headlessSetTextMeasure(measureByValue);
        dc = createMemoryContext(nullptr);
        game = GameState{};
    }
    void TearDown() override { headlessReset(); }

    std::string draw(const std::string& text, int x, int y, BalloonKind kind) {
        dst = makeBackBuffer({});
        drawBalloon(text.c_str(), dc, x, y, kind, dst.image, frame.image);
        const int row = y < 0 ? 0 : (y > 284 ? 284 : y);
        return sliceRuns([&](int column) { return dst.at(column, row); });
    }

    DeviceContext dc = nullptr;
    TestImage frame = makeFrame();
    TestImage dst = makeBackBuffer({});
};

void setText(char* field, size_t size, const std::string& text) {
    std::snprintf(field, size, "%s", text.c_str());
}

}  // namespace

TEST_F(BalloonTest, GameBalloonsArePlacedAndSlicedAsTheirWidthsSay) {
    struct Case {
        const char* text;
        int x;
        BalloonKind kind;
        const char* runs;
    };
    const Case cases[] = {
        {"600", 320, Display, "L 10-14 M 15-624 R 625-630"},
        {"608", 320, Display, "L 6-10 M 11-628 R 629-634"},
        {"80", 600, Display, "L 540-544 M 545-634 R 635-639"},  // centre 590, column 640 clipped
        {"480", 600, Display, "L 0-4 M 5-634 R 635-639"},       // cannot fit: the whole screen
        {"80", 30, Display, "L 0-4 M 5-94 R 95-100"},           // centre 50
        {"1", 320, Display, "L 310-314 M 315-325 R 326-331"},   // w 21: 22 columns
        {"0", 320, Display, "L 310-314 M 315-324 R 325-330"},
        {"700", 320, Display, "L 0-4 M 5-634 R 635-639"},
        {"2000", -500, Display, "L 0-4 M 5-634 R 635-639"},  // pushed in from the left, too wide
        {"100", -2147483647, Display, "L 0-4 M 5-114 R 115-120"},
        {"100", 2147483647, Display, "L 520-524 M 525-634 R 635-639"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.text << " at " << c.x);
        EXPECT_EQ(draw(c.text, c.x, 100, c.kind), c.runs);
    }
}

TEST_F(BalloonTest, EachKindDrawsItsOwnBandOverThirtySixRows) {
    setText(game.romajiText, sizeof game.romajiText, "100");
    const BalloonKind kinds[] = {Display, Romaji, Typed, Ranking};
    const int bands[] = {3, 2, 1, 1};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        draw("100", 320, 50, kinds[k]);
        EXPECT_EQ(dst.at(320, 50), (Pixel{2, static_cast<uint8_t>(bands[k]), 1}));
        EXPECT_EQ(dst.at(320, 85), (Pixel{2, static_cast<uint8_t>(bands[k]), 36}));
        EXPECT_EQ(dst.at(320, 49), Pixel{});
        EXPECT_EQ(dst.at(320, 86), Pixel{});
    }
}

TEST_F(BalloonTest, TheLeftEndShowsThroughTheMiddlesBlack) {
    frame.set(1, 72 + 10, {});  // a black pixel in the Display band's middle slice
    draw("100", 320, 100, Display);
    EXPECT_EQ(dst.at(265, 110), (Pixel{1, 3, 11}));  // left + 5: the left end stays
    EXPECT_EQ(dst.at(266, 110), Pixel{});
    EXPECT_EQ(dst.at(265, 111), (Pixel{2, 3, 12}));
}

TEST_F(BalloonTest, ScrollFlagsFollowTheTextsAndTheTypedWidth) {
    struct Case {
        BalloonKind kind;
        const char* text;  // the display text, or the romaji
        int x;
        const char* typed;
        int romajiFlag;  // scrollRomaji before the draw
        int before;      // the kind's own flag before the draw
        int after;
    };
    const Case cases[] = {
        // The display word fits strictly inside 0 .. 624: off, whatever was typed.
        {Display, "600", 320, "400", 0, 1, 0},
        {Display, "600", 323, "400", 0, 1, 0},
        // 320 + 304 reaches 624: the typed width decides, below 320 the flag is kept.
        {Display, "608", 320, "320", 0, 0, 1},
        {Display, "608", 320, "319", 0, 0, 0},
        {Display, "608", 320, "319", 0, 1, 1},
        {Display, "600", 300, "320", 0, 0, 1},  // 300 - 300 is not above 0
        {Display, "600", 301, "320", 0, 1, 0},
        {Romaji, "639", 320, "2000", 0, 1, 0},
        {Romaji, "640", 320, "320", 0, 0, 1},
        {Romaji, "640", 320, "319", 0, 0, 0},
        {Romaji, "640", 320, "319", 0, 1, 1},
        {Typed, "640", 320, "320", 1, 0, 1},
        {Typed, "640", 320, "319", 1, 1, 0},
        {Typed, "100", 320, "500", 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " text " << c.text << " at "
                                          << c.x << " typed " << c.typed);
        setText(game.typedText, sizeof game.typedText, c.typed);
        setText(game.romajiText, sizeof game.romajiText, c.kind == Display ? "0" : c.text);
        game.scrollRomaji = c.romajiFlag;
        int* flag = c.kind == Display  ? &game.scrollDisplay
                    : c.kind == Romaji ? &game.scrollRomaji
                                       : &game.scrollTyped;
        *flag = c.before;
        draw(c.text, c.x, 100, c.kind);
        EXPECT_EQ(*flag, c.after);
    }
}

TEST_F(BalloonTest, TheTypedBalloonIsAsWideAsTheRomajiOrTheWholeScreen) {
    setText(game.romajiText, sizeof game.romajiText, "100");
    setText(game.typedText, sizeof game.typedText, "500");
    EXPECT_EQ(draw("ignored", 320, 0, Typed), "L 260-264 M 265-374 R 375-380");
    game.scrollRomaji = 1;
    for (int x : {0, 100, 320, 600, 1000}) {
        SCOPED_TRACE(x);
        EXPECT_EQ(draw("ignored", x, 0, Typed), "L 0-4 M 5-634 R 635-639");
    }
}

TEST_F(BalloonTest, RankingBalloonsCoverTheirWidthAndStayOnTheScreen) {
    struct Case {
        const char* text;
        int x, y;
        int row;     // where the balloon's bottom lands
        int inside;  // a column the balloon covers
        const char* runs;
    };
    const Case cases[] = {
        {"100", 320, 100, 100, 320, "L 263-267 M 268-372 R 373-377"},
        {"250", 120, 100, 100, 100, "M 0-127 R 128-132"},              // centre moved to column 0
        {"230", 520, 100, 100, 500, "L 396-400 M 401-635 R 636-639"},  // ends at 640, clipped
        {"30", 120, 300, 284, 120, "L 98-102 M 103-137 R 138-142"},
        {"30", 120, -5, 0, 120, "L 98-102 M 103-137 R 138-142"},
        // So wide that its right end would start past column 640 of the balloon: none drawn.
        {"700", 320, 100, 100, 100, "M 0-353"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.text << " at " << c.x << ", " << c.y);
        EXPECT_EQ(draw(c.text, c.x, c.y, Ranking), c.runs);
        EXPECT_EQ(dst.at(c.inside, c.row + 35).red, 36);
        if (c.row > 0) {
            EXPECT_EQ(dst.at(c.inside, c.row - 1), Pixel{});
        }
        if (c.row < 284) {
            EXPECT_EQ(dst.at(c.inside, c.row + 36), Pixel{});
        }
    }
}

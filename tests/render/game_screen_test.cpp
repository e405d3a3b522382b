// The game screen: Game.ini's layout, gauge, item icons, text placement, colours and paints.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/texts.h"
#include "render/frame.h"
#include "render/game_screen.h"
#include "tests/render/screen_fixture.h"

namespace {

constexpr uint32_t black = 0;
constexpr uint32_t magenta = 0xFF00FF;
const Pixel marker{9, 9, 9};

std::vector<int32_t> fields(const Layout& l) {
    return {l.NPosX, l.NPosY, l.APosX, l.APosY, l.TPosX, l.TPosY, l.IPosX, l.IPosY};
}

void setText(char* field, size_t size, const char* text) { std::snprintf(field, size, "%s", text); }

}  // namespace

using GameScreenTest = ScreenTest;

TEST_F(GameScreenTest, LayoutIsConvertedThenClamped) {
    struct Case {
        const char* ini;  // null: no Game.ini at all
        std::vector<int32_t> layout;
    };
    const Case cases[] = {
        {nullptr, {6, 284, 6, 284, 6, 284, 0, 280}},
        {"[OTHER]\r\nNPosY=100\r\n", {6, 284, 6, 284, 6, 284, 0, 280}},
        {"[POSS]\r\nNPosX=100\r\nNPosY=-20\r\nAPosX=-6\r\nAPosY=300\r\nTPosX=0\r\nTPosY=-5\r\n"
         "IPosX=500\r\nIPosY=300\r\n",
         {106, 284, 0, 0, 6, 284, 440, 0}},
        {"[POSS]\r\nNPosY=0\r\nAPosY=284\r\nTPosY=290\r\nIPosX=-7\r\nIPosY=-50\r\n",
         {6, 284, 6, 0, 6, 0, 0, 280}},
        {"[POSS]\r\nNPosY=50\r\nAPosY=100\r\nTPosY=150\r\nIPosX=440\r\nIPosY=280\r\n",
         {6, 234, 6, 184, 6, 134, 440, 0}},
        // Extremes convert without overflowing.
        {"[POSS]\r\nNPosX=2147483647\r\nAPosX=-2147483647\r\nNPosY=-2147483647\r\n"
         "APosY=2147483647\r\nIPosY=-2147483647\r\n",
         {2147483647, 284, -2147483641, 0, 6, 284, 0, 280}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "no file");
        std::filesystem::remove_all(scratch.path() / "Date");
        if (c.ini) writeGameIni(c.ini);
        game.layout = Layout{};
        loadLayout();
        EXPECT_EQ(fields(game.layout), c.layout);
    }
}

TEST(TimeGauge, DrawsOneColumnPerStartedPixelInBandsOf59) {
    TestImage strip(12, 12);
    for (int r = 0; r < 12; ++r) {
        for (int c = 0; c < 12; ++c) strip.set(c, r, {static_cast<uint8_t>(100 + c), 1, 1});
    }
    struct Case {
        double gauge;
        int columns;
    };
    const Case cases[] = {{531.0, 531}, {530.5575, 531}, {0.3, 1},    {0.0, 0},   {-0.4425, 0},
                          {-100.0, 0},  {59.0, 59},      {59.01, 60}, {1e12, 590}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gauge);
        game = GameState{};
        game.timeGauge = c.gauge;
        TestImage dst = makeBackBuffer(marker);
        drawTimeGauge(dst.image, strip.image, 50, 300);
        for (int i = 0; i < c.columns; ++i) {
            const Pixel band{static_cast<uint8_t>(100 + i / 59 + 1), 1, 1};
            ASSERT_EQ(dst.at(50 + i, 300), band) << "column " << i;
            ASSERT_EQ(dst.at(50 + i, 311), band) << "column " << i;
        }
        if (50 + c.columns < 640) {
            EXPECT_EQ(dst.at(50 + c.columns, 300), marker);
        }
        EXPECT_EQ(dst.at(50, 299), marker);
        EXPECT_EQ(dst.at(50, 312), marker);
    }
    // The full gauge ends in band 9 at x 580.
    game.timeGauge = 531.0;
    TestImage dst = makeBackBuffer(marker);
    drawTimeGauge(dst.image, strip.image, 50, 300);
    EXPECT_EQ(dst.at(580, 305).blue, 109);
    EXPECT_EQ(dst.at(49, 305), marker);
}

TEST(ItemIcons, OnlyHeldItemsShowFourPixelsInsideTheirBoxes) {
    std::vector<TestImage> icons;
    for (int s = 0; s < 5; ++s) icons.emplace_back(4, 4, Pixel{static_cast<uint8_t>(s + 1), 2, 2});
    const std::vector<std::vector<int>> heldCases = {
        {1, 1, 1, 1, 1}, {0, 1, 0, 1, 0}, {1, 0, 0, 0, 1}, {0, 0, 0, 0, 0}};
    for (const std::vector<int>& held : heldCases) {
        game = GameState{};
        game.layout.IPosX = 100;
        game.layout.IPosY = 200;
        for (int s = 0; s < 5; ++s) game.itemHeld[s] = held[s];
        TestImage dst = makeBackBuffer(marker);
        drawItemIcons(dst.image, icons[0].image, icons[1].image, icons[2].image, icons[3].image,
                      icons[4].image);
        for (int s = 0; s < 5; ++s) {
            SCOPED_TRACE(s);
            const int x = 100 + 4 + 40 * s;
            EXPECT_EQ(dst.at(x, 204), held[s] ? icons[s].at(0, 0) : marker);
            EXPECT_EQ(dst.at(x + 3, 207), held[s] ? icons[s].at(3, 3) : marker);
            EXPECT_EQ(dst.at(x - 1, 204), marker);
            EXPECT_EQ(dst.at(x, 203), marker);
        }
    }
}

TEST(PlaceWordText, CentresFivePixelsRightAndKeepsOffTheEdges) {
    struct Case {
        int centre, width, x;
    };
    const Case cases[] = {
        {600, 100, 545},
        {30, 100, 5},
        {320, 100, 275},
        {590, 100, 545},
        {589, 100, 544},
        {50, 100, 5},
        {51, 100, 6},
        {320, 101, 275},
        {320, 700, 10},
        {320, 0, 325},
        {-2147483647, 100, 5},
        {2147483647, 100, 545},
        {640, 0, 645},
        {0, 0, 5},
        // The right edge exactly on column 640 counts as off the screen.
        {290, 700, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(placeWordText(c.centre, c.width), c.x) << c.centre << ", " << c.width;
    }
}

TEST_F(GameScreenTest, APlayingFrameDrawsTheWordsAndTheStatusLine) {
    writeImages();
    writeGameIni(
        "[POSS]\r\nNPosX=314\r\nNPosY=50\r\nAPosX=314\r\nAPosY=100\r\nTPosX=314\r\n"
        "TPosY=150\r\nIPosX=420\r\nIPosY=270\r\n");
    openWindow();
    game.playing = 1;
    setText(game.displayText, sizeof game.displayText, "neko");
    setText(game.romajiText, sizeof game.romajiText, "nekoneko");
    setText(game.typedText, sizeof game.typedText, "nek");
    setText(game.comboLabel, sizeof game.comboLabel, "12");
    game.score = 1234;
    game.wordsToRefill = 7;
    paint();

    const std::string format = textRefillFormat;  // the label ends with its number
    const std::string refill = format.substr(0, format.find("%d")) + "7";
    const std::vector<HeadlessText> expected = {
        {295, 53, black, "neko"},                                 // 60 px centred on 320
        {265, 103, black, "nekoneko"}, {265, 153, black, "nek"},  // where the whole romaji starts
        {200, 280, black, refill},     {0, 280, black, "1234"},
        {550, 280, black, "Combo"},    {520, 280, black, "12"},
    };
    const std::vector<HeadlessText>& texts = headlessLastPaintTexts();
    ASSERT_EQ(texts.size(), expected.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i].x, expected[i].x);
        EXPECT_EQ(texts[i].y, expected[i].y);
        EXPECT_EQ(texts[i].colour, expected[i].colour);
        EXPECT_EQ(texts[i].text, expected[i].text);
    }
    EXPECT_STREQ(game.scoreLabel, "1234");
    EXPECT_EQ(std::string(game.refillLabel), refill);

    // The pictures: gauge at rows 300-311 from x 50, boxes with icons from (420, 10),
    // balloons on rows 234, 184 and 134.
    EXPECT_EQ(presented(50, 300), (Pixel{101, 1, 1}));
    EXPECT_EQ(presented(580, 311), (Pixel{109, 1, 1}));
    EXPECT_EQ(presented(581, 305), Pixel{});
    EXPECT_EQ(presented(420, 10), itemBoxColour);
    EXPECT_EQ(presented(424 + 40 * 4, 14), (Pixel{5, 2, 2}));
    EXPECT_EQ(presented(320, 234), (Pixel{2, 3, 1}));
    EXPECT_EQ(presented(320, 184), (Pixel{2, 2, 1}));
    EXPECT_EQ(presented(320, 134), (Pixel{2, 1, 1}));
    EXPECT_EQ(presented(10, 10), backGrey);
}

TEST_F(GameScreenTest, EffectColoursFlashBlackOnTheirLastTicks) {
    struct Case {
        int active, ticks;
        uint32_t colour;
    };
    const Case cases[] = {{1, 0, magenta}, {1, 79, magenta}, {1, 80, black}, {1, 81, magenta},
                          {1, 85, black},  {1, 90, black},   {1, 95, black}, {1, 99, magenta},
                          {1, 100, black}, {0, 79, black},   {0, 80, black}};
    openWindow();
    game.playing = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "active " << c.active << " tick " << c.ticks);
        // Power colours the three word texts; Miss the combo number.
        game.powerActive = c.active;
        game.powerTicks = c.ticks;
        game.missGuardActive = 0;
        paint();
        std::vector<HeadlessText> texts = headlessLastPaintTexts();
        ASSERT_EQ(texts.size(), 7u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(texts[i].colour, c.colour);
        for (int i = 3; i < 7; ++i) EXPECT_EQ(texts[i].colour, black);

        game.powerActive = 0;
        game.missGuardActive = c.active;
        game.missGuardTicks = c.ticks;
        paint();
        texts = headlessLastPaintTexts();
        ASSERT_EQ(texts.size(), 7u);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(texts[i].colour, black);
        EXPECT_EQ(texts[6].colour, c.colour);
    }
}

TEST_F(GameScreenTest, TheComboLabelMovesOnlyWhenAPaintSeesExactly10Or100) {
    struct Step {
        int combo;
        int x;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{9, 520}, {11, 520}, {12, 520}},  // 10 fell between two paints
        {{10, 515}, {10, 515}, {11, 515}, {100, 505}, {100, 505}, {150, 505}},
        {{100, 510}, {100, 510}, {10, 505}},  // either flag alone
    };
    openWindow();
    game.playing = 1;
    for (const std::vector<Step>& sequence : sequences) {
        game.comboLabelX = 520;
        game.comboShifted10 = 0;
        game.comboShifted100 = 0;
        for (const Step& step : sequence) {
            SCOPED_TRACE(step.combo);
            game.combo = step.combo;
            paint();
            EXPECT_EQ(game.comboLabelX, step.x);
            ASSERT_FALSE(headlessLastPaintTexts().empty());
            EXPECT_EQ(headlessLastPaintTexts().back().x, step.x);
        }
    }
}

TEST_F(GameScreenTest, WhileIdleOnlyTheBackgroundAndTheCountdownDigitShow) {
    writeImages();
    openWindow();
    // The first paint: MainBack over an all-black buffer, nothing else.
    EXPECT_TRUE(headlessLastPaintTexts().empty());
    EXPECT_EQ(headlessPresentedHeight(), 320);
    EXPECT_EQ(presented(10, 10), backGrey);
    EXPECT_EQ(presented(50, 300), Pixel{});
    EXPECT_EQ(presented(0, 319), Pixel{});

    game.countdownState = 0;
    setText(game.countdownLabel, sizeof game.countdownLabel, "3");
    paint();
    const std::vector<HeadlessText>& texts = headlessLastPaintTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].x, 320);
    EXPECT_EQ(texts[0].y, 120);
    EXPECT_EQ(texts[0].colour, black);
    EXPECT_EQ(texts[0].text, "3");
    EXPECT_EQ(presented(50, 300), Pixel{});
}

TEST_F(GameScreenTest, WhereTheBackgroundIsBlackThePreviousFrameRemains) {
    writeImages();
    writeGameIni("[POSS]\r\nIPosX=0\r\nIPosY=270\r\n");  // boxes on the grey rows 10-49
    openWindow();
    game.playing = 1;
    paint();
    EXPECT_EQ(presented(0, 10), itemBoxColour);
    game.playing = 0;
    paint();
    EXPECT_EQ(presented(50, 300), (Pixel{101, 1, 1}));  // the gauge stays in the black
    EXPECT_EQ(presented(0, 10), backGrey);              // the grey covers the boxes again
}

TEST_F(GameScreenTest, PaintsLeaveNoFontOrFrameBehind) {
    for (bool withImages : {true, false}) {
        SCOPED_TRACE(withImages ? "with images" : "without images");
        if (withImages) writeImages();
        ::testing::internal::CaptureStderr();  // missing pictures are reported there
        openWindow();
        ::testing::internal::GetCapturedStderr();
        for (int i = 0; i < 300; ++i) {
            game.playing = i % 3 == 0 ? 0 : 1;
            game.countdownState = i % 2;
            paint();
        }
        EXPECT_EQ(headlessPaintCount(), 301);
        EXPECT_EQ(headlessLiveFonts(), 1);    // the game font only
        EXPECT_EQ(headlessLiveBitmaps(), 1);  // the last frame, kept to be shown again
        EXPECT_EQ(headlessMisuses(), 0);
        closeWindow();
        headlessReset();
        game = GameState{};
        std::filesystem::remove_all(scratch.path() / "Date");
    }
}

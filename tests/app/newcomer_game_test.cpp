// A whole game through the window procedure: start, countdown, typing, an item, the gauge
// running out, the result, the ranking file and screen, and the close.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/menu.h"
#include "base/texts.h"
#include "tests/app/app_fixture.h"

namespace {

void typeCurrentWord(uint32_t gapMs) {
    std::string romaji = game.romajiText;
    for (char c : romaji) {
        headlessSend(msgChar, static_cast<unsigned char>(c), 0);
        headlessAdvance(gapMs);
    }
}

}  // namespace

TEST_F(AppTest, ANewcomersGameEndToEnd) {
    headlessSetCalendarTime(1700000000);
    headlessCreateWindow(windowProcedure);

    headlessSend(msgCommand, cmdStart, 0);
    headlessAdvance(3000);
    EXPECT_EQ(game.playing, 0);  // still counting down
    headlessAdvance(1);
    ASSERT_EQ(game.playing, 1);
    EXPECT_EQ(game.wordsToRefill, 10);
    ASSERT_GT(game.romajiLength, 0);

    for (int word = 0; word < 4; ++word) typeCurrentWord(150);
    EXPECT_EQ(game.wordsToRefill, 6);
    EXPECT_GT(game.score, 0);
    EXPECT_GT(game.combo, 0);

    headlessSend(msgKeyDown, 0x70, 0);  // TimeStop
    EXPECT_EQ(game.timeStopActive, 1);
    headlessSend(msgKeyDown, 0x71, 0);  // Bomb: the word counts as finished
    EXPECT_EQ(game.wordsToRefill, 5);

    const int finalScore = game.score;
    const int bestCombo = std::max(game.maxCombo, game.combo);
    std::string boxText;
    std::string rankingAtBox;
    headlessSetMessageBoxHandler([&](const std::string& caption, const std::string& text) {
        EXPECT_EQ(caption, textScoreCaption);
        boxText = text;
        rankingAtBox = readFile("Date/RankingDate.ini");
        EXPECT_EQ(game.playing, 0);
        headlessAdvance(2000);  // the gauge tick goes on inside the box and ends nothing
    });
    // 1202 drain ticks from the last refill plus the 101 that TimeStop saves.
    headlessAdvance(140000);

    char expected[500];
    std::snprintf(expected, sizeof expected, textResultFormat, finalScore, bestCombo);
    EXPECT_EQ(boxText, expected);
    EXPECT_NE(rankingAtBox.find("1=" + std::to_string(finalScore)), std::string::npos)
        << rankingAtBox;
    EXPECT_EQ(game.playing, 0);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.countdownState, 1);
    EXPECT_FALSE(headlessTimerRunning(1));
    EXPECT_TRUE(headlessTimerRunning(2));  // the repaint timer runs until the window closes

    // The game is kept, with what it was alone: its own best combo, not the best since start.
    const std::string history = readFile("Date/History.txt");
    EXPECT_EQ(history.rfind("game ", 0), 0u) << history;
    EXPECT_NE(history.find("\nscore " + std::to_string(finalScore) + "\n"), std::string::npos);
    EXPECT_NE(history.find("\ncombo " + std::to_string(bestCombo) + "\n"), std::string::npos);
    EXPECT_NE(history.find("\nwords 4\n"), std::string::npos) << "the bombed word is not typed";
    EXPECT_NE(history.find("\nmisses 0\n"), std::string::npos);

    headlessSend(msgCommand, cmdRanking, 0);
    headlessPump();
    const std::vector<HeadlessText>& texts = headlessLastPaintTexts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0].text, "1." + std::to_string(finalScore));
    EXPECT_EQ(texts[4].text, "5.");

    headlessSend(msgCommand, cmdExit, 0);
    headlessAdvance(10);
    EXPECT_TRUE(headlessQuitPosted());
    EXPECT_EQ(headlessExitCode(), 0);
    EXPECT_EQ(headlessLiveFonts(), 0);
    EXPECT_EQ(headlessLiveBitmaps(), 0);
    EXPECT_EQ(headlessMisuses(), 0);
}

// The flow of play on the virtual clock: countdown, gauge, quotas, game over, and the
// word list going missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/texts.h"
#include "game_test_support.h"
#include "ranking/ranking_file.h"

namespace {

using Flow = GameScenario;

std::string resultText(int score, int maxCombo) {
    char text[500];
    std::snprintf(text, sizeof text, textResultFormat, score, maxCombo);
    return text;
}

std::vector<HeadlessEvent> eventsOf(HeadlessEventKind kind) {
    std::vector<HeadlessEvent> found;
    for (const HeadlessEvent& event : headlessEvents()) {
        if (event.kind == kind) found.push_back(event);
    }
    return found;
}

TEST_F(Flow, CountdownShowsThreeTwoOneThenBegins) {
    startCountdown();
    ASSERT_EQ(eventsOf(HeadlessEventKind::soundPlay).size(), 1u);
    EXPECT_EQ(eventsOf(HeadlessEventKind::soundPlay)[0].text, "Date/BackMusic.wav");
    headlessAdvance(3000);
    using Shown = std::vector<std::pair<uint64_t, std::string>>;
    EXPECT_EQ(testWindowLog.countdownShown, (Shown{{1, "3"}, {1001, "2"}, {2001, "1"}}));
    EXPECT_EQ(game.playing, 0);
    EXPECT_EQ(game.countdownState, 0);

    headlessAdvance(1);
    EXPECT_EQ(game.playing, 1);
    EXPECT_EQ(game.countdownState, 2);
    EXPECT_STREQ(game.countdownLabel, "1");  // "0" is never shown
    EXPECT_FALSE(headlessTimerRunning(0));
    EXPECT_EQ(headlessTimerPeriod(1), 100u);
    EXPECT_EQ(headlessTimerPeriod(2), 4u);
    // The first word came with the first quota step.
    EXPECT_EQ(game.wordsToRefill, 10);
    EXPECT_GT(game.romajiLength, 0);
    EXPECT_EQ(game.wordsFile, nullptr);
}

TEST_F(Flow, StartAgainGoesOnFromTheNumberReached) {
    startCountdown();
    headlessAdvance(1500);
    startCountdown();
    EXPECT_EQ(eventsOf(HeadlessEventKind::soundPlay).size(), 2u);
    headlessAdvance(1);
    EXPECT_EQ(testWindowLog.countdownShown.back(), (std::pair<uint64_t, std::string>{1501, "1"}));
    headlessAdvance(999);
    EXPECT_EQ(game.playing, 0);
    headlessAdvance(1);
    EXPECT_EQ(game.playing, 1);
}

TEST_F(Flow, DifficultyChosenDuringTheCountdownCounts) {
    startCountdown();
    headlessAdvance(1500);
    selectDifficulty(Hard);
    headlessAdvance(1501);
    ASSERT_EQ(game.playing, 1);
    EXPECT_EQ(game.wordsToRefill, 20);
    std::string romaji = game.romajiText;
    EXPECT_TRUE(romaji == "shinkannsenn" || romaji == "konnnichiha") << romaji;
}

TEST_F(Flow, AFullGaugeEndsOnTick1202AndTheNextGameStartsBelowFull) {
    struct Case {
        int timeStopAtEnd;
        double nextGauge;
    };
    // TimeStop still on when the result is dismissed keeps the refilled gauge full.
    const Case cases[] = {{0, 530.5575}, {1, 531.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timeStopAtEnd);
        game.timeGauge = 531.0;
        game.timeStopActive = 0;
        game.timeStopTicks = 0;
        startGame();
        testWindowLog.gaugeTicks = 0;
        int tickAtBox = 0;
        headlessSetMessageBoxHandler([&](const std::string& caption, const std::string&) {
            EXPECT_EQ(caption, textScoreCaption);
            EXPECT_EQ(game.playing, 0);
            tickAtBox = testWindowLog.gaugeTicks;
            game.timeStopActive = c.timeStopAtEnd;
        });
        headlessAdvance(1201 * 100);
        EXPECT_EQ(game.playing, 1);
        EXPECT_GT(game.timeGauge, -0.4425);
        EXPECT_LT(game.timeGauge, 0.0);
        headlessAdvance(100);
        EXPECT_EQ(tickAtBox, 1202);
        EXPECT_EQ(game.playing, 0);
        EXPECT_EQ(game.countdownState, 1);
        EXPECT_EQ(game.countdownValue, 3);
        EXPECT_FALSE(headlessTimerRunning(1));
        EXPECT_TRUE(headlessTimerRunning(2));
        EXPECT_DOUBLE_EQ(game.timeGauge, c.nextGauge);

        // Nothing drains between games.
        headlessAdvance(5000);
        startGame();
        EXPECT_DOUBLE_EQ(game.timeGauge, c.nextGauge);
        endGame();
        headlessSetMessageBoxHandler(nullptr);
    }
}

TEST_F(Flow, TheResultBoxLetsTicksRunButNoSecondGameOver) {
    startGame();
    headlessSend(msgKeyDown, 0x73, 0);  // Miss, with 95 of its ticks gone at game over
    headlessAdvance(9500);
    int boxes = 0;
    headlessSetMessageBoxHandler([&](const std::string&, const std::string&) {
        ++boxes;
        double gaugeAtBox = game.timeGauge;
        headlessAdvance(1000);
        EXPECT_EQ(game.timeGauge, gaugeAtBox - 10 * 0.4425);
        EXPECT_EQ(game.missGuardActive, 0) << "the effect runs out while the box is open";
        EXPECT_FALSE(headlessSend(msgChar, 'x', 0)) << "keys do not reach the game";
    });
    endGame();
    EXPECT_EQ(boxes, 1);
    EXPECT_DOUBLE_EQ(game.timeGauge, 530.5575);
    EXPECT_FALSE(headlessTimerRunning(1));
}

TEST_F(Flow, GameOverRecordsTheScoreFirstAndReportsTheBestComboSinceStartUp) {
    // Game 1: two words typed quickly; the first key only starts the timing.
    startGame();
    typeWord(100);
    int lettersFirst = game.hits;
    // The next word is chosen within the key event of the last letter.
    EXPECT_EQ(game.cursor, 0);
    EXPECT_EQ(game.wordsToRefill, 9);
    typeWord(100);
    int bestCombo = game.hits - 1;
    ASSERT_EQ(game.combo, bestCombo);
    ASSERT_GT(lettersFirst, 0);
    int firstScore = game.score;
    ASSERT_GT(firstScore, 0);

    std::vector<std::string> results;
    headlessSetMessageBoxHandler([&](const std::string& caption, const std::string& text) {
        EXPECT_EQ(caption, textScoreCaption);
        results.push_back(text);
        // The ranking is already on disk when the player sees the result.
        EXPECT_TRUE(scratch.exists("Date/RankingDate.ini"));
        char ranks[5][80] = {};
        readRanking(ranks[0], ranks[1], ranks[2], ranks[3], ranks[4]);
        EXPECT_EQ(std::string(ranks[0]), std::to_string(firstScore));
        if (results.size() == 2) {
            EXPECT_EQ(std::string(ranks[1]), "12");
        }
    });
    endGame();
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.hits, 0);
    EXPECT_EQ(game.combo, 0);
    EXPECT_EQ(game.maxCombo, bestCombo);
    EXPECT_STREQ(game.romajiText, "");

    // Game 2: a shorter combo; its first key scores nothing though game 1 ended on a combo.
    startGame();
    headlessAdvance(100);
    headlessSend(msgChar, static_cast<unsigned char>(game.romajiText[0]), 0);
    EXPECT_EQ(game.score, 0);
    EXPECT_EQ(game.combo, 0);
    headlessAdvance(100);
    headlessSend(msgChar, static_cast<unsigned char>(game.romajiText[1]), 0);
    int secondScore = game.score;
    EXPECT_EQ(secondScore, 12);
    endGame();

    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], resultText(firstScore, bestCombo));
    EXPECT_EQ(results[1], resultText(secondScore, bestCombo));
    EXPECT_EQ(eventsOf(HeadlessEventKind::soundStop).size(), 2u);
}

TEST_F(Flow, QuotasGrowByFiveWordsARound) {
    struct Case {
        int difficulty;
        std::vector<int> wordsPerRefill;
    };
    const Case cases[] = {
        {Easy, {10, 16, 21, 26, 31}},
        {Normal, {15, 21, 26, 31, 36}},
        {Hard, {20, 26, 31, 36, 41}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.difficulty);
        selectDifficulty(c.difficulty);
        startGame();
        EXPECT_EQ(game.wordsToRefill, game.quotaBase - 1);
        std::vector<int> words;
        int sinceRefill = 0;
        while (words.size() < 5 && !HasFatalFailure()) {
            int round = game.round;
            game.timeGauge = 531.0;  // typing is quick, but keep the game alive anyway
            typeWord(5);
            ++sinceRefill;
            if (game.round != round) {
                words.push_back(sinceRefill);
                sinceRefill = 0;
                EXPECT_EQ(game.wordsToRefill, game.quotaBase + 5 * game.round);
                EXPECT_EQ(game.timeGauge, 531.0);
            }
        }
        EXPECT_EQ(words, c.wordsPerRefill);
        endGame();
    }
}

TEST_F(Flow, ASecondGameGoesOnFromTheCounterTheFirstLeft) {
    startGame();
    for (int i = 0; i < 3; ++i) typeWord(5);
    ASSERT_EQ(game.wordsToRefill, 7);
    endGame();
    EXPECT_EQ(game.wordsToRefill, 7);
    startGame();
    EXPECT_EQ(game.wordsToRefill, 6);
    EXPECT_EQ(game.round, 0);

    // Left at 1: the first word of the next game already completes a round.
    for (int i = 0; i < 5; ++i) typeWord(5);
    ASSERT_EQ(game.wordsToRefill, 1);
    endGame();
    for (int& held : game.itemHeld) held = 0;
    startGame();
    EXPECT_EQ(game.round, 1);
    EXPECT_EQ(game.wordsToRefill, 16);
    EXPECT_EQ(game.timeGauge, 531.0);
    int held = 0;
    for (int h : game.itemHeld) held += h;
    EXPECT_EQ(held, 1) << "one item awarded";
}

TEST_F(Flow, ItemsHeldAtGameOverStayHeld) {
    game.itemHeld[Bomb] = 0;
    startGame();
    headlessSend(msgKeyDown, 0x70, 0);
    endGame();
    const int expected[itemKindCount] = {0, 0, 1, 1, 1};
    for (int kind = 0; kind < itemKindCount; ++kind) EXPECT_EQ(game.itemHeld[kind], expected[kind]);
    EXPECT_EQ(game.timeStopActive, 1);
}

// A game that cannot get its first word does not start: one message, then idle again with
// nothing recorded, however long the message stays open.
TEST_F(Flow, NoWordsAtStartCallsTheGameOff) {
    struct Case {
        const char* words;  // null: no file
        const char* message;
        uint32_t boxOpenMs;
    };
    const Case cases[] = {
        {nullptr, textWordsCannotOpen, 0},
        {nullptr, textWordsCannotOpen, 130000},
        {"[EASY]\n[NORMAL]\nx,sakura\n[HARD]\ny,kame\n", textWordsEmptyEasy, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        headlessClearEvents();
        if (c.words) {
            scratch.write("Date/Words.txt", c.words);
        } else {
            scratch.remove("Date/Words.txt");
        }
        headlessSetMessageBoxHandler(
            [&](const std::string&, const std::string&) { headlessAdvance(c.boxOpenMs); });
        startCountdown();
        headlessAdvance(3001);
        headlessAdvance(130000);

        std::vector<HeadlessEvent> boxes = eventsOf(HeadlessEventKind::messageBox);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].caption, textErrorCaption);
        EXPECT_EQ(eventsOf(HeadlessEventKind::soundStop).size(), 1u);
        EXPECT_EQ(game.playing, 0);
        EXPECT_EQ(game.countdownState, 1);
        EXPECT_EQ(game.countdownValue, 3);
        EXPECT_FALSE(headlessTimerRunning(0));
        EXPECT_FALSE(headlessTimerRunning(1));
        EXPECT_FALSE(headlessTimerRunning(2));
        EXPECT_EQ(game.wordsToRefill, 11) << "no word was counted";
        EXPECT_EQ(game.timeGauge, 531.0) << "ticks under the message do not drain the next game";
        EXPECT_FALSE(scratch.exists("Date/RankingDate.ini"));
    }
}

TEST_F(Flow, WordsGoneMidGameEndTheGameWithItsScore) {
    startGame();
    typeWord(100);
    typeWord(100);
    int score = game.score;
    ASSERT_GT(score, 0);
    scratch.remove("Date/Words.txt");
    typeWord(100);
    std::vector<HeadlessEvent> boxes = eventsOf(HeadlessEventKind::messageBox);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, textWordsCannotOpen);
    EXPECT_EQ(boxes[1].caption, textScoreCaption);
    EXPECT_EQ(game.playing, 0);
    EXPECT_EQ(game.wordsFile, nullptr);
    EXPECT_FALSE(headlessTimerRunning(1));
    EXPECT_TRUE(scratch.exists("Date/RankingDate.ini"));
    // No further word is asked for.
    headlessAdvance(130000);
    EXPECT_EQ(eventsOf(HeadlessEventKind::messageBox).size(), 2u);
}

TEST_F(Flow, GaugeRunningOutUnderTheWordsMessageEndsTheGameOnce) {
    startGame();
    typeWord(100);
    scratch.remove("Date/Words.txt");
    headlessSetMessageBoxHandler([&](const std::string& caption, const std::string&) {
        if (caption == textErrorCaption) headlessAdvance(130000);
    });
    typeWord(100);
    std::vector<HeadlessEvent> boxes = eventsOf(HeadlessEventKind::messageBox);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, textErrorCaption);
    EXPECT_EQ(boxes[1].caption, textScoreCaption);
    EXPECT_EQ(game.playing, 0);
}

}  // namespace

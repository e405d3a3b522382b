// Hits, combo timing, score and the scroll steps of long words.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "game/hits.h"
#include "game/judge.h"

namespace {

class Hits : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        game = GameState{};
        std::strcpy(game.romajiText, "aaaaaaaaaaaaaaaaaaaa");
        game.romajiLength = static_cast<int>(std::strlen(game.romajiText));
    }
    static void type(char letter) {
        judgeKey(static_cast<unsigned char>(letter),
                 static_cast<unsigned char>(game.romajiText[game.cursor]));
    }
};

TEST_F(Hits, ScoreGrowsWithTheSquareOfTheCombo) {
    struct Key {
        uint32_t atMs;
        int hits, combo, score, maxCombo;
        const char* label;
    };
    // The first key is timed against 0, long ago; the sixth comes after a pause.
    const Key keys[] = {
        {5000, 1, 0, 0, 0, "9"},   {5300, 2, 1, 12, 0, "1"},  {5600, 3, 2, 55, 0, "2"},
        {5900, 4, 3, 149, 0, "3"}, {6200, 5, 4, 314, 0, "4"}, {7200, 6, 0, 314, 4, "4"},
        {7500, 7, 1, 331, 4, "1"},
    };
    std::strcpy(game.comboLabel, "9");
    for (const Key& key : keys) {
        SCOPED_TRACE(key.atMs);
        headlessSetClock(key.atMs);
        type('a');
        EXPECT_EQ(game.hits, key.hits);
        EXPECT_EQ(game.combo, key.combo);
        EXPECT_EQ(game.score, key.score);
        EXPECT_EQ(game.maxCombo, key.maxCombo);
        EXPECT_STREQ(game.comboLabel, key.label);
        EXPECT_EQ(game.lastHitTime.ms, key.atMs);
    }
}

TEST_F(Hits, ComboWindowIs800MsAcrossAClockWrap) {
    struct Case {
        uint32_t last, now;
        int continues;
    };
    const Case cases[] = {
        {10000, 10800, 1},
        {10000, 10801, 0},
        {10800, 10000, 1},              // the difference is taken as an absolute value
        {0xFFFFFE00u, 0x120u, 1},       // 800 ms across the wrap of the 32-bit clock
        {0xFFFFFE00u, 0x121u, 0},       // 801 ms across it
        {0u, 0x80000000u, 0},           // as far apart as 32 bits allow
        {0x7FFFFFF0u, 0x80000100u, 1},  // across the sign boundary
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.last << " -> " << c.now);
        game.lastHitTime.ms = c.last;
        headlessSetClock(c.now);
        game.combo = 5;
        game.maxCombo = 2;
        game.comboLabelX = 490;
        game.comboShifted10 = 1;
        EXPECT_EQ(comboTimer(), c.continues);
        EXPECT_EQ(game.lastHitTime.ms, c.now);
        EXPECT_EQ(game.combo, c.continues ? 5 : 0);
        EXPECT_EQ(game.maxCombo, c.continues ? 2 : 5);
        EXPECT_EQ(game.comboLabelX, c.continues ? 490 : 520);
        EXPECT_EQ(game.comboShifted10, c.continues ? 1 : 0);
    }
}

TEST_F(Hits, ASlowKeyKeepsTheLabelButMovesItBack) {
    game.combo = 7;
    game.maxCombo = 3;
    std::strcpy(game.comboLabel, "7");
    game.comboLabelX = 490;
    game.comboLabelY = 270;
    game.comboShifted10 = 1;
    game.lastHitTime.ms = 1000;
    headlessSetClock(3000);
    type('a');
    EXPECT_EQ(game.maxCombo, 7);
    EXPECT_EQ(game.combo, 0);
    EXPECT_STREQ(game.comboLabel, "7");
    EXPECT_EQ(game.comboLabelX, 520);
    EXPECT_EQ(game.comboLabelY, 280);
    EXPECT_EQ(game.comboShifted10, 0);
    EXPECT_EQ(game.score, 0);
}

TEST_F(Hits, ScoreSaturatesInsteadOfWrapping) {
    struct Case {
        int score, hits, combo, expected;
    };
    const Case cases[] = {
        {INT_MAX - 100, 10, 0, INT_MAX - 79},  // 11 hits + 10 x 1 x 1
        {INT_MAX - 10, 10, 5, INT_MAX},
        {2147483000, 1000, 20000, INT_MAX},  // 10 x combo² alone passes 32 bits
        {INT_MAX, 0, 0, INT_MAX},
        {5, 0, 2000000000, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.combo);
        game.cursor = 0;
        game.score = c.score;
        game.hits = c.hits;
        game.combo = c.combo;
        headlessSetClock(50000);
        game.lastHitTime.ms = 49900;
        type('a');
        EXPECT_EQ(game.score, c.expected);
        EXPECT_EQ(game.combo, c.combo + 1);
    }
}

TEST_F(Hits, ScrollingRomajiMovesUnderAStandingCursor) {
    std::strcpy(game.romajiText, "abshin");
    game.romajiLength = 6;
    headlessSetClock(10000);
    type('a');
    type('b');
    game.scrollRomaji = 1;
    game.scrollTyped = 1;
    struct Step {
        char key;
        int cursor, romajiLength;
        const char* romaji;
        const char* typed;
    };
    // The 'i' takes "hi": the 'h' scrolls through acceptKey, the 'i' moves the cursor.
    const Step steps[] = {
        {'s', 2, 5, "bshin", "bs"},
        {'i', 3, 4, "shin", "shi"},
        {'n', 3, 3, "hin", "hin"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.key);
        type(step.key);
        EXPECT_EQ(game.cursor, step.cursor);
        EXPECT_EQ(game.romajiLength, step.romajiLength);
        EXPECT_STREQ(game.romajiText, step.romaji);
        EXPECT_STREQ(game.typedText, step.typed);
    }
    EXPECT_EQ(game.hits, 6);
}

TEST_F(Hits, DisplayTextLosesACharacterEverySecondHit) {
    // あいう: six bytes, one double-byte character per even hit count, then it stays empty.
    std::strcpy(game.displayText, "\x82\xA0\x82\xA2\x82\xA4");
    game.scrollDisplay = 1;
    headlessSetClock(10000);
    const char* expected[] = {"\x82\xA0\x82\xA2\x82\xA4",
                              "\x82\xA2\x82\xA4",
                              "\x82\xA2\x82\xA4",
                              "\x82\xA4",
                              "\x82\xA4",
                              "",
                              "",
                              ""};
    for (int hit = 1; hit <= 8; ++hit) {
        type('a');
        EXPECT_STREQ(game.displayText, expected[hit - 1]) << "hit " << hit;
    }
}

TEST_F(Hits, ScrollStepsStopAtTheTerminator) {
    // An odd display text: its last step has one byte left. What lies past the terminator
    // must be neither read into the text nor overwritten.
    std::memcpy(game.displayText, "\x82\xA0x\0ZZZZ", 8);
    game.scrollDisplay = 1;
    headlessSetClock(10000);
    type('a');
    type('a');
    EXPECT_STREQ(game.displayText, "x");
    type('a');
    type('a');
    EXPECT_STREQ(game.displayText, "");
    EXPECT_EQ(std::string(game.displayText + 4, 4), "ZZZZ");
    type('a');
    type('a');
    EXPECT_STREQ(game.displayText, "");
}

}  // namespace

// Keystroke judging: the romaji alternatives, misses with and without the Miss item, Power.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "game/judge.h"

using namespace std::string_literals;

namespace {

class Judging : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        game = GameState{};
        headlessSetClock(100000);
    }

    static void setWord(const char* romaji) {
        std::strcpy(game.romajiText, romaji);
        game.romajiLength = static_cast<int>(std::strlen(romaji));
        game.cursor = 0;
        std::memset(game.typedText, 0, sizeof game.typedText);
    }

    struct Outcome {
        int keysToComplete = -1;  // -1: the word is not complete
        int misses = 0;
    };

    // Judges each key as onTypedChar does (against romajiText[cursor]), noting misses and the
    // key after which the cursor has reached the end of the romaji.
    static Outcome typeKeys(std::string_view keys) {
        Outcome outcome;
        for (size_t i = 0; i < keys.size(); ++i) {
            int hitsBefore = game.hits;
            int cursorBefore = game.cursor;
            judgeKey(static_cast<unsigned char>(keys[i]),
                     static_cast<unsigned char>(game.romajiText[game.cursor]));
            if (game.hits == hitsBefore) {
                ++outcome.misses;
                EXPECT_EQ(game.cursor, cursorBefore) << "a miss moved the cursor";
            }
            EXPECT_LE(game.cursor, game.romajiLength) << "after key " << i + 1;
            if (game.cursor == game.romajiLength && outcome.keysToComplete < 0) {
                outcome.keysToComplete = static_cast<int>(i + 1);
            }
        }
        return outcome;
    }
};

struct TypingCase {
    const char* romaji;
    std::string keys;
    int power;
    int keysToComplete;
    int misses;
    const char* typedText;
};

TEST_F(Judging, AlternativesExactLettersAndPower) {
    const TypingCase cases[] = {
        {"shinkannsenn", "shinkannsenn", 0, 12, 0, "shinkannsenn"},
        {"shinkannsenn", "sinkansenn", 0, 10, 0, "shinkannsenn"},
        // A final nn has no consonant after it: both n must be typed.
        {"shinkannsenn", "sinkansen", 0, -1, 0, "shinkannsen"},
        {"shashin", "syasin", 0, 6, 0, "shashin"},
        {"kannji", "kanji", 0, 5, 0, "kannji"},
        // Anything but a lower-case vowel counts as a consonant after nn.
        {"kannJi", "kanJi", 0, 5, 0, "kannJi"},
        // No consonant after the nn: 'a' and 'i' miss and the cursor stays on the second n.
        {"rennai", "renai", 0, -1, 2, "ren"},
        {"konnnichiha", "konnichiha", 0, 10, 0, "konnnichiha"},
        {"konnnichiha", "konnnichiha", 0, 11, 1, "konnnichiha"},
        // sy is not taken for shi; the 'i' then takes hi.
        {"shi", "syi", 0, 3, 1, "shi"},
        {"shi", "Shi", 0, -1, 3, ""},
        {"ka", "\bka", 0, 3, 1, "ka"},
        {"a b", "a\t b", 0, 4, 1, "a b"},
        // Power: any key is the expected letter; for nnn the second n takes two letters.
        {"ka", "\b ", 1, 2, 0, "ka"},
        {"konnnichiha", std::string(10, '\b'), 1, 10, 0, "konnnichiha"},
        // A byte 0 never passes the end of the word, not even where nn is last.
        {"kann", "kan\0n"s, 0, 5, 1, "kann"},
        {"ka", "ka\0"s, 0, 2, 1, "ka"},
        {"kann", "kan\0"s, 1, 4, 0, "kann"},
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(std::string(c.romaji) + " typed " + c.keys);
        setWord(c.romaji);
        game.hits = 0;
        game.powerActive = c.power;
        Outcome outcome = typeKeys(c.keys);
        EXPECT_EQ(outcome.keysToComplete, c.keysToComplete);
        EXPECT_EQ(outcome.misses, c.misses);
        EXPECT_STREQ(game.typedText, c.typedText);
        // Every letter taken counts as a hit, second letters of the alternatives included.
        EXPECT_EQ(game.hits, game.cursor);
    }
}

TEST_F(Judging, MissBreaksTheComboUnlessMissRuns) {
    struct Case {
        int combo, maxCombo, guard;
        int comboAfter, maxComboAfter;
        const char* labelAfter;
        int labelXAfter, labelYAfter, shiftedAfter;
    };
    const Case cases[] = {
        // Not a new best: everything back to the start of a combo.
        {15, 20, 0, 0, 20, "0", 520, 280, 0},
        {5, 5, 0, 0, 5, "0", 520, 280, 0},
        // A new best: the label keeps showing it, in its shifted place.
        {15, 12, 0, 0, 15, "15", 490, 260, 1},
        // Miss running: nothing changes.
        {15, 20, 1, 15, 20, "15", 490, 260, 1},
        {15, 12, 1, 15, 12, "15", 490, 260, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.combo << "/" << c.maxCombo << " guard " << c.guard);
        setWord("ka");
        game.hits = 0;
        typeKeys("k");
        game.combo = c.combo;
        game.maxCombo = c.maxCombo;
        game.missGuardActive = c.guard;
        std::strcpy(game.comboLabel, "15");
        game.comboLabelX = 490;
        game.comboLabelY = 260;
        game.comboShifted10 = 1;
        game.comboShifted100 = 1;
        game.score = 77;
        game.lastHitTime.ms = 1234;

        Outcome outcome = typeKeys("x");
        EXPECT_EQ(outcome.misses, 1);
        EXPECT_EQ(game.combo, c.comboAfter);
        EXPECT_EQ(game.maxCombo, c.maxComboAfter);
        EXPECT_STREQ(game.comboLabel, c.labelAfter);
        EXPECT_EQ(game.comboLabelX, c.labelXAfter);
        EXPECT_EQ(game.comboLabelY, c.labelYAfter);
        EXPECT_EQ(game.comboShifted10, c.shiftedAfter);
        EXPECT_EQ(game.comboShifted100, c.shiftedAfter);
        // A miss touches nothing else.
        EXPECT_EQ(game.cursor, 1);
        EXPECT_EQ(game.hits, 1);
        EXPECT_STREQ(game.typedText, "k");
        EXPECT_EQ(game.score, 77);
        EXPECT_EQ(game.lastHitTime.ms, 1234u);
    }
}

TEST_F(Judging, CharactersAreIgnoredWhenNoGameRuns) {
    setWord("ka");
    game.playing = 0;
    onTypedChar('k');
    onTypedChar('x');
    EXPECT_EQ(game.cursor, 0);
    EXPECT_EQ(game.hits, 0);
    EXPECT_STREQ(game.typedText, "");
}

}  // namespace

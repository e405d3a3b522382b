// Items: the function keys, how long the effects last, and the award at the end of a round.
#include <gtest/gtest.h>

#include <cstring>

#include "base/crt_random.h"
#include "game_test_support.h"

namespace {

enum : unsigned { F1 = 0x70, F2, F3, F4, F5, F6 };

void pressKey(unsigned key) { headlessSend(msgKeyDown, key, 0); }

using Items = GameScenario;

TEST_F(Items, UsedItemsAreGoneUntilGivenBack) {
    startGame();
    pressKey(F1);
    EXPECT_EQ(game.itemHeld[TimeStop], 0);
    EXPECT_EQ(game.timeStopActive, 1);
    headlessAdvance(5000);
    ASSERT_EQ(game.timeStopTicks, 50);
    // Not held any more: the second press neither restarts nor extends the effect.
    pressKey(F1);
    EXPECT_EQ(game.timeStopTicks, 50);
    EXPECT_EQ(game.timeStopActive, 1);
    // Keys other than F1 to F6 do nothing.
    pressKey(0x76);
    pressKey('A');
    const int expectedHeld[itemKindCount] = {0, 1, 1, 1, 1};
    for (int kind = 0; kind < itemKindCount; ++kind) {
        EXPECT_EQ(game.itemHeld[kind], expectedHeld[kind]);
    }
}

TEST_F(Items, AllFiveAtOnceAfterF6) {
    startGame();
    for (int& held : game.itemHeld) held = 0;
    pressKey(F6);
    for (int held : game.itemHeld) EXPECT_EQ(held, 1);

    ASSERT_EQ(game.wordsToRefill, 10);
    headlessSend(msgChar, static_cast<unsigned char>(game.romajiText[0]), 0);
    ASSERT_EQ(game.cursor, 1);
    for (unsigned key : {F1, F2, F3, F4, F5}) pressKey(key);
    for (int held : game.itemHeld) EXPECT_EQ(held, 0);
    EXPECT_EQ(game.timeStopActive, 1);
    EXPECT_EQ(game.missGuardActive, 1);
    EXPECT_EQ(game.powerActive, 1);
    // Bomb: the word counts as finished and a new one is loaded from its start.
    EXPECT_EQ(game.cursor, 0);
    EXPECT_STREQ(game.typedText, "");
    EXPECT_GT(game.romajiLength, 0);
    // Half: 9 to go becomes 9 / 2 + 1, then one off.
    EXPECT_EQ(game.wordsToRefill, 4);
}

TEST_F(Items, BombWithNoGameCountsTheQuotaOnly) {
    scratch.remove("Date/Words.txt");  // no word is chosen, so the list is never opened
    std::strcpy(game.romajiText, "left");
    pressKey(F2);
    EXPECT_EQ(game.itemHeld[Bomb], 0);
    EXPECT_EQ(game.wordsToRefill, 10);
    EXPECT_STREQ(game.romajiText, "left");
    EXPECT_EQ(boxesShown(), 0);

    // With one word to go the round completes even so.
    pressKey(F6);
    game.wordsToRefill = 1;
    game.timeGauge = 100.0;
    pressKey(F2);
    EXPECT_EQ(game.round, 1);
    EXPECT_EQ(game.wordsToRefill, 16);
    EXPECT_EQ(game.timeGauge, 531.0);
    EXPECT_EQ(boxesShown(), 0);
}

TEST_F(Items, HalfHalvesTheWordsToGo) {
    // A seed whose rolls come to 3 (Half) before 4 (Power): were Half already given up
    // when its own round awards, it would come straight back.
    unsigned seed = 0;
    for (;; ++seed) {
        crtSrand(seed);
        int roll = crtRand() % 5;
        while (roll < 3) roll = crtRand() % 5;
        if (roll == 3) break;
    }
    struct Case {
        int toGo, after, round;
    };
    // With one to go the round completes at once: refill, next quota 11 + 5 x 1.
    const Case cases[] = {{11, 5, 0}, {2, 1, 0}, {3, 1, 0}, {10, 5, 0}, {1, 16, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toGo);
        pressKey(F6);
        game.itemHeld[Power] = 0;
        game.round = 0;
        game.timeGauge = 50.0;
        game.wordsToRefill = c.toGo;
        crtSrand(seed);
        pressKey(F3);
        EXPECT_EQ(game.wordsToRefill, c.after);
        EXPECT_EQ(game.round, c.round);
        EXPECT_EQ(game.timeGauge, c.round ? 531.0 : 50.0);
        EXPECT_EQ(game.itemHeld[Half], 0);
        EXPECT_EQ(game.itemHeld[Power], c.round);
    }
}

TEST_F(Items, TimeStopSavesOneHundredAndOneDrainSteps) {
    startGame();  // ticks come at 100 ms steps from now
    game.timeGauge = 100.0;
    headlessAdvance(50);
    pressKey(F1);
    headlessAdvance(100 * 100);
    EXPECT_EQ(game.timeStopActive, 1);
    // The 101st tick still skips the drain, then switches the effect off.
    headlessAdvance(100);
    EXPECT_EQ(game.timeGauge, 100.0);
    EXPECT_EQ(game.timeStopActive, 0);
    EXPECT_EQ(game.timeStopTicks, 0);
    headlessAdvance(100);
    EXPECT_EQ(game.timeGauge, 100.0 - 0.4425);
}

TEST_F(Items, PowerEndsOnTheHundredAndFirstTick) {
    startGame();
    headlessAdvance(50);
    pressKey(F5);
    headlessAdvance(100 * 100);
    // Before the 101st tick any key is the expected letter.
    headlessSend(msgChar, '#', 0);
    EXPECT_EQ(game.cursor, 1);
    EXPECT_EQ(game.powerTicks, 100);
    headlessAdvance(100);
    EXPECT_EQ(game.powerActive, 0);
    headlessSend(msgChar, '#', 0);
    EXPECT_EQ(game.cursor, 1);
    headlessSend(msgChar, static_cast<unsigned char>(game.romajiText[1]), 0);
    EXPECT_EQ(game.cursor, 2);
}

TEST_F(Items, EffectsPauseBetweenGames) {
    pressKey(F4);  // used while idle: no gauge tick counts it
    headlessAdvance(20000);
    EXPECT_EQ(game.missGuardActive, 1);
    EXPECT_EQ(game.missGuardTicks, 0);
    startGame();
    headlessAdvance(100 * 100);
    EXPECT_EQ(game.missGuardActive, 1);
    headlessAdvance(100);
    EXPECT_EQ(game.missGuardActive, 0);
}

// The first roll of a seed, as awardItem will see it.
int firstRoll(unsigned seed) {
    crtSrand(seed);
    return crtRand() % 5;
}

TEST(ItemAward, NeverGivesAHeldItemAndStopsOnAPowerRoll) {
    int nothingAwarded = 0;
    for (unsigned seed = 0; seed < 400; ++seed) {
        SCOPED_TRACE(seed);
        // Power held, the other four missing: a roll of 4 ends the award with nothing.
        game = GameState{};
        game.itemHeld[TimeStop] = game.itemHeld[Bomb] = game.itemHeld[Half] = game.itemHeld[Miss] =
            0;
        bool powerFirst = firstRoll(seed) == 4;
        crtSrand(seed);
        awardItem();
        int held = 0;
        for (int h : game.itemHeld) held += h;
        EXPECT_EQ(held, powerFirst ? 1 : 2);
        if (powerFirst) ++nothingAwarded;

        // Only Miss missing besides Power: whatever is rolled for held items is drawn again.
        game = GameState{};
        game.itemHeld[Miss] = 0;
        game.itemHeld[Power] = 0;
        crtSrand(seed);
        awardItem();
        EXPECT_EQ(game.itemHeld[Miss] + game.itemHeld[Power], 1);
        EXPECT_EQ(game.itemHeld[TimeStop] + game.itemHeld[Bomb] + game.itemHeld[Half], 3);
    }
    // About one in five; the exact count depends on the generator, its presence does not.
    EXPECT_GT(nothingAwarded, 40);
    EXPECT_LT(nothingAwarded, 130);
}

TEST(ItemAward, RollsNumberMissBeforeHalf) {
    // Find seeds whose first roll is 2 and 3, with all four but Power missing.
    for (int wanted : {0, 1, 2, 3}) {
        unsigned seed = 0;
        while (firstRoll(seed) != wanted) ++seed;
        game = GameState{};
        for (int kind : {TimeStop, Bomb, Half, Miss}) game.itemHeld[kind] = 0;
        crtSrand(seed);
        awardItem();
        const ItemKind expected[] = {TimeStop, Bomb, Miss, Half};
        for (int kind = 0; kind < itemKindCount; ++kind) {
            int shouldHold = kind == Power || kind == expected[wanted] ? 1 : 0;
            EXPECT_EQ(game.itemHeld[kind], shouldHold) << "roll " << wanted << " kind " << kind;
        }
    }
}

TEST(ItemAward, AllHeldLeavesTheFlagsAndDrawsUntilPower) {
    game = GameState{};
    crtSrand(99);
    awardItem();
    for (int held : game.itemHeld) EXPECT_EQ(held, 1);
    // The generator has moved on exactly to just past the first roll of 4.
    crtSrand(99);
    while (crtRand() % 5 != 4) {
    }
    int next = crtRand();
    crtSrand(99);
    awardItem();
    EXPECT_EQ(crtRand(), next);
}

}  // namespace

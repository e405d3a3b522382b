// The project's own C runtime generator and the record's start-up values.
#include <gtest/gtest.h>

#include "base/crt_random.h"
#include "base/game_state.h"

TEST(CrtRandom, MatchesTheClassicSequence) {
    crtSrand(1);
    EXPECT_EQ(crtRand(), 41);
    EXPECT_EQ(crtRand(), 18467);
    EXPECT_EQ(crtRand(), 6334);

    // Seeding again restarts the sequence; a large seed wraps modulo 2^32 as the runtime does.
    crtSrand(1);
    EXPECT_EQ(crtRand(), 41);
    crtSrand(0xFFFFFFFFu);
    uint32_t state = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(crtRand(), static_cast<int>((state >> 16) & 0x7fff));
}

TEST(CrtRandom, ValuesStayInRange) {
    crtSrand(12345);
    for (int i = 0; i < 10000; ++i) {
        int value = crtRand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}

TEST(GameStateRecord, StartsWithItsInitialValues) {
    GameState fresh;
    for (int held : fresh.itemHeld) EXPECT_EQ(held, 1);
    EXPECT_EQ(fresh.wordsToRefill, 11);
    EXPECT_EQ(fresh.quotaBase, 11);
    EXPECT_DOUBLE_EQ(fresh.timeGauge, 531.0);
    EXPECT_EQ(fresh.countdownValue, 3);
    EXPECT_EQ(fresh.countdownState, 1);
    EXPECT_EQ(fresh.comboLabelX, 520);
    EXPECT_EQ(fresh.comboLabelY, 280);
    EXPECT_STREQ(fresh.windowClassName, "Keyfall");
    EXPECT_EQ(fresh.wordsFile, nullptr);
}

// A simulated hour of play on the virtual clock: games one after the other, each with the
// ranking screen shown while it runs and a result box read for a while. Whatever the hour
// brings, the fonts and frame bitmaps alive between paints are those of one paint.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "app/entry.h"
#include "app/menu.h"
#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "platform/platform.h"
#include "tests/support/scratch_folder.h"

namespace {

// The sanitizers make a paint about ten times dearer; there a shorter span covers the same
// ground (several games, ranking screens in and between them) in reasonable time.
#ifdef KEYFALL_SANITIZED
constexpr uint64_t simulatedMs = 6 * 60 * 1000;
#else
constexpr uint64_t simulatedMs = 60 * 60 * 1000;
#endif

long residentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

void send(uint32_t message, uintptr_t wParam) {
    headlessSend(message, wParam, 0);
    headlessPump();
}

}  // namespace

TEST(LongRun, GamesAndRankingScreensForAnHourHoldWhatOnePaintNeeds) {
    ScratchFolder folder;
    std::filesystem::copy(std::filesystem::path(KEYFALL_SOURCE_DIR) / "Date",
                          folder.path() / "Date",
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(folder.path() / "Date" / "RankingDate.ini");
    headlessReset();
    game = GameState{};
    startUp(nullptr);
    headlessSetClock(100000);
    headlessSetCalendarTime(1000);
    int boxes = 0;
    // The player reads each result for two seconds; ticks and paints go on meanwhile.
    headlessSetMessageBoxHandler([&boxes](const std::string&, const std::string&) {
        ++boxes;
        headlessAdvance(2000);
    });
    headlessCreateWindow(windowProcedure);

    // What one paint leaves alive: the game font, and its frame, kept to be shown again.
    const int fonts = headlessLiveFonts();
    ASSERT_EQ(fonts, 1);
    ASSERT_EQ(headlessLiveBitmaps(), 1);
    auto heldAsOnePaint = [fonts] {
        return headlessLiveFonts() == fonts && headlessLiveBitmaps() == 1 && headlessMisuses() == 0;
    };

    int games = 0;
    [[maybe_unused]] long residentAfterSecondGame = 0;
    while (headlessElapsedMs() < simulatedMs) {
        send(msgCommand, cmdStart);
        headlessAdvance(3001);
        ASSERT_EQ(game.playing, 1) << "game " << games + 1 << " did not start";
        send(msgKeyDown, keyF5);
        for (char c : std::string("abcdef")) {
            send(msgChar, static_cast<unsigned char>(c));
            headlessAdvance(150);
        }
        // The ranking screen for twenty seconds of the game, checked every second.
        send(msgCommand, cmdRanking);
        for (int second = 0; second < 20; ++second) {
            headlessAdvance(1000);
            ASSERT_TRUE(heldAsOnePaint()) << "ranking screen, game " << games + 1;
        }
        send(msgCommand, cmdGameScreen);
        // Every other game ends, and shows its result, under the ranking screen.
        if (games % 2 == 1) send(msgCommand, cmdRanking);
        while (game.playing == 1) {
            headlessAdvance(1000);
            ASSERT_TRUE(heldAsOnePaint()) << "game " << games + 1;
        }
        ++games;
        send(msgCommand, cmdGameScreen);
        send(msgKeyDown, keyF6);
        if (games == 2) residentAfterSecondGame = residentKilobytes();
    }
    EXPECT_EQ(boxes, games);
    EXPECT_GE(static_cast<uint64_t>(games), simulatedMs / 200000);
    // A score entered for each game, up to five, best first.
    auto& table = game.rankingText;
    send(msgCommand, cmdRanking);
    headlessAdvance(10);
    for (int k = 0; k < 5 && k < games; ++k) EXPECT_STRNE(table[k], "") << "rank " << k + 1;
    EXPECT_GE(std::atoi(table[0]), std::atoi(table[4]));
#ifndef KEYFALL_SANITIZED
    // Nothing piles up from game to game (a frame is 600 KB; allow a few).
    EXPECT_LT(residentKilobytes() - residentAfterSecondGame, 4 * 1024L);
#endif

    send(msgClose, 0);
    EXPECT_EQ(headlessLiveFonts(), 0);
    EXPECT_EQ(headlessLiveBitmaps(), 0);
    EXPECT_TRUE(headlessQuitPosted());
    EXPECT_EQ(headlessExitCode(), 0);
    std::printf("%d games in %.0f simulated minutes, %d paints\n", games,
                static_cast<double>(headlessElapsedMs()) / 60000.0, headlessPaintCount());
    headlessReset();
}

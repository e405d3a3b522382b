// A kept game played again is the same game: games of random keys, items and commands are
// played, then replayed from the history file, and every frame, the state at the result and
// the player's state after the replay are compared.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/entry.h"
#include "app/menu.h"
#include "app/replay.h"
#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "base/texts.h"
#include "platform/platform.h"
#include "records/history_record.h"
#include "sim/sim_output.h"
#include "tests/app/app_fixture.h"
#include "tests/support/scratch_folder.h"

namespace {

// The state as keyfall-sim dumps it, but for the ranking entries: the ranking screen of a
// replay shows the table as it is now, the game's own score in it.
std::string stateDump() {
    std::string dump;
    for (const std::string& line : simDumpLines()) {
        if (line.rfind("rankingText", 0) != 0) dump += line + "\n";
    }
    return dump;
}

// Every distinct frame presented, in order: its pixels and its texts, hashed.
struct FrameLog {
    std::vector<size_t> frames;
    std::vector<std::string> described;  // what each frame shows, for the failure message
    bool scrolled = false;               // the long word's romaji scrolled
    int paints = -1;

    void look() {
        if (headlessPaintCount() == paints) return;
        paints = headlessPaintCount();
        const std::vector<uint8_t>& pixels = headlessPresentedFrame();
        std::string seen(reinterpret_cast<const char*>(pixels.data()), pixels.size());
        for (const HeadlessText& text : headlessLastPaintTexts()) {
            seen += std::to_string(text.x) + "," + std::to_string(text.y) + "," +
                    std::to_string(text.colour) + text.text + "\n";
        }
        const size_t hash = std::hash<std::string>{}(seen);
        if (!frames.empty() && frames.back() == hash) return;
        frames.push_back(hash);
        std::string texts;
        for (const HeadlessText& text : headlessLastPaintTexts()) texts += simText(text.text) + "|";
        described.push_back("at " + std::to_string(headlessElapsedMs()) + " ms: " + texts);
        scrolled = scrolled || game.scrollRomaji == 1;
    }
    // A millisecond at a time, so that no frame goes by unseen.
    void wait(uint32_t ms) {
        for (uint32_t i = 0; i < ms; ++i) {
            headlessAdvance(1);
            look();
        }
    }
    void send(uint32_t message, uintptr_t wParam) {
        headlessSend(message, wParam, 0);
        headlessPump();
        look();
    }
    // The game's timers tick from its start: a repaint every 4 ms, the gauge every 100.
    uint64_t began = 0;
    // Which paint first shows a key that comes in the same millisecond as a tick depends on
    // the order of the timers, which a replay's own timer cannot keep: the player's keys
    // come between ticks, and not in the repaint period that follows a gauge tick.
    void waitForAQuietMoment() {
        if (game.playing != 1) return;
        for (;;) {
            const uint64_t since = headlessElapsedMs() - began;
            if (since % 4 == 2 && since % 100 > 6) return;
            wait(1);
        }
    }
};

struct Case {
    const char* name;
    unsigned seed;
    bool anyRomaji;
};

class ReplayTest : public ::testing::TestWithParam<Case> {};

// A player of random habits: mostly the expected letter, now and then a wrong one, an item
// or a difficulty command, with gaps short enough for combos and long enough to break them.
void playRandomGame(std::mt19937& random, FrameLog& log) {
    auto chance = [&random](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    log.send(msgCommand, cmdEasy);
    log.send(msgCommand, cmdStart);
    log.wait(1500);
    if (chance(50)) log.send(msgKeyDown, keyF2);     // Bomb before the game: the quota counts
    if (chance(50)) log.send(msgCommand, cmdStart);  // Start again during the countdown
    for (int i = 0; i < 5000 && game.playing != 1; ++i) log.wait(1);
    log.began = headlessElapsedMs();
    for (int step = 0; step < 250 && game.playing == 1; ++step) {
        log.waitForAQuietMoment();
        const int roll = std::uniform_int_distribution<int>(0, 99)(random);
        if (roll < 80) {
            log.send(msgChar, static_cast<unsigned char>(game.romajiText[game.cursor]));
        } else if (roll < 92) {
            log.send(msgChar, static_cast<unsigned char>('a' + random() % 26));
        } else if (roll < 98) {
            log.send(msgKeyDown, keyF1 + static_cast<unsigned>(random() % 6));
        } else {
            log.send(msgCommand, chance(50) ? cmdHard : cmdEasy);  // ignored while playing
        }
        log.wait(chance(10) ? 900 : 20 + static_cast<uint32_t>(random() % 250));
    }
    for (int i = 0; i < 400 && game.playing == 1; ++i) log.wait(1000);
}

TEST_P(ReplayTest, TheReplayIsTheSameGame) {
    const Case& c = GetParam();
    ScratchFolder folder("replay");
    const std::filesystem::path shipped = std::filesystem::path(KEYFALL_SOURCE_DIR) / "Date";
    std::filesystem::copy(shipped / "Image", folder.path() / "Date" / "Image",
                          std::filesystem::copy_options::recursive);
    std::string ini =
        "[POSS]\r\nNPosX=314\r\nNPosY=60\r\nAPosX=314\r\nAPosY=110\r\n"
        "TPosX=314\r\nTPosY=160\r\nIPosX=220\r\nIPosY=220\r\n";
    if (c.anyRomaji) ini += "[OPTIONS]\r\nRomaji=Any\r\n";
    folder.write("Date/Game.ini", ini);
    folder.write("Date/Words.txt", scrollingWordList());

    headlessReset();
    game = GameState{};
    headlessSetClock(4000000000u);  // the millisecond clock wraps during the game
    headlessSetCalendarTime(1700000000);
    std::vector<std::string> atResult;
    headlessSetMessageBoxHandler(
        [&atResult](const std::string&, const std::string&) { atResult.push_back(stateDump()); });
    startUp(nullptr);
    headlessCreateWindow(windowProcedure);

    std::mt19937 random(c.seed);
    FrameLog played;
    // A game before, so that the one kept starts from what a game leaves behind.
    playRandomGame(random, played);
    played.frames.clear();
    played.described.clear();
    playRandomGame(random, played);
    ASSERT_EQ(atResult.size(), 2u);
    played.wait(500);
    const std::string before = stateDump();
    EXPECT_TRUE(played.scrolled) << "the game typed the long word far enough to scroll it";

    FrameLog replayed;
    replayed.paints = headlessPaintCount();
    replayed.send(msgCommand, cmdReplayLast);
    ASSERT_TRUE(replayRunning());
    for (int i = 0; i < 1000 && replayRunning(); ++i) replayed.wait(1000);
    ASSERT_FALSE(replayRunning()) << stateDump();
    ASSERT_EQ(atResult.size(), 3u) << "the replay shows the result";
    EXPECT_EQ(atResult[2], atResult[1]) << "the state at the result";
    played.wait(1);
    EXPECT_EQ(stateDump(), before) << "the player's game is put back";
    // The replay's frames from its countdown to its result, against the game's.
    ASSERT_GE(played.frames.size(), 100u);
    ASSERT_GE(replayed.frames.size(), played.frames.size() - 1);
    for (size_t i = 0; i + 1 < played.frames.size(); ++i) {
        ASSERT_EQ(replayed.frames[i], played.frames[i])
            << "frame " << i << " of the game " << played.described[i] << "\nin the replay "
            << replayed.described[i];
    }

    headlessSetMessageBoxHandler(nullptr);
    headlessSend(msgClose, 0, 0);
    headlessPump();
    headlessReset();
}

INSTANTIATE_TEST_SUITE_P(RandomGames, ReplayTest,
                         ::testing::Values(Case{"classic", 1, false}, Case{"classic2", 7, false},
                                           Case{"anyRomaji", 3, true}),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace

namespace {

// A game of a few right keys, left to run out.
void playShortGame(int keys) {
    headlessSend(msgCommand, cmdStart, 0);
    headlessAdvance(3001);
    for (int k = 0; k < keys && game.playing == 1; ++k) {
        headlessSend(msgChar, static_cast<unsigned char>(game.romajiText[game.cursor]), 0);
        headlessAdvance(100);
    }
    while (game.playing == 1) headlessAdvance(1000);
}

}  // namespace

// What the replay commands say when they cannot play a game, and what Game.ini can switch off.
TEST_F(AppTest, AReplayThatCannotBeTheSameGameSaysWhy) {
    std::vector<std::string> boxes;
    headlessSetMessageBoxHandler(
        [&boxes](const std::string&, const std::string& text) { boxes.push_back(text); });
    headlessCreateWindow(windowProcedure);
    struct Case {
        const char* what;
        std::function<void()> before;
        unsigned command;
        const char* says;
    };
    const Case cases[] = {
        {"no game kept", [] {}, cmdReplayLast, textReplayNone},
        {"a game kept", [] { playShortGame(20); }, cmdReplayLast, nullptr},
        {"no ranked game of this difficulty", [] { headlessSend(msgCommand, cmdHard, 0); },
         cmdReplayBest, textReplayNone},
        {"the word list changed since",
         [this] { writeFile("Date/Words.txt", std::string(wordList) + "\x82\xA0,a\r\n"); },
         cmdReplayLast, textReplayOtherWords},
        {"a journal said to be inexact",
         [this] {
             std::string text = readFile("Date/History.txt");
             text.replace(text.find("replay exact"), 12, "replay inexact");
             text.erase(text.rfind("end "));
             char check[16];
             std::snprintf(check, sizeof check, "%08x", crc32Of(text));
             writeFile("Date/History.txt", text + "end " + check + "\n");
         },
         cmdReplayLast, textReplayInexact},
    };
    for (const Case& c : cases) {
        c.before();
        boxes.clear();
        headlessSend(msgCommand, c.command, 0);
        if (c.says) {
            EXPECT_EQ(boxes, std::vector<std::string>{c.says}) << c.what;
            EXPECT_FALSE(replayRunning()) << c.what;
        } else {
            EXPECT_TRUE(replayRunning()) << c.what;
            // Esc ends it, and the player's game is back: idle, nothing of the replay left.
            headlessAdvance(5000);
            headlessSend(msgChar, 27, 0);
            EXPECT_FALSE(replayRunning()) << c.what;
            EXPECT_EQ(game.playing, 0) << c.what;
            EXPECT_EQ(game.countdownState, 1) << c.what;
            EXPECT_FALSE(headlessTimerRunning(replayTimer)) << c.what;
            EXPECT_FALSE(headlessTimerRunning(1)) << c.what;
        }
    }
}

TEST_F(AppTest, HistoryOffKeepsNoGame) {
    writeFile("Date/Game.ini", "[OPTIONS]\r\nHistory=off\r\n");
    headlessCreateWindow(windowProcedure);
    playShortGame(5);
    EXPECT_FALSE(scratch->exists("Date/History.txt"));
    EXPECT_TRUE(scratch->exists("Date/RankingDate.ini"));
}

// The window procedure on the headless machine: creation, menu, keys, timers and close.
#include <string>
#include <vector>

#include "app/menu.h"
#include "base/texts.h"
#include "tests/app/app_fixture.h"

namespace {

std::vector<std::string> menuEvents() {
    std::vector<std::string> lines;
    for (const HeadlessEvent& e : headlessEvents()) {
        if (e.kind == HeadlessEventKind::menuCheck) {
            lines.push_back("check " + std::to_string(e.id) + " " + std::to_string(e.value));
        } else if (e.kind == HeadlessEventKind::menuEnable) {
            lines.push_back("enable " + std::to_string(e.id) + " " + std::to_string(e.value));
        }
    }
    return lines;
}

int messageBoxes() {
    int count = 0;
    for (const HeadlessEvent& e : headlessEvents())
        count += e.kind == HeadlessEventKind::messageBox;
    return count;
}

}  // namespace

TEST_F(AppTest, CreationLoadsEverythingAndPaintsOnce) {
    WindowHandle window = headlessCreateWindow(windowProcedure);
    EXPECT_EQ(game.mainWindow, window);
    EXPECT_NE(game.memoryDC, nullptr);
    EXPECT_NE(game.font, nullptr);
    EXPECT_EQ(headlessLiveFonts(), 1);
    EXPECT_EQ(game.difficulty, Easy);
    EXPECT_EQ(menuEvents(), (std::vector<std::string>{"check 40009 1"}));
    EXPECT_EQ(headlessMenuRedraws(), 1);
    EXPECT_EQ(headlessPaintCount(), 1);
    // Game.ini was read and converted at creation.
    EXPECT_EQ(game.layout.NPosX, 320);
    EXPECT_EQ(game.layout.NPosY, 224);
    EXPECT_EQ(game.layout.IPosY, 60);
    // The quota fields keep their start-up values.
    EXPECT_EQ(game.wordsToRefill, 11);
}

TEST_F(AppTest, MenuGreyingFollowsPlayAndTheRankingScreen) {
    headlessCreateWindow(windowProcedure);
    struct Step {
        const char* what;
        std::vector<unsigned> commands;
        uint32_t wait;
        int expectedEnabled;
        int replayEnabled;  // a replay takes the place of neither a countdown nor a game
    };
    const Step steps[] = {
        {"idle", {}, 0, 1, 1},
        {"records shown while idle", {cmdRecords}, 0, 0, 1},
        {"game screen again while idle", {cmdGameScreen}, 0, 1, 1},
        {"counting down", {cmdStart}, 1500, 1, 0},
        {"playing", {}, 2000, 0, 0},
        {"ranking shown while playing", {cmdRanking}, 0, 0, 0},
        {"game screen again while playing", {cmdGameScreen}, 0, 0, 0},
        {"records shown while playing", {cmdRecords}, 0, 0, 0},
    };
    for (const Step& step : steps) {
        for (unsigned command : step.commands) headlessSend(msgCommand, command, 0);
        headlessAdvance(step.wait);
        headlessClearEvents();
        headlessSend(msgInitMenu, 0, 0);
        std::string value = std::to_string(step.expectedEnabled);
        std::string replay = std::to_string(step.replayEnabled);
        EXPECT_EQ(menuEvents(),
                  (std::vector<std::string>{"enable 40001 " + value, "enable 40013 " + value,
                                            "enable 40009 " + value, "enable 40004 " + value,
                                            "enable 40005 " + value, "enable 40010 " + replay,
                                            "enable 40011 " + replay}))
            << step.what;
    }
}

TEST_F(AppTest, RankingScreenWhileIdleGreysTheGameItems) {
    headlessCreateWindow(windowProcedure);
    headlessSend(msgCommand, cmdRanking, 0);
    EXPECT_EQ(game.rankingShown, 1);
    EXPECT_EQ(headlessWhiteFills(), 1);
    headlessPump();
    headlessClearEvents();
    headlessSend(msgInitMenu, 0, 0);
    EXPECT_EQ(menuEvents().front(), "enable 40001 0");
    // Exit, Ranking and Game screen are never greyed.
    for (unsigned command : {cmdExit, cmdRanking, cmdGameScreen}) {
        EXPECT_TRUE(headlessMenuEnabled(command)) << command;
    }
}

TEST_F(AppTest, DifficultyCommandsMoveTheMarkAndSetTheQuota) {
    headlessCreateWindow(windowProcedure);
    struct Case {
        unsigned command;
        int difficulty;
        int quota;
        std::vector<std::string> marks;
    };
    const Case cases[] = {
        {cmdNormal, Normal, 16, {"check 40009 0", "check 40004 1", "check 40005 0"}},
        {cmdHard, Hard, 21, {"check 40009 0", "check 40004 0", "check 40005 1"}},
        {cmdEasy, Easy, 11, {"check 40009 1", "check 40004 0", "check 40005 0"}},
    };
    for (const Case& c : cases) {
        game.wordsToRefill = 3;  // as a previous game may have left it
        headlessClearEvents();
        headlessSend(msgCommand, c.command, 0);
        EXPECT_EQ(game.difficulty, c.difficulty);
        EXPECT_EQ(game.wordsToRefill, c.quota);
        EXPECT_EQ(game.quotaBase, c.quota);
        EXPECT_EQ(menuEvents(), c.marks);
    }
    // Choosing the checked difficulty again resets its quota.
    game.wordsToRefill = 2;
    headlessSend(msgCommand, cmdEasy, 0);
    EXPECT_EQ(game.wordsToRefill, 11);
}

TEST_F(AppTest, OnlyTheLow16BitsOfCommandsKeysAndTimersCount) {
    headlessCreateWindow(windowProcedure);
    headlessSend(msgCommand, 0x50000u + cmdNormal, 0);
    EXPECT_EQ(game.difficulty, Normal);

    headlessSend(msgKeyDown, 0x30070u, 0);  // F1 with high bits
    EXPECT_EQ(game.itemHeld[TimeStop], 0);
    EXPECT_EQ(game.timeStopActive, 1);
    headlessSend(msgKeyDown, 0x76, 0);  // F7 is no item key
    headlessSend(msgKeyDown, 0x41, 0);
    EXPECT_EQ(game.itemHeld[TimeStop], 0);
    headlessSend(msgKeyDown, 0x75, 0);  // F6 gives everything back
    EXPECT_EQ(game.itemHeld[TimeStop], 1);

    // Timer 2 asks for a paint when the picture can have changed, and for nothing else.
    int paints = headlessPaintCount();
    headlessSend(msgTimer, 0x10002u, 0);  // nothing shown has changed since the last paint
    headlessPump();
    EXPECT_EQ(headlessPaintCount(), paints);
    game.playing = 1;
    headlessSend(msgTimer, 0x10002u, 0);
    headlessPump();
    EXPECT_EQ(headlessPaintCount(), paints + 1);
    game.playing = 0;
    headlessSend(msgTimer, 7, 0);  // unknown timers do nothing
    headlessPump();
    EXPECT_EQ(headlessPaintCount(), paints + 1);
}

TEST_F(AppTest, CharactersReachTheJudgeOnlyDuringAGame) {
    headlessCreateWindow(windowProcedure);
    headlessSend(msgChar, 'i', 0);
    EXPECT_EQ(game.hits, 0);
    headlessSend(msgCommand, cmdStart, 0);
    headlessAdvance(2500);
    headlessSend(msgChar, game.romajiText[0], 0);  // counting down: still nothing
    EXPECT_EQ(game.hits, 0);
    headlessAdvance(600);
    ASSERT_EQ(game.playing, 1);
    // The low byte of the parameter is the character.
    headlessSend(msgChar, 0x4200u + static_cast<unsigned char>(game.romajiText[0]), 0);
    EXPECT_EQ(game.hits, 1);
    EXPECT_EQ(game.cursor, 1);
}

TEST_F(AppTest, ExitPostsCloseAndCloseReleasesEverything) {
    headlessCreateWindow(windowProcedure);
    headlessSend(msgCommand, cmdExit, 0);
    EXPECT_TRUE(headlessWindowAlive());  // the close message is only posted
    headlessPump();
    EXPECT_FALSE(headlessWindowAlive());
    EXPECT_TRUE(headlessQuitPosted());
    EXPECT_EQ(headlessExitCode(), 0);
    EXPECT_EQ(headlessLiveFonts(), 0);
    EXPECT_EQ(headlessLiveBitmaps(), 0);
    EXPECT_EQ(headlessMisuses(), 0);
    EXPECT_EQ(game.imgMainBack.bits, nullptr);
    EXPECT_EQ(game.backBuffer.bits, nullptr);
}

TEST_F(AppTest, ClosingDuringAGameRecordsNothing) {
    headlessCreateWindow(windowProcedure);
    headlessSend(msgCommand, cmdStart, 0);
    headlessAdvance(5000);
    ASSERT_EQ(game.playing, 1);
    game.score = 500;
    headlessSend(msgClose, 0, 0);
    headlessAdvance(1000);
    EXPECT_FALSE(headlessWindowAlive());
    EXPECT_EQ(headlessExitCode(), 0);
    EXPECT_EQ(messageBoxes(), 0);
    EXPECT_FALSE(std::filesystem::exists(root / "Date" / "RankingDate.ini"));
}

TEST_F(AppTest, KeysThatChangeTheGameScreenArePaintedBeforeTheyReturn) {
    headlessCreateWindow(windowProcedure);
    // 60 pixels a letter: shinkannsenn, the Hard word, is too wide for the screen and scrolls.
    headlessSetTextMeasure([](const std::string& text) { return 60 * int(text.size()); });
    headlessSend(msgCommand, cmdHard, 0);
    headlessSend(msgCommand, cmdStart, 0);
    headlessAdvance(3100);
    ASSERT_EQ(game.playing, 1);
    const auto expected = [] { return static_cast<unsigned>(game.romajiText[game.cursor]); };
    struct Key {
        const char* what;
        uint32_t message;
        unsigned code;  // 0: the letter expected next
        int paints;
    };
    const Key keys[] = {
        {"a right letter", msgChar, 0, 1},
        {"the key-down of a letter", msgKeyDown, 0x48, 0},
        {"time stop", msgKeyDown, keyF1, 1},
        {"time stop, no longer held", msgKeyDown, keyF1, 0},
        {"all items back", msgKeyDown, keyF6, 1},
    };
    for (const Key& key : keys) {
        const int paints = headlessPaintCount();
        headlessSend(key.message, key.code ? key.code : expected(), 0);
        EXPECT_EQ(headlessPaintCount() - paints, key.paints) << key.what;
    }
    EXPECT_EQ(headlessLastPaintTexts()[2].text, std::string(game.typedText));
    headlessSend(msgCommand, cmdRanking, 0);
    headlessPump();
    const int paints = headlessPaintCount();
    headlessSend(msgChar, expected(), 0);  // the ranking screen shows no key
    EXPECT_EQ(headlessPaintCount(), paints);
    headlessSend(msgCommand, cmdGameScreen, 0);

    // The rest of the word, then the same word twice more: keys faster than the repaint timer
    // read the scroll flags of their own frames, as slow keys do.
    while (game.cursor > 0 || game.romajiLength != 12) headlessSend(msgChar, expected(), 0);
    std::vector<std::string> steps[2];
    for (uint32_t gap : {0u, 50u}) {
        for (int i = 0; i < 12 && game.playing == 1; ++i) {
            headlessSend(msgChar, expected(), 0);
            headlessAdvance(gap);
            steps[gap != 0].push_back(std::to_string(game.cursor) + " " +
                                      std::to_string(game.romajiLength) + " " + game.romajiText);
        }
    }
    ASSERT_EQ(steps[0].size(), 12u);
    EXPECT_EQ(steps[0], steps[1]);
    EXPECT_EQ(steps[0][7], "6 10 inkannsenn");  // two letters scrolled away, the cursor kept
}

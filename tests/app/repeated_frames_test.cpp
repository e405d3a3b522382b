// Frames left out must change nothing: one scripted game with every kind of event, played
// once composing every frame and once leaving out the frames that would repeat, shows the
// same frame and leaves the same game state after every step.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/entry.h"
#include "app/menu.h"
#include "app/repaint.h"
#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "platform/platform.h"
#include "sim/sim_output.h"
#include "tests/app/app_fixture.h"
#include "tests/support/scratch_folder.h"

namespace {

// What the player sees and what the game holds after one step.
struct Shot {
    std::string step;
    std::string state;  // every field, as keyfall-sim dumps it, and the events so far
    size_t frame = 0;   // the presented pixels, hashed
    int height = 0;
    std::string texts;  // the texts on the presented frame
};

// What the script went through, so that the test knows it covered it.
struct Covered {
    bool countdown = false;
    bool longWordScrolled = false;
    bool refill = false;
    bool powerFlashed = false;
    bool missGuardFlashed = false;
    bool comboShifted = false;
    bool rankingDuringGame = false;
    int resultBoxes = 0;
    bool fileChangeShown = false;
    bool resultOverRanking = false;
};

class Script {
public:
    std::vector<Shot> shots;
    Covered covered;
    int framesComposed = 0;
    int ticksLeftOut = 0;

    void record(const std::string& step) {
        Shot shot;
        shot.step = std::to_string(shots.size()) + " " + step;
        for (const std::string& line : simDumpLines()) shot.state += line + "\n";
        shot.state += "events " + std::to_string(headlessEvents().size()) + "\n";
        const std::vector<uint8_t>& frame = headlessPresentedFrame();
        shot.frame = std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(frame.data()), frame.size()));
        shot.height = headlessPresentedHeight();
        for (const HeadlessText& text : headlessLastPaintTexts()) {
            shot.texts += std::to_string(text.x) + "," + std::to_string(text.y) + "," +
                          std::to_string(text.colour) + " " + simText(text.text) + "\n";
        }
        shots.push_back(shot);
        note();
    }

    void wait(uint32_t ms, const std::string& step) {
        headlessAdvance(ms);
        record(step + " +" + std::to_string(ms) + " ms");
    }

    void command(unsigned id, const std::string& step) {
        headlessSend(msgCommand, id, 0);
        headlessPump();
        record(step);
    }

    void key(unsigned code, const std::string& step) {
        headlessSend(msgKeyDown, code, 0);
        headlessPump();
        record(step);
    }

    // One character, then gapMs of the game going on.
    void type(unsigned char c, uint32_t gapMs) {
        headlessSend(msgChar, c, 0);
        headlessPump();
        headlessAdvance(gapMs);
        record(std::string("char ") + static_cast<char>(c));
    }

    void typeExpected(uint32_t gapMs) {
        type(static_cast<unsigned char>(game.romajiText[game.cursor]), gapMs);
    }

private:
    void note() {
        covered.countdown |= game.countdownState == 0;
        covered.longWordScrolled |=
            game.scrollDisplay == 1 && game.scrollRomaji == 1 && game.scrollTyped == 1;
        covered.refill |= game.round >= 1;
        covered.powerFlashed |= game.powerActive == 1 && game.powerTicks == 85;
        covered.missGuardFlashed |= game.missGuardActive == 1 && game.missGuardTicks == 95;
        covered.comboShifted |= game.comboShifted100 == 1;
        covered.rankingDuringGame |= game.rankingShown == 1 && game.playing == 1;
    }
};

void writeRanking(const char* text) {
    std::FILE* file = std::fopen("Date/RankingDate.ini", "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(text, file);
    std::fclose(file);
}

// Plays the whole script in a fresh folder and machine, and gives what it saw.
Script play(bool skipRepeats) {
    ScratchFolder folder("repeated-frames");
    const std::filesystem::path shipped = std::filesystem::path(KEYFALL_SOURCE_DIR) / "Date";
    std::filesystem::copy(shipped / "Image", folder.path() / "Date" / "Image",
                          std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(shipped / "Game.ini", folder.path() / "Date" / "Game.ini");
    folder.write("Date/Words.txt", scrollingWordList());
    writeRanking("[EASY]\r\n1=900\r\n2=500\r\n");

    headlessReset();
    game = GameState{};
    setRepeatedFramesSkipped(skipRepeats);
    headlessSetClock(100000);
    headlessSetCalendarTime(5000);
    Script script;
    // The result box is read for a while: the gauge ticks on, keys do not reach the game.
    headlessSetMessageBoxHandler([&script](const std::string&, const std::string&) {
        ++script.covered.resultBoxes;
        script.covered.resultOverRanking |= game.rankingShown == 1;
        script.record("box opens");
        for (int i = 0; i < 5; ++i) script.wait(30, "box");
        headlessSend(msgChar, 'n', 0);
        script.wait(1500, "box, a key in vain");
    });
    startUp(nullptr);
    headlessCreateWindow(windowProcedure);
    script.record("window");
    script.wait(100, "idle before a game");
    script.command(cmdRanking, "ranking screen before a game");
    // No repaint timer before the first game: nothing shows the change until a paint.
    writeRanking("[EASY]\r\n1=901\r\n");
    script.wait(50, "ranking changed behind the game's back");
    script.command(cmdGameScreen, "game screen");

    script.command(cmdStart, "start");
    for (int i = 0; i < 13; ++i) script.wait(250, "countdown");
    script.key(keyF1, "time stop");
    script.key(keyF4, "miss guard");
    // A few ticks apart, so that the two effects flash apart too.
    script.wait(260, "miss guard");
    script.key(keyF5, "power");
    // Quick correct keys build a combo past 100; then, with the gauge stopped and no key,
    // only the flashing of the two effects' last two seconds changes the picture.
    for (int i = 0; i < 110; ++i) script.typeExpected(60);
    for (int i = 0; i < 80; ++i) script.wait(50, "effects run out");
    // Then misses among the keys, until the long word has scrolled and the gauge refilled.
    for (int i = 0; i < 1200 && !(script.covered.longWordScrolled && script.covered.refill); ++i) {
        if (i % 9 == 4) {
            script.type('@', 70);
        } else {
            script.typeExpected(70);
        }
    }
    script.key(keyF2, "bomb");
    script.key(keyF3, "half");
    script.key(keyF6, "all items back");
    for (int i = 0; i < 4; ++i) script.typeExpected(90);

    script.command(cmdRanking, "ranking screen during the game");
    for (int i = 0; i < 5; ++i) script.typeExpected(100);
    writeRanking("[EASY]\r\n1=1500\r\n2=900\r\n3=42\r\n");
    script.wait(3, "ranking changed behind the game's back");
    script.wait(40, "ranking screen");
    if (std::string(game.rankingText[0]) == "1500") script.covered.fileChangeShown = true;
    script.wait(400, "ranking screen");
    script.command(cmdGameScreen, "game screen again");

    for (int i = 0; i < 400 && script.covered.resultBoxes == 0; ++i) {
        script.wait(500, "gauge drains");
    }
    script.wait(7, "after the box");
    for (int i = 0; i < 3; ++i) script.wait(400, "idle after the game");
    script.command(cmdRanking, "ranking screen after the game");
    script.wait(500, "ranking screen idle");
    // Greyed in the menu there, but a command that arrives still counts.
    script.command(cmdNormal, "normal on the ranking screen");
    script.wait(100, "ranking screen idle");
    script.command(cmdEasy, "easy on the ranking screen");
    script.wait(100, "ranking screen idle");
    writeRanking("[EASY]\r\n1=7\r\n");
    script.wait(2, "ranking changed behind the game's back");
    script.wait(600, "ranking screen idle");
    std::filesystem::remove("Date/RankingDate.ini");
    script.wait(30, "ranking file gone");
    script.command(cmdGameScreen, "game screen after the game");
    script.wait(500, "idle");
    // A second game, left to run out under the ranking screen: the result is entered in the
    // file shown, and its box opens over it.
    script.command(cmdStart, "start again");
    for (int i = 0; i < 5; ++i) script.wait(700, "second countdown");
    for (int i = 0; i < 400 && game.timeGauge > 10.0; ++i) script.wait(1000, "second game");
    script.command(cmdRanking, "ranking screen at the end of the game");
    for (int i = 0; i < 100 && script.covered.resultBoxes == 1; ++i) {
        script.wait(250, "ranking screen, the gauge drains");
    }
    for (int i = 0; i < 3; ++i) script.wait(300, "ranking screen after the second game");

    headlessSetMessageBoxHandler(nullptr);
    headlessSend(msgClose, 0, 0);
    headlessPump();
    script.framesComposed = headlessFramesMade();
    script.ticksLeftOut = headlessTicksLeftOut();
    headlessReset();
    setRepeatedFramesSkipped(true);
    return script;
}

}  // namespace

TEST(RepeatedFrames, LeavingThemOutChangesNeitherTheScreenNorTheState) {
    const Script everyFrame = play(false);
    EXPECT_EQ(everyFrame.ticksLeftOut, 0);
    const Covered& covered = everyFrame.covered;
    EXPECT_TRUE(covered.countdown);
    EXPECT_TRUE(covered.longWordScrolled);
    EXPECT_TRUE(covered.refill);
    EXPECT_TRUE(covered.powerFlashed);
    EXPECT_TRUE(covered.missGuardFlashed);
    EXPECT_TRUE(covered.comboShifted);
    EXPECT_TRUE(covered.rankingDuringGame);
    EXPECT_EQ(covered.resultBoxes, 2);
    EXPECT_TRUE(covered.fileChangeShown);
    EXPECT_TRUE(covered.resultOverRanking);

    const Script skipping = play(true);
    ASSERT_EQ(skipping.shots.size(), everyFrame.shots.size());
    for (size_t i = 0; i < everyFrame.shots.size(); ++i) {
        const Shot& expected = everyFrame.shots[i];
        const Shot& seen = skipping.shots[i];
        ASSERT_EQ(seen.step, expected.step);
        ASSERT_EQ(seen.state, expected.state) << "after step " << expected.step;
        ASSERT_EQ(seen.texts, expected.texts) << "after step " << expected.step;
        ASSERT_EQ(seen.height, expected.height) << "after step " << expected.step;
        ASSERT_EQ(seen.frame, expected.frame) << "pixels after step " << expected.step;
    }
    // The repeats were left out indeed, and the repaint timer slept through most of its ticks.
    EXPECT_LT(skipping.framesComposed * 10, everyFrame.framesComposed);
    EXPECT_GT(skipping.ticksLeftOut, everyFrame.framesComposed / 2);
    std::printf(
        "%zu steps: %d frames composed every time; %d leaving out repeats, with %d "
        "repaint ticks slept through\n",
        everyFrame.shots.size(), everyFrame.framesComposed, skipping.framesComposed,
        skipping.ticksLeftOut);
}

TEST(RepeatedFrames, AWindowDrawnAgainShowsTheKeptFrameUnlessItsScaleChanged) {
    ScratchFolder folder("redraw");
    folder.write("Date/Words.txt", scrollingWordList());
    headlessReset();
    game = GameState{};
    startUp(nullptr);
    ::testing::internal::CaptureStderr();  // no pictures here: each is reported missing
    headlessCreateWindow(windowProcedure);
    ::testing::internal::GetCapturedStderr();
    const int frames = headlessFramesMade();
    const int paints = headlessPaintCount();
    // Drawn again on the same screen (uncovered, say): the kept frame, nothing composed.
    headlessSetScreenScale(1);
    headlessPump();
    EXPECT_EQ(headlessPaintCount(), paints + 1);
    EXPECT_EQ(headlessFramesMade(), frames);
    // On a screen of another scale the frame is made anew for it.
    headlessSetScreenScale(2);
    headlessPump();
    EXPECT_EQ(headlessPaintCount(), paints + 2);
    EXPECT_EQ(headlessFramesMade(), frames + 1);
    headlessSend(msgClose, 0, 0);
    headlessPump();
    EXPECT_EQ(headlessLiveBitmaps(), 0);
    headlessReset();
}

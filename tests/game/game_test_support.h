// Shared by the game tests: a scratch working directory with its own Date folder, and a
// small window procedure that routes messages to the game operations as the program does.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "game/flow.h"
#include "game/items.h"
#include "game/judge.h"
#include "tests/support/scratch_folder.h"

// Easy words have no romaji alternatives, so typing them letter by letter takes one key per
// letter. Display texts: いぬ, ねこ, かめ / さくら / しんかんせん, こんにちは.
inline const char* const standardWords =
    "[EASY]\n"
    "\x82\xA2\x82\xCA,inu\n"
    "\x82\xCB\x82\xB1,neko\n"
    "\x82\xA9\x82\xDF,kame\n"
    "[NORMAL]\n"
    "\x82\xB3\x82\xAD\x82\xE7,sakura\n"
    "[HARD]\n"
    "\x82\xB5\x82\xF1\x82\xA9\x82\xF1\x82\xB9\x82\xF1,shinkannsenn\n"
    "\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD,konnnichiha\n";

// What the test window saw: gauge ticks and the countdown numbers on screen with their times.
struct TestWindowLog {
    int gaugeTicks = 0;
    std::vector<std::pair<uint64_t, std::string>> countdownShown;
};
inline TestWindowLog testWindowLog;

inline intptr_t testWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t) {
    game.mainWindow = window;
    switch (message) {
        case msgPaint: {
            DeviceContext dc = beginPaint(window);
            // The game screen draws the number only while counting down.
            if (game.countdownState == 0 &&
                (testWindowLog.countdownShown.empty() ||
                 testWindowLog.countdownShown.back().second != game.countdownLabel)) {
                testWindowLog.countdownShown.emplace_back(headlessElapsedMs(), game.countdownLabel);
            }
            endPaint(window, dc);
            break;
        }
        case msgTimer:
            if (wParam == 0) countdownTick();
            if (wParam == 1) {
                ++testWindowLog.gaugeTicks;
                gaugeTick();
            }
            if (wParam == 2) invalidateWindow(window);
            break;
        case msgChar: onTypedChar(static_cast<unsigned char>(wParam & 0xFF)); break;
        case msgKeyDown: useItem(static_cast<unsigned>(wParam & 0xFFFF)); break;
        default: break;
    }
    return 0;
}

// A fresh machine, a fresh record and the test window, in a scratch directory with the
// standard word list.
class GameScenario : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        game = GameState{};
        game.lastHitTime.type = timeMs;
        testWindowLog = TestWindowLog{};
        scratch.write("Date/Words.txt", standardWords);
        window = headlessCreateWindow(testWindowProcedure);
        game.mainWindow = window;
        headlessSetCalendarTime(1700000000);
    }
    void TearDown() override {
        if (game.wordsFile) {
            std::fclose(game.wordsFile);
            game.wordsFile = nullptr;
        }
    }

    // Start and the three-second countdown; the game runs afterwards.
    void startGame() {
        startCountdown();
        headlessAdvance(3001);
        ASSERT_EQ(game.playing, 1);
    }

    // Types the current word exactly as stored, gapMs before each key, until the next word
    // has been chosen (or the game has ended).
    void typeWord(uint32_t gapMs) {
        ASSERT_LT(game.cursor, game.romajiLength);
        do {
            headlessAdvance(gapMs);
            headlessSend(msgChar, static_cast<unsigned char>(game.romajiText[game.cursor]), 0);
        } while (game.playing == 1 && game.cursor != 0);
    }

    // Lets the gauge run out: the next gauge tick ends the game.
    void endGame() {
        game.timeGauge = -0.25;
        headlessAdvance(100);
        ASSERT_EQ(game.playing, 0);
    }

    int boxesShown() const {
        int count = 0;
        for (const HeadlessEvent& event : headlessEvents()) {
            if (event.kind == HeadlessEventKind::messageBox) ++count;
        }
        return count;
    }

    ScratchFolder scratch{"game"};
    WindowHandle window = nullptr;
};

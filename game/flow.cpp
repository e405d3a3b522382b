// The flow of play: countdown, time gauge, quotas and rounds, next word, game over, difficulty.
#include "game/flow.h"

#include <cstdio>
#include <cstring>

#include "base/crt_random.h"
#include "base/data_path.h"
#include "base/game_clock.h"
#include "base/game_state.h"
#include "base/locked_write.h"
#include "base/texts.h"
#include "game/any_romaji.h"
#include "game/practice_words.h"
#include "platform/platform.h"
#include "ranking/ranking_file.h"
#include "words/words_file.h"

namespace {

// Window timers of mainWindow.
enum : unsigned { countdownTimer = 0, gaugeTimer = 1, repaintTimer = 2 };

constexpr double fullGauge = 531.0;
constexpr double drainPerTick = 0.4425;
// An effect is switched off in the tick that finds its counter here: the 101st after use.
constexpr int effectTicks = 100;

// The word list could not be indexed: its message has been shown, and the game is called off
// before anything of it counts. Back to idle, as after a game over but with nothing recorded.
// Gauge ticks may have come while the message was open; the next game gets the gauge this
// one would have had.
void callOffGame(double gaugeAtStart) {
    stopAllSound();
    killTimer(game.mainWindow, gaugeTimer);
    killTimer(game.mainWindow, repaintTimer);
    game.playing = 0;
    game.countdownState = 1;
    game.countdownValue = 3;
    game.timeGauge = gaugeAtStart;
    // The repaint timer is gone; one more paint takes the countdown number off the screen.
    invalidateWindow(game.mainWindow);
}

}  // namespace

// Game state: countdownState. Nothing else is reset: a second Start while counting down goes
// on from the number it had reached.
void startCountdown() {
    char musicPath[dataPathSize];
    // A refused path is empty and plays as silence, like a missing file.
    resolveDataPath(musicPath, "\\Date\\BackMusic.wav");
    playLoopingSound(musicPath);
    game.countdownState = 0;
    setTimer(game.mainWindow, countdownTimer, 1);
}

// Game state: countdownValue, countdownLabel.
void countdownTick() {
    killTimer(game.mainWindow, countdownTimer);
    setTimer(game.mainWindow, countdownTimer, 1000);
    if (game.countdownValue != 0) {
        std::snprintf(game.countdownLabel, sizeof game.countdownLabel, "%d", game.countdownValue);
        game.countdownValue -= 1;
        invalidateWindow(game.mainWindow);
    } else {
        killTimer(game.mainWindow, countdownTimer);
        beginGame();
    }
}

// Game state: countdownState, playing, the word index. Score, combo, hits and round are
// already zero from start-up or the last game over.
void beginGame() {
    const double gaugeAtStart = game.timeGauge;
    game.countdownState = 2;
    setTimer(game.mainWindow, gaugeTimer, 100);
    setTimer(game.mainWindow, repaintTimer, 4);
    crtSrand(static_cast<unsigned>(gameCalendarSeconds()));
    // The game counts as running only once it has words: should an error box stay open for
    // two minutes, the gauge ticks inside it must not end a game that never began.
    if (!indexWordSections()) {
        callOffGame(gaugeAtStart);
        return;
    }
    // Gauge ticks kept coming while a note about the list was open: its time is not the game's.
    game.timeGauge = gaugeAtStart;
    game.playing = 1;
    nextWord();
}

// Game state: timeGauge, the item effects; a game over when the gauge has run out.
void gaugeTick() {
    if (game.timeGauge < 0.0 && game.playing == 1) gameOver();
    // These still run in the tick that ended the game, so the next game starts one drain
    // step below full.
    if (game.timeStopActive == 0) game.timeGauge = game.timeGauge - drainPerTick;
    tickItemEffects();
}

// Game state: the three effect flags and their tick counters. Switching off comes before
// counting, so an effect used between ticks is in force through 100 ticks and ends in the
// 101st.
void tickItemEffects() {
    if (game.timeStopTicks == effectTicks) {
        game.timeStopActive = 0;
        game.timeStopTicks = 0;
    }
    if (game.missGuardTicks == effectTicks) {
        game.missGuardActive = 0;
        game.missGuardTicks = 0;
    }
    if (game.powerTicks == effectTicks) {
        game.powerActive = 0;
        game.powerTicks = 0;
    }
    if (game.timeStopActive == 1) game.timeStopTicks += 1;
    if (game.missGuardActive == 1) game.missGuardTicks += 1;
    if (game.powerActive == 1) game.powerTicks += 1;
}

// Game state: the quota; while playing, typedText, cursor, romajiLength, the new word, the
// scroll flags and, in Any-romaji judging, the word's kana units.
void nextWord() {
    // The quota counts even with no game running (Bomb may be used at any time).
    advanceQuota();
    if (game.playing != 1) return;

    std::memset(game.typedText, 0, 1024);
    game.cursor = 0;
    game.romajiLength = 0;
    // The list is opened and closed again for every word.
    bool picked = openWordsFile() && (game.practice == 1 ? pickPracticeWord() : pickWord());
    closeWordsFile();
    game.scrollDisplay = 0;
    game.scrollRomaji = 0;
    game.scrollTyped = 0;
    if (game.anyRomaji == 1) readRomajiUnits();

    // The list vanished or broke since the game began; its message has been shown. End the
    // game with what was earned rather than ask for a word on every key. The gauge may
    // already have ended it while that message was open.
    if (!picked && game.playing == 1) gameOver();
}

// Game state: wordsToRefill; at the end of a round also round, timeGauge and an item.
void advanceQuota() {
    if (game.wordsToRefill == 1) {
        awardItem();
        game.round += 1;
        game.timeGauge = fullGauge;
        game.wordsToRefill = game.quotaBase + 5 * game.round + 1;
    }
    game.wordsToRefill -= 1;
}

// Game state: itemHeld. The rolls number Miss 2 and Half 3, the reverse of their keys.
void awardItem() {
    static constexpr ItemKind rolled[4] = {TimeStop, Bomb, Miss, Half};
    for (;;) {
        int roll = crtRand() % 5;
        if (roll == 4) {
            // Power ends the award even when it is already held.
            if (game.itemHeld[Power] != 1) game.itemHeld[Power] = 1;
            return;
        }
        if (game.itemHeld[rolled[roll]] != 1) {
            game.itemHeld[rolled[roll]] = 1;
            return;
        }
    }
}

// Game state: the fields of one game are reset here; maxCombo, the quota, the items, their
// effects and the combo label carry over to the next game.
void gameOver() {
    stopAllSound();
    if (gameOverHook) gameOverHook();
    // The table is written before the player sees the result; a replayed game enters none.
    if (game.unranked != 1 && game.practice != 1) insertRanking(game.score);
    // Cleared before the box: its nested loop keeps delivering gauge ticks.
    game.playing = 0;
    if (game.combo > game.maxCombo) game.maxCombo = game.combo;
    std::snprintf(game.resultText, sizeof game.resultText,
                  game.practice == 1 ? textPracticeResultFormat : textResultFormat, game.score,
                  game.maxCombo);
    showMessageBox(game.mainWindow, game.resultText, textScoreCaption);
    // A score that could not be saved is told of after the result, never before it.
    showLockedWriteNotices();

    game.combo = 0;
    game.hits = 0;
    game.score = 0;
    game.round = 0;
    game.practice = 0;
    game.countdownState = 1;
    game.countdownValue = 3;
    game.timeGauge = fullGauge;
    game.displayText[0] = '\0';
    game.typedText[0] = '\0';
    game.romajiText[0] = '\0';
    killTimer(game.mainWindow, gaugeTimer);
}

// Game state: difficulty, wordsToRefill, quotaBase. The only reset of the quota counter
// between games.
void selectDifficulty(int difficulty) {
    game.difficulty = difficulty;
    if (difficulty == Easy) {
        game.wordsToRefill = game.quotaEasy;
    } else if (difficulty == Normal) {
        game.wordsToRefill = game.quotaNormal;
    } else {
        game.wordsToRefill = game.quotaHard;
    }
    game.quotaBase = game.wordsToRefill;
}

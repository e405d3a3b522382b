// windowProcedure: every message of the game window becomes a call of a game operation here.
#include <cstdint>
#include <initializer_list>

#include "app/window_procedure.h"

#include "app/game_tally.h"
#include "app/journal.h"
#include "app/menu.h"
#include "app/practice.h"
#include "app/repaint.h"
#include "app/replay.h"
#include "base/game_state.h"
#include "base/locked_write.h"
#include "game/flow.h"
#include "game/game_options.h"
#include "game/items.h"
#include "game/judge.h"
#include "platform/platform.h"
#include "render/frame.h"
#include "render/game_screen.h"

namespace {

void keepFinishedGame();

void setMenuCheck(WindowHandle window, int flag, unsigned commandId) {
    setMenuItemChecked(window, commandId, flag == 1 ? 1 : 0);
}

// Game state: memoryDC, layout, anyRomaji, images, backBuffer, difficulty, font.
void createSequence(WindowHandle window) {
    game.memoryDC = createMemoryContext(window);
    loadLayout();
    loadGameOptions();
    loadHistoryOption();
    setMenuCheck(window, 1, cmdEasy);
    redrawMenuBar(window);
    loadImages();
    game.difficulty = Easy;
    game.font = createGameFont();
    selectFont(game.memoryDC, game.font);
    gameOverHook = keepFinishedGame;
}

// Game state: font (the images are released by releaseImages), the kept writes.
void closeSequence(WindowHandle window) {
    // A score still waiting for its lock gets a last chance while the window is there to say
    // that it is lost.
    flushLockedWrites();
    killTimer(window, 0);
    releaseImages();
    // A font still selected cannot be deleted; the default font goes back in first.
    selectFont(game.memoryDC, nullptr);
    deleteFont(game.font);
    game.font = nullptr;
    destroyWindow(window);
}

void checkDifficulty(WindowHandle window, unsigned checkedCommand, int difficulty) {
    // The order of the three marks is the one the menu has always used.
    setMenuCheck(window, checkedCommand == cmdEasy, cmdEasy);
    setMenuCheck(window, checkedCommand == cmdNormal, cmdNormal);
    setMenuCheck(window, checkedCommand == cmdHard, cmdHard);
    redrawMenuBar(window);
    selectDifficulty(difficulty);
}

// Game state: rankingShown, recordsShown, practice; reads playing.
void menuCommand(WindowHandle window, unsigned command) {
    // The menu greys the difficulties during a game and on the ranking screen, but one opened
    // before (during the countdown) still sends them: the rule is kept here, not by the menu.
    const bool difficultyFixed =
        game.playing == 1 || game.rankingShown == 1 || game.recordsShown == 1;
    switch (command) {
        case cmdStart:
            game.practice = 0;
            startCountdown();
            break;
        case cmdPractice:
            if (game.playing != 1) startPractice();
            break;
        case cmdExit: postCloseMessage(window); break;
        case cmdEasy:
            if (!difficultyFixed) checkDifficulty(window, cmdEasy, Easy);
            break;
        case cmdNormal:
            if (!difficultyFixed) checkDifficulty(window, cmdNormal, Normal);
            break;
        case cmdHard:
            if (!difficultyFixed) checkDifficulty(window, cmdHard, Hard);
            break;
        case cmdRanking:
            game.recordsShown = 0;
            game.rankingShown = 1;
            fillWindowWhite(window);
            invalidateWindow(window);
            break;
        case cmdGameScreen:
            game.rankingShown = 0;
            game.recordsShown = 0;
            invalidateWindow(window);
            break;
        case cmdRecords:
            game.rankingShown = 0;
            game.recordsShown = 1;
            invalidateWindow(window);
            break;
        case cmdReplayLast: replayLastGame(window); break;
        case cmdReplayBest: replayBestGame(window); break;
        default: break;
    }
}

void timerTick(WindowHandle window, unsigned timer) {
    switch (timer) {
        case 2: repaintTick(window, timer); break;
        case 1: gaugeTick(); break;
        case 0: countdownTick(); break;
        case 3: retryLockedWrites(); break;
        default: break;
    }
}

// Game state: reads rankingShown, recordsShown, playing, countdownState.
void greyMenuItems(WindowHandle window) {
    int enabled = (game.rankingShown == 1 || game.recordsShown == 1 || game.playing == 1) ? 0 : 1;
    for (unsigned command : {cmdStart, cmdPractice, cmdEasy, cmdNormal, cmdHard}) {
        setMenuItemEnabled(window, command, enabled);
    }
    // A replay would take the place of a countdown or a game, and cannot start in one.
    const int replayable = (game.playing == 1 || game.countdownState == 0) ? 0 : 1;
    for (unsigned command : {cmdReplayLast, cmdReplayBest}) {
        setMenuItemEnabled(window, command, replayable);
    }
    redrawMenuBar(window);
}

// Game state: everything a paint reads and writes. During a replay what the paint would
// change in the game state is undone: the journal says what the paints of the game did.
void paint(WindowHandle window) {
    const PaintWrites before = paintWrites();
    paintScreen(window);
    if (replayRunning()) {
        restorePaintWrites(before);
    } else {
        journalPaint(before);
    }
}

// The end of every game: into the history, or the end of the replay that played it.
void keepFinishedGame() {
    if (replayRunning()) {
        replayGameOver();
    } else {
        journalGameOver();
    }
}

}  // namespace

intptr_t handleGameMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    switch (message) {
        case msgCreate: createSequence(window); return 0;
        case msgDestroy: postQuitMessage(0); return 0;
        case msgPaint: paint(window); return 0;
        case msgClose: closeSequence(window); return 0;
        case msgKeyDown: {
            unsigned key = static_cast<unsigned>(wParam & 0xFFFF);
            if (key >= keyF1 && key <= keyF6) {
                useItem(key);
                repaintAfterKey(window);
            }
            return 0;
        }
        case msgChar:
            onTypedChar(static_cast<unsigned char>(wParam & 0xFF));
            repaintAfterKey(window);
            return 0;
        case msgCommand: menuCommand(window, static_cast<unsigned>(wParam & 0xFFFF)); return 0;
        case msgTimer: timerTick(window, static_cast<unsigned>(wParam & 0xFFFF)); return 0;
        case msgInitMenu: greyMenuItems(window); return 0;
        default: return defaultWindowProcedure(window, message, wParam, lParam);
    }
}

// Game state: mainWindow on every message, the rest through the operations it calls.
intptr_t windowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    game.mainWindow = window;
    if (replayTakesMessage(window, message, wParam)) return 0;
    uint32_t elapsedMs = 0;
    const bool kept = journalBefore(message, wParam, elapsedMs);
    if (kept) tallyBefore(message, wParam, elapsedMs);
    const intptr_t result = handleGameMessage(window, message, wParam, lParam);
    if (kept) tallyAfter();
    journalAfter(kept);
    return result;
}

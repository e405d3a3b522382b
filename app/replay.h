// Replays of kept games: in the window at the pace they were played, or at once to verify
// what a record says.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "records/journal.h"

// The window's replay timer.
constexpr unsigned replayTimer = 4;

// Menu commands: the last kept game, or the best ranked one of the difficulty chosen. Tells
// the player when there is none, or when it cannot be played again exactly.
void replayLastGame(WindowHandle window);
void replayBestGame(WindowHandle window);

// Game state: everything the replayed game changes; the player's game is put back at the
// end. Plays the journal in the window at its own pace. False when its word list is not the
// one the game used.
bool startReplay(WindowHandle window, const Journal& journal);
bool replayRunning();
// True while the replay running is the one shown in the window, at its pace.
bool replayShown();
// While a replay runs, the player's keys and menu commands end it (Exit still closes), and
// the game's own timers 0 and 1 are left out: the journal gives their ticks. True when the
// message was taken so.
bool replayTakesMessage(WindowHandle window, uint32_t message, uintptr_t wParam);
// Game over inside a replay.
void replayGameOver();

// How a journal played at once came out.
struct ReplayOutcome {
    bool decoded = true;
    bool sameWords = true;   // the word list is the one the game used
    bool gameOver = false;   // the game ended, at the journal's last message
    bool consistent = true;  // every clock reading the rules asked for was in the journal
    int score = 0;
    int hits = 0;
    int bestCombo = 0;
    int misses = 0;
    int words = 0;
    int keys = 0;
};
// Game state: as startReplay, but at once: no pace, no paint, no timer. The player's game is
// put back afterwards.
ReplayOutcome verifyJournal(WindowHandle window, const Journal& journal);

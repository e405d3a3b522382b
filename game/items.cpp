// The five items: F1 TimeStop, F2 Bomb, F3 Half, F4 Miss, F5 Power; F6 gives all five back.
#include "game/items.h"

#include "base/game_state.h"
#include "game/flow.h"

// Game state: itemHeld, the effect flags; Bomb and Half go through the quota of the flow.
// Handled in every state of play, auto-repeats included.
void useItem(unsigned virtualKey) {
    switch (virtualKey) {
        case keyF1:
            if (game.itemHeld[TimeStop] != 1) return;
            game.itemHeld[TimeStop] = 0;
            game.timeStopActive = 1;
            break;
        case keyF2:
            if (game.itemHeld[Bomb] != 1) return;
            game.itemHeld[Bomb] = 0;
            // The word counts as finished: nextWord takes it off the quota first.
            game.romajiLength = 0;
            game.cursor = 0;
            nextWord();
            break;
        case keyF3:
            if (game.itemHeld[Half] != 1) return;
            game.wordsToRefill = game.wordsToRefill / 2 + 1;
            advanceQuota();
            // Still held while a completed round awards, so Half itself cannot come back.
            game.itemHeld[Half] = 0;
            break;
        case keyF4:
            if (game.itemHeld[Miss] != 1) return;
            game.itemHeld[Miss] = 0;
            game.missGuardActive = 1;
            break;
        case keyF5:
            if (game.itemHeld[Power] != 1) return;
            game.itemHeld[Power] = 0;
            game.powerActive = 1;
            break;
        case keyF6:
            for (int& held : game.itemHeld) held = 1;
            break;
        default: break;
    }
}

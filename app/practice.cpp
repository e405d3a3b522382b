// The practice command: the weakest kana from the history, then the countdown.
#include "app/practice.h"

#include <cstring>

#include "app/journal.h"
#include "app/replay.h"
#include "base/game_state.h"
#include "game/flow.h"
#include "records/history_file.h"
#include "records/records_figures.h"

void startPractice() {
    // A replay plays the kana its journal names: the history has changed since.
    if (!replayRunning()) {
        HistoryContents contents;
        readHistory(contents, false);
        WeakKana weak[weakKanaShown];
        game.practiceKanaCount = weakestKana(contents, game.difficulty, weak);
        std::memset(game.practiceKana, 0, sizeof game.practiceKana);
        for (int i = 0; i < game.practiceKanaCount; ++i) {
            std::memcpy(game.practiceKana[i], weak[i].kana, sizeof game.practiceKana[i] - 1);
        }
        journalPracticeChosen();
    }
    game.practice = 1;
    startCountdown();
}

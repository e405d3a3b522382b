// Keystroke judging: the exact letter, si for shi, sy for sh, n for nn, or any IME spelling.
#include "game/judge.h"

#include <cstdio>

#include "base/game_state.h"
#include "game/any_romaji.h"
#include "game/flow.h"
#include "game/hits.h"

namespace {

// The alternatives take two romaji letters with one key: after acceptKey has stored the
// first, the second is recorded here without timing, score or scroll of its own.
void recordNextLetterDirectly() {
    game.typedText[game.cursor] = game.romajiText[game.cursor];
    game.hits += 1;
    game.cursor += 1;
}

// A wrong key breaks the combo unless the Miss item runs. A combo better than the best so
// far becomes the best and leaves its label standing; otherwise the label goes back to 0.
void missKey() {
    if (game.missGuardActive == 1) return;
    if (game.combo > game.maxCombo) {
        game.maxCombo = game.combo;
        game.combo = 0;
        return;
    }
    game.combo = 0;
    std::snprintf(game.comboLabel, sizeof game.comboLabel, "%d", game.combo);
    resetComboLabel();
}

}  // namespace

int isConsonant(unsigned char ch) {
    switch (ch) {
        case 'a':
        case 'i':
        case 'u':
        case 'e':
        case 'o': return 0;
        default: return 1;
    }
}

// Game state: reads playing, romajiText, cursor, romajiLength.
void onTypedChar(unsigned char ch) {
    if (game.playing != 1) return;
    judgeKey(ch, static_cast<unsigned char>(game.romajiText[game.cursor]));
    if (game.romajiLength == game.cursor && game.playing == 1) nextWord();
}

// Game state: reads romajiText, cursor, powerActive, missGuardActive, anyRomaji; a hit goes
// through acceptKey, a miss changes only the combo fields.
void judgeKey(unsigned char typed, unsigned char expected) {
    if (game.powerActive == 1) typed = expected;

    // A byte 0 would match the terminator (directly, or as the consonant after a final nn)
    // and push the cursor past the end of the word, which then could never complete.
    if (typed == 0) {
        missKey();
        return;
    }
    if (game.anyRomaji == 1) {
        if (!takeAnyRomajiKey(typed)) missKey();
        return;
    }

    const int c = game.cursor;
    const unsigned char previous = c > 0 ? static_cast<unsigned char>(game.romajiText[c - 1]) : 0;
    // Past the terminator there is nothing to follow; never read beyond it.
    const unsigned char following =
        game.romajiText[c] != 0 ? static_cast<unsigned char>(game.romajiText[c + 1]) : 0;

    if (previous == 's' && expected == 'h' && following == 'i' && typed == 'i') {
        acceptKey(expected);
        recordNextLetterDirectly();
    } else if (previous == 's' && expected == 'h' && following != 'i' &&
               (typed == 'h' || typed == 'y')) {
        acceptKey(expected);
    } else if (previous == 'n' && expected == 'n' && typed == following &&
               isConsonant(following) == 1) {
        acceptKey(expected);
        recordNextLetterDirectly();
    } else if (typed == expected) {
        acceptKey(expected);
    } else {
        missKey();
    }
}

// Hits, combo, score and the scroll steps of long words.
#include "game/hits.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/game_clock.h"
#include "base/game_state.h"

namespace {

constexpr int64_t comboWindowMs = 800;
constexpr int64_t scoreLimit = INT32_MAX;

// Shortens text in place by its first count bytes, terminator included; a text shorter than
// that becomes empty. Nothing past the terminator (or the array) is read or written.
void dropLeadingBytes(char* text, size_t size, size_t count) {
    const char* terminator = static_cast<const char*>(std::memchr(text, '\0', size));
    // An unterminated array never occurs here; should it, its last byte counts as the end.
    size_t length = terminator ? static_cast<size_t>(terminator - text) : size - 1;
    if (length <= count) {
        text[0] = '\0';
        return;
    }
    std::memmove(text, text + count, length - count);
    text[length - count] = '\0';
}

// The step is worked out in 64 bits so that it cannot wrap before the score saturates. A
// combo that large already exceeds the limit on its own, so capping it loses nothing.
int raisedScore(int score, int hits, int combo) {
    int64_t c = combo < 65536 ? combo : 65536;
    int64_t next = static_cast<int64_t>(score) + hits + 10 * c * c;
    return static_cast<int>(next < scoreLimit ? next : scoreLimit);
}

}  // namespace

// Game state: reads and writes lastHitTime and, when the combo breaks, combo, maxCombo and the
// combo label's place.
int comboTimer() {
    uint32_t now = gameTimeMs();
    // A 32-bit signed difference, so that a wrap of the millisecond counter stays small.
    int64_t difference =
        std::llabs(static_cast<int64_t>(static_cast<int32_t>(now - game.lastHitTime.ms)));
    game.lastHitTime.ms = gameTimeMs();
    if (difference <= comboWindowMs) return 1;

    if (game.combo > game.maxCombo) game.maxCombo = game.combo;
    resetComboLabel();
    game.combo = 0;
    return 0;
}

void resetComboLabel() {
    game.comboShifted10 = 0;
    game.comboShifted100 = 0;
    game.comboLabelX = comboLabelHomeX;
    game.comboLabelY = comboLabelHomeY;
}

// Game state: typedText, hits, cursor or romajiLength, combo, score, comboLabel,
// lastHitTime, and the three texts while their scroll flags are set.
void acceptKey(unsigned char letter) {
    game.typedText[game.cursor] = static_cast<char>(letter);
    game.hits += 1;
    // A scrolling romaji moves left under a standing cursor instead.
    if (game.scrollRomaji == 0) {
        game.cursor += 1;
    } else {
        game.romajiLength -= 1;
    }

    if (comboTimer() == 1) {
        game.combo += 1;
        game.score = raisedScore(game.score, game.hits, game.combo);
        std::snprintf(game.comboLabel, sizeof game.comboLabel, "%d", game.combo);
        game.lastHitTime.ms = gameTimeMs();
    }

    // One double-byte character of the shown word for every second hit of the game.
    if (game.scrollDisplay == 1 && game.hits % 2 == 0) {
        dropLeadingBytes(game.displayText, sizeof game.displayText, 2);
    }
    if (game.scrollRomaji == 1) dropLeadingBytes(game.romajiText, sizeof game.romajiText, 1);
    if (game.scrollTyped == 1) dropLeadingBytes(game.typedText, sizeof game.typedText, 1);
}

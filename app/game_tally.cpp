// The counts of one game for its history record.
#include "app/game_tally.h"

#include <cstring>
#include <vector>

#include "base/game_state.h"
#include "game/any_romaji.h"
#include "game/kana_table.h"
#include "platform/platform.h"

namespace {

constexpr int unitCapacity = static_cast<int>(sizeof game.kanaUnits / sizeof game.kanaUnits[0]);

struct Tally {
    int keys = 0;
    int misses = 0;
    int words = 0;
    int bestCombo = 0;
    bool began = false;
    uint32_t beganAt = 0;
    uint32_t lastAt = 0;
    int letterHits[256] = {};
    int letterMisses[256] = {};
    std::vector<int> kanaTyped;
    std::vector<int> kanaMisses;

    // The word being typed, as the list stores it, read into kana units (classic judging).
    char word[sizeof game.romajiText] = {};
    int wordLength = 0;
    KanaUnit units[sizeof game.kanaUnits / sizeof game.kanaUnits[0]];
    int starts[sizeof game.kanaUnits / sizeof game.kanaUnits[0]] = {};
    int unitCount = 0;
    int unitsTyped = 0;  // units of the word typed through

    // Before the message being handled.
    bool character = false;
    int hitsBefore = 0;
    unsigned char expected = 0;
    int unitBefore = -1;
};

Tally tally;

// The unit the next letter belongs to: in classic judging by the letter's place in the
// stored romaji (a scrolling romaji has lost its first letters), else the judge's own.
int currentUnit() {
    if (game.anyRomaji == 1) {
        return game.romajiCandidateCount > 0 ? game.romajiCandidates[0].unit : game.kanaUnitCount;
    }
    const int index = game.cursor + (tally.wordLength - game.romajiLength);
    int unit = 0;
    while (unit + 1 < tally.unitCount && tally.starts[unit + 1] <= index) ++unit;
    return index >= tally.wordLength ? tally.unitCount : unit;
}

int unitCount() { return game.anyRomaji == 1 ? game.kanaUnitCount : tally.unitCount; }

int rowOf(int unit) {
    if (unit < 0 || unit >= unitCount()) return -1;
    return game.anyRomaji == 1 ? game.kanaUnits[unit].row : tally.units[unit].row;
}

void countTyped(int upTo) {
    for (; tally.unitsTyped < upTo && tally.unitsTyped < unitCount(); ++tally.unitsTyped) {
        const int row = rowOf(tally.unitsTyped);
        if (row >= 0) tally.kanaTyped[static_cast<size_t>(row)] += 1;
    }
}

// A new word shows: its units are read afresh.
void takeWord() {
    const void* end = std::memchr(game.romajiText, '\0', sizeof game.romajiText);
    tally.wordLength = end ? static_cast<int>(static_cast<const char*>(end) - game.romajiText) : 0;
    std::memcpy(tally.word, game.romajiText, sizeof tally.word);
    tally.unitCount = readKanaUnits(tally.word, static_cast<size_t>(tally.wordLength), tally.units,
                                    unitCapacity, tally.starts);
    tally.unitsTyped = 0;
}

bool newWordShown() {
    if (game.playing != 1 || game.cursor != 0 || game.typedText[0] != '\0') return false;
    return tally.unitsTyped != 0 || std::strcmp(tally.word, game.romajiText) != 0;
}

}  // namespace

void tallyReset() {
    tally = Tally{};
    tally.kanaTyped.assign(static_cast<size_t>(kanaRowCount()), 0);
    tally.kanaMisses.assign(static_cast<size_t>(kanaRowCount()), 0);
}

void tallyBefore(uint32_t message, uintptr_t wParam, uint32_t elapsedMs) {
    tally.lastAt = elapsedMs;
    tally.character = message == msgChar && game.playing == 1;
    if (!tally.character) return;
    tally.hitsBefore = game.hits;
    tally.expected = static_cast<unsigned char>(game.romajiText[game.cursor]);
    tally.unitBefore = currentUnit();
    tally.keys += 1;
    (void)wParam;
}

void tallyAfter() {
    if (!tally.began && game.playing == 1) {
        tally.began = true;
        tally.beganAt = tally.lastAt;
    }
    if (tally.character) {
        tally.character = false;
        if (game.hits > tally.hitsBefore) {
            tally.letterHits[tally.expected] += 1;
            if (game.typedText[0] == '\0') {
                // Typed through: the next word is already there.
                tally.words += 1;
                countTyped(unitCount());
            } else {
                countTyped(currentUnit());
            }
        } else {
            tally.misses += 1;
            tally.letterMisses[tally.expected] += 1;
            const int row = rowOf(tally.unitBefore);
            if (row >= 0) tally.kanaMisses[static_cast<size_t>(row)] += 1;
        }
        if (game.combo > tally.bestCombo) tally.bestCombo = game.combo;
    }
    if (newWordShown()) takeWord();
}

void tallyInto(HistoryRecord& record) {
    record.keys = tally.keys;
    record.misses = tally.misses;
    record.words = tally.words;
    record.bestCombo = tally.bestCombo;
    record.durationMs = tally.began ? static_cast<int>(tally.lastAt - tally.beganAt) : 0;
    record.letters.clear();
    for (int c = 0x21; c < 0x7F; ++c) {
        if (tally.letterHits[c] == 0 && tally.letterMisses[c] == 0) continue;
        record.letters.push_back(
            {static_cast<char>(c), tally.letterHits[c], tally.letterMisses[c]});
    }
    record.kana.clear();
    for (int row = 0; row < kanaRowCount(); ++row) {
        const size_t r = static_cast<size_t>(row);
        if (tally.kanaTyped[r] == 0 && tally.kanaMisses[r] == 0) continue;
        record.kana.push_back({kanaOfRow(row), tally.kanaTyped[r], tally.kanaMisses[r]});
    }
}

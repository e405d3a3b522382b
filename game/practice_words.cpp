// Weights of words by the favoured kana they hold, read as the judge reads the romaji.
#include "game/practice_words.h"

#include <algorithm>
#include <cstring>

#include "base/game_state.h"
#include "game/any_romaji.h"
#include "game/kana_table.h"
#include "words/words_file.h"

namespace {

constexpr int unitCapacity = static_cast<int>(sizeof game.kanaUnits / sizeof game.kanaUnits[0]);

bool favoured(int row) {
    if (row < 0) return false;
    const char* kana = kanaOfRow(row);
    for (int i = 0; i < game.practiceKanaCount; ++i) {
        if (std::strcmp(kana, game.practiceKana[i]) == 0) return true;
    }
    return false;
}

}  // namespace

int practiceWordWeight(const char* romaji) {
    const size_t length = std::strcspn(romaji, "\r\n");
    KanaUnit units[unitCapacity];
    const int count = readKanaUnits(romaji, length, units, unitCapacity);
    int weight = 1;
    for (int u = 0; u < count && weight < practiceMaxWeight; ++u) {
        if (favoured(units[u].row)) weight += 3;
    }
    return std::min(weight, practiceMaxWeight);
}

bool pickPracticeWord() { return pickWeightedWord(practiceWordWeight, practiceMaxWeight); }

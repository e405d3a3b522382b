// Any-romaji judging: a word built from the romaji table's spellings and bytes of its own, then
// either random keys (with the scroll flags a paint may set between them) or one full spelling
// chosen from the table, judged one key at a time. Every key is checked against a matcher
// written here from the table alone: a key is taken exactly when the keys so far still begin
// a spelling of the word, the word completes exactly when they make a whole one, the guide
// always reads as a whole spelling that begins with them, and the cursor never passes its end.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "fuzz/fuzz_support.h"
#include "game/any_romaji.h"
#include "game/judge.h"
#include "game/kana_table.h"

namespace {

constexpr int maxPieces = 32;

bool isVowel(unsigned char c) { return c == 'a' || c == 'i' || c == 'u' || c == 'e' || c == 'o'; }
bool takesSingleN(unsigned char c) { return !isVowel(c) && c != 'y' && c != 'n' && c != '\''; }
bool doubles(unsigned char c) { return c >= 'a' && c <= 'z' && !isVowel(c) && c != 'n'; }

// Every spelling of a unit from the table: the row's own, then a two-kana row's two kana.
std::vector<std::string> spellingsOf(const KanaUnit& unit) {
    if (unit.row < 0) return {std::string(1, unit.letter)};
    std::vector<std::string> out;
    for (int s = 0; s < listedSpellingCount(unit.row); ++s) {
        out.emplace_back(kanaRow(unit.row).spellings[s]);
    }
    if (baseRow(unit.row) >= 0) {
        for (int b = 0; b < listedSpellingCount(baseRow(unit.row)); ++b) {
            for (int s = 0; s < listedSpellingCount(smallRow(unit.row)); ++s) {
                out.push_back(std::string(kanaRow(baseRow(unit.row)).spellings[b]) +
                              kanaRow(smallRow(unit.row)).spellings[s]);
            }
        }
    }
    return out;
}

KanaKind kindOf(const KanaUnit& unit) {
    return unit.row < 0 ? KanaKind::plain : kanaRow(unit.row).kind;
}

bool singleN(const KanaUnit& unit, const std::string& spelling) {
    return kindOf(unit) == KanaKind::moraicN && spelling == "n";
}

// What the next unit's first letter must be: any (0), a doubled letter, or one a single n
// stands before (-1).
bool fits(int need, unsigned char letter) {
    if (need == -1) return takesSingleN(letter);
    return need == 0 || letter == need;
}

// Whether the units from u on can be typed at all beginning under need.
bool canFinish(int u, int need) {
    const int count = game.kanaUnitCount;
    if (u == count) return need == 0;
    const KanaUnit& unit = game.kanaUnits[u];
    for (const std::string& spelling : spellingsOf(unit)) {
        if (!fits(need, static_cast<unsigned char>(spelling[0]))) continue;
        if (!singleN(unit, spelling) || (u + 1 < count && canFinish(u + 1, -1))) return true;
    }
    if (kindOf(unit) == KanaKind::sokuon && u + 1 < count) {
        for (int c = 'a'; c <= 'z'; ++c) {
            if (doubles(static_cast<unsigned char>(c)) &&
                fits(need, static_cast<unsigned char>(c)) && canFinish(u + 1, c)) {
                return true;
            }
        }
    }
    return false;
}

// Whether keys from at on continue units from u on: to their very end (whole), or to
// anywhere from which the word can still be finished.
bool matches(const std::string& keys, size_t at, int u, int need, bool whole) {
    const int count = game.kanaUnitCount;
    if (at == keys.size()) return whole ? u == count : canFinish(u, need);
    if (u == count) return false;
    const KanaUnit& unit = game.kanaUnits[u];
    const unsigned char key = static_cast<unsigned char>(keys[at]);
    if (!fits(need, key)) return false;
    for (const std::string& spelling : spellingsOf(unit)) {
        if (singleN(unit, spelling)) {
            if (key == 'n' && u + 1 < count && matches(keys, at + 1, u + 1, -1, whole)) return true;
            continue;
        }
        const size_t left = keys.size() - at;
        if (left < spelling.size()) {
            // The keys end inside this spelling; what follows it is free.
            if (!whole && keys.compare(at, left, spelling, 0, left) == 0) return true;
            continue;
        }
        if (keys.compare(at, spelling.size(), spelling) == 0 &&
            matches(keys, at + spelling.size(), u + 1, 0, whole)) {
            return true;
        }
    }
    return kindOf(unit) == KanaKind::sokuon && doubles(key) && u + 1 < count &&
           matches(keys, at + 1, u + 1, key, whole);
}

// One full spelling of the word, chosen from the last unit back by the bytes of choices.
std::string chooseSpelling(const uint8_t* choices, size_t size) {
    std::string spelling;
    size_t next = 0;
    for (int u = game.kanaUnitCount - 1; u >= 0; --u) {
        const KanaUnit& unit = game.kanaUnits[u];
        std::vector<std::string> options;
        for (const std::string& option : spellingsOf(unit)) {
            if (singleN(unit, option) &&
                (spelling.empty() || !takesSingleN(static_cast<unsigned char>(spelling[0])))) {
                continue;
            }
            options.push_back(option);
        }
        if (kindOf(unit) == KanaKind::sokuon && !spelling.empty() &&
            doubles(static_cast<unsigned char>(spelling[0]))) {
            options.emplace_back(1, spelling[0]);
        }
        const uint8_t choice = next < size ? choices[next++] : 0;
        spelling = options[choice % options.size()] + spelling;
    }
    return spelling;
}

// The word from pairs of bytes: a row of the table and which of its spellings, a doubled first
// letter for the piece after it, a byte as it stands, or one of the letters the table leaves.
std::string buildWord(const uint8_t* data, size_t pieces) {
    static const char* const loose[] = {"n", "-", "'", "p", "A", "1", " ", "x", "l"};
    std::vector<std::string> parts;
    std::vector<bool> doubling;
    for (size_t i = 0; i < pieces; ++i) {
        const uint8_t selector = data[2 * i];
        const uint8_t variant = data[2 * i + 1];
        doubling.push_back(selector == 254);
        if (selector < kanaRowCount()) {
            parts.emplace_back(
                kanaRow(selector).spellings[variant % listedSpellingCount(selector)]);
        } else if (selector == 255) {
            parts.emplace_back(variant != 0 ? 1 : 0, static_cast<char>(variant));
        } else if (selector == 254) {
            parts.emplace_back();
        } else {
            parts.emplace_back(loose[variant % (sizeof loose / sizeof loose[0])]);
        }
    }
    std::string word;
    for (size_t i = parts.size(); i-- > 0;) {
        if (doubling[i]) {
            if (!word.empty()) word = word[0] + word;
        } else {
            word = parts[i] + word;
        }
    }
    return word;
}

void startWord(const std::string& word) {
    std::memset(game.romajiText, 0, sizeof game.romajiText);
    std::memcpy(game.romajiText, word.data(), word.size());
    game.romajiLength = static_cast<int>(word.size());
    game.cursor = 0;
    std::memset(game.typedText, 0, 1024);
    readRomajiUnits();
    FUZZ_CHECK(game.kanaUnitCount <= game.romajiLength);
    // The word list's own spelling is always one the judge takes.
    FUZZ_CHECK(matches(word, 0, 0, 0, true));
}

// scrolled: the romaji or the typed text has lost letters from its front during this word.
void checkState(const std::string& taken, bool scrolled) {
    FUZZ_CHECK(terminatedInside(game.romajiText));
    FUZZ_CHECK(terminatedInside(game.typedText));
    FUZZ_CHECK(game.cursor >= 0 && game.cursor <= game.romajiLength);
    FUZZ_CHECK(static_cast<size_t>(game.romajiLength) == std::strlen(game.romajiText));
    FUZZ_CHECK(game.romajiCandidateCount >= 1);
    // The comment on maxRomajiCandidates: the table never needs half of them.
    FUZZ_CHECK(game.romajiCandidateCount <= maxRomajiCandidates / 2);
    // The guide is a whole spelling that begins with the keys taken.
    FUZZ_CHECK(matches(taken + (game.romajiText + game.cursor), 0, 0, 0, true));
    if (!scrolled) {
        FUZZ_CHECK(std::string(game.romajiText, static_cast<size_t>(game.cursor)) == taken);
        FUZZ_CHECK(std::string(game.typedText) == taken);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    headlessReset();
    game = GameState{};
    game.anyRomaji = 1;
    game.playing = 1;
    const uint8_t flags = data[0];
    game.powerActive = flags & 1;
    game.missGuardActive = (flags >> 1) & 1;
    const bool wholeSpelling = (flags >> 2) & 1;
    const size_t pieces = std::min<size_t>(data[1] % (maxPieces + 1), (size - 2) / 2);
    const std::string word = buildWord(data + 2, pieces);
    const uint8_t* keys = data + 2 + 2 * pieces;
    const size_t keyBytes = size - 2 - 2 * pieces;
    if (word.empty()) return 0;
    startWord(word);
    std::string taken;
    bool scrolled = false;
    checkState(taken, scrolled);

    if (wholeSpelling) {
        // Every complete key sequence the table allows completes the word at its last key.
        game.powerActive = 0;
        const std::string spelling = chooseSpelling(keys, keyBytes);
        FUZZ_CHECK(matches(spelling, 0, 0, 0, true));
        for (size_t i = 0; i < spelling.size(); ++i) {
            const int hits = game.hits;
            judgeKey(static_cast<unsigned char>(spelling[i]),
                     static_cast<unsigned char>(game.romajiText[game.cursor]));
            FUZZ_CHECK(game.hits == hits + 1);
            taken += spelling[i];
            checkState(taken, scrolled);
            FUZZ_CHECK((game.cursor == game.romajiLength) == (i + 1 == spelling.size()));
        }
        return 0;
    }

    for (size_t at = 0; at + 1 < keyBytes; at += 2) {
        const unsigned char key = keys[at];
        const uint8_t paint = keys[at + 1];
        headlessAdvance(100u * (paint >> 4));
        if (flags & 8) {
            game.scrollRomaji = paint & 1;
            game.scrollTyped = game.scrollRomaji & ((paint >> 1) & 1);
            game.scrollDisplay = (paint >> 2) & 1;
        }
        const std::string romajiBefore = game.romajiText;
        const std::string typedBefore = game.typedText;
        const int cursorBefore = game.cursor;
        const int hits = game.hits;
        const unsigned char expected = static_cast<unsigned char>(game.romajiText[game.cursor]);
        scrolled = scrolled || game.scrollRomaji == 1 || game.scrollTyped == 1;
        judgeKey(key, expected);
        const unsigned char meant = game.powerActive == 1 ? expected : key;
        const bool fitting =
            meant != 0 && matches(taken + static_cast<char>(meant), 0, 0, 0, false);
        if (game.hits == hits) {
            // A miss changes nothing of the word; Power never misses.
            FUZZ_CHECK(!fitting);
            FUZZ_CHECK(game.powerActive == 0);
            FUZZ_CHECK(romajiBefore == game.romajiText && typedBefore == game.typedText);
            FUZZ_CHECK(cursorBefore == game.cursor);
            continue;
        }
        FUZZ_CHECK(game.hits == hits + 1);
        FUZZ_CHECK(fitting);
        taken += static_cast<char>(meant);
        checkState(taken, scrolled);
        const bool complete = game.cursor == game.romajiLength;
        FUZZ_CHECK(complete == matches(taken, 0, 0, 0, true));
        if (complete) {
            // The next word: the same one again.
            game.scrollRomaji = game.scrollTyped = game.scrollDisplay = 0;
            startWord(word);
            taken.clear();
            scrolled = false;
        }
    }
    return 0;
}

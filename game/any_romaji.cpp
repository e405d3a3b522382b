// Judging of every spelling an input method accepts, with the guide following the player.
#include "game/any_romaji.h"

#include <cstring>

#include "base/game_state.h"
#include "game/hits.h"
#include "game/kana_table.h"

// The word is a sequence of kana units. The judge keeps every candidate, every way the keys
// typed so far can still become a spelling of the word, best first: the word list's own
// spelling before the others, then the table's order. Each key keeps the candidates it
// continues; the first of them decides what the guide shows from there on.
namespace {

constexpr int unitCapacity = static_cast<int>(sizeof game.kanaUnits / sizeof game.kanaUnits[0]);
constexpr int guideCapacity = static_cast<int>(sizeof game.romajiText);

bool isVowel(unsigned char c) { return c == 'a' || c == 'i' || c == 'u' || c == 'e' || c == 'o'; }

// What a single n for ん may not stand before: the input method would read n with it (n' is
// ん, so an apostrophe typed as it stands after ん needs one of its own).
bool takesSingleN(unsigned char c) { return !isVowel(c) && c != 'y' && c != 'n' && c != '\''; }

// The letters an input method reads doubled as っ: every consonant but n.
bool doubles(unsigned char c) { return c >= 'a' && c <= 'z' && !isVowel(c) && c != 'n'; }

enum class Shape {
    letters,  // the text, letter for letter
    doubled,  // っ as the next unit's first letter
    singleN,  // ん as one n before a unit that takes it
};

struct Option {
    Shape shape = Shape::letters;
    char text[maxSpellingLength + 1] = {};
    int length = 0;
};

// A unit's spellings by number: for っ first the doubled letter, then the row's own, then, for
// a two-kana row, every spelling of its first kana followed by every one of its second.
int optionCount(const KanaUnit& unit) {
    if (unit.row < 0) return 1;
    int count = listedSpellingCount(unit.row);
    if (kanaRow(unit.row).kind == KanaKind::sokuon) count += 1;
    if (baseRow(unit.row) >= 0) {
        count += listedSpellingCount(baseRow(unit.row)) * listedSpellingCount(smallRow(unit.row));
    }
    return count;
}

void append(Option& option, const char* text) {
    const size_t length = std::strlen(text);
    std::memcpy(option.text + option.length, text, length);
    option.length += static_cast<int>(length);
}

Option optionOf(const KanaUnit& unit, int number) {
    Option option;
    if (unit.row < 0) {
        option.text[0] = unit.letter;
        option.length = 1;
        return option;
    }
    const KanaRow& row = kanaRow(unit.row);
    if (row.kind == KanaKind::sokuon) {
        if (number == 0) {
            option.shape = Shape::doubled;
            return option;
        }
        number -= 1;
    }
    const int listed = listedSpellingCount(unit.row);
    if (number < listed) {
        append(option, row.spellings[number]);
        if (row.kind == KanaKind::moraicN && option.length == 1) option.shape = Shape::singleN;
        return option;
    }
    const int product = number - listed;
    const int smallCount = listedSpellingCount(smallRow(unit.row));
    append(option, kanaRow(baseRow(unit.row)).spellings[product / smallCount]);
    append(option, kanaRow(smallRow(unit.row)).spellings[product % smallCount]);
    return option;
}

// The word list's spelling first, then the others in their own order.
int optionAtRank(const KanaUnit& unit, int rank) {
    if (rank == 0) return unit.storedSpelling;
    return rank - 1 < unit.storedSpelling ? rank - 1 : rank;
}

bool canStartWithout(int unit);

// Whether the units from unit on can be typed beginning with letter.
bool canStartWith(int unit, unsigned char letter) {
    const KanaUnit& kana = game.kanaUnits[unit];
    const bool last = unit + 1 >= game.kanaUnitCount;
    for (int number = 0; number < optionCount(kana); ++number) {
        const Option option = optionOf(kana, number);
        switch (option.shape) {
            case Shape::letters:
                if (static_cast<unsigned char>(option.text[0]) == letter) return true;
                break;
            case Shape::doubled:
                if (doubles(letter) && !last && canStartWith(unit + 1, letter)) return true;
                break;
            case Shape::singleN:
                if (letter == 'n' && !last && canStartWithout(unit + 1)) return true;
                break;
        }
    }
    return false;
}

// Whether the units from unit on can be typed beginning with a letter a single n stands
// before.
bool canStartWithout(int unit) {
    const KanaUnit& kana = game.kanaUnits[unit];
    const bool last = unit + 1 >= game.kanaUnitCount;
    for (int number = 0; number < optionCount(kana); ++number) {
        const Option option = optionOf(kana, number);
        if (option.shape == Shape::letters &&
            takesSingleN(static_cast<unsigned char>(option.text[0]))) {
            return true;
        }
        if (option.shape == Shape::doubled && !last) {
            for (unsigned char c = 'a'; c <= 'z'; ++c) {
                if (doubles(c) && takesSingleN(c) && canStartWith(unit + 1, c)) return true;
            }
        }
    }
    return false;
}

// Whether letter may begin the unit a candidate stands before.
bool fitsBefore(const RomajiCandidate& candidate, unsigned char letter) {
    if (candidate.firstLetter != 0 && letter != static_cast<unsigned char>(candidate.firstLetter)) {
        return false;
    }
    return candidate.noVowelFirst == 0 || takesSingleN(letter);
}

RomajiCandidate beforeUnit(int unit) {
    RomajiCandidate candidate;
    candidate.unit = static_cast<int16_t>(unit);
    return candidate;
}

bool sameCandidate(const RomajiCandidate& a, const RomajiCandidate& b) {
    return a.unit == b.unit && a.spelling == b.spelling && a.typed == b.typed &&
           a.firstLetter == b.firstLetter && a.noVowelFirst == b.noVowelFirst;
}

struct Candidates {
    RomajiCandidate list[maxRomajiCandidates];
    int count = 0;

    // Two ways to the same place are one; the better one came first.
    void add(const RomajiCandidate& candidate) {
        for (int i = 0; i < count; ++i) {
            if (sameCandidate(list[i], candidate)) return;
        }
        if (count < maxRomajiCandidates) list[count++] = candidate;
    }
};

// Every candidate that key continues from candidate, best first. Only candidates that can
// still be completed are kept, so that a key is taken only when a spelling goes on with it.
void continueWith(const RomajiCandidate& candidate, unsigned char key, Candidates& next) {
    const int unit = candidate.unit;
    if (unit >= game.kanaUnitCount) return;
    const KanaUnit& kana = game.kanaUnits[unit];
    if (candidate.typed > 0) {
        const Option option = optionOf(kana, candidate.spelling);
        if (static_cast<unsigned char>(option.text[candidate.typed]) != key) return;
        RomajiCandidate further = candidate;
        further.typed = static_cast<int8_t>(candidate.typed + 1);
        next.add(further.typed == option.length ? beforeUnit(unit + 1) : further);
        return;
    }
    if (!fitsBefore(candidate, key)) return;
    const bool last = unit + 1 >= game.kanaUnitCount;
    for (int rank = 0; rank < optionCount(kana); ++rank) {
        const int number = optionAtRank(kana, rank);
        const Option option = optionOf(kana, number);
        switch (option.shape) {
            case Shape::letters:
                if (static_cast<unsigned char>(option.text[0]) != key) break;
                if (option.length == 1) {
                    next.add(beforeUnit(unit + 1));
                } else {
                    RomajiCandidate started = beforeUnit(unit);
                    started.spelling = static_cast<int8_t>(number);
                    started.typed = 1;
                    next.add(started);
                }
                break;
            case Shape::doubled:
                if (doubles(key) && !last && canStartWith(unit + 1, key)) {
                    RomajiCandidate doubledBefore = beforeUnit(unit + 1);
                    doubledBefore.firstLetter = static_cast<char>(key);
                    next.add(doubledBefore);
                }
                break;
            case Shape::singleN:
                if (key == 'n' && !last && canStartWithout(unit + 1)) {
                    RomajiCandidate afterN = beforeUnit(unit + 1);
                    afterN.noVowelFirst = 1;
                    next.add(afterN);
                }
                break;
        }
    }
}

// The first letter the guide shows for the units from unit on, with nothing before them to
// fit; 0 when none can be shown.
unsigned char guideFirstLetter(int unit) {
    const KanaUnit& kana = game.kanaUnits[unit];
    const bool last = unit + 1 >= game.kanaUnitCount;
    for (int rank = 0; rank < optionCount(kana); ++rank) {
        const Option option = optionOf(kana, optionAtRank(kana, rank));
        switch (option.shape) {
            case Shape::letters: return static_cast<unsigned char>(option.text[0]);
            case Shape::doubled:
                if (!last) {
                    const unsigned char c = guideFirstLetter(unit + 1);
                    if (doubles(c)) return c;
                }
                break;
            case Shape::singleN:
                if (!last && canStartWithout(unit + 1)) return 'n';
                break;
        }
    }
    return 0;
}

struct Guide {
    char text[guideCapacity] = {};
    int length = 0;

    bool add(const char* letters, int count) {
        if (length + count >= guideCapacity) return false;
        std::memcpy(text + length, letters, static_cast<size_t>(count));
        length += count;
        return true;
    }
};

// The rest of the best spelling that candidate can become, appended to guide: the rest of the
// spelling it is in, then for each unit the best spelling that fits after the one before.
// False when it does not fit.
bool writeGuide(const RomajiCandidate& candidate, Guide& guide) {
    RomajiCandidate at = candidate;
    if (at.typed > 0) {
        const Option option = optionOf(game.kanaUnits[at.unit], at.spelling);
        if (!guide.add(option.text + at.typed, option.length - at.typed)) return false;
        at = beforeUnit(at.unit + 1);
    }
    while (at.unit < game.kanaUnitCount) {
        const int unit = at.unit;
        const KanaUnit& kana = game.kanaUnits[unit];
        const bool last = unit + 1 >= game.kanaUnitCount;
        RomajiCandidate next = beforeUnit(unit + 1);
        char shown[maxSpellingLength + 1] = {};
        int shownLength = 0;
        for (int rank = 0; rank < optionCount(kana) && shownLength == 0; ++rank) {
            const Option option = optionOf(kana, optionAtRank(kana, rank));
            switch (option.shape) {
                case Shape::letters:
                    if (fitsBefore(at, static_cast<unsigned char>(option.text[0]))) {
                        std::memcpy(shown, option.text, sizeof shown);
                        shownLength = option.length;
                    }
                    break;
                case Shape::doubled: {
                    if (last) break;
                    const unsigned char c = at.firstLetter != 0
                                                ? static_cast<unsigned char>(at.firstLetter)
                                                : guideFirstLetter(unit + 1);
                    if (doubles(c) && fitsBefore(at, c) && canStartWith(unit + 1, c)) {
                        shown[0] = static_cast<char>(c);
                        shownLength = 1;
                        next.firstLetter = static_cast<char>(c);
                    }
                    break;
                }
                case Shape::singleN:
                    if (!last && fitsBefore(at, 'n') && canStartWithout(unit + 1)) {
                        shown[0] = 'n';
                        shownLength = 1;
                        next.noVowelFirst = 1;
                    }
                    break;
            }
        }
        // Every candidate kept can be completed, so some spelling always fits.
        if (shownLength == 0 || !guide.add(shown, shownLength)) return false;
        at = next;
    }
    return true;
}

// The longest spelling of the table that the word list's romaji holds at text, or -1. A
// single n is ん only with a letter after it that it can stand before; at the end of the
// romaji it stays a letter typed as it stands.
int longestSpellingAt(const char* text, int& spelling) {
    int best = -1;
    size_t bestLength = 0;
    for (int row = 0; row < kanaRowCount(); ++row) {
        const KanaRow& kana = kanaRow(row);
        for (int s = 0; s < listedSpellingCount(row); ++s) {
            const size_t length = std::strlen(kana.spellings[s]);
            if (length <= bestLength || std::strncmp(text, kana.spellings[s], length) != 0) {
                continue;
            }
            if (kana.kind == KanaKind::moraicN && length == 1 &&
                (text[1] == '\0' || !takesSingleN(static_cast<unsigned char>(text[1])))) {
                continue;
            }
            best = row;
            bestLength = length;
            spelling = s;
        }
    }
    return best;
}

}  // namespace

int readKanaUnits(const char* text, size_t length, KanaUnit* units, int capacity, int* starts) {
    const int sokuonRow = rowOfSpelling("xtu");
    int count = 0;
    size_t at = 0;
    while (at < length && count < capacity) {
        KanaUnit unit;
        int spelling = 0;
        const size_t start = at;
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (doubles(c) && at + 1 < length && text[at + 1] == text[at] &&
            longestSpellingAt(text + at + 1, spelling) >= 0) {
            // A doubled consonant before a kana is っ: the word list's way to write it.
            unit.row = static_cast<int16_t>(sokuonRow);
            unit.storedSpelling = 0;
            at += 1;
        } else if (const int row = longestSpellingAt(text + at, spelling); row >= 0) {
            unit.row = static_cast<int16_t>(row);
            const bool sokuon = kanaRow(row).kind == KanaKind::sokuon;
            unit.storedSpelling = static_cast<int8_t>(sokuon ? spelling + 1 : spelling);
            at += std::strlen(kanaRow(row).spellings[spelling]);
        } else {
            unit.letter = text[at];
            at += 1;
        }
        if (starts) starts[count] = static_cast<int>(start);
        units[count++] = unit;
    }
    return count;
}

void readRomajiUnits() {
    const char* text = game.romajiText;
    const void* end = std::memchr(text, '\0', sizeof game.romajiText);
    const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - text) : 0;
    game.kanaUnitCount = readKanaUnits(text, length, game.kanaUnits, unitCapacity);
    game.romajiCandidates[0] = beforeUnit(0);
    game.romajiCandidateCount = 1;
}

bool takeAnyRomajiKey(unsigned char typed) {
    Candidates next;
    for (int i = 0; i < game.romajiCandidateCount; ++i) {
        continueWith(game.romajiCandidates[i], typed, next);
    }
    if (next.count == 0) return false;

    // A finished spelling ends the word at once, whatever longer ones the keys could begin.
    int chosen = 0;
    for (int i = 0; i < next.count; ++i) {
        if (next.list[i].unit == game.kanaUnitCount) {
            chosen = i;
            break;
        }
    }
    Guide guide;
    const char key = static_cast<char>(typed);
    if (!guide.add(&key, 1) || !writeGuide(next.list[chosen], guide)) return false;
    // A guide that would not fit the romaji's array: the key cannot be shown, so it is not
    // taken. Only a word near the array's size typed with longer spellings gets here.
    if (game.cursor + guide.length >= guideCapacity) return false;

    std::memcpy(game.romajiText + game.cursor, guide.text, static_cast<size_t>(guide.length));
    game.romajiText[game.cursor + guide.length] = '\0';
    game.romajiLength = game.cursor + guide.length;
    std::memcpy(game.romajiCandidates, next.list, sizeof next.list);
    game.romajiCandidateCount = next.count;
    acceptKey(typed);
    return true;
}

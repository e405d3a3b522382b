// The romaji table of a Japanese input method: every spelling it turns into each kana.
#pragma once

#include <cstdint>
#include <string_view>

enum class KanaKind : uint8_t {
    plain,
    // っ: also a doubled first consonant of the next kana.
    sokuon,
    // ん: its one-letter spelling only before a kana that does not begin with a vowel, y or n.
    moraicN,
};

constexpr int maxListedSpellings = 4;
// The longest spelling, a two-kana row's two spellings one after the other included.
constexpr int maxSpellingLength = 7;

struct KanaRow {
    // The spellings in the order the guide prefers them, the word list's own first; nullptr
    // after the last.
    const char* spellings[maxListedSpellings] = {};
    KanaKind kind = KanaKind::plain;
    // A kana with a small second kana (きゃ) is also typed as its two kana one after the
    // other (ki + xya); these name the two rows by their first spellings.
    const char* base = nullptr;
    const char* small = nullptr;
};

int kanaRowCount();
const KanaRow& kanaRow(int row);
// The row's kana as code page 932 bytes (one or two characters).
const char* kanaOfRow(int row);
// How many spellings the row lists.
int listedSpellingCount(int row);
// The rows a two-kana row is typed as, or -1 for both.
int baseRow(int row);
int smallRow(int row);
// The row that lists spelling, or -1.
int rowOfSpelling(std::string_view spelling);

// The word draw of a practice game: words with the favoured kana come up more often.
#pragma once

// The most a word weighs: one with no favoured kana weighs 1.
constexpr int practiceMaxWeight = 10;

// A word's weight from the favoured kana (game.practiceKana) its romaji holds, up to the line
// end: 1, and 3 more for each.
int practiceWordWeight(const char* romaji);
// Game state: as pickWord. The draw of a practice game.
bool pickPracticeWord();

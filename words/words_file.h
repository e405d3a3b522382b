// The word list, Date\Words.txt: opening it, indexing its three sections, drawing a word. The
// list is code page 932; one a player's editor saved as UTF-8 or UTF-16, or with lines ended
// by CR alone, is read as the same list (words_text.h).
#pragma once

#include <cstdio>

// Opens the word list into game.wordsFile. When it cannot be opened, shows "Words.txtが開けません"
// (caption "Error") over game.mainWindow, leaves wordsFile null and returns false; in a
// working folder too long for its path nothing more is shown (start-up has said so).
bool openWordsFile();

// Closes game.wordsFile if it is open and clears it; a stream never opened is left alone.
void closeWordsFile();

// Called at each game start: counts the records of the word list and notes the header lines
// (last occurrence wins). Returns true when the section of game.difficulty holds a word that
// can be drawn; otherwise exactly one message has been shown (the file cannot be opened, or
// "Words.txtの[EASY]に単語がありません" for the section), or none for a working folder too long
// for the path, and false is returned. Lines of a marked list that break its encoding are
// named once in a message of their own, the first time they are found.
bool indexWordSections();

// The scan of indexWordSections over any stream, from its current position, showing nothing:
// sets game.wordsLineCount, the header lines found and the bad lines, and returns whether the
// section of game.difficulty holds a word that can be drawn.
bool indexWordStream(std::FILE* file);

// Draws a word of the current section from game.wordsFile, just opened, and splits it into
// game.displayText and game.romajiText, setting game.romajiLength. Records that are not words
// are drawn again from the same generator. Returns false, with the section's message, only
// when no word could be drawn; with no open stream it returns false and reads nothing.
bool pickWord();

// As pickWord, but a word drawn is kept only when a further draw modulo maxWeight falls below
// weightOf(its romaji, up to the line end), so that words are drawn in proportion to their
// weights (1 to maxWeight). After many refusals the plain pickWord draws.
bool pickWeightedWord(int (*weightOf)(const char* romaji), int maxWeight);

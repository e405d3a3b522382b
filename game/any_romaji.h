// Judging of every spelling an input method accepts, with the guide following the player.
#pragma once

#include <cstddef>

struct KanaUnit;

// Game state: kanaUnits, kanaUnitCount, romajiCandidates, romajiCandidateCount; reads
// romajiText. Reads the word's romaji, as the word list stores it, into kana units once, and
// starts the judge before the first of them.
void readRomajiUnits();

// Game state: romajiCandidates, romajiText and romajiLength from the cursor on, and, through
// acceptKey, everything a hit changes. A key that continues a spelling of the word is taken:
// the guide from the cursor on becomes the spelling the keys so far have chosen, then the key
// goes through acceptKey. Returns false, with nothing changed, for a key that fits no
// spelling.
bool takeAnyRomajiKey(unsigned char typed);

// Reads length bytes of romaji, as the word list stores it, into at most capacity kana units;
// where starts is given, starts[u] is the offset of unit u's first letter. Returns the count.
int readKanaUnits(const char* text, size_t length, KanaUnit* units, int capacity,
                  int* starts = nullptr);

// Judging of every spelling an input method accepts, with the guide following the player.
#pragma once

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

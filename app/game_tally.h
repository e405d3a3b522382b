// What a game's history record counts, watched message by message: keys, misses by the
// letter and the kana expected, words typed through, the best combo, the time played.
#pragma once

#include <cstdint>

#include "records/history_record.h"

// A new game's counts begin.
void tallyReset();
// Game state: reads the word, cursor and hits. Around every message the game handles, with
// the time since Start that it came at.
void tallyBefore(uint32_t message, uintptr_t wParam, uint32_t elapsedMs);
void tallyAfter();
// The counts into the record's fields (not score or hits: they are the game's own).
void tallyInto(HistoryRecord& record);

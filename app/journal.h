// The journal of the game being played, and the history record it becomes at game over.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "records/journal.h"

// What a paint may change in the game state: the scroll flags the balloons set and the place
// of the combo number.
struct PaintWrites {
    int scrollDisplay = 0;
    int scrollRomaji = 0;
    int scrollTyped = 0;
    int comboShifted10 = 0;
    int comboShifted100 = 0;
    int comboLabelX = 0;
    bool operator==(const PaintWrites&) const = default;
};
// Game state: reads or writes the fields of PaintWrites.
PaintWrites paintWrites();
void restorePaintWrites(const PaintWrites& writes);

// Game.ini [OPTIONS] History=Off keeps no game. Read at window creation.
void loadHistoryOption();

// Game state: reads what decides whether a journal runs. Around every message the window
// procedure hands to the game: Start from idle begins a journal, and while one runs each
// message that can change the game is kept with the clock readings it made. True when this
// one is kept, with the time since Start in elapsedMs.
bool journalBefore(uint32_t message, uintptr_t wParam, uint32_t& elapsedMs);
void journalAfter(bool kept);
// After a paint: what it changed in the game state is kept as an event of its own.
void journalPaint(const PaintWrites& before);
// The practice command chose its kana: they belong to the journal's start.
void journalPracticeChosen();
// Game over: the journal and the game's counts become a record of the history file.
void journalGameOver();

// Game state: the fields of a journal's start, taken from the game and put back.
void captureJournalStart(JournalStart& start);
void applyJournalStart(const JournalStart& start);
// The word list's bytes hashed as a journal keeps them; 0 when it cannot be read.
uint64_t wordListHash();

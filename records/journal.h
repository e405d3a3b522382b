// The journal of one game: where it started from and every message that changed it, with the
// clock readings each one made, so that the same portable code plays it again exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Every field the rules read that a game inherits from the one before it (or from the
// window's creation), as it stood when Start was chosen.
struct JournalStart {
    int countdownState = 1;
    int countdownValue = 3;
    int playing = 0;
    int rankingShown = 0;
    int difficulty = 0;
    int quotaBase = 11;
    int wordsToRefill = 11;
    int round = 0;
    double timeGauge = 531.0;
    int itemHeld[5] = {1, 1, 1, 1, 1};
    int timeStopActive = 0;
    int missGuardActive = 0;
    int powerActive = 0;
    int timeStopTicks = 0;
    int missGuardTicks = 0;
    int powerTicks = 0;
    int combo = 0;
    int maxCombo = 0;
    int score = 0;
    int hits = 0;
    uint32_t lastHitTime = 0;
    int comboLabelX = 520;
    int comboLabelY = 280;
    int comboShifted10 = 0;
    int comboShifted100 = 0;
    int wordsLineCount = 0;
    int easyLine = 0;
    int normalLine = 0;
    int hardLine = 0;
    int anyRomaji = 0;
    uint32_t randomState = 1;
    std::string comboLabel;      // code page 932, as shown
    std::string countdownLabel;  // code page 932, as shown
    // The word list the game read, by its bytes: a replay needs the same list.
    uint64_t wordsHash = 0;
    // A practice game's favoured kana, code page 932, each followed by a space.
    int practice = 0;
    std::string practiceKana;
};

enum class JournalKind : uint8_t {
    gaugeTick,      // timer 1
    countdownTick,  // timer 0
    character,      // value: the byte typed
    key,            // value: the virtual-key code (F1 to F6)
    command,        // value: the menu command
    paint,          // value: the paint's flags (JournalPaint), labelX: the combo number's x
};

// What a paint left in the game state, as bits of a paint event's value.
enum : uint32_t {
    paintScrollDisplay = 1,
    paintScrollRomaji = 2,
    paintScrollTyped = 4,
    paintComboShifted10 = 8,
    paintComboShifted100 = 16,
};

struct JournalEvent {
    JournalKind kind = JournalKind::gaugeTick;
    uint32_t elapsedMs = 0;  // since Start, for the pace of a replay
    uint32_t value = 0;
    int32_t labelX = 0;
    uint8_t msReads = 0;        // millisecond clock readings made while it was handled
    uint8_t calendarReads = 0;  // calendar readings
};

struct Journal {
    JournalStart start;
    uint32_t startClockMs = 0;  // the millisecond clock at Start: readings are near it + elapsed
    std::vector<JournalEvent> events;
    // The readings of all events in order; each event takes as many as it counts.
    std::vector<uint32_t> msReadings;
    std::vector<int64_t> calendarReadings;
};

// The journal as compact bytes: the start, then each event as a delta from the one before.
std::string encodeJournal(const Journal& journal);
// False, with journal unspecified, for bytes that are no whole journal of this version.
bool decodeJournal(std::string_view bytes, Journal& journal);

// A 64-bit hash of bytes (FNV-1a), for the word list a journal was made with.
uint64_t hashBytes(std::string_view bytes);

// Taking the journal: Start from idle to game over, every message that changes the game, and
// every reading of the clocks the rules made while handling it.
#include "app/journal.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/entry.h"
#include "app/game_tally.h"
#include "app/menu.h"
#include "base/crt_random.h"
#include "base/data_path.h"
#include "base/game_clock.h"
#include "base/game_state.h"
#include "base/profile_file.h"
#include "records/history_file.h"

namespace {

struct Recorder {
    bool historyOff = false;
    bool on = false;
    Journal journal;
    int inexact = 0;
    // Indexes of the events being handled, innermost last: a message box's loop may deliver
    // messages while another is handled.
    std::vector<size_t> handling;
};

Recorder recorder;

// An inexact journal: the game is kept, but its replay would not be the same game.
enum : int { nestedMessage = 1, strayReading = 2, wordListChanged = 4 };

void watchMs(uint32_t value) {
    if (recorder.handling.empty()) {
        recorder.inexact |= strayReading;
        return;
    }
    recorder.journal.msReadings.push_back(value);
    recorder.journal.events[recorder.handling.back()].msReads += 1;
}

void watchCalendar(int64_t value) {
    if (recorder.handling.empty()) {
        recorder.inexact |= strayReading;
        return;
    }
    recorder.journal.calendarReadings.push_back(value);
    recorder.journal.events[recorder.handling.back()].calendarReads += 1;
}

const ClockTap watchingTap = {watchMs, watchCalendar, nullptr, nullptr};

uint32_t sinceStart() { return systemTimeMs() - recorder.journal.startClockMs; }

// The message as an event, or false when it changes nothing a replay needs.
bool eventOf(uint32_t message, uintptr_t wParam, JournalEvent& event) {
    switch (message) {
        case msgTimer: {
            const unsigned timer = static_cast<unsigned>(wParam & 0xFFFF);
            if (timer == 1) event.kind = JournalKind::gaugeTick;
            if (timer == 0) event.kind = JournalKind::countdownTick;
            return timer == 0 || timer == 1;
        }
        case msgChar:
            event.kind = JournalKind::character;
            event.value = static_cast<uint32_t>(wParam & 0xFF);
            return game.playing == 1;
        case msgKeyDown: {
            const unsigned key = static_cast<unsigned>(wParam & 0xFFFF);
            event.kind = JournalKind::key;
            event.value = key;
            return key >= keyF1 && key <= keyF6;
        }
        case msgCommand: {
            const unsigned command = static_cast<unsigned>(wParam & 0xFFFF);
            event.kind = JournalKind::command;
            event.value = command;
            // Exit closes the window, and the game with it: there is nothing to keep.
            return command != cmdExit;
        }
        default: return false;
    }
}

void begin() {
    recorder.on = true;
    recorder.inexact = 0;
    recorder.handling.clear();
    recorder.journal = Journal{};
    recorder.journal.startClockMs = systemTimeMs();
    captureJournalStart(recorder.journal.start);
    tallyReset();
    setClockTap(&watchingTap);
}

void stop() {
    recorder.on = false;
    recorder.handling.clear();
    setClockTap(nullptr);
}

bool isStartFromIdle(uint32_t message, uintptr_t wParam) {
    const unsigned command = static_cast<unsigned>(wParam & 0xFFFF);
    return message == msgCommand && (command == cmdStart || command == cmdPractice) &&
           game.playing == 0 && game.countdownState != 0;
}

std::string fileBytes(const char* relativePath) {
    std::string bytes;
    char path[dataPathSize];
    if (!resolveDataPath(path, relativePath)) return bytes;
    std::FILE* file = openDataFile(path, "rb");
    if (!file) return bytes;
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

}  // namespace

PaintWrites paintWrites() {
    return {game.scrollDisplay,  game.scrollRomaji,    game.scrollTyped,
            game.comboShifted10, game.comboShifted100, game.comboLabelX};
}

void restorePaintWrites(const PaintWrites& writes) {
    game.scrollDisplay = writes.scrollDisplay;
    game.scrollRomaji = writes.scrollRomaji;
    game.scrollTyped = writes.scrollTyped;
    game.comboShifted10 = writes.comboShifted10;
    game.comboShifted100 = writes.comboShifted100;
    game.comboLabelX = writes.comboLabelX;
}

void loadHistoryOption() {
    char path[dataPathSize];
    resolveDataPath(path, "\\Date\\Game.ini");
    char value[16];
    getProfileString("OPTIONS", "History", "On", value, sizeof value, path);
    recorder.historyOff = (value[0] == 'O' || value[0] == 'o') &&
                          (value[1] == 'F' || value[1] == 'f') &&
                          (value[2] == 'F' || value[2] == 'f') && value[3] == '\0';
}

bool journalBefore(uint32_t message, uintptr_t wParam, uint32_t& elapsedMs) {
    elapsedMs = 0;
    if (recorder.historyOff) return false;
    if (isStartFromIdle(message, wParam)) begin();
    JournalEvent event;
    if (!recorder.on || !eventOf(message, wParam, event)) return false;
    // A message box's loop delivered it while another was handled: a replay, which gives
    // one message at a time, could not do the same.
    if (!recorder.handling.empty()) recorder.inexact |= nestedMessage;
    event.elapsedMs = sinceStart();
    elapsedMs = event.elapsedMs;
    recorder.journal.events.push_back(event);
    recorder.handling.push_back(recorder.journal.events.size() - 1);
    return true;
}

void journalAfter(bool kept) {
    if (!recorder.on) return;
    if (kept && !recorder.handling.empty()) recorder.handling.pop_back();
    // Called off before it began (no word list): back to idle with nothing to keep.
    if (recorder.handling.empty() && game.playing == 0 && game.countdownState == 1) stop();
}

void journalPaint(const PaintWrites& before) {
    if (!recorder.on) return;
    const PaintWrites after = paintWrites();
    if (after == before) return;
    JournalEvent event;
    event.kind = JournalKind::paint;
    event.elapsedMs = sinceStart();
    event.value = (after.scrollDisplay == 1 ? uint32_t{paintScrollDisplay} : 0u) |
                  (after.scrollRomaji == 1 ? uint32_t{paintScrollRomaji} : 0u) |
                  (after.scrollTyped == 1 ? uint32_t{paintScrollTyped} : 0u) |
                  (after.comboShifted10 == 1 ? uint32_t{paintComboShifted10} : 0u) |
                  (after.comboShifted100 == 1 ? uint32_t{paintComboShifted100} : 0u);
    event.labelX = after.comboLabelX;
    recorder.journal.events.push_back(event);
}

void journalPracticeChosen() {
    if (!recorder.on) return;
    JournalStart chosen;
    captureJournalStart(chosen);
    recorder.journal.start.practiceKana = chosen.practiceKana;
}

void journalGameOver() {
    if (!recorder.on) return;
    HistoryRecord record;
    record.time = calendarTimeSeconds();
    record.difficulty = game.difficulty;
    record.score = game.score;
    record.hits = game.hits;
    record.practice = game.practice;
    tallyInto(record);
    if (wordListHash() != recorder.journal.start.wordsHash) recorder.inexact |= wordListChanged;
    record.inexact = recorder.inexact;
    record.journal = encodeJournal(recorder.journal);
    stop();
    // A working folder too long for the data paths was named at start-up, once.
    if (workingFolderTooLong(longestDataPath)) return;
    submitHistoryRecord(record);
}

void captureJournalStart(JournalStart& s) {
    s.countdownState = game.countdownState;
    s.countdownValue = game.countdownValue;
    s.playing = game.playing;
    s.rankingShown = game.rankingShown;
    s.difficulty = game.difficulty;
    s.quotaBase = game.quotaBase;
    s.wordsToRefill = game.wordsToRefill;
    s.round = game.round;
    s.timeGauge = game.timeGauge;
    std::memcpy(s.itemHeld, game.itemHeld, sizeof s.itemHeld);
    s.timeStopActive = game.timeStopActive;
    s.missGuardActive = game.missGuardActive;
    s.powerActive = game.powerActive;
    s.timeStopTicks = game.timeStopTicks;
    s.missGuardTicks = game.missGuardTicks;
    s.powerTicks = game.powerTicks;
    s.combo = game.combo;
    s.maxCombo = game.maxCombo;
    s.score = game.score;
    s.hits = game.hits;
    s.lastHitTime = game.lastHitTime.ms;
    s.comboLabelX = game.comboLabelX;
    s.comboLabelY = game.comboLabelY;
    s.comboShifted10 = game.comboShifted10;
    s.comboShifted100 = game.comboShifted100;
    s.wordsLineCount = game.wordsLineCount;
    s.easyLine = game.easyLine;
    s.normalLine = game.normalLine;
    s.hardLine = game.hardLine;
    s.anyRomaji = game.anyRomaji;
    s.randomState = crtState();
    s.comboLabel = game.comboLabel;
    s.countdownLabel = game.countdownLabel;
    s.wordsHash = wordListHash();
    s.practice = game.practice;
    s.practiceKana.clear();
    for (int i = 0; i < game.practiceKanaCount && i < 10; ++i) {
        s.practiceKana += game.practiceKana[i];
        s.practiceKana += ' ';
    }
}

void applyJournalStart(const JournalStart& s) {
    game.countdownState = s.countdownState;
    game.countdownValue = s.countdownValue;
    game.playing = s.playing;
    game.rankingShown = s.rankingShown;
    game.difficulty = s.difficulty;
    game.quotaBase = s.quotaBase;
    game.wordsToRefill = s.wordsToRefill;
    game.round = s.round;
    game.timeGauge = s.timeGauge;
    std::memcpy(game.itemHeld, s.itemHeld, sizeof s.itemHeld);
    game.timeStopActive = s.timeStopActive;
    game.missGuardActive = s.missGuardActive;
    game.powerActive = s.powerActive;
    game.timeStopTicks = s.timeStopTicks;
    game.missGuardTicks = s.missGuardTicks;
    game.powerTicks = s.powerTicks;
    game.combo = s.combo;
    game.maxCombo = s.maxCombo;
    game.score = s.score;
    game.hits = s.hits;
    game.lastHitTime.ms = s.lastHitTime;
    game.comboLabelX = s.comboLabelX;
    game.comboLabelY = s.comboLabelY;
    game.comboShifted10 = s.comboShifted10;
    game.comboShifted100 = s.comboShifted100;
    game.wordsLineCount = s.wordsLineCount;
    game.easyLine = s.easyLine;
    game.normalLine = s.normalLine;
    game.hardLine = s.hardLine;
    game.anyRomaji = s.anyRomaji;
    crtSetState(s.randomState);
    std::snprintf(game.comboLabel, sizeof game.comboLabel, "%s", s.comboLabel.c_str());
    std::snprintf(game.countdownLabel, sizeof game.countdownLabel, "%s", s.countdownLabel.c_str());
    game.practice = s.practice;
    std::memset(game.practiceKana, 0, sizeof game.practiceKana);
    game.practiceKanaCount = 0;
    for (size_t at = 0; at < s.practiceKana.size() && game.practiceKanaCount < 10;) {
        size_t space = s.practiceKana.find(' ', at);
        if (space == std::string::npos) space = s.practiceKana.size();
        std::snprintf(game.practiceKana[game.practiceKanaCount++], sizeof game.practiceKana[0],
                      "%.*s", static_cast<int>(space - at), s.practiceKana.c_str() + at);
        at = space + 1;
    }
}

uint64_t wordListHash() {
    const std::string bytes = fileBytes("\\Date\\Words.txt");
    return bytes.empty() ? 0 : hashBytes(bytes);
}

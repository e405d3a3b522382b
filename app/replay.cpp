// Replays: the journal's messages handed to the game again, with its clock readings, from
// the state the game started in; the player's own game is put back afterwards.
#include "app/replay.h"

#include <vector>

#include "app/game_tally.h"
#include "app/journal.h"
#include "app/menu.h"
#include "app/window_procedure.h"
#include "base/game_clock.h"
#include "base/game_state.h"
#include "base/texts.h"
#include "records/history_file.h"

namespace {

enum : unsigned { countdownTimer = 0, gaugeTimer = 1, repaintTimer = 2, escapeKey = 0x1B };

struct Replayer {
    bool active = false;
    bool paced = false;  // in the window, at the pace the game was played
    bool feeding = false;
    bool abortAsked = false;
    Journal journal;
    size_t next = 0;
    size_t ms = 0;
    size_t calendar = 0;
    int msLeft = 0;
    int calendarLeft = 0;
    uint32_t startedAt = 0;
    bool gameOver = false;
    bool overEarly = false;
    bool consistent = true;
    ReplayOutcome outcome;
    GameState saved;
};

Replayer replayer;

bool answerMs(uint32_t& value) {
    if (replayer.msLeft <= 0 || replayer.ms >= replayer.journal.msReadings.size()) {
        replayer.consistent = false;
        return false;
    }
    value = replayer.journal.msReadings[replayer.ms++];
    replayer.msLeft -= 1;
    return true;
}

bool answerCalendar(int64_t& value) {
    if (replayer.calendarLeft <= 0 ||
        replayer.calendar >= replayer.journal.calendarReadings.size()) {
        replayer.consistent = false;
        return false;
    }
    value = replayer.journal.calendarReadings[replayer.calendar++];
    replayer.calendarLeft -= 1;
    return true;
}

const ClockTap answeringTap = {nullptr, nullptr, answerMs, answerCalendar};

// Game state: everything but what the window's creation and the platform made, which stays
// as it is now.
void putBack(const GameState& saved) {
    const GameState now = game;
    game = saved;
    game.layout = now.layout;
    game.backBuffer = now.backBuffer;
    game.imgMainBack = now.imgMainBack;
    game.imgRankingBack = now.imgRankingBack;
    game.imgTime = now.imgTime;
    game.imgFrame = now.imgFrame;
    game.imgItemBox = now.imgItemBox;
    game.imgTimeStop = now.imgTimeStop;
    game.imgBomb = now.imgBomb;
    game.imgHalf = now.imgHalf;
    game.imgMiss = now.imgMiss;
    game.imgPower = now.imgPower;
    game.instance = now.instance;
    game.mainWindow = now.mainWindow;
    game.memoryDC = now.memoryDC;
    game.font = now.font;
    game.wordsFile = now.wordsFile;
    // Writes waiting for their lock went on during the replay, and stand as they are now.
    game.keptWrites = now.keptWrites;
    game.keptWritesRetrying = now.keptWritesRetrying;
    game.keptWritesBusySinceMs = now.keptWritesBusySinceMs;
    game.lockedWriteNoticeOpen = now.lockedWriteNoticeOpen;
    game.refusedLockFile = now.refusedLockFile;
    game.refusedLockFileShown = now.refusedLockFileShown;
}

// Game state: the start of the journal, as the game stood when its Start was chosen.
void begin(const Journal& journal, bool paced) {
    replayer.saved = game;
    replayer.journal = journal;
    replayer.active = true;
    replayer.paced = paced;
    replayer.feeding = false;
    replayer.abortAsked = false;
    replayer.next = 0;
    replayer.ms = 0;
    replayer.calendar = 0;
    replayer.gameOver = false;
    replayer.overEarly = false;
    replayer.consistent = true;
    replayer.outcome = ReplayOutcome{};
    applyJournalStart(journal.start);
    // Idle, as every game starts: the texts of the game before are gone.
    game.displayText[0] = '\0';
    game.romajiText[0] = '\0';
    game.typedText[0] = '\0';
    game.unranked = 1;
    // Chosen from the records screen, the replay is shown on the game's own screens.
    game.recordsShown = 0;
    tallyReset();
    setClockTap(&answeringTap);
    replayer.startedAt = systemTimeMs();
}

void finish(WindowHandle window, bool aborted) {
    killTimer(window, replayTimer);
    killTimer(window, countdownTimer);
    killTimer(window, gaugeTimer);
    if (aborted) stopAllSound();
    setClockTap(nullptr);
    putBack(replayer.saved);
    replayer.active = false;
    if (replayer.paced) invalidateWindow(window);
}

// Game state: whatever the event's message changes, with the readings it made then.
void feed(WindowHandle window, const JournalEvent& event) {
    replayer.msLeft = event.msReads;
    replayer.calendarLeft = event.calendarReads;
    if (event.kind == JournalKind::paint) {
        restorePaintWrites(
            {(event.value & paintScrollDisplay) ? 1 : 0, (event.value & paintScrollRomaji) ? 1 : 0,
             (event.value & paintScrollTyped) ? 1 : 0, (event.value & paintComboShifted10) ? 1 : 0,
             (event.value & paintComboShifted100) ? 1 : 0, event.labelX});
    } else {
        uint32_t message = msgTimer;
        uintptr_t wParam = event.value;
        switch (event.kind) {
            case JournalKind::gaugeTick: wParam = gaugeTimer; break;
            case JournalKind::countdownTick: wParam = countdownTimer; break;
            case JournalKind::character: message = msgChar; break;
            case JournalKind::key: message = msgKeyDown; break;
            case JournalKind::command: message = msgCommand; break;
            case JournalKind::paint: break;
        }
        if (replayer.gameOver) replayer.overEarly = true;
        replayer.feeding = true;
        tallyBefore(message, wParam, event.elapsedMs);
        handleGameMessage(window, message, wParam, 0);
        tallyAfter();
        replayer.feeding = false;
    }
    // Readings the journal holds but the rules did not ask for: not the same game.
    if (replayer.msLeft != 0 || replayer.calendarLeft != 0) replayer.consistent = false;
    replayer.ms += static_cast<size_t>(replayer.msLeft > 0 ? replayer.msLeft : 0);
    replayer.calendar += static_cast<size_t>(replayer.calendarLeft > 0 ? replayer.calendarLeft : 0);
}

// The events that are due, then the timer set for the next one.
void replayTick(WindowHandle window) {
    if (replayer.feeding) return;
    const std::vector<JournalEvent>& events = replayer.journal.events;
    const uint32_t now = systemTimeMs() - replayer.startedAt;
    while (replayer.active && replayer.next < events.size() &&
           events[replayer.next].elapsedMs <= now) {
        feed(window, events[replayer.next++]);
        if (replayer.abortAsked) {
            finish(window, true);
            return;
        }
    }
    if (!replayer.active) return;
    if (replayer.next >= events.size()) {
        finish(window, false);
        return;
    }
    const uint32_t wait = events[replayer.next].elapsedMs - now;
    setTimer(window, replayTimer, wait > 0 ? wait : 1);
}

// The game set its gauge timer before its repaint timer, so a tick of both in the same
// millisecond came to the gauge first: a gauge tick due now is handed over before a repaint.
void feedGaugeTicksDue(WindowHandle window) {
    if (replayer.feeding) return;
    const std::vector<JournalEvent>& events = replayer.journal.events;
    const uint32_t now = systemTimeMs() - replayer.startedAt;
    while (replayer.active && replayer.next + 1 < events.size() &&
           events[replayer.next].kind == JournalKind::gaugeTick &&
           events[replayer.next].elapsedMs == now) {
        feed(window, events[replayer.next++]);
    }
}

// The kept game that a menu command asks for: the last, or the best ranked one of the
// difficulty chosen (the first of equal scores).
bool findRecord(bool best, HistoryRecord& found) {
    HistoryContents contents;
    readHistory(contents, true);
    const HistoryRecord* chosen = nullptr;
    for (const HistoryRecord& record : contents.records) {
        if (!best) {
            chosen = &record;
        } else if (record.practice == 0 && record.difficulty == game.difficulty &&
                   (!chosen || record.score > chosen->score)) {
            chosen = &record;
        }
    }
    if (!chosen) return false;
    found = *chosen;
    return true;
}

void replayRecord(WindowHandle window, bool best) {
    // Only from idle: a countdown or a game would be lost under it.
    if (replayer.active || game.playing == 1 || game.countdownState == 0) return;
    HistoryRecord record;
    if (!findRecord(best, record)) {
        showMessageBox(window, textReplayNone, textReplayCaption);
        return;
    }
    Journal journal;
    if (record.inexact != 0 || !decodeJournal(record.journal, journal)) {
        showMessageBox(window, textReplayInexact, textReplayCaption);
        return;
    }
    if (!startReplay(window, journal)) {
        showMessageBox(window, textReplayOtherWords, textReplayCaption);
    }
}

}  // namespace

void replayLastGame(WindowHandle window) { replayRecord(window, false); }
void replayBestGame(WindowHandle window) { replayRecord(window, true); }

bool startReplay(WindowHandle window, const Journal& journal) {
    if (wordListHash() != journal.start.wordsHash) return false;
    begin(journal, true);
    // No paint of its own: the game's first messages ask for them as they did when it was
    // played.
    replayTick(window);
    return true;
}

bool replayRunning() { return replayer.active; }
bool replayShown() { return replayer.active && replayer.paced; }

bool replayTakesMessage(WindowHandle window, uint32_t message, uintptr_t wParam) {
    if (!replayer.active || !replayer.paced) return false;
    switch (message) {
        case msgTimer: {
            const unsigned timer = static_cast<unsigned>(wParam & 0xFFFF);
            if (timer == replayTimer) replayTick(window);
            if (timer == repaintTimer) feedGaugeTicksDue(window);
            return timer == replayTimer || timer == countdownTimer || timer == gaugeTimer;
        }
        case msgChar:
        case msgKeyDown:
        case msgCommand: {
            const bool escape =
                message == msgChar ? (wParam & 0xFF) == 27 : (wParam & 0xFFFF) == escapeKey;
            const bool ends = message == msgCommand || escape;
            if (!ends) return true;
            // Inside the replayed game's own message box, the end waits until it is closed.
            if (replayer.feeding) {
                replayer.abortAsked = true;
            } else {
                finish(window, true);
            }
            if (message == msgCommand && (wParam & 0xFFFF) == cmdExit) postCloseMessage(window);
            return true;
        }
        default: return false;
    }
}

void replayGameOver() {
    replayer.gameOver = true;
    replayer.outcome.score = game.score;
    replayer.outcome.hits = game.hits;
}

ReplayOutcome verifyJournal(WindowHandle window, const Journal& journal) {
    ReplayOutcome outcome;
    if (wordListHash() != journal.start.wordsHash) {
        outcome.sameWords = false;
        return outcome;
    }
    begin(journal, false);
    for (const JournalEvent& event : replayer.journal.events) feed(window, event);
    outcome = replayer.outcome;
    HistoryRecord counts;
    tallyInto(counts);
    outcome.bestCombo = counts.bestCombo;
    outcome.misses = counts.misses;
    outcome.words = counts.words;
    outcome.keys = counts.keys;
    outcome.gameOver = replayer.gameOver && !replayer.overEarly;
    outcome.consistent = replayer.consistent;
    finish(window, false);
    return outcome;
}

// Writes to the data files under their lock: made now, or kept, tried again and told of.
#include "base/locked_write.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "base/game_state.h"
#include "base/texts.h"
#include "platform/platform.h"

namespace {

constexpr unsigned retryTimer = 3;
// Another copy's write takes milliseconds; a slow disk or a suspended copy may take longer.
constexpr unsigned retryPeriodMs = 200;
constexpr uint32_t giveUpAfterMs = 60000;
// Closing the window waits this long at most for a lock another copy holds.
constexpr unsigned closeWaitMs = 5000;

// Game state: keptWritesRetrying, keptWritesBusySinceMs. The timer runs only while a write
// waits for a lock, so that a game with a free lock sets and kills nothing.
void startRetrying() {
    game.keptWritesBusySinceMs = systemTimeMs();
    game.keptWritesRetrying = 1;
    setTimer(game.mainWindow, retryTimer, retryPeriodMs);
}

void stopRetrying() {
    if (game.keptWritesRetrying == 0) return;
    game.keptWritesRetrying = 0;
    killTimer(game.mainWindow, retryTimer);
}

// The name of the file a resolved path ends in; the game's own file names are plain ASCII.
std::string fileNameOf(const std::string& resolvedPath) {
    size_t separator = resolvedPath.find_last_of("\\/");
    return separator == std::string::npos ? resolvedPath : resolvedPath.substr(separator + 1);
}

// Game state: keptWrites, refusedLockFile. Tries the kept writes in order, each under its
// lock, waiting up to waitMs for it; those written go. At a lock another copy holds it stops,
// and the writes after it keep their turn: returns true.
bool attemptKeptWrites(unsigned waitMs) {
    auto& kept = game.keptWrites;
    for (size_t i = 0; i < kept.size();) {
        LockedWrite& write = kept[i];
        LockAttempt attempt;
        FileLock lock = lockDataFile(write.lockPath.c_str(), waitMs, attempt);
        if (attempt.lockFileRefused && game.refusedLockFile.empty()) {
            game.refusedLockFile = fileNameOf(write.lockPath) + ".lock";
        }
        if (!lock && attempt.busy) {
            write.outcome = WriteOutcome::lockBusy;
            return true;
        }
        const WriteOutcome outcome = lock ? write.apply() : WriteOutcome::noLock;
        unlockDataFile(lock);
        if (outcome == WriteOutcome::written) {
            kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        write.outcome = outcome;
        ++i;
    }
    return false;
}

// Adds line to text on a line of its own, unless it is there already: two scores kept for
// the same reason make one line.
void addLine(std::string& text, const char* line) {
    if (text.find(line) != std::string::npos) return;
    if (!text.empty()) text += '\n';
    text += line;
}

std::string keptLine(const LockedWrite& write) {
    const char* format = write.outcome == WriteOutcome::lockBusy       ? textKeptBusyFormat
                         : write.outcome == WriteOutcome::fileUnusable ? textKeptUnusableFormat
                         : write.outcome == WriteOutcome::noLock       ? textKeptNoLockFormat
                                                                       : textKeptNotWrittenFormat;
    char line[1024];
    std::snprintf(line, sizeof line, format, write.fileName, write.what, write.what);
    return line;
}

// Game state: lockedWriteNoticeOpen. A retry tick inside the box must not open another.
void showNotice(const std::string& text) {
    game.lockedWriteNoticeOpen = 1;
    showMessageBox(game.mainWindow, text.c_str(), textErrorCaption);
    game.lockedWriteNoticeOpen = 0;
}

// Game state: refusedLockFileShown, the kept writes' told. One box for all the player has not
// heard yet; writes waiting for a lock only when includeWaiting says they are given up.
void tellPlayer(bool includeWaiting) {
    std::string text;
    if (!game.refusedLockFile.empty() && game.refusedLockFileShown == 0) {
        game.refusedLockFileShown = 1;
        char line[512];
        std::snprintf(line, sizeof line, textLockFileRefusedFormat, game.refusedLockFile.c_str());
        addLine(text, line);
    }
    for (LockedWrite& write : game.keptWrites) {
        if (write.told == 1 || (!includeWaiting && write.outcome == WriteOutcome::lockBusy)) {
            continue;
        }
        write.told = 1;
        addLine(text, keptLine(write).c_str());
    }
    if (!text.empty()) showNotice(text);
}

}  // namespace

void submitLockedWrite(LockedWrite write) {
    write.outcome = WriteOutcome::lockBusy;
    write.told = 0;
    game.keptWrites.push_back(std::move(write));
    if (attemptKeptWrites(0)) {
        startRetrying();
    } else {
        stopRetrying();
    }
}

void retryLockedWrites() {
    if (game.keptWritesRetrying == 0 || game.lockedWriteNoticeOpen == 1) return;
    const bool waiting = attemptKeptWrites(0);
    if (waiting && systemTimeMs() - game.keptWritesBusySinceMs < giveUpAfterMs) return;
    // Through, or given up until the next game over: the player hears what is not saved.
    stopRetrying();
    tellPlayer(true);
}

void showLockedWriteNotices() { tellPlayer(false); }

void flushLockedWrites() {
    stopRetrying();
    if (game.keptWrites.empty()) return;
    attemptKeptWrites(closeWaitMs);
    std::string text;
    for (const LockedWrite& write : game.keptWrites) {
        char line[512];
        std::snprintf(line, sizeof line, textLostAtCloseFormat, write.fileName, write.what);
        addLine(text, line);
    }
    game.keptWrites.clear();
    if (!text.empty()) showNotice(text);
}

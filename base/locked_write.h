// Writes to the data files that need the data files' lock: made at once when the lock is free,
// kept in memory and tried again when it is not or the write failed, and told to the player
// once when they could not be made.
//
// A file's writer fills a LockedWrite and hands it to submitLockedWrite; insertRanking
// (ranking/ranking_file.cpp) does it for the scores. For example, a record appended to a file
// of the data folder under the ranking's lock:
//
//     LockedWrite write;
//     write.lockPath = rankingPath;       // resolved: one lock for every file the game writes
//     write.fileName = "History.txt";     // the file the player is told about
//     write.what = textWhatRecord;        // what the player would lose (base/texts.h)
//     write.apply = [path = std::string(historyPath), record] {
//         // With the lock held: read, change and write the file, and say how it went.
//         return appendDataFile(path.c_str(), record.data(), record.size())
//                    ? WriteOutcome::written
//                    : WriteOutcome::notWritten;
//     };
//     submitLockedWrite(std::move(write));
//
// apply captures by value all it needs: it may run much later (from timer 3, at the next game
// over or at window close), when the game state has moved on. It must keep the file as it was
// when it returns anything but written. The rest is done here and by those who call the
// procedures below: the window procedure (timer 3 and window close) and gameOver (the notices,
// once its result box is closed). Nothing is shown from inside submitLockedWrite, so a writer
// may call it where a message box's nested loop would be unsafe (while playing is still 1).
#pragma once

#include <functional>
#include <string>

enum class WriteOutcome {
    written,       // the change is on disk, or nothing needed changing
    notWritten,    // the file could not be written (full disk, I/O error, read-only): as it was
    fileUnusable,  // the file is not one the game can change (too large, unreadable): left alone
    lockBusy,      // another copy of the game held the lock (set here, never by apply)
    noLock,        // no lock can be had in the file's folder (set here, never by apply)
};

struct LockedWrite {
    std::string lockPath;                 // resolved path of the file whose lock is taken
    const char* fileName = "";            // the file the player is told about
    const char* what = "";                // what is lost when it is not written (code page 932)
    std::function<WriteOutcome()> apply;  // the change, made with the lock held
    WriteOutcome outcome = WriteOutcome::lockBusy;  // why it is still kept (set here)
    int told = 0;                                   // the player has heard that it is not saved
};

// Game state: keptWrites and the retry. Adds write after those kept from before and tries them
// all, in order, without waiting. A lock another copy holds starts timer 3 (and only that
// does); any other failure keeps the write for the next submit or the window's close.
void submitLockedWrite(LockedWrite write);

// Timer 3: tries the kept writes again. Once they are through, or after a minute of a lock
// held elsewhere, the timer stops and the player hears of what is not saved.
void retryLockedWrites();

// Game over, once its result box is closed: tells the player, in one box, of the writes that
// failed and of a lock file in the way. Writes still waiting for a lock are told of when they
// are given up.
void showLockedWriteNotices();

// Window close: one last try, waiting a few seconds at most for the lock; what is still not
// written is named to the player as lost.
void flushLockedWrites();

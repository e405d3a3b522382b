// The history file, Date\History.txt: every finished game, oldest first, appended at game
// over under the ranking's lock and kept within its caps.
#pragma once

#include <cstddef>
#include <string>

#include "base/locked_write.h"
#include "records/history_record.h"

// Past either cap the oldest records go, by one rewrite of the whole file.
constexpr int maxHistoryRecords = 2000;
constexpr size_t maxHistoryBytes = size_t{32} << 20;

// The records of the file (at most its last maxHistoryBytes: older bytes count as one damaged
// record); without journals when they are not wanted. A missing file is an empty history.
// False when the file is there but cannot be read.
bool readHistory(HistoryContents& contents, bool journals);

// With the data files' lock held: adds the record's text at the end, on a line of its own
// whatever the last record left, dropping the oldest records by one rewrite when a cap would
// be passed. The file stays as it was unless written.
WriteOutcome addHistoryRecord(const std::string& recordText);

// At game over: the record goes to the file under the ranking's lock, now or, when the lock is
// busy or the disk refuses it, later (base/locked_write.h).
void submitHistoryRecord(const HistoryRecord& record);

// What tells one state of the file from another without reading it: its size and last bytes
// (the last record's checksum). Empty when the file is missing.
std::string historySignature();
// The file's path as resolveDataPath makes it, for a watch; false when it cannot be made.
bool resolveHistoryPath(char* path);

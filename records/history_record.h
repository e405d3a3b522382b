// One finished game as the history file keeps it: what a player reads, then the journal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How often a letter of the romaji was typed right and missed where it was expected.
struct LetterTally {
    char letter = 0;
    int hits = 0;
    int misses = 0;
};

// How often a kana was typed through and missed.
struct KanaTally {
    std::string kana;  // code page 932
    int typed = 0;
    int misses = 0;
};

struct HistoryRecord {
    int64_t time = 0;  // calendar seconds when the game ended
    int difficulty = 0;
    int practice = 0;  // 1: a practice game, never ranked
    int score = 0;
    int bestCombo = 0;  // the best combo of this game alone
    int hits = 0;
    int misses = 0;
    int words = 0;  // words typed to their end
    int keys = 0;   // characters typed while the game ran
    int durationMs = 0;
    std::vector<LetterTally> letters;
    std::vector<KanaTally> kana;
    // 0: the journal plays the game again exactly; otherwise why not.
    int inexact = 0;
    std::string journal;  // encodeJournal's bytes
};

// The record as lines of UTF-8 text, "game" first and "end" with the checksum of all the
// lines before it last.
std::string formatHistoryRecord(const HistoryRecord& record);

// The records of a history file's text, oldest first. Lines that belong to no whole record,
// and records whose checksum or fields do not hold, are passed over and counted.
struct HistoryContents {
    std::vector<HistoryRecord> records;
    int damaged = 0;
};
// Without journals, each record's journal is left empty (the summaries are read faster).
void parseHistory(std::string_view text, HistoryContents& contents, bool journals = true);

// The byte offsets where each whole record of text begins and ends, for a rewrite that keeps
// the newest ones as they were written.
struct RecordSpan {
    size_t begin = 0;
    size_t end = 0;
};
std::vector<RecordSpan> historyRecordSpans(std::string_view text);

// CRC-32 (the one of zip and PNG) of bytes.
uint32_t crc32Of(std::string_view bytes);

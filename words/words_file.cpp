// The word list: open, index and draw, over GameState's word fields.
#include "words/words_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "base/crt_random.h"
#include "base/data_path.h"
#include "base/game_state.h"
#include "base/texts.h"
#include "platform/platform.h"
#include "words/record_reader.h"
#include "words/words_text.h"

namespace {

const char wordsPath[] = "\\Date\\Words.txt";

// The generator never yields more than 32767, so later records can never be drawn.
constexpr int drawableRecords = 32768;

// Every value of the generator comes up again within 637159 draws, from any state (counted
// over its whole period of 2^32). A pick may need that twice, once for a first draw that
// falls on a line that is not a word and once for a word, so a section that holds a drawable
// word always yields one inside this bound. It only stops a word list that changed under us.
constexpr int maxDraws = 1 << 21;

// The records that can be drawn lie strictly between after and upper.
struct Section {
    int after;
    int upper;
};

Section currentSection() {
    if (game.difficulty == Easy) return {game.easyLine, game.normalLine};
    if (game.difficulty == Normal) return {game.normalLine, game.hardLine};
    return {game.hardLine, game.wordsLineCount};
}

// First and last record a draw can land on; empty when first > last.
int64_t firstCandidate(Section s) { return std::max<int64_t>(int64_t{s.after} + 1, 0); }
int64_t lastCandidate(Section s) {
    return std::min<int64_t>(int64_t{s.upper} - 1, drawableRecords - 1);
}

// Which of the drawable records are words.
struct WordMap {
    uint8_t bits[drawableRecords / 8] = {};
    void mark(int r) { bits[r / 8] = static_cast<uint8_t>(bits[r / 8] | (1u << (r % 8))); }
    bool test(int r) const { return (bits[r / 8] >> (r % 8)) & 1u; }
    bool anyIn(Section s) const {
        for (int64_t r = firstCandidate(s); r <= lastCandidate(s); ++r) {
            if (test(static_cast<int>(r))) return true;
        }
        return false;
    }
};

// A word has a comma and something to type after it. The record is taken as a C string, as
// the split takes it: a NUL byte ends it.
bool isWordRecord(const char* record) {
    const char* comma = std::strchr(record, ',');
    return comma && comma[1] != '\0' && comma[1] != '\n';
}

bool beginsWith(const char* record, size_t length, const char* header) {
    size_t headerLength = std::strlen(header);
    return length >= headerLength && std::memcmp(record, header, headerLength) == 0;
}

void showSectionEmpty() {
    const char* text = game.difficulty == Easy     ? textWordsEmptyEasy
                       : game.difficulty == Normal ? textWordsEmptyNormal
                                                   : textWordsEmptyHard;
    showMessageBox(game.mainWindow, text, textErrorCaption);
}

// The records of the word list from the stream's position: from the stream itself, or from
// its text made code page 932 when an editor saved it otherwise.
struct WordRecords {
    std::string converted;
    BadWordLines bad;
    bool fromText;
    RecordReader reader;
    explicit WordRecords(std::FILE* file)
        : fromText(convertedWordsText(file, converted, bad)),
          reader(fromText ? RecordReader(std::string_view(converted)) : RecordReader(file)) {}
};

// One draw by rejection into the section, or -1 once the draws are used up.
int drawInSection(Section s, int& draws) {
    while (draws < maxDraws) {
        ++draws;
        int r = crtRand() % s.upper;
        if (r > s.after && r < s.upper) return r;
    }
    return -1;
}

// Reads records from the stream's start until record r has been read into record; the ones
// before it are only passed over.
bool readUpTo(std::FILE* file, int r, char (&record)[recordBufferSize]) {
    WordRecords records(file);
    RecordReader& reader = records.reader;
    for (int n = 0; n < r; ++n) {
        if (!reader.skip()) return false;
    }
    return reader.next(record) != 0;
}

void mapWords(std::FILE* file, Section s, WordMap& map) {
    WordRecords records(file);
    RecordReader& reader = records.reader;
    char record[recordBufferSize] = {};
    int64_t last = lastCandidate(s);
    for (int r = 0; r <= last && reader.next(record) != 0; ++r) {
        if (r > s.after && isWordRecord(record)) map.mark(r);
    }
}

// Display text before the first comma, romaji after it up to the line feed.
void splitWord(const char* record) {
    game.parseIndex = 0;
    while (record[game.parseIndex] != ',') {
        game.displayText[game.parseIndex] = record[game.parseIndex];
        ++game.parseIndex;
    }
    game.displayText[game.parseIndex] = '\0';
    ++game.parseIndex;
    int length = 0;
    while (record[game.parseIndex] != '\n' && record[game.parseIndex] != '\0') {
        game.romajiText[length++] = record[game.parseIndex++];
    }
    game.romajiText[length] = '\0';
    game.romajiLength = length;
}

}  // namespace

// Game state: wordsFile; reads mainWindow, the owner of its message.
bool openWordsFile() {
    char path[dataPathSize];
    const bool resolved = resolveDataPath(path, wordsPath);
    game.wordsFile = openDataFile(path, "rb");
    if (!game.wordsFile) {
        // A folder too long for the path was reported at start-up; that the file cannot be
        // opened would name the wrong cause.
        if (resolved || !workingFolderTooLong(wordsPath)) {
            showMessageBox(game.mainWindow, textWordsCannotOpen, textErrorCaption);
        }
        return false;
    }
    return true;
}

void closeWordsFile() {
    if (!game.wordsFile) return;
    std::fclose(game.wordsFile);
    game.wordsFile = nullptr;
}

// Game state: wordsLineCount, the three header lines, the bad lines; reads difficulty.
bool indexWordStream(std::FILE* file) {
    bool foundEasy = false, foundNormal = false, foundHard = false;
    // Sections are known only at the end (a header may come again), so note every record
    // that could be drawn and is a word.
    WordMap words;
    WordRecords records(file);
    RecordReader& reader = records.reader;
    char record[recordBufferSize] = {};
    game.wordsLineCount = 0;
    game.wordsBadLineCount = records.bad.count;
    game.wordsFirstBadLine = records.bad.first;
    while (size_t length = reader.next(record)) {
        int r = game.wordsLineCount;
        // Each test on its own: a record is checked against all three headers.
        if (beginsWith(record, length, "[EASY]")) {
            game.easyLine = r;
            foundEasy = true;
        }
        if (beginsWith(record, length, "[NORMAL]")) {
            game.normalLine = r;
            foundNormal = true;
        }
        if (beginsWith(record, length, "[HARD]")) {
            game.hardLine = r;
            foundHard = true;
        }
        if (r < drawableRecords && isWordRecord(record)) words.mark(r);
        if (game.wordsLineCount < std::numeric_limits<int>::max()) ++game.wordsLineCount;
    }
    // A header missing from this file keeps its old line, which must not pass for a section.
    bool bounded = game.difficulty == Easy     ? foundEasy && foundNormal
                   : game.difficulty == Normal ? foundNormal && foundHard
                                               : foundHard;
    return bounded && words.anyIn(currentSection());
}

// Game state: wordsBadLinesShown; reads mainWindow, the owner of the messages.
bool indexWordSections() {
    if (!openWordsFile()) return false;
    bool drawable = indexWordStream(game.wordsFile);
    closeWordsFile();
    // Once, and before a section found empty because of them: the player sees why.
    if (game.wordsBadLineCount > 0 && game.wordsBadLinesShown == 0) {
        game.wordsBadLinesShown = 1;
        char text[256];
        std::snprintf(text, sizeof text, textWordsBadLinesFormat, game.wordsBadLineCount,
                      game.wordsFirstBadLine);
        showMessageBox(game.mainWindow, text, textErrorCaption);
    }
    if (!drawable) showSectionEmpty();
    return drawable;
}

// Draws refused before the plain draw takes over: a section with no favoured word at all
// refuses nine in ten.
constexpr int maxWeightedTries = 64;

// Game state: as pickWord.
bool pickWeightedWord(int (*weightOf)(const char* romaji), int maxWeight) {
    if (!game.wordsFile || maxWeight < 1) return false;
    const Section s = currentSection();
    char record[recordBufferSize] = {};
    int draws = 0;
    for (int tries = 0; firstCandidate(s) <= lastCandidate(s) && tries < maxWeightedTries;
         ++tries) {
        const int r = drawInSection(s, draws);
        if (r < 0) break;
        std::rewind(game.wordsFile);
        if (!readUpTo(game.wordsFile, r, record) || !isWordRecord(record)) continue;
        if (crtRand() % maxWeight < weightOf(std::strchr(record, ',') + 1)) {
            splitWord(record);
            return true;
        }
    }
    std::rewind(game.wordsFile);
    return pickWord();
}

// Game state: reads wordsFile, difficulty and the index; writes displayText, romajiText,
// romajiLength.
bool pickWord() {
    if (!game.wordsFile) return false;
    Section s = currentSection();
    if (firstCandidate(s) > lastCandidate(s)) {
        showSectionEmpty();
        return false;
    }
    char record[recordBufferSize] = {};
    int draws = 0;
    int r = drawInSection(s, draws);
    if (r >= 0 && readUpTo(game.wordsFile, r, record) && isWordRecord(record)) {
        splitWord(record);
        return true;
    }
    // The record drawn is not a word, or the file has lost it since indexing: note which
    // records are words and go on drawing from the same sequence until one of them comes up.
    WordMap words;
    std::rewind(game.wordsFile);
    mapWords(game.wordsFile, s, words);
    if (words.anyIn(s)) {
        while ((r = drawInSection(s, draws)) >= 0) {
            if (!words.test(r)) continue;
            std::rewind(game.wordsFile);
            if (readUpTo(game.wordsFile, r, record) && isWordRecord(record)) {
                splitWord(record);
                return true;
            }
            break;
        }
    }
    showSectionEmpty();
    return false;
}

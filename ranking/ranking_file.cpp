// The top-five tables: read for the ranking screen, updated at game over.
#include "ranking/ranking_file.h"

#include <climits>
#include <cstdio>
#include <string>
#include <utility>

#include "base/data_path.h"
#include "base/game_state.h"
#include "base/locked_write.h"
#include "base/profile_file.h"
#include "base/texts.h"
#include "platform/platform.h"

namespace {

// The folder is spelled in lower case here; paths match it to Date without regard to case.
const char rankingPath[] = "\\date\\RankingDate.ini";
const char rankingFileName[] = "RankingDate.ini";
const char* const rankKeys[5] = {"1", "2", "3", "4", "5"};
constexpr size_t entrySize = sizeof game.rankingText[0];

const char* sectionOf(int difficulty) {
    if (difficulty == Easy) return "EASY";
    if (difficulty == Normal) return "NORMAL";
    return "HARD";
}

// The entry's leading number as atoi reads it: blanks skipped, an optional sign, the digits up
// to the first other byte; 0 without digits. Too large a number stops at the int limit, as
// the Windows runtime's atoi does.
int entryNumber(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    long long number = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        number = number * 10 + (*text - '0');
        if (number > INT_MAX) return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -number : number);
}

// One read serves all five keys, and stops once they are found: the ranking screen reads the
// file at every paint. False when the file cannot be used (too large, unreadable); its
// entries are then empty.
bool readTable(const char* path, int difficulty, char* const (&entries)[5]) {
    return readProfileStrings(sectionOf(difficulty), rankKeys, 5, entries, entrySize, path);
}

// Game state: writes rankingText, the table as it was. Enters score into the table of
// difficulty with the lock held; a file that cannot be used or written is left as it is.
WriteOutcome enterScore(const std::string& path, int difficulty, int score) {
    auto& old = game.rankingText;
    if (!readTable(path.c_str(), difficulty, {old[0], old[1], old[2], old[3], old[4]})) {
        return WriteOutcome::fileUnusable;
    }
    char newEntry[16];
    std::snprintf(newEntry, sizeof newEntry, "%d", score);
    for (int rank = 0; rank < 5; ++rank) {
        // An equal score does not take the place; it is compared with the next entry.
        if (score <= entryNumber(old[rank])) continue;
        ProfileEntry changed[5];
        int count = 0;
        changed[count++] = {rankKeys[rank], newEntry};
        // Entries below move down as the text read, whatever it holds.
        for (int below = rank + 1; below < 5; ++below) {
            changed[count++] = {rankKeys[below], old[below - 1]};
        }
        const bool written =
            writeProfileStrings(sectionOf(difficulty), changed, count, path.c_str());
        return written ? WriteOutcome::written : WriteOutcome::notWritten;
    }
    return WriteOutcome::written;
}

}  // namespace

bool resolveRankingPath(char* path) { return resolveDataPath(path, rankingPath); }

void readRanking(char* rank1, char* rank2, char* rank3, char* rank4, char* rank5) {
    char path[dataPathSize];
    resolveRankingPath(path);
    readTable(path, game.difficulty, {rank1, rank2, rank3, rank4, rank5});
}

// Game state: reads difficulty; rankingText through the write, now or later.
void insertRanking(int score) {
    char path[dataPathSize];
    // A working folder too long for the path was named to the player at start-up.
    if (!resolveRankingPath(path)) return;
    // Another copy of the game may end its game at the same moment: the table compared must
    // be the one replaced, or one of the two scores is lost. So the entry is made under the
    // lock, and kept for later while another copy holds it.
    LockedWrite write;
    write.lockPath = path;
    write.fileName = rankingFileName;
    write.what = textWhatScore;
    write.apply = [path = std::string(path), difficulty = game.difficulty, score] {
        return enterScore(path, difficulty, score);
    };
    submitLockedWrite(std::move(write));
}

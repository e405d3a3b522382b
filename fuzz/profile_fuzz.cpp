// Profile files: any bytes as Date\Game.ini and Date\RankingDate.ini, through every read the
// game makes (the layout, the three ranking tables), then one score entered. The tables read
// back afterwards must be exactly the table before with the score put in its place, and
// everything else in the file must read as it did.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/data_path.h"
#include "base/game_state.h"
#include "base/profile_file.h"
#include "fuzz/fuzz_support.h"
#include "ranking/ranking_file.h"
#include "render/game_screen.h"

namespace {

const char* const layoutKeys[8] = {"NPosX", "NPosY", "APosX", "APosY",
                                   "TPosX", "TPosY", "IPosX", "IPosY"};

struct Table {
    char entry[5][80];
};

Table readTable(int difficulty) {
    game.difficulty = difficulty;
    Table table;
    std::memset(&table, 0x55, sizeof table);  // so that a missing terminator shows
    readRanking(table.entry[0], table.entry[1], table.entry[2], table.entry[3], table.entry[4]);
    for (const auto& entry : table.entry) FUZZ_CHECK(terminatedInside(entry));
    return table;
}

// Equal tables; when they differ, both go to stderr so that a finding explains itself.
bool sameTable(const Table& a, const Table& b) {
    bool same = true;
    for (int k = 0; k < 5; ++k) same = same && std::strcmp(a.entry[k], b.entry[k]) == 0;
    for (int k = 0; k < 5 && !same; ++k) {
        std::fprintf(stderr, "rank %d: read \"%s\", expected \"%s\"\n", k + 1, a.entry[k],
                     b.entry[k]);
    }
    return same;
}

// The leading number as atoi reads it, held at the int limits.
int leadingNumber(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    long long number = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        number = std::min(number * 10 + (*text - '0'), 1LL << 40);
    number = negative ? -number : number;
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, number)));
}

// The table after score is entered: the first entry it beats gives up its place.
Table withScore(const Table& before, int score) {
    Table after = before;
    for (int rank = 0; rank < 5; ++rank) {
        if (score <= leadingNumber(before.entry[rank])) continue;
        std::snprintf(after.entry[rank], sizeof after.entry[rank], "%d", score);
        for (int below = rank + 1; below < 5; ++below) {
            std::memcpy(after.entry[below], before.entry[below - 1], sizeof after.entry[below]);
        }
        break;
    }
    return after;
}

void readLayoutKeys(const char* path, int (&values)[8]) {
    for (int k = 0; k < 8; ++k) {
        values[k] = getProfileInt("POSS", layoutKeys[k], 0, path);
        // A key read as a number gives that number whatever the default; only a missing key
        // gives the default.
        int other = getProfileInt("POSS", layoutKeys[k], 77, path);
        FUZZ_CHECK(other == values[k] || (values[k] == 0 && other == 77));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzWorkingDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InFuzzDirectory inside;
    headlessReset();
    game = GameState{};
    writeFuzzFile("Date/Game.ini", data, size);
    writeFuzzFile("Date/RankingDate.ini", data, size);
    char gamePath[dataPathSize];
    char rankingPath[dataPathSize];
    FUZZ_CHECK(resolveDataPath(gamePath, "\\Date\\Game.ini"));
    FUZZ_CHECK(resolveDataPath(rankingPath, "\\date\\RankingDate.ini"));

    // What the game reads: the layout once at start-up, a table at every ranking paint.
    loadLayout();
    int layoutBefore[8];
    readLayoutKeys(rankingPath, layoutBefore);
    Table before[3];
    for (int d = 0; d < 3; ++d) before[d] = readTable(d);

    // A score just above, equal to or just below an entry of the table, so that every rank
    // and the equal case are reached.
    const int difficulty = static_cast<int>(size % 3);
    const int target = leadingNumber(before[difficulty].entry[size / 3 % 5]);
    const int step = static_cast<int>(size / 15 % 3) - 1;
    const int score = target == INT_MAX && step > 0   ? target
                      : target == INT_MIN && step < 0 ? target
                                                      : target + step;
    game.difficulty = difficulty;
    insertRanking(score);
    for (int k = 0; k < 5; ++k) {
        FUZZ_CHECK(std::strcmp(game.rankingText[k], before[difficulty].entry[k]) == 0);
    }

    const Table expected = withScore(before[difficulty], score);
    for (int d = 0; d < 3; ++d) {
        FUZZ_CHECK(sameTable(readTable(d), d == difficulty ? expected : before[d]));
    }
    int layoutAfter[8];
    readLayoutKeys(rankingPath, layoutAfter);
    FUZZ_CHECK(std::memcmp(layoutBefore, layoutAfter, sizeof layoutBefore) == 0);
    return 0;
}

// What the records screen shows, as plain numbers: filled from the history, drawn by render/.
#pragma once

#include <cstdint>

constexpr int chartGames = 50;
constexpr int weakKanaShown = 10;
// The keys of the keyboard picture: a to z, then '-'.
constexpr int keyboardKeys = 27;
// Fewer attempts than this say nothing about a kana.
constexpr int weakKanaMinAttempts = 5;

struct ChartGame {
    int score = 0;
    int keysPerSecond100 = 0;  // keys per second times 100
    int accuracy10 = 0;        // per cent times 10
    int practice = 0;
};

struct WeakKana {
    char kana[8] = {};  // code page 932, one or two characters
    int ratePercent = 0;
};

struct RecordsFigures {
    int difficulty = 0;
    int gamesKept = 0;  // of the difficulty
    int damaged = 0;    // records of the file passed over
    int chartCount = 0;
    ChartGame chart[chartGames];  // oldest first, the last chartCount kept games
    int bestIndex = -1;           // the best score of the chart
    char firstDate[16] = {};      // of chart[0] and of the last game, as YYYY-MM-DD
    char lastDate[16] = {};
    int keyHits[keyboardKeys] = {};
    int keyMisses[keyboardKeys] = {};
    int weakCount = 0;
    WeakKana weak[weakKanaShown];  // the most misses per attempt first
};

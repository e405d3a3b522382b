// GameState: the one process-wide record of every game variable, reached directly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/dib_image.h"
#include "base/locked_write.h"
#include "platform/platform.h"

enum ItemKind { TimeStop = 0, Bomb = 1, Half = 2, Miss = 3, Power = 4, itemKindCount = 5 };

enum Difficulty { Easy = 0, Normal = 1, Hard = 2 };

// The eight positions of Game.ini, named as the file names them.
struct Layout {
    int32_t NPosX = 0;
    int32_t NPosY = 0;
    int32_t APosX = 0;
    int32_t APosY = 0;
    int32_t TPosX = 0;
    int32_t TPosY = 0;
    int32_t IPosX = 0;
    int32_t IPosY = 0;
};

// Where the combo number stands until a combo of 10 or 100 moves it left.
constexpr int comboLabelHomeX = 520;
constexpr int comboLabelHomeY = 280;

// A millisecond time stamp; its type is set to timeMs once at start-up.
enum : uint32_t { timeMs = 1 };
struct MmTime {
    uint32_t type = 0;
    uint32_t ms = 0;
};

// One kana of the current word as the Any-romaji judge reads it: a row of the romaji table,
// or a byte that can only be typed as it stands.
struct KanaUnit {
    int16_t row = -1;           // -1: the byte letter, typed as it stands
    int8_t storedSpelling = 0;  // which spelling of the row the word list wrote
    char letter = 0;
};

// One way the keys typed so far can still become a spelling of the word: partway through a
// spelling of a unit, or before a unit with what its first letter must be.
struct RomajiCandidate {
    int16_t unit = 0;
    int8_t spelling = 0;
    int8_t typed = 0;         // letters of that spelling typed; 0 before the unit
    char firstLetter = 0;     // before the unit after a doubled letter: that letter
    int8_t noVowelFirst = 0;  // before the unit after a single n: no vowel, y or n first
};

// The judge keeps at most this many candidates; the table never needs half of them.
constexpr int maxRomajiCandidates = 64;

struct GameState {
    // Play and difficulty
    int countdownState = 1;  // 1 idle, 0 counting down, 2 running
    int countdownValue = 3;
    int playing = 0;
    int rankingShown = 0;
    int recordsShown = 0;  // 1: the records screen is shown instead of the others
    int difficulty = Easy;
    int quotaEasy = 11;
    int quotaNormal = 16;
    int quotaHard = 21;
    int quotaBase = 11;
    int wordsToRefill = 11;
    int round = 0;
    double timeGauge = 531.0;

    // Items and their effects
    int itemHeld[itemKindCount] = {1, 1, 1, 1, 1};
    int timeStopActive = 0;
    int missGuardActive = 0;
    int powerActive = 0;
    int timeStopTicks = 0;
    int missGuardTicks = 0;
    int powerTicks = 0;

    // The current word
    char displayText[1024] = {};
    char romajiText[1024] = {};
    char typedText[2048] = {};
    int cursor = 0;
    int romajiLength = 0;
    int scrollDisplay = 0;
    int scrollRomaji = 0;
    int scrollTyped = 0;
    std::FILE* wordsFile = nullptr;
    int wordsLineCount = 0;
    int easyLine = 0;
    int normalLine = 0;
    int hardLine = 0;
    int parseIndex = 0;
    int wordsBadLineCount = 0;  // lines of a marked list that break its encoding, last index
    int wordsFirstBadLine = 0;  // the first of them, counted from 1
    int wordsBadLinesShown = 0;

    // Judging of every spelling an input method accepts (Game.ini [OPTIONS] Romaji=Any)
    int anyRomaji = 0;
    KanaUnit kanaUnits[1024];
    int kanaUnitCount = 0;
    RomajiCandidate romajiCandidates[maxRomajiCandidates];
    int romajiCandidateCount = 0;

    // Scoring
    int combo = 0;
    int maxCombo = 0;
    int score = 0;
    int hits = 0;
    MmTime lastHitTime;
    int comboLabelX = comboLabelHomeX;
    int comboLabelY = comboLabelHomeY;
    int comboShifted10 = 0;
    int comboShifted100 = 0;

    // Texts for the screen and the result
    char countdownLabel[500] = {};
    char refillLabel[500] = {};
    char scoreLabel[500] = {};
    char comboLabel[500] = {};
    char resultText[500] = {};
    char rankingText[5][80] = {};
    int unranked = 0;  // 1: this game's score goes to no table (a replay)

    // Writes of the data files waiting for their lock or for a disk that takes them
    std::vector<LockedWrite> keptWrites;
    int keptWritesRetrying = 0;          // timer 3 runs
    uint32_t keptWritesBusySinceMs = 0;  // when the retries began
    int lockedWriteNoticeOpen = 0;       // a box about them is open: retries wait for it
    std::string refusedLockFile;         // the lock file found in the way, to be named
    int refusedLockFileShown = 0;
    // A practice game: ranked nowhere, its words drawn to favour the kana below (code page
    // 932, the weakest of the history when it was chosen).
    int practice = 0;
    char practiceKana[10][8] = {};
    int practiceKanaCount = 0;

    // Layout, images and platform objects
    Layout layout;
    DibImage backBuffer;
    DibImage imgMainBack;
    DibImage imgRankingBack;
    DibImage imgTime;
    DibImage imgFrame;
    DibImage imgItemBox;
    DibImage imgTimeStop;
    DibImage imgBomb;
    DibImage imgHalf;
    DibImage imgMiss;
    DibImage imgPower;
    char windowClassName[8] = "Keyfall";
    InstanceHandle instance = nullptr;
    WindowHandle mainWindow = nullptr;
    DeviceContext memoryDC = nullptr;
    FontHandle font = nullptr;
};

extern GameState game;

// Called by game over first, while the game's score and counts still stand: where the game is
// kept in the history. Null: nothing is kept.
extern void (*gameOverHook)();

// The menu MYMENU, described once; each backend builds its native menu from this table.
#pragma once

#include "app/menu_commands.h"

enum MenuCommand : unsigned {
    cmdStart = KEYFALL_CMD_START,
    cmdExit = KEYFALL_CMD_EXIT,
    cmdNormal = KEYFALL_CMD_NORMAL,
    cmdHard = KEYFALL_CMD_HARD,
    cmdRanking = KEYFALL_CMD_RANKING,
    cmdGameScreen = KEYFALL_CMD_GAME_SCREEN,
    cmdEasy = KEYFALL_CMD_EASY,
    cmdReplayLast = KEYFALL_CMD_REPLAY_LAST,
    cmdReplayBest = KEYFALL_CMD_REPLAY_BEST,
    cmdRecords = KEYFALL_CMD_RECORDS,
    cmdPractice = KEYFALL_CMD_PRACTICE,
};

enum class MenuEntryKind { popupBegin, item, popupEnd };

// One row of the menu in resource order: a pop-up opens with popupBegin (its label) and
// closes with popupEnd; items carry their command, and checkable ones may show a check mark.
// Labels are code page 932, '&' marks the mnemonic as in the resource.
struct MenuEntry {
    MenuEntryKind kind;
    const char* label;
    unsigned command;
    bool checkable;
};

extern const MenuEntry menuEntries[];
extern const int menuEntryCount;

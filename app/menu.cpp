// MYMENU: labels and command ids exactly as the resource stores them.
#include "app/menu.h"

#include "base/texts.h"

const MenuEntry menuEntries[] = {
    {MenuEntryKind::popupBegin, textMenuGame, 0, false},
    {MenuEntryKind::popupBegin, textMenuDifficulty, 0, false},
    {MenuEntryKind::item, textMenuEasy, cmdEasy, true},
    {MenuEntryKind::item, textMenuNormal, cmdNormal, true},
    {MenuEntryKind::item, textMenuHard, cmdHard, true},
    {MenuEntryKind::popupEnd, nullptr, 0, false},
    {MenuEntryKind::item, textMenuStart, cmdStart, false},
    {MenuEntryKind::item, textMenuPractice, cmdPractice, false},
    {MenuEntryKind::item, textMenuExit, cmdExit, false},
    {MenuEntryKind::popupEnd, nullptr, 0, false},
    {MenuEntryKind::popupBegin, textMenuScreen, 0, false},
    {MenuEntryKind::item, textMenuRanking, cmdRanking, false},
    {MenuEntryKind::item, textMenuReplayLast, cmdReplayLast, false},
    {MenuEntryKind::item, textMenuReplayBest, cmdReplayBest, false},
    {MenuEntryKind::item, textMenuRecords, cmdRecords, false},
    {MenuEntryKind::item, textMenuGameScreen, cmdGameScreen, false},
    {MenuEntryKind::popupEnd, nullptr, 0, false},
};

const int menuEntryCount = static_cast<int>(sizeof menuEntries / sizeof menuEntries[0]);

// MYMENU: labels and command ids exactly as the resource stores them.
#include "app/menu.h"

#include "app/texts.h"

const MenuEntry menuEntries[] = {
    {MenuEntryKind::popupBegin, textMenuGame, 0},
    {MenuEntryKind::popupBegin, textMenuDifficulty, 0},
    {MenuEntryKind::item, textMenuEasy, cmdEasy},
    {MenuEntryKind::item, textMenuNormal, cmdNormal},
    {MenuEntryKind::item, textMenuHard, cmdHard},
    {MenuEntryKind::popupEnd, nullptr, 0},
    {MenuEntryKind::item, textMenuStart, cmdStart},
    {MenuEntryKind::item, textMenuExit, cmdExit},
    {MenuEntryKind::popupEnd, nullptr, 0},
    {MenuEntryKind::popupBegin, textMenuScreen, 0},
    {MenuEntryKind::item, textMenuRanking, cmdRanking},
    {MenuEntryKind::item, textMenuGameScreen, cmdGameScreen},
    {MenuEntryKind::popupEnd, nullptr, 0},
};

const int menuEntryCount = static_cast<int>(sizeof menuEntries / sizeof menuEntries[0]);

// The menu MYMENU, described once; each backend builds its native menu from this table.
#pragma once

enum MenuCommand : unsigned {
    cmdStart = 40001,
    cmdExit = 40002,
    cmdNormal = 40004,
    cmdHard = 40005,
    cmdRanking = 40007,
    cmdGameScreen = 40008,
    cmdEasy = 40009,
};

enum class MenuEntryKind { popupBegin, item, popupEnd };

// One row of the menu in resource order: a pop-up opens with popupBegin (its label) and
// closes with popupEnd; items carry their command. Labels are code page 932, '&' marks the
// mnemonic as in the resource.
struct MenuEntry {
    MenuEntryKind kind;
    const char* label;
    unsigned command;
};

extern const MenuEntry menuEntries[];
extern const int menuEntryCount;

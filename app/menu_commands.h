// The command ids of the menu MYMENU. Plain macros: the Windows resource script includes this
// file too, and the resource compiler knows no C++.
#pragma once

#define KEYFALL_CMD_START 40001
#define KEYFALL_CMD_EXIT 40002
#define KEYFALL_CMD_NORMAL 40004
#define KEYFALL_CMD_HARD 40005
#define KEYFALL_CMD_RANKING 40007
#define KEYFALL_CMD_GAME_SCREEN 40008
#define KEYFALL_CMD_EASY 40009
#define KEYFALL_CMD_REPLAY_LAST 40010
#define KEYFALL_CMD_REPLAY_BEST 40011
#define KEYFALL_CMD_RECORDS 40012
#define KEYFALL_CMD_PRACTICE 40013

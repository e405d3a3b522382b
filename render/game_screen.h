// The game screen: the layout file, the game font and the paint of every game frame.
#pragma once

#include <cstdint>

#include "base/game_state.h"
#include "platform/platform.h"

// Game state: layout. Reads section "POSS" of Game.ini once, converted and clamped.
void loadLayout();
// A new game font (30 pixels, Shift_JIS, the Gothic face), owned by the caller.
FontHandle createGameFont();
// Game state: refillLabel, scoreLabel, comboLabelX, comboShifted10, comboShifted100,
// the scroll flags (through the balloons); reads the rest of what the screen shows.
void paintGameScreen(WindowHandle window);
// Where the game screen draws the time gauge: the x and back-buffer row of its first column.
constexpr int timeGaugeX = 50;
constexpr int timeGaugeRow = 300;

// Game state: reads timeGauge. How many columns drawTimeGauge draws into dest from x.
int64_t timeGaugeColumns(const DibImage& dest, int x);
// Game state: reads timeGauge. One column per gauge pixel, in bands of 59 strip columns.
void drawTimeGauge(DibImage& dest, const DibImage& strip, int x, int row);
// Game state: reads itemHeld, layout. The icon of each held item inside its box.
void drawItemIcons(DibImage& dest, const DibImage& timeStop, const DibImage& bomb,
                   const DibImage& half, const DibImage& miss, const DibImage& power);
// The colour of a text that an item effect turns magenta (active is 1), by the effect's ticks.
uint32_t effectColour(int active, int ticks);
// The x of a word text of width pixels centred near centreX, pushed in from the edges.
int placeWordText(int centreX, int width);

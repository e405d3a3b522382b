// Word balloons: bands of one-pixel slices of Frame.bmp whose width follows their text.
#pragma once

#include "base/game_state.h"
#include "platform/platform.h"

// Display: the word as shown; Romaji: the letters to type; Typed: what has been typed (sized
// from the romaji); Ranking: one entry of the ranking screen.
enum BalloonKind { Display = 0, Romaji = 1, Typed = 2, Ranking = 3 };

// Game state: scrollDisplay, scrollRomaji, scrollTyped (kinds Display to Typed), and
// reads romajiText and typedText. Texts are measured on dc. For the game kinds x is the
// layout x of the balloon; for Ranking the centre asked for. y is the balloon's bottom row.
void drawBalloon(const char* text, DeviceContext dc, int x, int y, BalloonKind kind, DibImage& dst,
                 const DibImage& frame);

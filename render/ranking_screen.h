// The ranking screen: the five best scores of the current difficulty, each in a balloon.
#pragma once

#include "platform/platform.h"

// Touches GameState: rankingText (read afresh from the ranking file), font (replaced by a new
// game font; the old one is deleted), the back buffer.
void paintRankingScreen(WindowHandle window);

// The ranking screen: the five best scores of the current difficulty, each in a balloon.
#pragma once

#include "platform/platform.h"

// Game state: reads rankingText, which the caller has just read from the ranking file;
// writes font (replaced by a new game font; the old one is deleted) and the back buffer.
void paintRankingScreen(WindowHandle window);

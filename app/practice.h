// Practice on the weakest kana: a game never ranked whose words favour them.
#pragma once

// Game state: practice, practiceKana, practiceKanaCount, and what Start changes. Menu command:
// the ten weakest kana of the difficulty chosen are read from the history (a replay keeps the
// ones its journal names), then the countdown starts as for Start.
void startPractice();

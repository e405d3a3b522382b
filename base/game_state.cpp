// The one GameState of the process, with its initial values from start-up.
#include "base/game_state.h"

GameState game;

void (*gameOverHook)() = nullptr;

// The one GameState of the process, with its initial values from start-up.
#include "game/game_state.h"

GameState game;

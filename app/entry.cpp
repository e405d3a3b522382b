// The portable steps of the process entry.
#include "app/entry.h"

#include "base/game_state.h"

// Game state: lastHitTime, instance.
void startUp(InstanceHandle instance) {
    game.lastHitTime.type = timeMs;
    game.instance = instance;
}

// Game state: reads windowClassName.
const char* mainWindowClassName() { return game.windowClassName; }

// The portable steps of the process entry.
#include "app/entry.h"

#include "game/game_state.h"

void startUp(InstanceHandle instance) {
    // Touches GameState: lastHitTime, instance.
    game.lastHitTime.type = timeMs;
    game.instance = instance;
}

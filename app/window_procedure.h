// The messages of the game window, as the window procedure hands them to the game.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Game state: whatever the message changes. What windowProcedure does with a message once
// the replay and the journal have seen it; a replay hands the journal's messages here.
intptr_t handleGameMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam);

// Timers the game has held until the window's next message, and the folder watch that ends
// a hold when a watched file changes; the window's real procedure ends holds.
#pragma once

#include <windows.h>

// Posted to the window when the watched folder changes; it only ends holds.
constexpr UINT heldTimerWakeMessage = WM_APP + 1;
// What a timer tick of the window carries when the message is none.
constexpr UINT_PTR noTimer = ~UINT_PTR{0};

// Every held timer but ownTimer (the timer whose tick is being handled) ticks again.
void endHeldTimers(HWND window, UINT_PTR ownTimer);

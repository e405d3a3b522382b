// What every benchmark executable shares: the frame-copy floor, a working directory with the
// shipped data, and the state of a game in play.
#pragma once

#include <cstddef>
#include <filesystem>

#include "platform/platform.h"

// Bytes of one 640 x 320 frame of 24-bit pixels.
constexpr size_t frameBytes = size_t{640} * 320 * 3;

// Makes the source tree (with the shipped Date folder) the working directory.
void enterSourceTree();

// The procedure of a bench window: at creation it makes what the game's window makes (memory
// context, layout, images, game font); paints paint the game screen.
intptr_t benchWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam);

// Creation without a window system loop: the memory context, layout, images and game font.
void createScreenObjects(WindowHandle window);
// Game state: everything a frame of a game in play shows: a full gauge, all five
// items, three balloons with a long word half typed, and the status line.
void setGameInPlay();

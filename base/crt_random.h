// The classic C runtime generator, written here so that every platform draws the same words.
#pragma once

#include <cstdint>

// Seeds the generator; before the first seed its state is 1.
void crtSrand(unsigned seed);
// Next value, 0 to 32767: state = state * 214013 + 2531011 (mod 2^32), value = bits 16..30.
int crtRand();
// The whole state, for a journal that must start a replay where the game started.
uint32_t crtState();
void crtSetState(uint32_t state);

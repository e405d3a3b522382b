// The classic C runtime generator; its state is the runtime's, not part of GameState.
#include "base/crt_random.h"

namespace {
uint32_t randomState = 1;
}

void crtSrand(unsigned seed) { randomState = seed; }

int crtRand() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7fff);
}

uint32_t crtState() { return randomState; }

void crtSetState(uint32_t state) { randomState = state; }

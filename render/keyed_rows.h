// The inner loops of the keyed blit: one row of pixels at a time, the colour test done wide.
#pragma once

#include <cstdint>

// Copies n pixels of 3 bytes from source to target, leaving target alone wherever the source
// pixel is pure black. source and target must not overlap.
void copyKeyedRow(uint8_t* target, const uint8_t* source, int64_t n);
// The same with plain 64-bit words only: what copyKeyedRow falls back to without SSE2.
void copyKeyedRowPortable(uint8_t* target, const uint8_t* source, int64_t n);
// Writes the 3-byte pixel n times from target on.
void fillPixelRun(uint8_t* target, const uint8_t* pixel, int64_t n);

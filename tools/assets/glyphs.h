// Stroke letters and digits for the few labels painted into the art (no font needed).
#pragma once

#include "tools/assets/canvas.h"

// The character c (one of "0123456789AEFKLY/") as strokes of the given half-thickness, in the
// box with top-left (x, y), width w, height h.
Shape glyph(char c, float x, float y, float w, float h, float halfThickness);
// A string of glyphs, each w wide with `gap` between them.
Shape text(const char* s, float x, float y, float w, float h, float gap, float halfThickness);

// The game font on Linux: "ＭＳ ゴシック" is a Windows face, so a fontconfig rule of the
// program maps it to IPAGothic, whose metrics are the same Japanese monospace ones.
#pragma once

#include <pango/pango.h>

// Adds the rule to the current fontconfig configuration, once. Call it before GTK or Pango
// load any font: a font map made earlier may not see it.
void installGameFontRule();

// A Pango context for the frame: the rule installed, whole-pixel advances (so that a
// single-byte character is 15 px and a double-byte one 30 px at 30 px), grey antialiasing.
// The caller owns it.
PangoContext* createFrameTextContext();

// The options of Game.ini: how the romaji of a word may be typed.
#pragma once

// Game state: anyRomaji. Reads section "OPTIONS" of Game.ini once, at window creation:
// Romaji=Any (in any case) accepts every spelling an input method accepts; a missing key or
// any other value keeps the classic judging.
void loadGameOptions();

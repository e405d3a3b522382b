// Keystroke judging: each typed byte against the next romaji letter, with its alternatives.
#pragma once

// The typed-character event: judges ch while a game runs and moves to the next word when the
// romaji is complete.
void onTypedChar(unsigned char ch);
// Judges typed against expected (always romajiText[cursor]): a hit through acceptKey or a miss.
void judgeKey(unsigned char typed, unsigned char expected);
// 0 for the five lower-case vowels, 1 for every other byte (NUL included).
int isConsonant(unsigned char ch);

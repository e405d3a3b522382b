// The ranking file, date\RankingDate.ini: the five best scores of each difficulty.
#pragma once

// Writes the full path of the ranking file, as its readers and writers resolve it, into path
// (dataPathSize bytes). False, with path empty, when it cannot be made. Its lock is the lock
// of every file the game writes.
bool resolveRankingPath(char* path);

// Fills the five 80-byte buffers with keys "1" to "5" of the section of game.difficulty
// ("EASY", "NORMAL", "HARD"), each as written in the file, cut to 79 bytes; empty when missing.
void readRanking(char* rank1, char* rank2, char* rank3, char* rank4, char* rank5);

// Enters score at the first rank whose entry it beats (by the entry's leading number, as atoi
// reads it), moving the entries below down one and dropping the fifth. All keys changed go to
// the file in one replacement, under the data files' lock: at once when it is free, else
// later (base/locked_write.h), into the table of the difficulty played. When the entry is
// made, game.rankingText holds the entries as they were. Shows nothing.
void insertRanking(int score);

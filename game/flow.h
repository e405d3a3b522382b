// The flow of play: countdown, gauge, quotas and rounds, next word, game over, difficulty.
#pragma once

// Menu command Start: music on, countdown on timer 0.
void startCountdown();
// Tick of timer 0: shows the next number or begins the game.
void countdownTick();
// Starts a game: timers 1 and 2, seed, word index, first word.
void beginGame();
// Tick of timer 1: game-over check, drain, item effects.
void gaugeTick();
// Ends effects that have run 100 ticks, then counts the running ones.
void tickItemEffects();
// Counts the quota down and, while a game runs, loads a new word.
void nextWord();
// Counts wordsToRefill down; at the end of a round awards an item and refills the gauge.
void advanceQuota();
// Awards one random item not yet held (a roll for Power ends the award either way).
void awardItem();
// Records the score, shows the result and returns to idle.
void gameOver();
// Menu commands Easy, Normal, Hard: the difficulty and its fresh quota.
void selectDifficulty(int difficulty);

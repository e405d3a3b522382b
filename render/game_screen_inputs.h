// What a paint of the game screen reads, as far as it decides the frame and what the paint
// writes back into the game state.
#pragma once

#include <cstdint>

#include "base/game_state.h"
#include "platform/platform.h"

// Two equal records make the same frame over the back buffer the first one left, and a paint
// of the second changes no game state: the fields a paint writes (scroll flags, the combo
// label's shift, the status labels) are in it as the last paint left them. Fields the paint
// does not read in that state stay zero.
struct GameScreenInputs {
    int playing = 0;
    int countdownState = 0;
    char countdownLabel[sizeof GameState::countdownLabel] = {};
    FontHandle font = nullptr;
    int32_t layout[8] = {};  // NPosX to IPosY
    int64_t gaugeColumns = 0;
    int itemHeld[itemKindCount] = {};
    char displayText[sizeof GameState::displayText] = {};
    char romajiText[sizeof GameState::romajiText] = {};
    char typedText[sizeof GameState::typedText] = {};
    int scrollDisplay = 0;
    int scrollRomaji = 0;
    int scrollTyped = 0;
    uint32_t wordColour = 0;
    int wordsToRefill = 0;
    char refillLabel[sizeof GameState::refillLabel] = {};
    int score = 0;
    char scoreLabel[sizeof GameState::scoreLabel] = {};
    int combo = 0;
    char comboLabel[sizeof GameState::comboLabel] = {};
    int comboLabelX = 0;
    int comboLabelY = 0;
    int comboShifted10 = 0;
    int comboShifted100 = 0;
    uint32_t comboColour = 0;

    bool operator==(const GameScreenInputs&) const = default;
};

// Game state: reads what paintGameScreen reads, in the branch the state selects.
void readGameScreenInputs(GameScreenInputs& inputs);

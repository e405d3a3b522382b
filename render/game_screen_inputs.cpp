// The inputs of a game-screen paint, taken branch by branch as paintGameScreen reads them.
#include "render/game_screen_inputs.h"

#include <cstring>

#include "render/game_screen.h"

namespace {

// A text as the paint sees it: up to its terminating zero; the bytes after it are not read.
template <size_t size>
void copyText(char (&to)[size], const char (&from)[size]) {
    const size_t length = strnlen(from, size);
    std::memcpy(to, from, length);
    std::memset(to + length, 0, size - length);
}

}  // namespace

void readGameScreenInputs(GameScreenInputs& inputs) {
    // Game state: reads what paintGameScreen reads.
    inputs = GameScreenInputs{};
    inputs.playing = game.playing;
    if (game.playing != 1) {
        // The background alone, and the countdown digit while counting down.
        inputs.countdownState = game.countdownState;
        if (game.countdownState == 0) {
            copyText(inputs.countdownLabel, game.countdownLabel);
            inputs.font = game.font;
        }
        return;
    }
    inputs.font = game.font;
    const Layout& layout = game.layout;
    const int32_t positions[8] = {layout.NPosX, layout.NPosY, layout.APosX, layout.APosY,
                                  layout.TPosX, layout.TPosY, layout.IPosX, layout.IPosY};
    std::memcpy(inputs.layout, positions, sizeof positions);
    // The gauge's pixels follow from its column count; its value moves every tick.
    inputs.gaugeColumns = timeGaugeColumns(game.backBuffer, timeGaugeX);
    for (int slot = 0; slot < itemKindCount; ++slot) inputs.itemHeld[slot] = game.itemHeld[slot];
    copyText(inputs.displayText, game.displayText);
    copyText(inputs.romajiText, game.romajiText);
    copyText(inputs.typedText, game.typedText);
    inputs.scrollDisplay = game.scrollDisplay;
    inputs.scrollRomaji = game.scrollRomaji;
    inputs.scrollTyped = game.scrollTyped;
    // The effect counters count every tick; only the colour they give shows.
    inputs.wordColour = effectColour(game.powerActive, game.powerTicks);
    inputs.wordsToRefill = game.wordsToRefill;
    copyText(inputs.refillLabel, game.refillLabel);
    inputs.score = game.score;
    copyText(inputs.scoreLabel, game.scoreLabel);
    inputs.combo = game.combo;
    copyText(inputs.comboLabel, game.comboLabel);
    inputs.comboLabelX = game.comboLabelX;
    inputs.comboLabelY = game.comboLabelY;
    inputs.comboShifted10 = game.comboShifted10;
    inputs.comboShifted100 = game.comboShifted100;
    inputs.comboColour = effectColour(game.missGuardActive, game.missGuardTicks);
}

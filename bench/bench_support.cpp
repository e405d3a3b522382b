// Shared set-up of the benchmarks.
#include "bench/bench_support.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "render/frame.h"
#include "render/game_screen.h"

void enterSourceTree() { std::filesystem::current_path(KEYFALL_SOURCE_DIR); }

void createScreenObjects(WindowHandle window) {
    game.memoryDC = createMemoryContext(window);
    loadLayout();
    loadImages();
    game.font = createGameFont();
    selectFont(game.memoryDC, game.font);
}

intptr_t benchWindowProcedure(WindowHandle window, uint32_t message, uintptr_t, intptr_t) {
    if (message == msgCreate) createScreenObjects(window);
    if (message == msgPaint) paintGameScreen(window);
    return 0;
}

void setGameInPlay() {
    game.playing = 1;
    game.countdownState = 2;
    game.timeGauge = 531.0;
    for (int& held : game.itemHeld) held = 1;
    // しんかんせんのりば: long enough for wide balloons, short enough not to scroll.
    std::snprintf(game.displayText, sizeof game.displayText, "%s",
                  "\x82\xB5\x82\xF1\x82\xA9\x82\xF1\x82\xB9\x82\xF1\x82\xCC\x82\xE8\x82\xCE");
    std::snprintf(game.romajiText, sizeof game.romajiText, "%s", "shinkannsennnoriba");
    std::snprintf(game.typedText, sizeof game.typedText, "%s", "shinkann");
    game.romajiLength = 18;
    game.cursor = 8;
    game.wordsToRefill = 7;
    game.score = 123456;
    game.combo = 42;
    std::snprintf(game.comboLabel, sizeof game.comboLabel, "%d", game.combo);
}

namespace {

// The floor every frame is measured against: one copy of a whole frame.
void frameCopyFloor(benchmark::State& state) {
    std::vector<uint8_t> source(frameBytes, 0x5A);
    std::vector<uint8_t> target(frameBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), frameBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * frameBytes));
}
BENCHMARK(frameCopyFloor)->Name("floor/memcpy_frame");

}  // namespace

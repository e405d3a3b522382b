// The repaint timer's tick when nothing shown has changed: what finding that out costs, next
// to the frame it spares (paintGameScreen/headless_in_play).
#include <benchmark/benchmark.h>

#include "app/repaint.h"
#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "bench/bench_support.h"

namespace {

// A window with the shipped images, a game in play on the screen asked for, and its frame
// composed once.
WindowHandle windowShowing(int rankingShown) {
    enterSourceTree();
    headlessReset();
    game = GameState{};
    WindowHandle window = headlessCreateWindow(benchWindowProcedure);
    setGameInPlay();
    game.rankingShown = rankingShown;
    paintScreen(window);
    return window;
}

void tickNothingChanged(benchmark::State& state, int rankingShown) {
    WindowHandle window = windowShowing(rankingShown);
    const int framesBefore = headlessFramesMade();
    for (auto _ : state) {
        repaintTick(window, 2);
        benchmark::ClobberMemory();
    }
    headlessPump();
    // A tick that asked for a paint would have made a frame here.
    state.counters["frames"] = static_cast<double>(headlessFramesMade() - framesBefore);
}

void gameScreenUnchanged(benchmark::State& state) { tickNothingChanged(state, 0); }
BENCHMARK(gameScreenUnchanged)->Name("repaintTick/game_screen_unchanged");

// The ranking screen reads its file for the check, as its paint does.
void rankingScreenUnchanged(benchmark::State& state) { tickNothingChanged(state, 1); }
BENCHMARK(rankingScreenUnchanged)->Name("repaintTick/ranking_screen_unchanged");

}  // namespace

// Frame costs on the headless backend: the keyed blit of a whole background, the gauge and
// the balloons on their own, and the whole game screen of a game in play.
#include <benchmark/benchmark.h>

#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "bench/bench_support.h"
#include "render/balloon.h"
#include "render/game_screen.h"
#include "render/keyed_blit.h"

namespace {

// One headless window with the shipped images and layout, made on first use.
WindowHandle gameWindow() {
    static WindowHandle window = [] {
        enterSourceTree();
        headlessReset();
        game = GameState{};
        WindowHandle created = headlessCreateWindow(benchWindowProcedure);
        setGameInPlay();
        return created;
    }();
    return window;
}

void backgroundBlit(benchmark::State& state) {
    gameWindow();
    for (auto _ : state) {
        blitKeyed(game.backBuffer, game.imgMainBack, 0, 0, -1, -1, -1, -1);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(backgroundBlit)->Name("blitKeyed/background_640x320");

void fullGauge(benchmark::State& state) {
    gameWindow();
    for (auto _ : state) {
        drawTimeGauge(game.backBuffer, game.imgTime, 50, 300);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(fullGauge)->Name("drawTimeGauge/full_531");

void threeBalloons(benchmark::State& state) {
    gameWindow();
    const Layout& layout = game.layout;
    for (auto _ : state) {
        drawBalloon(game.displayText, game.memoryDC, layout.NPosX, layout.NPosY, Display,
                    game.backBuffer, game.imgFrame);
        drawBalloon(game.romajiText, game.memoryDC, layout.APosX, layout.APosY, Romaji,
                    game.backBuffer, game.imgFrame);
        drawBalloon(game.romajiText, game.memoryDC, layout.TPosX, layout.TPosY, Typed,
                    game.backBuffer, game.imgFrame);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(threeBalloons)->Name("drawBalloon/three_balloons");

void gameScreenInPlay(benchmark::State& state) {
    WindowHandle window = gameWindow();
    for (auto _ : state) {
        paintGameScreen(window);
        benchmark::ClobberMemory();
    }
    state.counters["texts"] = static_cast<double>(headlessLastPaintTexts().size());
}
BENCHMARK(gameScreenInPlay)->Name("paintGameScreen/headless_in_play");

}  // namespace

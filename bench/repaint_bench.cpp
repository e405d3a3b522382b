// The repaint timer's tick when nothing shown has changed: what finding that out costs, next
// to the frame it spares (paintGameScreen/headless_in_play); and a typed key up to its frame.
#include <benchmark/benchmark.h>

#include "app/entry.h"
#include "app/menu.h"
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

// The portable part of a key's way to the screen: a right letter judged, then the frame it
// changed composed and presented before the key's message is done. About every fourth key
// ends a word, and the next one is drawn from the shipped list.
void typedLetterShown(benchmark::State& state) {
    enterSourceTree();
    headlessReset();
    game = GameState{};
    startUp(nullptr);
    WindowHandle window = headlessCreateWindow(windowProcedure);
    // A game started from the menu, so that every word is drawn from the indexed list.
    headlessSend(msgCommand, cmdStart, 0);
    headlessAdvance(3100);
    const int framesBefore = headlessFramesMade();
    for (auto _ : state) {
        const auto expected = static_cast<unsigned char>(game.romajiText[game.cursor]);
        windowProcedure(window, msgChar, expected, 0);
    }
    // A key that painted nothing would leave this below 1.
    state.counters["frames_per_key"] =
        benchmark::Counter(static_cast<double>(headlessFramesMade() - framesBefore),
                           benchmark::Counter::kAvgIterations);
    headlessSend(msgClose, 0, 0);
}
BENCHMARK(typedLetterShown)->Name("key/typed_letter_to_frame");

}  // namespace

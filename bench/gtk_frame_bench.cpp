// Frame costs on the GTK backend's drawing, without a display: the back buffer turned into the
// frame bitmap, the seven texts of a game in play drawn with the real font, the frame presented
// to the window picture and that shown on an offscreen widget surface; and the whole paint of
// the game screen on the same functions.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdio>
#include <vector>

#include "backends/gtk/frame_pixels.h"
#include "base/game_state.h"
#include "base/texts.h"
#include "bench/bench_support.h"
#include "bench/gtk_window_stand_in.h"
#include "render/frame.h"
#include "render/game_screen.h"

namespace {

struct PlacedText {
    int x;
    int y;
    uint32_t colour;
    const char* text;
};

// A game in play, painted once so that the back buffer holds its composed frame, and the
// texts of that frame where the paint puts them.
const std::vector<PlacedText>& gameInPlay() {
    static const std::vector<PlacedText> texts = [] {
        enterSourceTree();
        createWindowStandIn();
        game = GameState{};
        createScreenObjects(nullptr);
        setGameInPlay();
        paintGameScreen(nullptr);
        std::snprintf(game.refillLabel, sizeof game.refillLabel, textRefillFormat,
                      game.wordsToRefill);
        std::snprintf(game.scoreLabel, sizeof game.scoreLabel, "%d", game.score);
        const Layout& layout = game.layout;
        const int displayWidth = measureText(game.memoryDC, game.displayText);
        const int romajiWidth = measureText(game.memoryDC, game.romajiText);
        return std::vector<PlacedText>{
            {placeWordText(layout.NPosX, displayWidth), 287 - layout.NPosY, 0, game.displayText},
            {placeWordText(layout.APosX, romajiWidth), 287 - layout.APosY, 0, game.romajiText},
            {placeWordText(layout.TPosX, romajiWidth), 287 - layout.TPosY, 0, game.typedText},
            {200, 280, 0, game.refillLabel},
            {0, 280, 0, game.scoreLabel},
            {550, 280, 0, textCombo},
            {game.comboLabelX, game.comboLabelY, 0, game.comboLabel},
        };
    }();
    return texts;
}

void gtkFramePart(benchmark::State& state) {
    const std::vector<PlacedText>& texts = gameInPlay();
    DeviceContext paintDC = beginPaint(nullptr);
    for (auto _ : state) {
        BitmapHandle frame =
            createFrameBitmap(paintDC, frameWidth, frameHeight, game.backBuffer.bits);
        BitmapHandle replaced = selectBitmap(game.memoryDC, frame);
        setTransparentText(game.memoryDC);
        for (const PlacedText& t : texts) {
            setTextColour(game.memoryDC, t.colour);
            drawText(game.memoryDC, t.x, t.y, t.text);
        }
        copyFrameToWindow(paintDC, game.memoryDC, 640, 320);
        selectBitmap(game.memoryDC, replaced);
        deleteBitmap(frame);
        showWindowStandIn();
    }
}
BENCHMARK(gtkFramePart)->Name("gtk/frame_part");

void gtkFrameBitmapOnly(benchmark::State& state) {
    gameInPlay();
    DeviceContext paintDC = beginPaint(nullptr);
    for (auto _ : state) {
        BitmapHandle frame =
            createFrameBitmap(paintDC, frameWidth, frameHeight, game.backBuffer.bits);
        deleteBitmap(frame);
    }
}
BENCHMARK(gtkFrameBitmapOnly)->Name("gtk/frame_bitmap");

void gtkSevenTexts(benchmark::State& state) {
    const std::vector<PlacedText>& texts = gameInPlay();
    DeviceContext paintDC = beginPaint(nullptr);
    BitmapHandle frame = createFrameBitmap(paintDC, frameWidth, frameHeight, game.backBuffer.bits);
    BitmapHandle replaced = selectBitmap(game.memoryDC, frame);
    setTransparentText(game.memoryDC);
    for (auto _ : state) {
        for (const PlacedText& t : texts) {
            setTextColour(game.memoryDC, t.colour);
            drawText(game.memoryDC, t.x, t.y, t.text);
        }
    }
    selectBitmap(game.memoryDC, replaced);
    deleteBitmap(frame);
}
BENCHMARK(gtkSevenTexts)->Name("gtk/seven_texts");

// The same seven texts while the score changes at every frame: one layout made anew each time.
void gtkSevenTextsScoreChanging(benchmark::State& state) {
    const std::vector<PlacedText>& texts = gameInPlay();
    DeviceContext paintDC = beginPaint(nullptr);
    BitmapHandle frame = createFrameBitmap(paintDC, frameWidth, frameHeight, game.backBuffer.bits);
    BitmapHandle replaced = selectBitmap(game.memoryDC, frame);
    setTransparentText(game.memoryDC);
    char score[16];
    int points = 0;
    for (auto _ : state) {
        std::snprintf(score, sizeof score, "%d", ++points);
        for (const PlacedText& t : texts) {
            setTextColour(game.memoryDC, t.colour);
            drawText(game.memoryDC, t.x, t.y, t.text == game.scoreLabel ? score : t.text);
        }
    }
    selectBitmap(game.memoryDC, replaced);
    deleteBitmap(frame);
}
BENCHMARK(gtkSevenTextsScoreChanging)->Name("gtk/seven_texts_score_changing");

// The frame conversion without SSSE3, as on a processor that lacks it.
void gtkFrameRowsPortable(benchmark::State& state) {
    gameInPlay();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 320);
    for (auto _ : state) {
        cairo_surface_flush(surface);
        convertFrameRows(game.backBuffer.bits, 640, 320, cairo_image_surface_get_data(surface),
                         cairo_image_surface_get_stride(surface), RowConversion::portable);
        cairo_surface_mark_dirty(surface);
        benchmark::ClobberMemory();
    }
    cairo_surface_destroy(surface);
}
BENCHMARK(gtkFrameRowsPortable)->Name("gtk/frame_rows_portable");

void gtkPresent(benchmark::State& state) {
    gameInPlay();
    DeviceContext paintDC = beginPaint(nullptr);
    BitmapHandle frame = createFrameBitmap(paintDC, frameWidth, frameHeight, game.backBuffer.bits);
    BitmapHandle replaced = selectBitmap(game.memoryDC, frame);
    for (auto _ : state) {
        copyFrameToWindow(paintDC, game.memoryDC, 640, 320);
        showWindowStandIn();
    }
    selectBitmap(game.memoryDC, replaced);
    deleteBitmap(frame);
}
BENCHMARK(gtkPresent)->Name("gtk/present");

void gtkWholePaint(benchmark::State& state) {
    gameInPlay();
    for (auto _ : state) {
        paintGameScreen(nullptr);
        showWindowStandIn();
    }
}
BENCHMARK(gtkWholePaint)->Name("gtk/paintGameScreen_in_play");

}  // namespace

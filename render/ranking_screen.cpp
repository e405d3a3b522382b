// The ranking screen, repainted from the ranking file at every paint.
#include "render/ranking_screen.h"

#include <cstdio>

#include "base/game_state.h"
#include "render/balloon.h"
#include "render/frame.h"
#include "render/game_screen.h"
#include "render/keyed_blit.h"

namespace {

constexpr int entries = 5;
constexpr int rankingPresentRows = 480;

// "1." to "5." and an entry of at most 79 bytes.
constexpr size_t labelSize = 2 + sizeof game.rankingText[0];

// Entry i is centred at 120 + 100 i, its balloon stands on row 265 - 55 i, and
// its text starts 5 lines below the balloon's top.
int centreX(int i) { return 120 + 100 * i; }
int balloonRow(int i) { return 265 - 55 * i; }
int textLine(int i) { return 24 + 55 * i; }

void formatLabel(char* label, int i) {
    std::snprintf(label, labelSize, "%c.%.79s", static_cast<char>('1' + i), game.rankingText[i]);
}

// Game state: font. The font it replaces is deleted once it is no longer
// selected, so a screen repainted for an hour holds one font, as one paint does.
void replaceFont() {
    FontHandle previous = game.font;
    game.font = createGameFont();
    selectFont(game.memoryDC, game.font);
    deleteFont(previous);
}

}  // namespace

void paintRankingScreen(WindowHandle window) {
    DeviceContext paintDC = beginPaint(window);
    drawBackground(game.backBuffer, game.imgRankingBack);
    setTransparentText(game.memoryDC);
    replaceFont();

    char label[labelSize];
    formatLabel(label, 0);
    // The first entry is the best score: its label's width sizes all five
    // balloons and places all five texts.
    const int firstWidth = measureText(game.memoryDC, label);
    for (int i = 0; i < entries; ++i) {
        drawBalloon(label, game.memoryDC, centreX(i), balloonRow(i), Ranking, game.backBuffer,
                    game.imgFrame);
    }
    const PaintFrame frame = selectFrameBitmap(paintDC);

    setTextColour(game.memoryDC, 0);
    for (int i = 0; i < entries; ++i) {
        formatLabel(label, i);
        drawText(game.memoryDC, centreX(i) - firstWidth / 2, textLine(i), label);
    }
    // The screen has always presented 480 rows; the frame has 320 of them to show.
    presentFrame(window, paintDC, frame, rankingPresentRows);
}

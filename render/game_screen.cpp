// The game screen: Game.ini's layout, the game font, and each frame of the game.
#include "render/game_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "base/data_path.h"
#include "base/profile_file.h"
#include "base/texts.h"
#include "render/balloon.h"
#include "render/frame.h"
#include "render/keyed_blit.h"

namespace {

constexpr uint32_t black = 0x000000;
constexpr uint32_t magenta = 0xFF00FF;

// Balloons are 36 rows high and item boxes 40 x 40 on a 40-pixel pitch.
constexpr int topBalloonRow = 320 - 36;
constexpr int topItemRow = 320 - 40;
constexpr int lastItemX = 640 - 5 * 40;
constexpr int itemPitch = 40;
// The gauge takes its colour from one strip column per band of this many pixels.
constexpr int64_t gaugeBand = 59;

// A conversion of a file value that cannot overflow whatever the file holds.
int32_t saturate(int64_t value) {
    if (value < INT32_MIN) return INT32_MIN;
    if (value > INT32_MAX) return INT32_MAX;
    return static_cast<int32_t>(value);
}

int32_t clampRow(int32_t row, int32_t top) {
    if (row > top) row = top;
    if (row < 0) row = 0;
    return row;
}

// Game state: comboLabelX, comboShifted10, comboShifted100. Only a paint
// that sees the combo at exactly 10 or 100 moves the label, once per flag.
void shiftComboLabel() {
    if (game.combo == 10 && game.comboShifted10 == 0) {
        game.comboLabelX -= 5;
        game.comboShifted10 = 1;
    } else if (game.combo == 100 && game.comboShifted100 == 0) {
        game.comboLabelX -= 10;
        game.comboShifted100 = 1;
    }
}

// Game state: everything paintGameScreen does while a game runs. Returns the frame bitmap
// the texts were drawn on.
PaintFrame drawGameFrame(DeviceContext paintDC) {
    const Layout& layout = game.layout;
    drawTimeGauge(game.backBuffer, game.imgTime, timeGaugeX, timeGaugeRow);
    for (int k = 0; k < itemKindCount; ++k) {
        blitKeyed(game.backBuffer, game.imgItemBox, layout.IPosX + itemPitch * k, layout.IPosY, -1,
                  -1, -1, -1);
    }
    drawItemIcons(game.backBuffer, game.imgTimeStop, game.imgBomb, game.imgHalf, game.imgMiss,
                  game.imgPower);
    // The typed balloon reads the romaji flag that the romaji balloon has just set.
    drawBalloon(game.displayText, game.memoryDC, layout.NPosX, layout.NPosY, Display,
                game.backBuffer, game.imgFrame);
    drawBalloon(game.romajiText, game.memoryDC, layout.APosX, layout.APosY, Romaji, game.backBuffer,
                game.imgFrame);
    drawBalloon(game.romajiText, game.memoryDC, layout.TPosX, layout.TPosY, Typed, game.backBuffer,
                game.imgFrame);
    const PaintFrame frame = selectFrameBitmap(paintDC);

    DeviceContext dc = game.memoryDC;
    setTextColour(dc, effectColour(game.powerActive, game.powerTicks));
    int width = measureText(dc, game.displayText);
    drawText(dc, placeWordText(layout.NPosX, width), 287 - layout.NPosY, game.displayText);
    width = measureText(dc, game.romajiText);
    drawText(dc, placeWordText(layout.APosX, width), 287 - layout.APosY, game.romajiText);
    // The typed letters start where the whole romaji would, so they line up under it.
    drawText(dc, placeWordText(layout.TPosX, width), 287 - layout.TPosY, game.typedText);

    setTextColour(dc, black);
    std::snprintf(game.refillLabel, sizeof game.refillLabel, textRefillFormat, game.wordsToRefill);
    drawText(dc, 200, 280, game.refillLabel);
    std::snprintf(game.scoreLabel, sizeof game.scoreLabel, "%d", game.score);
    drawText(dc, 0, 280, game.scoreLabel);
    drawText(dc, 550, 280, textCombo);

    shiftComboLabel();
    setTextColour(dc, effectColour(game.missGuardActive, game.missGuardTicks));
    drawText(dc, game.comboLabelX, game.comboLabelY, game.comboLabel);
    return frame;
}

}  // namespace

void loadLayout() {
    char path[dataPathSize];
    resolveDataPath(path, "\\Date\\Game.ini");
    Layout& layout = game.layout;
    layout.NPosX = getProfileInt("POSS", "NPosX", 0, path);
    layout.NPosY = getProfileInt("POSS", "NPosY", 0, path);
    layout.APosX = getProfileInt("POSS", "APosX", 0, path);
    layout.APosY = getProfileInt("POSS", "APosY", 0, path);
    layout.TPosX = getProfileInt("POSS", "TPosX", 0, path);
    layout.TPosY = getProfileInt("POSS", "TPosY", 0, path);
    layout.IPosX = getProfileInt("POSS", "IPosX", 0, path);
    layout.IPosY = getProfileInt("POSS", "IPosY", 0, path);

    // The file measures y down from the top; rows count up from the bottom.
    layout.NPosX = saturate(int64_t{layout.NPosX} + 6);
    layout.NPosY = saturate(int64_t{topBalloonRow} - layout.NPosY);
    layout.APosX = saturate(int64_t{layout.APosX} + 6);
    layout.APosY = saturate(int64_t{topBalloonRow} - layout.APosY);
    layout.TPosX = saturate(int64_t{layout.TPosX} + 6);
    layout.TPosY = saturate(int64_t{topBalloonRow} - layout.TPosY);
    layout.IPosY = saturate(int64_t{topItemRow} - layout.IPosY);

    layout.NPosY = clampRow(layout.NPosY, topBalloonRow);
    layout.APosY = clampRow(layout.APosY, topBalloonRow);
    layout.TPosY = clampRow(layout.TPosY, topBalloonRow);
    layout.IPosY = clampRow(layout.IPosY, topItemRow);
    if (layout.IPosX < 0) layout.IPosX = 0;
    if (layout.IPosX > lastItemX) layout.IPosX = lastItemX;
}

FontHandle createGameFont() { return createFont(30, shiftJisCharSet, textFontFace); }

void paintGameScreen(WindowHandle window) {
    DeviceContext paintDC = beginPaint(window);
    drawBackground(game.backBuffer, game.imgMainBack);
    setTransparentText(game.memoryDC);
    PaintFrame frame;
    if (game.playing == 1) {
        frame = drawGameFrame(paintDC);
    } else {
        frame = selectFrameBitmap(paintDC);
        if (game.countdownState == 0) {
            setTextColour(game.memoryDC, black);
            drawText(game.memoryDC, 320, 120, game.countdownLabel);
        }
    }
    setTextColour(game.memoryDC, black);
    presentFrame(window, paintDC, frame, frameHeight);
}

int64_t timeGaugeColumns(const DibImage& dest, int x) {
    // One column for every i = 0, 1, ... below timeGauge. Columns past the destination's
    // right edge would be clipped; stopping there keeps an absurd gauge value from turning
    // into a long loop.
    const int64_t columns = dest.header ? int64_t{dest.header->biWidth} - x : 0;
    if (columns <= 0 || !(game.timeGauge > 0)) return 0;
    return game.timeGauge >= static_cast<double>(columns)
               ? columns
               : static_cast<int64_t>(std::ceil(game.timeGauge));
}

void drawTimeGauge(DibImage& dest, const DibImage& strip, int x, int row) {
    const int64_t drawn = timeGaugeColumns(dest, x);
    // Each band of 59 columns repeats one strip column, so it is drawn as one run per row.
    for (int64_t first = 0; first < drawn; first += gaugeBand) {
        blitColumnAcross(dest, strip, int64_t{x} + first, std::min(gaugeBand, drawn - first), row,
                         static_cast<int>(first / gaugeBand + 1), 0, 12);
    }
}

void drawItemIcons(DibImage& dest, const DibImage& timeStop, const DibImage& bomb,
                   const DibImage& half, const DibImage& miss, const DibImage& power) {
    const DibImage* icons[itemKindCount] = {&timeStop, &bomb, &half, &miss, &power};
    for (int slot = 0; slot < itemKindCount; ++slot) {
        if (game.itemHeld[slot] != 1) continue;
        // Each icon stands 4 pixels in from the lower-left corner of its box.
        blitKeyed(dest, *icons[slot], game.layout.IPosX + 4 + itemPitch * slot,
                  game.layout.IPosY + 4, -1, -1, -1, -1);
    }
}

uint32_t effectColour(int active, int ticks) {
    // The text flashes back to black on these ticks of the effect's last two seconds.
    const bool flash = ticks == 80 || ticks == 85 || ticks == 90 || ticks == 95 || ticks == 100;
    return active == 1 && !flash ? magenta : black;
}

int placeWordText(int centreX, int width) {
    const int64_t h = width / 2;
    if (centreX + h >= 640) {
        const int64_t x = 645 - 2 * h;
        return static_cast<int>(x < 10 ? 10 : x);
    }
    if (centreX - h <= 0) return 5;
    return static_cast<int>(centreX - h + 5);
}

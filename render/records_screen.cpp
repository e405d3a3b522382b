// The records screen, drawn wholly into the back buffer from the figures of one difficulty.
#include "render/records_screen.h"

#include <algorithm>
#include <cstdio>

#include "base/game_state.h"
#include "base/texts.h"
#include "render/frame.h"
#include "render/keyed_blit.h"
#include "render/plot.h"

namespace {

constexpr uint32_t paper = 0xF4F1E8;
constexpr uint32_t panel = 0xFFFFFF;
constexpr uint32_t edge = 0xB8B09A;
constexpr uint32_t ink = 0x202020;
constexpr uint32_t faint = 0x8A8578;
constexpr uint32_t scoreColour = 0x2F5FA8;
constexpr uint32_t practiceColour = 0xE08A1E;
constexpr uint32_t bestColour = 0xD02828;
constexpr uint32_t speedColour = 0x2E8B57;
constexpr uint32_t accuracyColour = 0x8A4FB0;
constexpr uint32_t untypedKey = 0xD8D8D8;
// Past this miss rate a key is as red as it gets.
constexpr int fullRedPermille = 100;

const char* const difficultyNames[3] = {"Easy", "Normal", "Hard"};

struct Box {
    int x, y, w, h;
};

void drawPanel(const Box& b) {
    fillBox(game.backBuffer, b.x, b.y, b.w, b.h, edge);
    fillBox(game.backBuffer, b.x + 1, b.y + 1, b.w - 2, b.h - 2, panel);
}

void text(int x, int y, const char* s, uint32_t colour = ink) {
    drawBitmapText(game.backBuffer, x, y, s, colour);
}

void textRight(int right, int y, const char* s, uint32_t colour = ink) {
    text(right - bitmapTextWidth(s), y, s, colour);
}

void dot(int x, int y, uint32_t colour, int radius) {
    fillBox(game.backBuffer, x - radius, y - radius, 2 * radius + 1, 2 * radius + 1, colour);
}

// The plot area of a chart and the place of game i of count in it.
struct Plot {
    Box area;
    int count;
    int xOf(int i) const {
        if (count <= 1) return area.x + area.w / 2;
        return area.x + static_cast<int>(int64_t{i} * (area.w - 1) / (count - 1));
    }
    int yOf(int64_t value, int64_t low, int64_t high) const {
        const int64_t span = std::max<int64_t>(high - low, 1);
        const int64_t clamped = std::clamp<int64_t>(value, low, high);
        return area.y + area.h - 1 - static_cast<int>((clamped - low) * (area.h - 1) / span);
    }
};

void drawAxes(const Plot& plot) {
    const Box& a = plot.area;
    drawLine(game.backBuffer, a.x - 2, a.y + a.h, a.x + a.w, a.y + a.h, faint);
    drawLine(game.backBuffer, a.x - 2, a.y, a.x - 2, a.y + a.h, faint);
}

// One series as a line through its points, each point marked.
template <typename Value, typename Colour>
void drawSeries(const Plot& plot, int64_t low, int64_t high, Value value, Colour colourOf) {
    for (int i = 1; i < plot.count; ++i) {
        drawLine(game.backBuffer, plot.xOf(i - 1), plot.yOf(value(i - 1), low, high), plot.xOf(i),
                 plot.yOf(value(i), low, high), colourOf(-1));
    }
    for (int i = 0; i < plot.count; ++i) {
        dot(plot.xOf(i), plot.yOf(value(i), low, high), colourOf(i), 1);
    }
}

void drawScoreChart(const RecordsFigures& f) {
    const Box box{8, 22, 392, 142};
    drawPanel(box);
    text(14, 25, textRecordsScore);
    dot(326, 33, practiceColour, 2);
    text(334, 25, textRecordsPractice);
    const Plot plot{{20, 46, 372, 94}, f.chartCount};
    const int best = f.bestIndex >= 0 ? f.chart[f.bestIndex].score : 0;
    const int64_t top = std::max(best, 1);
    drawAxes(plot);
    char label[64];
    drawSeries(
        plot, 0, top, [&](int i) { return int64_t{f.chart[i].score}; },
        [&](int i) {
            return i < 0 ? scoreColour : f.chart[i].practice == 1 ? practiceColour : scoreColour;
        });
    if (f.bestIndex >= 0) {
        const int x = plot.xOf(f.bestIndex);
        const int y = plot.yOf(best, 0, top);
        dot(x, y, bestColour, 3);
        std::snprintf(label, sizeof label, textRecordsBestFormat, best);
        text(70, 25, label, bestColour);
    }
    text(14, 145, f.firstDate, faint);
    textRight(box.x + box.w - 6, 145, f.lastDate, faint);
}

void drawSpeedChart(const RecordsFigures& f) {
    const Box box{8, 170, 194, 142};
    drawPanel(box);
    text(14, 173, textRecordsKeysPerSecond, speedColour);
    int top = 100;
    for (int i = 0; i < f.chartCount; ++i) top = std::max(top, f.chart[i].keysPerSecond100);
    top = (top + 99) / 100 * 100;
    char label[32];
    std::snprintf(label, sizeof label, "%d", top / 100);
    textRight(box.x + box.w - 6, 173, label, faint);
    const Plot plot{{20, 194, 174, 108}, f.chartCount};
    drawAxes(plot);
    drawSeries(
        plot, 0, top, [&](int i) { return int64_t{f.chart[i].keysPerSecond100}; },
        [](int) { return speedColour; });
}

void drawAccuracyChart(const RecordsFigures& f) {
    const Box box{206, 170, 194, 142};
    drawPanel(box);
    text(212, 173, textRecordsAccuracy, accuracyColour);
    int low = 1000;
    for (int i = 0; i < f.chartCount; ++i) low = std::min(low, f.chart[i].accuracy10);
    low = std::min(low / 100 * 100, 900);
    char label[32];
    std::snprintf(label, sizeof label, "%d-100%%", low / 10);
    textRight(box.x + box.w - 6, 173, label, faint);
    const Plot plot{{218, 194, 174, 108}, f.chartCount};
    drawAxes(plot);
    drawSeries(
        plot, low, 1000, [&](int i) { return int64_t{f.chart[i].accuracy10}; },
        [](int) { return accuracyColour; });
}

uint32_t blend(uint32_t a, uint32_t b, int part, int whole) {
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>(a >> shift & 0xFF);
        const int cb = static_cast<int>(b >> shift & 0xFF);
        out |= static_cast<uint32_t>(ca + (cb - ca) * part / whole) << shift;
    }
    return out;
}

// Green at no miss, yellow halfway, red from fullRedPermille on.
uint32_t missColour(int permille) {
    constexpr uint32_t green = 0x9ED99E, yellow = 0xF2D04A, red = 0xD83A3A;
    const int p = std::clamp(permille, 0, fullRedPermille);
    const int half = fullRedPermille / 2;
    return p <= half ? blend(green, yellow, p, half) : blend(yellow, red, p - half, half);
}

void drawKey(int x, int y, char letter, int hits, int misses) {
    const int64_t attempts = int64_t{hits} + misses;
    const uint32_t colour = attempts == 0
                                ? untypedKey
                                : missColour(static_cast<int>(int64_t{misses} * 1000 / attempts));
    fillBox(game.backBuffer, x, y, 18, 18, edge);
    fillBox(game.backBuffer, x + 1, y + 1, 16, 16, colour);
    const char label[2] = {letter, '\0'};
    text(x + 5, y + 1, label);
}

void drawKeyboard(const RecordsFigures& f) {
    const Box box{408, 22, 224, 126};
    drawPanel(box);
    text(414, 25, textRecordsMissRate);
    // QWERTY rows, staggered as on a keyboard; '-' sits on the number row right of 0.
    static const char* const rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
    static const int rowShift[] = {10, 15, 25};
    const int left = 412;
    const int top = 44;
    drawKey(left + 10 * 20, top, '-', f.keyHits[keyboardKeys - 1], f.keyMisses[keyboardKeys - 1]);
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; rows[r][k] != '\0'; ++k) {
            const int key = rows[r][k] - 'a';
            drawKey(left + rowShift[r] + 20 * k, top + 20 * (r + 1), rows[r][k], f.keyHits[key],
                    f.keyMisses[key]);
        }
    }
    // The legend: the colours from no miss to the full red.
    const int barX = 448;
    const int barW = 120;
    for (int i = 0; i < barW; ++i) {
        fillBox(game.backBuffer, barX + i, 130, 1, 12,
                missColour(i * fullRedPermille / (barW - 1)));
    }
    textRight(barX - 4, 128, "0%", faint);
    char label[16];
    std::snprintf(label, sizeof label, "%d%%+", fullRedPermille / 10);
    text(barX + barW + 4, 128, label, faint);
}

void drawWeakKana(const RecordsFigures& f) {
    const Box box{408, 154, 224, 158};
    drawPanel(box);
    text(414, 157, textRecordsWeakKana);
    for (int i = 0; i < f.weakCount; ++i) {
        const int x = 416 + (i / 5) * 108;
        const int y = 180 + (i % 5) * 26;
        char label[32];
        std::snprintf(label, sizeof label, "%s %d%%", f.weak[i].kana, f.weak[i].ratePercent);
        text(x, y, label);
        fillBox(game.backBuffer, x, y + 18, std::clamp(f.weak[i].ratePercent, 1, 100) * 90 / 100, 3,
                missColour(f.weak[i].ratePercent * 10));
    }
}

void drawTitle(const RecordsFigures& f) {
    const int difficulty = f.difficulty >= 0 && f.difficulty < 3 ? f.difficulty : 2;
    char label[96];
    std::snprintf(label, sizeof label, "%s %s", textRecordsTitle, difficultyNames[difficulty]);
    text(8, 3, label);
    std::snprintf(label, sizeof label, textRecordsKeptFormat, f.gamesKept);
    text(160, 3, label);
    if (f.damaged > 0) {
        std::snprintf(label, sizeof label, textRecordsDamagedFormat, f.damaged);
        textRight(632, 3, label, bestColour);
    }
}

}  // namespace

void composeRecordsScreen(const RecordsFigures& figures) {
    // The back buffer is written here without the blit: the game screen's next background
    // must be drawn whole.
    forgetBackground();
    fillBox(game.backBuffer, 0, 0, frameWidth, frameHeight, paper);
    drawTitle(figures);
    if (figures.chartCount == 0) {
        text((frameWidth - bitmapTextWidth(textRecordsNone)) / 2, 150, textRecordsNone);
        return;
    }
    drawScoreChart(figures);
    drawSpeedChart(figures);
    drawAccuracyChart(figures);
    drawKeyboard(figures);
    drawWeakKana(figures);
}

void paintRecordsScreen(WindowHandle window, const RecordsFigures& figures) {
    DeviceContext paintDC = beginPaint(window);
    composeRecordsScreen(figures);
    const PaintFrame frame = selectFrameBitmap(paintDC);
    presentFrame(window, paintDC, frame, frameHeight);
}

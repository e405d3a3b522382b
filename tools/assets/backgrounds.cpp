// MainBack.bmp and RankingBack.bmp: light pastel scenes that keep black text readable.
#include <cmath>
#include <cstdint>
#include <numbers>

#include "tools/assets/art.h"
#include "tools/assets/glyphs.h"
#include "tools/assets/layout.h"

namespace {

constexpr float pi = std::numbers::pi_v<float>;

// A fixed sequence, so the art is the same at every build.
struct Scatter {
    uint32_t state;
    float next(float low, float high) {
        state = state * 1664525u + 1013904223u;
        return low + (high - low) * static_cast<float>(state >> 8) / 16777216.0f;
    }
};

Fill threeStops(float y0, Colour a, float y1, Colour b, float y2, Colour c) {
    return [=](float x, float y) {
        return y < y1 ? verticalGradient(y0, a, y1, b)(x, y) : verticalGradient(y1, b, y2, c)(x, y);
    };
}

// A rolling hill: everything below the curve; distance measured vertically, which is close
// enough for slopes this gentle.
Shape hill(float base, float amplitude, float period, float phase) {
    return [=](float x, float y) { return base + amplitude * std::sin(x / period + phase) - y; };
}

void paintCloud(Canvas& c, float x, float y, float size, float opacity) {
    Shape cloud =
        unite(unite(circle(x, y, size), circle(x + size * 1.1f, y + size * 0.25f, size * 0.8f)),
              unite(circle(x - size * 1.0f, y + size * 0.3f, size * 0.7f),
                    roundedBox(x, y + size * 0.55f, size * 1.7f, size * 0.45f, size * 0.45f)));
    c.paint(cloud, hex(0xFFFFFF), opacity, 2.0f);
}

void paintPetal(Canvas& c, float x, float y, float size, float angle) {
    c.paint(rotated(ellipse(x, y, size, size * 0.55f), x, y, angle), hex(0xF7C6D4), 0.85f);
    c.paint(rotated(ellipse(x - size * 0.3f, y, size * 0.35f, size * 0.18f), x, y, angle),
            hex(0xFBE1E8), 0.8f);
}

// A keycap falling with a faint trail, its letter on the top face.
void paintKeycap(Canvas& c, float x, float y, float size, float angle, Colour body, char letter) {
    float h = size * 0.5f;
    c.paint(segment({x, y - size * 2.6f}, {x, y - size * 0.6f}, h * 0.8f), hex(0xFFFFFF), 0.35f,
            size * 0.6f);
    c.paint(rotated(roundedBox(x + 1.5f, y + 2.5f, h, h, size * 0.22f), x, y, angle), hex(0x8AA4BC),
            0.25f, 3.0f);
    c.paint(rotated(roundedBox(x, y, h, h, size * 0.22f), x, y, angle), scale(body, 0.86f));
    c.paint(
        rotated(roundedBox(x, y - size * 0.06f, h * 0.78f, h * 0.74f, size * 0.16f), x, y, angle),
        verticalGradient(y - h, mix(body, hex(0xFFFFFF), 0.75f), y + h,
                         mix(body, hex(0xFFFFFF), 0.35f)));
    float g = size * 0.34f;
    c.paint(rotated(glyph(letter, x - g * 0.5f, y - g * 0.62f, g, g * 1.1f, size * 0.045f), x, y,
                    angle),
            hex(0x4A5A78), 0.9f);
}

void paintStar(Canvas& c, float x, float y, float radius, Colour colour, float opacity) {
    std::vector<Point> points;
    for (int k = 0; k < 10; ++k) {
        float r = k % 2 == 0 ? radius : radius * 0.45f;
        float a = -pi / 2 + static_cast<float>(k) * pi / 5;
        points.push_back({x + r * std::cos(a), y + r * std::sin(a)});
    }
    c.paint(polygon(points), colour, opacity);
}

}  // namespace

Canvas paintMainBack() {
    using namespace layout;
    Canvas c(screenWidth, screenHeight);
    c.fill(threeStops(0, hex(0xA8D8F2), 190, hex(0xE4F2F9), 320, hex(0xFFF0DA)));
    c.paint(circle(575, 36, 40), hex(0xFFF7DA), 0.8f, 70.0f);

    paintCloud(c, 80, 96, 18, 0.75f);
    paintCloud(c, 565, 150, 15, 0.7f);
    paintCloud(c, 250, 200, 12, 0.45f);
    paintCloud(c, 455, 72, 10, 0.4f);

    c.paint(hill(262, 10, 70, 0.5f), hex(0xD9EDCB));
    c.paint(hill(282, 7, 55, 2.4f), hex(0xC9E6B9));

    // The falling keys spell the game's name down both sides.
    paintKeycap(c, 52, 150, 30, -0.18f, hex(0x9CC8EC), 'K');
    paintKeycap(c, 108, 205, 26, 0.14f, hex(0xF5B7A0), 'E');
    paintKeycap(c, 42, 238, 24, 0.22f, hex(0xB9DFA8), 'Y');
    paintKeycap(c, 535, 205, 28, 0.16f, hex(0xF7D488), 'F');
    paintKeycap(c, 596, 105, 24, -0.2f, hex(0xC9B6EC), 'A');
    paintKeycap(c, 600, 246, 26, -0.1f, hex(0x9CC8EC), 'L');
    paintKeycap(c, 132, 110, 22, -0.3f, hex(0xF3B3C8), 'L');

    Scatter scatter{7};
    for (int k = 0; k < 26; ++k) {
        float x = scatter.next(8, 632), y = scatter.next(30, 265);
        paintPetal(c, x, y, scatter.next(2.5f, 4.5f), scatter.next(0, pi));
    }

    // The gauge's trough: the part the gauge has used up shows as an empty groove.
    float gx = static_cast<float>(gaugeLeft) + static_cast<float>(gaugeWidth) / 2.0f;
    float gy = static_cast<float>(gaugeTop) + static_cast<float>(gaugeHeight) / 2.0f;
    c.paint(roundedBox(gx, gy + 1, 272, 11, 10), hex(0x7C9CB5), 0.25f, 3.0f);
    c.paint(roundedBox(gx, gy, 270, 9.5f, 9), hex(0xF6FAFD));
    c.paint(roundedBox(gx, gy, 267, 7, 6.5f),
            verticalGradient(gy - 7, hex(0xBACFDE), gy + 7, hex(0xDCE8F1)));
    // A small clock left of the gauge says what it measures.
    c.paint(circle(28, gy, 9.5f), hex(0xF6FAFD));
    c.paint(outline(circle(28, gy, 8), 1.3f), hex(0x4D7FA8));
    c.paint(segment({28, gy}, {28, gy - 5}, 1.0f), hex(0x4D7FA8));
    c.paint(segment({28, gy}, {31.5f, gy + 1.5f}, 1.0f), hex(0x4D7FA8));

    // The keys of the items, under their boxes.
    for (int k = 0; k < 5; ++k) {
        char label[3] = {'F', static_cast<char>('1' + k), 0};
        float x = static_cast<float>(boxLeft + boxSize * k) + 13.0f;
        c.paint(text(label, x, static_cast<float>(boxTop + boxSize) + 4.0f, 5.5f, 8.0f, 3.0f, 0.9f),
                hex(0x56708C), 0.9f);
    }

    // A soft light band under the status line keeps its black text clear of the hills.
    c.paint(roundedBox(320, static_cast<float>(statusTop) + 16.0f, 340, 17, 17), hex(0xFFFCF4),
            0.45f, 8.0f);
    return c;
}

Canvas paintRankingBack() {
    Canvas c(layout::screenWidth, layout::screenHeight);
    c.fill(threeStops(0, hex(0xFFF5DA), 180, hex(0xFFEBD8), 320, hex(0xFBDDE4)));

    // Rays from behind the trophy.
    for (int k = 0; k < 12; ++k) {
        float a0 = pi + static_cast<float>(k) * pi / 12 + 0.05f, a1 = a0 + pi / 26;
        c.paint(polygon({{105, 250},
                         {105 + 700 * std::cos(a0), 250 + 700 * std::sin(a0)},
                         {105 + 700 * std::cos(a1), 250 + 700 * std::sin(a1)}}),
                hex(0xFFFFFF), 0.28f, 2.0f);
    }
    // A soft ribbon along the diagonal of the five entries.
    c.paint(segment({40, 30}, {600, 290}, 44), hex(0xFFFFFF), 0.35f, 24.0f);

    // Trophy, bottom left, clear of the entries' balloons.
    Colour gold = hex(0xF3C24F), deep = hex(0xD99A23), light = hex(0xFFE7A3);
    Fill goldFill = [=](float x, float) {
        float t = std::fabs(x - 98) / 44.0f;
        return mix(light, deep, std::min(1.0f, t * t * 1.4f + 0.1f));
    };
    // Handles: the outer halves of two rings.
    c.paint(subtract(outline(circle(56, 200, 16), 4.0f), roundedBox(80, 200, 24, 30, 0)), deep);
    c.paint(subtract(outline(circle(140, 200, 16), 4.0f), roundedBox(116, 200, 24, 30, 0)), deep);
    Shape cup = intersect(circle(98, 178, 46), roundedBox(98, 208, 44, 30, 4));
    c.paint(cup, goldFill);
    c.paint(roundedBox(98, 182, 45, 5, 4), gold);
    c.paint(polygon({{90, 236}, {106, 236}, {110, 262}, {86, 262}}), goldFill);
    c.paint(roundedBox(98, 266, 28, 5, 3), gold);
    c.paint(roundedBox(98, 283, 38, 13, 4),
            verticalGradient(270, hex(0x9A6B45), 296, hex(0x7A5234)));
    c.paint(roundedBox(98, 283, 24, 6, 2), hex(0xF3D27A));
    paintStar(c, 98, 207, 14, hex(0xFFF4C8), 0.95f);
    c.paint(ellipse(78, 200, 5, 14), hex(0xFFFFFF), 0.35f);

    // Podium, top right.
    struct Step {
        float x, top;
        Colour colour;
        char digit;
    };
    const Step steps[] = {{482, 112, hex(0xC9D3DE), '2'},
                          {542, 86, hex(0xF3C24F), '1'},
                          {602, 128, hex(0xE2A071), '3'}};
    for (const Step& s : steps) {
        float h = (160 - s.top) / 2;
        c.paint(roundedBox(s.x, s.top + h, 29, h, 3),
                verticalGradient(s.top, mix(s.colour, hex(0xFFFFFF), 0.35f), 160, s.colour));
        c.paint(glyph(s.digit, s.x - 6, s.top + 8, 12, 18, 2.0f), hex(0xFFFFFF), 0.95f);
    }
    c.paint(roundedBox(542, 162, 92, 3, 2), hex(0xB88C6A));
    paintStar(c, 542, 58, 12, hex(0xF8B62D), 1.0f);
    paintStar(c, 504, 74, 7, hex(0xF8CF5A), 0.9f);
    paintStar(c, 580, 74, 7, hex(0xF8CF5A), 0.9f);

    Scatter scatter{11};
    const unsigned confetti[] = {0xF28B82, 0x81C995, 0x8AB4F8, 0xFDD663, 0xC58AF9, 0xF6AEA9};
    for (int k = 0; k < 40; ++k) {
        float x = scatter.next(10, 630), y = scatter.next(10, 310);
        float a = scatter.next(0, pi);
        c.paint(rotated(roundedBox(x, y, 3.5f, 1.8f, 0.8f), x, y, a), hex(confetti[k % 6]), 0.8f);
    }
    return c;
}

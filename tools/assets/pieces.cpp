// The gauge strip, the balloon frame, the item box, the five item icons and the mark.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/assets/art.h"
#include "tools/assets/glyphs.h"
#include "tools/assets/layout.h"

namespace {

constexpr float pi = std::numbers::pi_v<float>;
const Colour white = hex(0xFFFFFF);

void setPixel(Canvas& c, int x, int y, Colour colour) {
    float* p = c.at(x, y);
    p[0] = colour.r, p[1] = colour.g, p[2] = colour.b, p[3] = 1.0f;
}

// The icons sit 4 pixels into their 40-pixel box.
Canvas finishIcon(Canvas icon, const Canvas& box) {
    icon.flattenOnto(box, 4, 4);
    return icon;
}

}  // namespace

Canvas paintTimeStrip() {
    // Column 1 is the band that remains longest, so it is the "hurry" colour.
    const unsigned bands[] = {0x9EA7B0, 0xE53935, 0xF0592B, 0xF57C1F, 0xF9A21B, 0xF3C31B,
                              0xC3D02B, 0x8CC63F, 0x4DB86A, 0x26A69A, 0x9EA7B0, 0x9EA7B0};
    // Light from above: a bright rim, a glossy upper half and a darker lower edge.
    const float shade[12] = {1.5f, 1.35f, 1.2f,  1.1f, 1.05f, 1.0f,
                             1.0f, 0.97f, 0.94f, 0.9f, 0.85f, 0.75f};
    Canvas c(12, 12);
    for (int x = 0; x < 12; ++x) {
        Colour base = hex(bands[x]);
        for (int y = 0; y < 12; ++y) {
            float s = shade[y];
            Colour colour = s > 1 ? mix(base, white, (s - 1) * 0.9f) : scale(base, s);
            setPixel(c, x, y, colour);
        }
    }
    return c;
}

Canvas paintFrame() {
    struct Band {
        unsigned accent, tint;
    };
    // Display (warm coral), romaji (sky blue), typed and ranking (mint green).
    const Band bands[3] = {{0xEE8A5E, 0xFFE7D9}, {0x4FA3D9, 0xDDEFFB}, {0x58B86E, 0xDFF3E2}};
    Canvas c(3, 108);
    for (int b = 0; b < 3; ++b) {
        Colour accent = hex(bands[b].accent), tint = hex(bands[b].tint);
        int top = b * layout::balloonHeight;
        for (int r = 0; r < layout::balloonHeight; ++r) {
            float t = static_cast<float>(r) / 35.0f;
            Colour middle = r == 0 || r == 35 ? scale(accent, 0.8f)
                            : r == 1          ? mix(tint, white, 0.8f)
                            : r == 34         ? mix(tint, accent, 0.3f)
                                              : mix(mix(tint, white, 0.55f), tint, t);
            setPixel(c, 1, top + r, middle);
            // The end caps are a row shorter at each end, which rounds the corners a little.
            if (r == 0 || r == 35) continue;
            Colour cap = r == 1 ? mix(accent, white, 0.55f)
                                : mix(mix(accent, white, 0.3f), scale(accent, 0.9f), t);
            setPixel(c, 0, top + r, cap);
            setPixel(c, 2, top + r, cap);
        }
    }
    return c;
}

Canvas paintItemBox(const Canvas& mainBack) {
    Canvas c(layout::boxSize, layout::boxSize);
    c.paint(roundedBox(20, 20.5f, 19.5f, 19.5f, 8), hex(0x6F93B3));
    c.paint(roundedBox(20, 20, 17.5f, 17.5f, 6.5f),
            verticalGradient(3, hex(0xFFFFFF), 37, hex(0xE6F0F7)));
    c.paint(outline(roundedBox(20, 20, 16.5f, 16.5f, 5.5f), 0.5f), hex(0xFFFFFF), 0.9f);
    // Corners blend into the sky behind the middle box, which is what all five sit on.
    c.flattenOnto(mainBack, layout::boxLeft + 2 * layout::boxSize, layout::boxTop);
    return c;
}

Canvas paintTimeStop(const Canvas& box) {
    Canvas c(32, 32);
    Colour rim = hex(0x3D7CC0), ink = hex(0x27496D);
    c.paint(circle(7, 6, 4.5f), rim);
    c.paint(circle(25, 6, 4.5f), rim);
    c.paint(segment({16, 17}, {16, 3}, 1.5f), rim);
    c.paint(circle(16, 18, 13), rim);
    c.paint(circle(16, 18, 10.5f), verticalGradient(8, hex(0xFFFFFF), 28, hex(0xE3EEF8)));
    for (int k = 0; k < 12; ++k) {
        float a = static_cast<float>(k) * pi / 6;
        float inner = k % 3 == 0 ? 7.0f : 8.3f;
        c.paint(segment({16 + inner * std::cos(a), 18 + inner * std::sin(a)},
                        {16 + 9.3f * std::cos(a), 18 + 9.3f * std::sin(a)}, 0.55f),
                ink, k % 3 == 0 ? 1.0f : 0.6f);
    }
    c.paint(segment({16, 18}, {11.5f, 14.5f}, 1.3f), ink);
    c.paint(segment({16, 18}, {16, 10.5f}, 1.0f), ink);
    c.paint(circle(16, 18, 1.8f), hex(0xE5493A));
    return finishIcon(c, box);
}

Canvas paintBomb(const Canvas& box) {
    Canvas c(32, 32);
    c.paint(segment({22, 9}, {26, 5}, 1.2f), hex(0xA87A4E));
    c.paint(rotated(roundedBox(21, 10, 4, 3, 1), 21, 10, -pi / 4), hex(0x56637A));
    c.paint(circle(14, 19, 11), [](float x, float y) {
        float d = std::hypot(x - 10, y - 15) / 18.0f;
        return mix(hex(0x5E6F8E), hex(0x1E2636), std::min(1.0f, d));
    });
    c.paint(ellipse(10, 14.5f, 3.2f, 2.2f), white, 0.55f);
    // The spark: a yellow star with an orange heart.
    std::vector<Point> star;
    for (int k = 0; k < 16; ++k) {
        float r = k % 2 == 0 ? 4.8f : 2.0f;
        float a = static_cast<float>(k) * pi / 8;
        star.push_back({26.5f + r * std::cos(a), 4.8f + r * std::sin(a)});
    }
    c.paint(polygon(star), hex(0xFFD54F));
    c.paint(circle(26.5f, 4.8f, 1.6f), hex(0xFF8F00));
    return finishIcon(c, box);
}

Canvas paintHalf(const Canvas& box) {
    Canvas c(32, 32);
    Colour ink = hex(0xD2466F);
    c.paint(glyph('1', 3, 3, 9, 14, 1.7f), ink);
    c.paint(glyph('/', 9.5f, 3, 13, 26, 1.4f), hex(0x6F7F95));
    c.paint(glyph('2', 18.5f, 15, 10.5f, 14, 1.7f), ink);
    return finishIcon(c, box);
}

Canvas paintMiss(const Canvas& box) {
    Canvas c(32, 32);
    std::vector<Point> shield = {{16, 2},  {21, 4},    {27, 4.5f},  {27.5f, 13},
                                 {25, 20}, {20, 26},   {16, 29.5f}, {12, 26},
                                 {7, 20},  {4.5f, 13}, {5, 4.5f},   {11, 4}};
    c.paint(polygon(shield), hex(0x2B5F9E));
    std::vector<Point> inner;
    for (Point p : shield) inner.push_back({16 + (p.x - 16) * 0.8f, 16.5f + (p.y - 16) * 0.8f});
    c.paint(polygon(inner), verticalGradient(4, hex(0x7DB7EC), 28, hex(0x3C7BC4)));
    c.paint(segment({10.5f, 15.5f}, {14.5f, 20}, 1.6f), white);
    c.paint(segment({14.5f, 20}, {22, 10.5f}, 1.6f), white);
    return finishIcon(c, box);
}

Canvas paintPower(const Canvas& box) {
    Canvas c(32, 32);
    std::vector<Point> bolt = {{19.5f, 1.5f}, {6, 18},  {14.5f, 18},  {11, 30.5f},
                               {26.5f, 12},   {18, 12}, {22.5f, 1.5f}};
    c.paint(polygon(bolt), hex(0xE07800));
    std::vector<Point> inner;
    for (Point p : bolt) inner.push_back({16.3f + (p.x - 16.3f) * 0.78f, 16 + (p.y - 16) * 0.8f});
    c.paint(polygon(inner), verticalGradient(3, hex(0xFFF2A0), 29, hex(0xFFB300)));
    return finishIcon(c, box);
}

Canvas paintMark(int size) {
    Canvas c(size, size);
    float s = static_cast<float>(size) / 48.0f;
    Colour body = hex(0x3C8DD2);
    // A keycap falling, tilted a little, with the game's initial on its face.
    if (size >= 32) {
        for (float x : {13.0f, 24.0f, 35.0f}) {
            c.paint(segment({x * s, 2 * s}, {x * s, 8 * s}, 1.4f * s), hex(0x8EC3EA));
        }
    }
    float cx = 24 * s, cy = 28 * s, tilt = -0.14f;
    c.paint(rotated(roundedBox(cx, cy + 3 * s, 20 * s, 17 * s, 7 * s), cx, cy, tilt),
            scale(body, 0.7f));
    c.paint(rotated(roundedBox(cx, cy, 20 * s, 17 * s, 7 * s), cx, cy, tilt), body);
    c.paint(rotated(roundedBox(cx, cy - 2 * s, 15.5f * s, 13 * s, 5 * s), cx, cy, tilt),
            verticalGradient(cy - 15 * s, hex(0xF4FAFF), cy + 11 * s, hex(0xCFE5F7)));
    float g = 15 * s, stroke = std::max(1.1f, 2.3f * s);
    c.paint(rotated(glyph('K', cx - g * 0.45f, cy - 2 * s - g * 0.62f, g * 0.9f, g * 1.24f, stroke),
                    cx, cy, tilt),
            hex(0xE8573A));
    return c;
}

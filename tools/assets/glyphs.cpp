// Each glyph is a few polylines in a unit box (x right, y down), drawn as round strokes.
#include "tools/assets/glyphs.h"

#include <cstring>
#include <vector>

namespace {

using Polyline = std::vector<Point>;

std::vector<Polyline> strokes(char c) {
    switch (c) {
        case '0':
            return {{{0.5f, 0},
                     {0.9f, 0.2f},
                     {0.95f, 0.8f},
                     {0.5f, 1},
                     {0.05f, 0.8f},
                     {0.1f, 0.2f},
                     {0.5f, 0}}};
        case '1': return {{{0.2f, 0.2f}, {0.55f, 0}, {0.55f, 1}}, {{0.2f, 1}, {0.9f, 1}}};
        case '2':
            return {{{0.05f, 0.22f},
                     {0.25f, 0.03f},
                     {0.55f, 0},
                     {0.85f, 0.08f},
                     {0.93f, 0.3f},
                     {0.8f, 0.5f},
                     {0.05f, 1},
                     {0.95f, 1}}};
        case '3':
            return {{{0.05f, 0.1f},
                     {0.5f, 0},
                     {0.9f, 0.15f},
                     {0.85f, 0.4f},
                     {0.45f, 0.5f},
                     {0.9f, 0.6f},
                     {0.95f, 0.85f},
                     {0.5f, 1},
                     {0.05f, 0.9f}}};
        case '4': return {{{0.7f, 1}, {0.7f, 0}, {0.02f, 0.68f}, {0.98f, 0.68f}}};
        case '5':
            return {{{0.9f, 0},
                     {0.12f, 0},
                     {0.08f, 0.45f},
                     {0.5f, 0.38f},
                     {0.9f, 0.5f},
                     {0.95f, 0.75f},
                     {0.6f, 1},
                     {0.05f, 0.92f}}};
        case 'A': return {{{0, 1}, {0.5f, 0}, {1, 1}}, {{0.22f, 0.62f}, {0.78f, 0.62f}}};
        case 'E': return {{{1, 0}, {0, 0}, {0, 1}, {1, 1}}, {{0, 0.5f}, {0.8f, 0.5f}}};
        case 'F': return {{{1, 0}, {0, 0}, {0, 1}}, {{0, 0.5f}, {0.8f, 0.5f}}};
        case 'K': return {{{0, 0}, {0, 1}}, {{1, 0}, {0, 0.6f}}, {{0.32f, 0.38f}, {1, 1}}};
        case 'L': return {{{0, 0}, {0, 1}, {1, 1}}};
        case 'Y': return {{{0, 0}, {0.5f, 0.5f}, {1, 0}}, {{0.5f, 0.5f}, {0.5f, 1}}};
        case '/': return {{{1, 0}, {0, 1}}};
        default: return {};
    }
}

}  // namespace

Shape glyph(char c, float x, float y, float w, float h, float halfThickness) {
    Shape shape = [](float, float) { return 1e9f; };
    for (const Polyline& line : strokes(c)) {
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            Point a{x + line[i].x * w, y + line[i].y * h};
            Point b{x + line[i + 1].x * w, y + line[i + 1].y * h};
            shape = unite(shape, segment(a, b, halfThickness));
        }
    }
    return shape;
}

Shape text(const char* s, float x, float y, float w, float h, float gap, float halfThickness) {
    Shape shape = [](float, float) { return 1e9f; };
    for (size_t i = 0; i < std::strlen(s); ++i) {
        shape = unite(shape,
                      glyph(s[i], x + static_cast<float>(i) * (w + gap), y, w, h, halfThickness));
    }
    return shape;
}

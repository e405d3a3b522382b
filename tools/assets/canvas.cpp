// Signed-distance shapes and their anti-aliased painting.
#include "tools/assets/canvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

Colour hex(unsigned rgb) {
    return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
            static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
            static_cast<float>(rgb & 0xFF) / 255.0f};
}

Colour mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scale(Colour c, float factor) { return {c.r * factor, c.g * factor, c.b * factor}; }

Shape circle(float cx, float cy, float radius) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Shape ellipse(float cx, float cy, float rx, float ry) {
    // Distance scaled by the smaller radius: close enough to exact for soft edges.
    return [=](float x, float y) {
        float k = std::hypot((x - cx) / rx, (y - cy) / ry);
        return (k - 1.0f) * std::min(rx, ry);
    };
}

Shape roundedBox(float cx, float cy, float halfWidth, float halfHeight, float radius) {
    return [=](float x, float y) {
        float qx = std::fabs(x - cx) - halfWidth + radius;
        float qy = std::fabs(y - cy) - halfHeight + radius;
        float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
        return outside + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}

Shape segment(Point a, Point b, float radius) {
    return [=](float x, float y) {
        float px = x - a.x, py = y - a.y, dx = b.x - a.x, dy = b.y - a.y;
        float len2 = dx * dx + dy * dy;
        float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
        return std::hypot(px - dx * t, py - dy * t) - radius;
    };
}

Shape polygon(std::vector<Point> points) {
    // Exact distance to the edges, signed by the even-odd crossing rule.
    return [pts = std::move(points)](float x, float y) {
        float best = 1e9f;
        bool inside = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            Point a = pts[j], b = pts[i];
            float ex = b.x - a.x, ey = b.y - a.y, wx = x - a.x, wy = y - a.y;
            float len2 = ex * ex + ey * ey;
            float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
            best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
            if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * ex / ey) inside = !inside;
        }
        return inside ? -best : best;
    };
}

Shape rotated(Shape shape, float cx, float cy, float radians) {
    float c = std::cos(radians), s = std::sin(radians);
    return [=](float x, float y) {
        float dx = x - cx, dy = y - cy;
        return shape(cx + dx * c + dy * s, cy - dx * s + dy * c);
    };
}

Shape outline(Shape shape, float halfThickness) {
    return [=](float x, float y) { return std::fabs(shape(x, y)) - halfThickness; };
}

Shape unite(Shape a, Shape b) {
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Shape subtract(Shape a, Shape b) {
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Shape intersect(Shape a, Shape b) {
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Fill solid(Colour c) {
    return [=](float, float) { return c; };
}

Fill verticalGradient(float y0, Colour from, float y1, Colour to) {
    return
        [=](float, float y) { return mix(from, to, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f)); };
}

Canvas::Canvas(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0.0f) {}

Colour Canvas::colourAt(int x, int y) const {
    const float* p = at(x, y);
    return {p[0], p[1], p[2]};
}

void Canvas::fill(const Fill& fill) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Colour c = fill(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            float* p = at(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 1.0f;
        }
    }
}

void Canvas::paint(const Shape& shape, const Fill& fill, float opacity, float feather) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            float d = shape(px, py);
            float coverage = std::clamp(0.5f - d / feather, 0.0f, 1.0f) * opacity;
            if (coverage <= 0.0f) continue;
            Colour c = fill(px, py);
            float* p = at(x, y);
            float alpha = coverage + p[3] * (1.0f - coverage);
            float keep = p[3] * (1.0f - coverage);
            p[0] = (c.r * coverage + p[0] * keep) / alpha;
            p[1] = (c.g * coverage + p[1] * keep) / alpha;
            p[2] = (c.b * coverage + p[2] * keep) / alpha;
            p[3] = alpha;
        }
    }
}

void Canvas::draw(const Canvas& source, int x0, int y0) {
    for (int y = 0; y < source.height; ++y) {
        for (int x = 0; x < source.width; ++x) {
            int tx = x0 + x, ty = y0 + y;
            if (tx < 0 || ty < 0 || tx >= width || ty >= height) continue;
            const float* s = source.at(x, y);
            float* p = at(tx, ty);
            float alpha = s[3] + p[3] * (1.0f - s[3]);
            if (alpha <= 0.0f) continue;
            float keep = p[3] * (1.0f - s[3]);
            for (int k = 0; k < 3; ++k) p[k] = (s[k] * s[3] + p[k] * keep) / alpha;
            p[3] = alpha;
        }
    }
}

void Canvas::flattenOnto(const Canvas& backdrop, int x0, int y0) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float* p = at(x, y);
            if (p[3] < 0.03f) {
                p[0] = p[1] = p[2] = p[3] = 0.0f;
                continue;
            }
            int bx = std::clamp(x0 + x, 0, backdrop.width - 1);
            int by = std::clamp(y0 + y, 0, backdrop.height - 1);
            const float* b = backdrop.at(bx, by);
            for (int k = 0; k < 3; ++k) p[k] = p[k] * p[3] + b[k] * (1.0f - p[3]);
            p[3] = 1.0f;
        }
    }
}

void Canvas::flattenOnto(Colour backdrop) {
    Canvas plain(1, 1);
    plain.fill(solid(backdrop));
    flattenOnto(plain, 0, 0);
}

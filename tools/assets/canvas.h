// Float RGBA canvases and anti-aliased shapes given by signed distance, for drawing the art.
#pragma once

#include <functional>
#include <vector>

struct Colour {
    float r, g, b;
};

// 0xRRGGBB as a colour.
Colour hex(unsigned rgb);
Colour mix(Colour a, Colour b, float t);
Colour scale(Colour c, float factor);

struct Point {
    float x, y;
};

// Signed distance in pixels from a point to a shape's edge: negative inside. Coordinates
// run from the top-left corner, y downward; a pixel's centre is at (x + 0.5, y + 0.5).
using Shape = std::function<float(float x, float y)>;
// Colour of a fill at a point, for gradients.
using Fill = std::function<Colour(float x, float y)>;

Shape circle(float cx, float cy, float radius);
Shape ellipse(float cx, float cy, float rx, float ry);
Shape roundedBox(float cx, float cy, float halfWidth, float halfHeight, float radius);
Shape segment(Point a, Point b, float radius);
Shape polygon(std::vector<Point> points);
Shape rotated(Shape shape, float cx, float cy, float radians);
Shape outline(Shape shape, float halfThickness);
Shape unite(Shape a, Shape b);
Shape subtract(Shape a, Shape b);
Shape intersect(Shape a, Shape b);

Fill solid(Colour c);
// Linear gradient from `from` at y0 to `to` at y1 (clamped).
Fill verticalGradient(float y0, Colour from, float y1, Colour to);

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;  // row-major from the top, four floats a pixel

    Canvas(int w, int h);
    float* at(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    const float* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
    Colour colourAt(int x, int y) const;

    // Every pixel set to the fill, fully opaque.
    void fill(const Fill& fill);
    // The shape painted over what is there; feather widens the soft edge (1 = crisp).
    void paint(const Shape& shape, const Fill& fill, float opacity = 1.0f, float feather = 1.0f);
    void paint(const Shape& shape, Colour colour, float opacity = 1.0f, float feather = 1.0f) {
        paint(shape, solid(colour), opacity, feather);
    }
    // Another canvas drawn over this one with its top-left corner at (x, y).
    void draw(const Canvas& source, int x, int y);
    // Makes every pixel that shows at least a trace of paint opaque, as it would look over
    // the backdrop placed under it at (x, y); the rest becomes fully transparent. Images are
    // keyed on black, so their soft edges must be blended with what they will sit on.
    void flattenOnto(const Canvas& backdrop, int x, int y);
    void flattenOnto(Colour backdrop);
};

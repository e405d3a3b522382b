// What the window shows, checked against the plain model of GDI's: every present copies the
// frame into a 640 x 320 window surface at once, whatever is done to the frame afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "backends/gtk/window_picture.h"

namespace {

cairo_surface_t* randomFrame(int width, int height, std::mt19937& random) {
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_surface_flush(frame);
    uint8_t* data = cairo_image_surface_get_data(frame);
    const int stride = cairo_image_surface_get_stride(frame);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(stride) * y);
        for (int x = 0; x < width; ++x) row[x] = random() & 0xFFFFFF;
    }
    cairo_surface_mark_dirty(frame);
    return frame;
}

// The model: one window surface, copied into at every present.
struct PlainWindow {
    cairo_surface_t* surface = nullptr;

    PlainWindow() {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 320);
        fillWhite(640, 320);
    }
    ~PlainWindow() { cairo_surface_destroy(surface); }

    void fillWhite(int width, int height) {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, 0, 0, width, height);
        cairo_fill(cr);
        cairo_destroy(cr);
    }
    void present(cairo_surface_t* frame, int width, int height) {
        const int columns = std::min({width, cairo_image_surface_get_width(frame), 640});
        const int rows = std::min({height, cairo_image_surface_get_height(frame), 320});
        if (columns <= 0 || rows <= 0) return;
        cairo_t* cr = cairo_create(surface);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, frame, 0, 0);
        cairo_rectangle(cr, 0, 0, columns, rows);
        cairo_fill(cr);
        cairo_destroy(cr);
    }
};

// What a widget of that height shows, over black.
std::vector<uint32_t> shown(int visibleHeight, cairo_surface_t* plainSurface) {
    cairo_surface_t* widget = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, visibleHeight);
    cairo_t* cr = cairo_create(widget);
    if (plainSurface) {
        cairo_set_source_surface(cr, plainSurface, 0, 0);
        cairo_paint(cr);
    } else {
        showWindowPicture(cr, visibleHeight);
    }
    cairo_destroy(cr);
    cairo_surface_flush(widget);
    std::vector<uint32_t> pixels(size_t{640} * visibleHeight);
    const uint8_t* data = cairo_image_surface_get_data(widget);
    const int stride = cairo_image_surface_get_stride(widget);
    for (int y = 0; y < visibleHeight; ++y) {
        std::memcpy(&pixels[size_t{640} * y], data + static_cast<ptrdiff_t>(stride) * y, 640 * 4);
    }
    cairo_surface_destroy(widget);
    return pixels;
}

// The same frame with one small rectangle of another colour: what a key changes.
cairo_surface_t* changedCopy(cairo_surface_t* frame, int x, int y) {
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 320);
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, frame, 0, 0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, x, y, 3, 2);
    cairo_fill(cr);
    cairo_destroy(cr);
    return copy;
}

// A window that is only ever sent the changes, as a key's paint sends them.
void sendChanges(cairo_surface_t* window) {
    cairo_region_t* changes = takeWindowPictureChanges();
    cairo_t* cr = cairo_create(window);
    for (int i = 0; i < cairo_region_num_rectangles(changes); ++i) {
        cairo_rectangle_int_t box = {};
        cairo_region_get_rectangle(changes, i, &box);
        cairo_rectangle(cr, box.x, box.y, box.width, box.height);
    }
    cairo_clip(cr);
    showWindowPicture(cr, 320);
    cairo_destroy(cr);
    cairo_region_destroy(changes);
}

void scribble(cairo_surface_t* frame) {
    cairo_t* cr = cairo_create(frame);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 10, 10, 300, 200);
    cairo_fill(cr);
    cairo_destroy(cr);
}

enum class Step {
    present,            // the frame, width x height
    presentChanged,     // the last frame with a few pixels changed, at (width, height)
    presentAndRelease,  // the same, and the caller lets go of the frame at once
    fillWhite,
    drawOnLastFrame,  // what drawText does to a frame still shown
};

struct Action {
    Step step;
    int frameWidth;
    int frameHeight;
    int width;
    int height;
    int visibleHeight;  // of the widget it is shown on afterwards
};

TEST(WindowPicture, ShowsWhatCopyingEveryPresentWouldShow) {
    // A widget taller than the frame must show the window surface below it.
    const Action actions[] = {
        {Step::present, 640, 320, 640, 320, 320},  // a game frame
        {Step::drawOnLastFrame, 0, 0, 0, 0, 320},  // the window keeps the frame as presented
        {Step::present, 640, 320, 640, 320, 320},
        {Step::fillWhite, 0, 0, 0, 0, 320},        // the ranking screen's white
        {Step::present, 640, 320, 640, 480, 400},  // more rows asked for than the frame has
        {Step::present, 100, 50, 640, 320, 320},   // a small frame over the last one
        {Step::present, 640, 320, 640, 200, 320},  // part of a frame only
        {Step::presentAndRelease, 640, 320, 640, 320, 320},
        {Step::present, 640, 480, 640, 480, 400},  // taller than the visible area
        {Step::drawOnLastFrame, 0, 0, 0, 0, 400},
        {Step::present, 700, 320, 700, 320, 320},  // wider than the window
        {Step::present, 640, 320, 640, 320, 320},
        {Step::present, 640, 320, 0, 320, 320},  // nothing to copy
        {Step::present, 640, 320, 640, 100, 320},
        {Step::present, 640, 320, 640, 320, 400},
        {Step::drawOnLastFrame, 0, 0, 0, 0, 320},
        {Step::present, 640, 320, 640, 320, 320},
        {Step::presentChanged, 0, 0, 300, 150, 320},
        {Step::presentChanged, 0, 0, 637, 318, 320},  // the last columns and rows
        {Step::presentChanged, 0, 0, 0, 0, 320},
    };
    std::mt19937 random(99);
    createWindowPicture();
    findWindowPictureChanges(true);
    PlainWindow plain;
    cairo_surface_t* sentChanges = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 320);
    cairo_surface_t* lastFrame = nullptr;
    int step = 0;
    for (const Action& action : actions) {
        ++step;
        switch (action.step) {
            case Step::present:
            case Step::presentAndRelease: {
                if (lastFrame) cairo_surface_destroy(lastFrame);
                lastFrame = randomFrame(action.frameWidth, action.frameHeight, random);
                presentFrameSurface(lastFrame, action.width, action.height);
                plain.present(lastFrame, action.width, action.height);
                if (action.step == Step::presentAndRelease) {
                    cairo_surface_destroy(lastFrame);
                    lastFrame = nullptr;
                }
                break;
            }
            case Step::presentChanged: {
                cairo_surface_t* changed = changedCopy(lastFrame, action.width, action.height);
                cairo_surface_destroy(lastFrame);
                lastFrame = changed;
                presentFrameSurface(lastFrame, 640, 320);
                plain.present(lastFrame, 640, 320);
                break;
            }
            case Step::fillWhite:
                fillWindowPictureWhite();
                plain.fillWhite(640, 320);
                break;
            case Step::drawOnLastFrame:
                keepWindowPictureFrom(lastFrame);
                scribble(lastFrame);
                break;
        }
        EXPECT_TRUE(shown(action.visibleHeight, nullptr) ==
                    shown(action.visibleHeight, plain.surface))
            << "step " << step;
        sendChanges(sentChanges);
        EXPECT_TRUE(shown(320, sentChanges) == shown(320, plain.surface))
            << "changes sent after step " << step;
    }
    findWindowPictureChanges(false);
    cairo_surface_destroy(sentChanges);
    if (lastFrame) cairo_surface_destroy(lastFrame);
    releaseWindowPicture();
}

}  // namespace

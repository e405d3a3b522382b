// What the window shows. A frame that covers the whole visible area is shown by pointing at
// it: the game deletes the frame right after the present and the next one is made in another
// surface, so the copy into the window surface that GDI's model asks for is only made when
// something else would change the picture.
#include "backends/gtk/window_picture.h"

#include "platform/platform.h"

#include <algorithm>

namespace {

// The window shows the frame's rows and no more.
constexpr int windowSurfaceHeight = frameHeight;

struct Picture {
    cairo_surface_t* windowSurface = nullptr;
    // A presented frame shown in place of the window surface's top rows (a reference of ours).
    cairo_surface_t* shownFrame = nullptr;
};

Picture picture;

void copyIntoWindowSurface(cairo_surface_t* frame, int columns, int rows) {
    cairo_t* cr = cairo_create(picture.windowSurface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, frame, 0, 0);
    cairo_rectangle(cr, 0, 0, columns, rows);
    cairo_fill(cr);
    cairo_destroy(cr);
}

// The copy the present would have made, made now; the window surface is shown again.
void settleShownFrame() {
    if (!picture.shownFrame) return;
    copyIntoWindowSurface(picture.shownFrame, frameWidth,
                          cairo_image_surface_get_height(picture.shownFrame));
    cairo_surface_destroy(picture.shownFrame);
    picture.shownFrame = nullptr;
}

}  // namespace

void createWindowPicture() {
    if (picture.windowSurface) return;
    picture.windowSurface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, frameWidth, windowSurfaceHeight);
    cairo_t* cr = cairo_create(picture.windowSurface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
}

void releaseWindowPicture() {
    if (picture.shownFrame) cairo_surface_destroy(picture.shownFrame);
    if (picture.windowSurface) cairo_surface_destroy(picture.windowSurface);
    picture = Picture{};
}

void presentFrameSurface(cairo_surface_t* frame, int width, int height) {
    if (!frame || !picture.windowSurface) return;
    const int frameColumns = cairo_image_surface_get_width(frame);
    const int frameRows = cairo_image_surface_get_height(frame);
    // Only pixels inside both the frame and the window surface are taken.
    const int columns = std::min({width, frameColumns, frameWidth});
    const int rows = std::min({height, frameRows, windowSurfaceHeight});
    if (columns <= 0 || rows <= 0) return;
    if (frameColumns == frameWidth && columns == frameWidth && rows == frameRows &&
        rows >= frameHeight) {
        // All of the frame, and all that is visible: shown as it is.
        if (picture.shownFrame != frame) {
            cairo_surface_reference(frame);
            if (picture.shownFrame) cairo_surface_destroy(picture.shownFrame);
            picture.shownFrame = frame;
        }
        return;
    }
    settleShownFrame();
    copyIntoWindowSurface(frame, columns, rows);
}

void fillWindowPictureWhite() {
    if (!picture.windowSurface) return;
    settleShownFrame();
    cairo_t* cr = cairo_create(picture.windowSurface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, frameWidth, frameHeight);
    cairo_fill(cr);
    cairo_destroy(cr);
}

void keepWindowPictureFrom(cairo_surface_t* surface) {
    if (surface && surface == picture.shownFrame) settleShownFrame();
}

void showWindowPicture(cairo_t* cr, int visibleHeight) {
    if (!picture.windowSurface) return;
    // The frame is shorter than the window surface: below it the window surface shows.
    if (picture.shownFrame && visibleHeight > cairo_image_surface_get_height(picture.shownFrame)) {
        settleShownFrame();
    }
    cairo_set_source_surface(cr, picture.shownFrame ? picture.shownFrame : picture.windowSurface, 0,
                             0);
    cairo_paint(cr);
}

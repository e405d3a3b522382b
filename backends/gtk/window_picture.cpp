// What the window shows. A frame that covers the whole visible area is shown by pointing at
// it: the game deletes the frame right after the present and the next one is made in another
// surface, so the copy into the window surface that GDI's model asks for is only made when
// something else would change the picture.
#include "backends/gtk/window_picture.h"

#include "platform/platform.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The window shows the frame's rows and no more.
constexpr int windowSurfaceHeight = frameHeight;

struct Picture {
    cairo_surface_t* windowSurface = nullptr;
    int scale = 1;  // device pixels per pixel of the window surface
    // A presented frame shown in place of the window surface's top rows (a reference of ours).
    cairo_surface_t* shownFrame = nullptr;
    // What may differ from what the window was last shown, in pixels of the window.
    cairo_region_t* changes = nullptr;
    bool findChanges = false;
};

Picture picture;

int scaleOf(cairo_surface_t* surface) {
    double scaleX = 1;
    double scaleY = 1;
    cairo_surface_get_device_scale(surface, &scaleX, &scaleY);
    return static_cast<int>(scaleX);
}

// A surface's size in pixels of the window, whatever its device scale.
int columnsOf(cairo_surface_t* surface) {
    return cairo_image_surface_get_width(surface) / scaleOf(surface);
}
int rowsOf(cairo_surface_t* surface) {
    return cairo_image_surface_get_height(surface) / scaleOf(surface);
}

// Paints source at (0, 0); a picture of another scale becomes whole blocks, never a blur.
void paintWhole(cairo_t* cr, cairo_surface_t* source) {
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
}

void addChange(int x, int y, int width, int height) {
    const cairo_rectangle_int_t changed = {x, y, width, height};
    if (!picture.changes) picture.changes = cairo_region_create();
    cairo_region_union_rectangle(picture.changes, &changed);
}

void addWholeChange() { addChange(0, 0, frameWidth, windowSurfaceHeight); }

// Rows this close together are sent as one band: each band costs a transfer of its own.
constexpr int bandGapRows = 8;

// The bands of rows in which two frames of the same size and scale differ, each as wide as
// the columns that differ in it. A key changes a line or two of text: that much, and not the
// whole frame, goes to the display.
void addChangedBands(cairo_surface_t* before, cairo_surface_t* after) {
    cairo_surface_flush(before);
    cairo_surface_flush(after);
    const int scale = scaleOf(after);
    const int width = cairo_image_surface_get_width(after);
    const int height = cairo_image_surface_get_height(after);
    const int strideBefore = cairo_image_surface_get_stride(before);
    const int strideAfter = cairo_image_surface_get_stride(after);
    const uint8_t* dataBefore = cairo_image_surface_get_data(before);
    const uint8_t* dataAfter = cairo_image_surface_get_data(after);
    int top = -1;
    int bottom = 0;
    int left = width;
    int right = 0;
    auto addBand = [&] {
        // Device pixels to whole pixels of the window, rounded outwards.
        const int x = left / scale;
        const int y = top / scale;
        addChange(x, y, (right + scale - 1) / scale - x, (bottom + scale - 1) / scale - y);
        top = -1;
    };
    for (int row = 0; row < height; ++row) {
        const auto* a =
            reinterpret_cast<const uint32_t*>(dataBefore + ptrdiff_t{strideBefore} * row);
        const auto* b = reinterpret_cast<const uint32_t*>(dataAfter + ptrdiff_t{strideAfter} * row);
        if (std::memcmp(a, b, size_t{4} * width) == 0) continue;
        if (top >= 0 && row - bottom > bandGapRows) addBand();
        int first = 0;
        while (a[first] == b[first]) ++first;
        int last = width - 1;
        while (a[last] == b[last]) --last;
        if (top < 0) {
            top = row;
            left = width;
            right = 0;
        }
        bottom = row + 1;
        left = std::min(left, first);
        right = std::max(right, last + 1);
    }
    if (top >= 0) addBand();
}

void copyIntoWindowSurface(cairo_surface_t* frame, int columns, int rows) {
    cairo_t* cr = cairo_create(picture.windowSurface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    paintWhole(cr, frame);
    cairo_rectangle(cr, 0, 0, columns, rows);
    cairo_fill(cr);
    cairo_destroy(cr);
    addChange(0, 0, columns, rows);
}

// The copy the present would have made, made now; the window surface is shown again.
void settleShownFrame() {
    if (!picture.shownFrame) return;
    copyIntoWindowSurface(picture.shownFrame, frameWidth, rowsOf(picture.shownFrame));
    cairo_surface_destroy(picture.shownFrame);
    picture.shownFrame = nullptr;
}

cairo_surface_t* whiteSurface(int scale) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, frameWidth * scale,
                                                          windowSurfaceHeight * scale);
    cairo_surface_set_device_scale(surface, scale, scale);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
    return surface;
}

}  // namespace

void createWindowPicture() {
    if (picture.windowSurface) return;
    picture.windowSurface = whiteSurface(picture.scale);
    addWholeChange();
}

void releaseWindowPicture() {
    if (picture.shownFrame) cairo_surface_destroy(picture.shownFrame);
    if (picture.windowSurface) cairo_surface_destroy(picture.windowSurface);
    if (picture.changes) cairo_region_destroy(picture.changes);
    picture = Picture{};
}

void setWindowPictureScale(int scale) {
    scale = std::clamp(scale, 1, 8);
    if (scale == picture.scale) return;
    picture.scale = scale;
    if (!picture.windowSurface) return;
    // What the window showed stays, in blocks, until the game presents a frame at the new
    // scale.
    settleShownFrame();
    cairo_surface_t* old = picture.windowSurface;
    picture.windowSurface = whiteSurface(scale);
    copyIntoWindowSurface(old, frameWidth, windowSurfaceHeight);
    cairo_surface_destroy(old);
}

void presentFrameSurface(cairo_surface_t* frame, int width, int height,
                         const FrameChanges* changes) {
    if (!frame || !picture.windowSurface) return;
    const int frameColumns = columnsOf(frame);
    const int frameRows = rowsOf(frame);
    // Only pixels inside both the frame and the window surface are taken.
    const int columns = std::min({width, frameColumns, frameWidth});
    const int rows = std::min({height, frameRows, windowSurfaceHeight});
    if (columns <= 0 || rows <= 0) return;
    if (frameColumns == frameWidth && columns == frameWidth && rows == frameRows &&
        rows >= frameHeight && scaleOf(frame) == picture.scale) {
        // All of the frame, and all that is visible: shown as it is.
        if (picture.shownFrame != frame) {
            cairo_surface_reference(frame);
            if (picture.findChanges && picture.shownFrame && changes &&
                changes->since == picture.shownFrame && changes->region) {
                if (!picture.changes) picture.changes = cairo_region_create();
                cairo_region_union(picture.changes, changes->region);
            } else if (picture.findChanges && picture.shownFrame &&
                       rowsOf(picture.shownFrame) == frameRows &&
                       scaleOf(picture.shownFrame) == picture.scale) {
                addChangedBands(picture.shownFrame, frame);
            } else {
                addWholeChange();
            }
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
    addWholeChange();
}

void keepWindowPictureFrom(cairo_surface_t* surface) {
    if (surface && surface == picture.shownFrame) settleShownFrame();
}

void showWindowPicture(cairo_t* cr, int visibleHeight) {
    if (!picture.windowSurface) return;
    // The frame is shorter than the window surface: below it the window surface shows.
    if (picture.shownFrame && visibleHeight > rowsOf(picture.shownFrame)) settleShownFrame();
    paintWhole(cr, picture.shownFrame ? picture.shownFrame : picture.windowSurface);
    cairo_paint(cr);
}

cairo_region_t* takeWindowPictureChanges() {
    cairo_region_t* changes = picture.changes ? picture.changes : cairo_region_create();
    picture.changes = cairo_region_create();
    return changes;
}

void windowPictureShownWhole() {
    if (picture.changes) cairo_region_destroy(picture.changes);
    picture.changes = cairo_region_create();
}

void findWindowPictureChanges(bool find) { picture.findChanges = find; }

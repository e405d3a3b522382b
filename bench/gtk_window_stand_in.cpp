// The window half of the GTK backend's paint, without a display: the same per-frame work as
// beginPaint, endPaint and copyFrameToWindow of platform/gtk/gtk_window.cpp (which need a
// GTK window to run), plus the draw handler's paint of the window surface, here onto an
// offscreen surface that stands in for the widget.
#include "bench/gtk_window_stand_in.h"

#include <algorithm>

#include "platform/gtk/gtk_objects.h"

namespace {

constexpr int frameWidth = 640;
constexpr int frameHeight = 320;
constexpr int windowSurfaceHeight = 480;

struct StandIn {
    NativeDC paintDC;
    cairo_surface_t* windowSurface = nullptr;
    cairo_surface_t* widgetSurface = nullptr;
};

StandIn standIn;

}  // namespace

void createWindowStandIn() {
    if (standIn.windowSurface) return;
    standIn.windowSurface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, frameWidth, windowSurfaceHeight);
    standIn.widgetSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, frameWidth, frameHeight);
    cairo_t* cr = cairo_create(standIn.windowSurface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_destroy(cr);
}

void showWindowStandIn() {
    // The draw handler: the window surface painted onto the widget's context.
    cairo_t* cr = cairo_create(standIn.widgetSurface);
    cairo_set_source_surface(cr, standIn.windowSurface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
}

DeviceContext beginPaint(WindowHandle) { return &standIn.paintDC; }

void endPaint(WindowHandle, DeviceContext) {}

void copyFrameToWindow(DeviceContext, DeviceContext memoryDC, int width, int height) {
    if (!memoryDC || !memoryDC->bitmap || !memoryDC->bitmap->surface || !standIn.windowSurface) {
        return;
    }
    cairo_surface_t* frame = memoryDC->bitmap->surface;
    int columns = std::min({width, cairo_image_surface_get_width(frame), frameWidth});
    int rows = std::min({height, cairo_image_surface_get_height(frame), windowSurfaceHeight});
    if (columns <= 0 || rows <= 0) return;
    cairo_t* cr = cairo_create(standIn.windowSurface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, frame, 0, 0);
    cairo_rectangle(cr, 0, 0, columns, rows);
    cairo_fill(cr);
    cairo_destroy(cr);
}

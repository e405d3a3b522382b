// The window half of the GTK backend's paint, without a display: beginPaint, endPaint and
// copyFrameToWindow as backends/gtk/gtk_window.cpp has them (that file needs a GTK window to
// run), on the backend's own window picture, and the draw handler's paint of that picture,
// here onto an offscreen surface that stands in for the widget.
#include "bench/gtk_window_stand_in.h"

#include "backends/gtk/gtk_drawing.h"
#include "backends/gtk/gtk_objects.h"
#include "backends/gtk/window_picture.h"

namespace {

struct StandIn {
    NativeDC paintDC;
    cairo_surface_t* widgetSurface = nullptr;
};

StandIn standIn;

}  // namespace

void createWindowStandIn() {
    if (standIn.widgetSurface) return;
    createWindowPicture();
    standIn.widgetSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, frameWidth, frameHeight);
}

void showWindowStandIn() {
    cairo_t* cr = cairo_create(standIn.widgetSurface);
    showWindowPicture(cr, frameHeight);
    cairo_destroy(cr);
}

DeviceContext beginPaint(WindowHandle) { return &standIn.paintDC; }

void endPaint(WindowHandle, DeviceContext) {}

// The stand-in's screen has one device pixel per pixel, as the frames are made.
bool frameBitmapStillFits(WindowHandle, BitmapHandle bitmap) { return bitmap != nullptr; }

void copyFrameToWindow(DeviceContext, DeviceContext memoryDC, int width, int height) {
    if (!memoryDC) return;
    presentFrameBitmap(memoryDC->bitmap, width, height);
}

// What the window shows between paints, kept apart from the window itself so that it can be
// used without a display: the white 640 x 320 window surface, or the last presented frame.
// Sizes and positions are pixels of the window; each is scale x scale device pixels.
#pragma once

#include <cairo.h>

// Makes the window surface, white as the window class's background. Nothing is shown before.
void createWindowPicture();
// Releases the window surface and lets go of a frame it shows.
void releaseWindowPicture();
// The window's screen has scale device pixels per pixel (GDK_SCALE, a HiDPI monitor): the
// window surface takes that many, keeping what it shows as whole blocks. 1 at first.
void setWindowPictureScale(int scale);

// What copyFrameToWindow does: the top-left width x height pixels of frame (at most the
// window surface) become what the window shows. A frame that covers the whole 640 x 320 area
// is shown as it is, without a copy, until it is drawn on or something else is shown.
// changes, when given, says where frame differs from the frame since, as the one who drew
// both knows it; used when the window shows since, instead of comparing the two.
struct FrameChanges {
    cairo_surface_t* since = nullptr;
    const cairo_region_t* region = nullptr;
};
void presentFrameSurface(cairo_surface_t* frame, int width, int height,
                         const FrameChanges* changes = nullptr);
// What fillWindowWhite does: the 640 x 320 area at the top left becomes white.
void fillWindowPictureWhite();
// Called before surface is drawn on: if the window shows it, the window keeps its own copy,
// so that the change shows only when presented, as with any other frame.
void keepWindowPictureFrom(cairo_surface_t* surface);
// What the draw handler does: the picture painted at (0, 0) of cr, on an area that is
// visibleHeight rows high.
void showWindowPicture(cairo_t* cr, int visibleHeight);
// The parts of the 640 x 320 area whose picture may differ from what the window was last
// shown of it (all of it until it has been shown whole), taken: they count as shown from now.
// The caller destroys the region.
cairo_region_t* takeWindowPictureChanges();
// Everything the window shows has been drawn to it.
void windowPictureShownWhole();
// Whether the presents that follow find the rows they change (their frames are sent as
// changes) or count as changing everything (the toolkit draws the window whole after them,
// and finding the rows would cost for nothing). False at first.
void findWindowPictureChanges(bool find);

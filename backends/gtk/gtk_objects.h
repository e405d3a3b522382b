// What the GTK backend's handles point to; shared by the files of platform/gtk only.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>

#include "platform/platform.h"

struct FramePaint;

// A frame bitmap: the bottom-up 24-bit block turned into a top-down cairo image.
struct NativeBitmap {
    cairo_surface_t* surface = nullptr;  // CAIRO_FORMAT_RGB24; null for an empty bitmap
    FramePaint* paint = nullptr;         // its texts until they are drawn (gtk_drawing.cpp)
};

struct NativeFont {
    PangoFontDescription* description = nullptr;
    PangoLanguage* language = nullptr;  // from the character set; null when it names none
};

// A device context keeps what GDI keeps: the selected bitmap and font, background mode and
// text colour. New contexts start as GDI's do: opaque background, black text.
struct NativeDC {
    bool memory = false;
    int scale = 1;  // of a paint context: device pixels per pixel of the window's screen
    BitmapHandle bitmap = nullptr;
    FontHandle font = nullptr;
    bool transparent = false;
    uint32_t colour = 0;  // 0x00BBGGRR
};

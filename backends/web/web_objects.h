// What the web backend's handles point to: device contexts, frame bitmaps and fonts.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

struct NativeBitmap {
    int canvas = 0;  // the page's canvas holding the pixels (and the texts drawn on them)
    int width = 0;
    int height = 0;
};

struct NativeFont {
    int height = 0;  // the cell height in pixels, which for the game's face is also the em
};

struct NativeDC {
    bool memory = false;
    BitmapHandle bitmap = nullptr;
    FontHandle font = nullptr;
    bool transparent = false;
    uint32_t colour = 0;
};

// The paint context of the window.
DeviceContext webPaintContext();

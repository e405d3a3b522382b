// Painting, the frame bitmap and text of the Windows backend, over GDI.
#include <windows.h>

#include <string>

#include "backends/win32/dpi.h"
#include "backends/win32/handles.h"
#include "backends/win32/wide.h"
#include "platform/platform.h"

// A font as the game asked for it, and the GDI font made of it for the frame's scale.
struct NativeFont {
    int height = 0;
    int charSet = 0;
    std::wstring face;
    int scale = 1;
    HFONT object = nullptr;
};

namespace {

struct Painting {
    PAINTSTRUCT paint = {};
    // The bitmap a new memory context holds; selecting a null bitmap puts it back, so that
    // the frame bitmap can be deleted.
    HGDIOBJ initialBitmap = nullptr;
    // The game's font in the memory context, made anew there when the scale changes.
    NativeFont* selectedFont = nullptr;
};

Painting painting;

// Far beyond any frame the game composes: a size this large is a fault, not a picture.
constexpr int largestFrameSide = 4096;

HFONT makeFontObject(const NativeFont& font) {
    return CreateFontW(font.height * font.scale, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                       static_cast<DWORD>(font.charSet), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face.c_str());
}

// The selected font at the frame's scale: texts are drawn at the device's resolution, so
// at scale 2 the game's 30-pixel font is a 60-pixel one.
void keepSelectedFontAtScale(HDC memoryDC) {
    NativeFont* font = painting.selectedFont;
    const int scale = frameScale();
    if (!font || font->scale == scale) return;
    NativeFont rescaled = *font;
    rescaled.scale = scale;
    HFONT object = makeFontObject(rescaled);
    if (!object) return;
    SelectObject(memoryDC, object);
    DeleteObject(font->object);
    font->object = object;
    font->scale = scale;
}

// A width in device pixels as the game's pixels: the same width at every scale for a font
// whose glyphs scale whole, as the Japanese monospace ones do.
int framePixels(LONG devicePixels, int scale) {
    return static_cast<int>((devicePixels + scale / 2) / scale);
}

}  // namespace

HFONT nativeFont(FontHandle font) { return font ? font->object : nullptr; }

void invalidateWindow(WindowHandle window) { InvalidateRect(nativeWindow(window), nullptr, FALSE); }

void fillWindowWhite(WindowHandle window) {
    HWND hwnd = nativeWindow(window);
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    const int scale = frameScale();
    PatBlt(dc, 0, 0, frameWidth * scale, frameHeight * scale, WHITENESS);
    ReleaseDC(hwnd, dc);
}

DeviceContext beginPaint(WindowHandle window) {
    return portableDC(BeginPaint(nativeWindow(window), &painting.paint));
}

void endPaint(WindowHandle window, DeviceContext) {
    EndPaint(nativeWindow(window), &painting.paint);
}

DeviceContext createMemoryContext(WindowHandle window) {
    HWND hwnd = nativeWindow(window);
    HDC windowDC = GetDC(hwnd);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    if (windowDC) ReleaseDC(hwnd, windowDC);
    if (memoryDC) painting.initialBitmap = GetCurrentObject(memoryDC, OBJ_BITMAP);
    return portableDC(memoryDC);
}

BitmapHandle createFrameBitmap(DeviceContext paintDC, int width, int height, const uint8_t* bits,
                               const FrameBitsChanges*) {
    if (!bits || width <= 0 || height <= 0 || width > largestFrameSide ||
        height > largestFrameSide) {
        return nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = nativeDC(paintDC);
    const int scale = frameScale();
    if (scale == 1) {
        return portableBitmap(
            CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, bits, &info, DIB_RGB_COLORS));
    }
    // Each frame pixel becomes a whole scale x scale block: no blending, no blur.
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width * scale, height * scale);
    HDC stretchDC = bitmap ? CreateCompatibleDC(dc) : nullptr;
    if (!stretchDC) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(stretchDC, bitmap);
    SetStretchBltMode(stretchDC, COLORONCOLOR);
    StretchDIBits(stretchDC, 0, 0, width * scale, height * scale, 0, 0, width, height, bits, &info,
                  DIB_RGB_COLORS, SRCCOPY);
    SelectObject(stretchDC, previous);
    DeleteDC(stretchDC);
    return portableBitmap(bitmap);
}

BitmapHandle selectBitmap(DeviceContext memoryDC, BitmapHandle bitmap) {
    HGDIOBJ object = bitmap ? static_cast<HGDIOBJ>(nativeBitmap(bitmap)) : painting.initialBitmap;
    if (!object) return nullptr;
    HGDIOBJ previous = SelectObject(nativeDC(memoryDC), object);
    return previous == painting.initialBitmap ? nullptr : portableBitmap(previous);
}

void deleteBitmap(BitmapHandle bitmap) {
    if (bitmap) DeleteObject(nativeBitmap(bitmap));
}

bool frameBitmapStillFits(WindowHandle, BitmapHandle bitmap) {
    BITMAP info = {};
    if (!bitmap || !GetObjectW(nativeBitmap(bitmap), sizeof info, &info)) return false;
    // A frame is made with scale x scale device pixels for each of its pixels.
    return info.bmWidth == frameWidth * frameScale();
}

void copyFrameToWindow(DeviceContext paintDC, DeviceContext memoryDC, int width, int height) {
    const int scale = frameScale();
    BitBlt(nativeDC(paintDC), 0, 0, width * scale, height * scale, nativeDC(memoryDC), 0, 0,
           SRCCOPY);
}

// --- Text ----------------------------------------------------------------------------------

FontHandle createFont(int height, int charSet, const char* faceName) {
    auto* font = new NativeFont;
    font->height = height;
    font->charSet = charSet;
    font->face = wideFromCp932(faceName);
    font->scale = frameScale();
    font->object = makeFontObject(*font);
    if (!font->object) {
        delete font;
        return nullptr;
    }
    return font;
}

FontHandle selectFont(DeviceContext memoryDC, FontHandle font) {
    // A new context starts with the system font; a null font puts it back.
    HGDIOBJ object = font ? static_cast<HGDIOBJ>(font->object) : GetStockObject(SYSTEM_FONT);
    SelectObject(nativeDC(memoryDC), object);
    NativeFont* previous = painting.selectedFont;
    painting.selectedFont = font;
    keepSelectedFontAtScale(nativeDC(memoryDC));
    return previous;
}

void deleteFont(FontHandle font) {
    // GDI must not delete a selected font; the game selects the default one back first.
    if (!font || font == painting.selectedFont) return;
    DeleteObject(font->object);
    delete font;
}

void setTransparentText(DeviceContext memoryDC) { SetBkMode(nativeDC(memoryDC), TRANSPARENT); }

void setTextColour(DeviceContext memoryDC, uint32_t colour) {
    SetTextColor(nativeDC(memoryDC), colour);
}

int measureText(DeviceContext memoryDC, const char* text) {
    std::wstring wide = wideFromCp932(text);
    if (wide.empty()) return 0;
    keepSelectedFontAtScale(nativeDC(memoryDC));
    SIZE size = {};
    if (!GetTextExtentPoint32W(nativeDC(memoryDC), wide.c_str(), static_cast<int>(wide.size()),
                               &size)) {
        return 0;
    }
    return framePixels(size.cx, frameScale());
}

void drawText(DeviceContext memoryDC, int x, int y, const char* text) {
    std::wstring wide = wideFromCp932(text);
    if (wide.empty()) return;
    keepSelectedFontAtScale(nativeDC(memoryDC));
    const int scale = frameScale();
    TextOutW(nativeDC(memoryDC), x * scale, y * scale, wide.c_str(), static_cast<int>(wide.size()));
}

// Painting, the frame bitmap and text of the Windows backend, over GDI.
#include <windows.h>

#include <string>

#include "backends/win32/handles.h"
#include "backends/win32/wide.h"
#include "platform/platform.h"

namespace {

struct Painting {
    PAINTSTRUCT paint = {};
    // The bitmap a new memory context holds; selecting a null bitmap puts it back, so that
    // the frame bitmap can be deleted.
    HGDIOBJ initialBitmap = nullptr;
};

Painting painting;

// Far beyond any frame the game composes: a size this large is a fault, not a picture.
constexpr int largestFrameSide = 4096;

}  // namespace

void invalidateWindow(WindowHandle window) { InvalidateRect(nativeWindow(window), nullptr, FALSE); }

void fillWindowWhite(WindowHandle window) {
    HWND hwnd = nativeWindow(window);
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    PatBlt(dc, 0, 0, frameWidth, frameHeight, WHITENESS);
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

BitmapHandle createFrameBitmap(DeviceContext paintDC, int width, int height, const uint8_t* bits) {
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
    return portableBitmap(
        CreateDIBitmap(nativeDC(paintDC), &info.bmiHeader, CBM_INIT, bits, &info, DIB_RGB_COLORS));
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

void copyFrameToWindow(DeviceContext paintDC, DeviceContext memoryDC, int width, int height) {
    BitBlt(nativeDC(paintDC), 0, 0, width, height, nativeDC(memoryDC), 0, 0, SRCCOPY);
}

// --- Text ----------------------------------------------------------------------------------

FontHandle createFont(int height, int charSet, const char* faceName) {
    std::wstring face = wideFromCp932(faceName);
    return portableFont(CreateFontW(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                                    static_cast<DWORD>(charSet), OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

FontHandle selectFont(DeviceContext memoryDC, FontHandle font) {
    // A new context starts with the system font; a null font puts it back.
    HGDIOBJ object = font ? static_cast<HGDIOBJ>(nativeFont(font)) : GetStockObject(SYSTEM_FONT);
    HGDIOBJ previous = SelectObject(nativeDC(memoryDC), object);
    return previous == GetStockObject(SYSTEM_FONT) ? nullptr : portableFont(previous);
}

void deleteFont(FontHandle font) {
    if (font) DeleteObject(nativeFont(font));
}

void setTransparentText(DeviceContext memoryDC) { SetBkMode(nativeDC(memoryDC), TRANSPARENT); }

void setTextColour(DeviceContext memoryDC, uint32_t colour) {
    SetTextColor(nativeDC(memoryDC), colour);
}

int measureText(DeviceContext memoryDC, const char* text) {
    std::wstring wide = wideFromCp932(text);
    if (wide.empty()) return 0;
    SIZE size = {};
    if (!GetTextExtentPoint32W(nativeDC(memoryDC), wide.c_str(), static_cast<int>(wide.size()),
                               &size)) {
        return 0;
    }
    return size.cx;
}

void drawText(DeviceContext memoryDC, int x, int y, const char* text) {
    std::wstring wide = wideFromCp932(text);
    if (wide.empty()) return;
    TextOutW(nativeDC(memoryDC), x, y, wide.c_str(), static_cast<int>(wide.size()));
}

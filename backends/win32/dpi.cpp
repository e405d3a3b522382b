// DPI of the game window, and the scale that follows from it.
#include "backends/win32/dpi.h"

#include "platform/platform.h"

namespace {

// Windows 10 1607 and later; looked up, so that the program still starts on Windows 7 and 8.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

struct Scaling {
    int scale = 1;
};

Scaling scaling;

// A function of user32 by name, or null where this Windows has none.
template <typename Function>
Function user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC found = user32 ? GetProcAddress(user32, name) : nullptr;
    // Through the generic function type, which every function pointer may be cast from.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

int scaleForDpi(UINT dpi) {
    const int scale = static_cast<int>(dpi / USER_DEFAULT_SCREEN_DPI);
    return scale < 1 ? 1 : scale;
}

UINT dpiOfWindow(HWND window) {
    auto getDpiForWindow = user32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        if (UINT dpi = getDpiForWindow(window)) return dpi;
    }
    HDC screen = GetDC(nullptr);
    if (!screen) return USER_DEFAULT_SCREEN_DPI;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

SIZE mainWindowSize(UINT dpi, DWORD style) {
    if (dpi == USER_DEFAULT_SCREEN_DPI) return SIZE{645, 365};
    const int scale = scaleForDpi(dpi);
    RECT rect = {0, 0, frameWidth * scale, frameHeight * scale};
    auto adjustForDpi = user32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    // The frame and border of the caption, the menu bar and the edges, as wide as they are
    // drawn at that DPI.
    if (!adjustForDpi || !adjustForDpi(&rect, style, TRUE, 0, dpi)) {
        AdjustWindowRectEx(&rect, style, TRUE, 0);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void setFrameScale(int scale) { scaling.scale = scale < 1 ? 1 : scale; }

int frameScale() { return scaling.scale; }

// The game window: class, creation, and the native procedure in front of the game's own.
#include "backends/win32/main_window.h"

#include <imm.h>

#include <string>

#include "app/entry.h"
#include "backends/win32/dpi.h"
#include "backends/win32/handles.h"
#include "backends/win32/held_timers.h"
#include "backends/win32/wide.h"
#include "base/data_path.h"
#include "platform/platform.h"

namespace {

// Caption, system menu and minimize box: no sizing border, no maximize box.
constexpr DWORD mainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
static_assert(mainWindowStyle == 0x00CA0000);

// A character that arrived as the first half of a surrogate pair, waiting for the second.
wchar_t pendingHighSurrogate = 0;

// The window is a Unicode one, so WM_CHAR brings UTF-16. The game judges code page 932
// bytes: each character goes on as its bytes, a double-byte one as lead byte, then trail
// byte, as an ANSI window on a Japanese Windows would receive it.
LRESULT forwardCharacter(HWND window, WPARAM wParam, LPARAM lParam) {
    unsigned char bytes[4];
    int count = cp932FromTypedUnit(static_cast<wchar_t>(wParam), pendingHighSurrogate, bytes);
    for (int i = 0; i < count; ++i) {
        windowProcedure(portableWindow(window), WM_CHAR, bytes[i], lParam);
    }
    return 0;
}

// Gives the window its size for dpi, at its place or at the one given. Whatever the
// metrics of the non-client area said, the client area ends up the frame's at that scale.
void fitToDpi(HWND window, UINT dpi, const POINT* at) {
    const SIZE size = mainWindowSize(dpi, mainWindowStyle);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (at ? 0u : UINT{SWP_NOMOVE});
    SetWindowPos(window, nullptr, at ? at->x : 0, at ? at->y : 0, size.cx, size.cy, flags);
    if (dpi == USER_DEFAULT_SCREEN_DPI) return;  // the window's classic size, as it always was
    RECT client = {};
    GetClientRect(window, &client);
    const int scale = scaleForDpi(dpi);
    const LONG missingX = frameWidth * scale - client.right;
    const LONG missingY = frameHeight * scale - client.bottom;
    if (missingX == 0 && missingY == 0) return;
    SetWindowPos(window, nullptr, 0, 0, size.cx + missingX, size.cy + missingY,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window moved to a monitor of another DPI: the frame takes that monitor's scale and
// the window the size that goes with it, where Windows suggests.
LRESULT changeDpi(HWND window, WPARAM wParam, LPARAM lParam) {
    const UINT dpi = LOWORD(wParam);
    setFrameScale(scaleForDpi(dpi));
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    const POINT at = {suggested->left, suggested->top};
    fitToDpi(window, dpi, &at);
    InvalidateRect(window, nullptr, FALSE);
    return 0;
}

LRESULT forwardMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            // No input context: with a Japanese IME on, romaji keys still come as WM_CHAR
            // letters instead of being composed into kana. The window takes the context
            // away with it when it goes, so nothing is restored.
            ImmAssociateContextEx(window, nullptr, 0);
            // The game font is made during the creation sequence, at the window's scale.
            setFrameScale(scaleForDpi(dpiOfWindow(window)));
            break;
        case WM_CHAR: return forwardCharacter(window, wParam, lParam);
        case WM_DPICHANGED: return changeDpi(window, wParam, lParam);
        default: break;
    }
    return windowProcedure(portableWindow(window), message, wParam, lParam);
}

// The window's real procedure: every message goes to the game's portable one. Each ends the
// holds of the game's timers, before (a nested loop inside it ticks) and after it (what it
// changed after such a loop is seen); a tick does not end its own timer's hold.
LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const UINT_PTR ownTimer = message == WM_TIMER ? wParam : noTimer;
    endHeldTimers(window, ownTimer);
    if (message == heldTimerWakeMessage) return 0;
    LRESULT result = forwardMessage(window, message, wParam, lParam);
    endHeldTimers(window, ownTimer);
    return result;
}

}  // namespace

ATOM registerMainWindowClass(HINSTANCE instance) {
    char iconPath[dataPathSize];
    resolveDataPath(iconPath, "\\Date\\Icon.ico");
    std::wstring icon = widePath(iconPath);
    std::wstring className = wideFromCp932(mainWindowClassName());

    // A missing icon file leaves the class with the system's default icon.
    auto loadIcon = [&icon]() {
        return static_cast<HICON>(LoadImageW(nullptr, icon.c_str(), IMAGE_ICON, 0, 0,
                                             LR_LOADFROMFILE | LR_DEFAULTSIZE | LR_SHARED));
    };
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = mainWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = loadIcon();
    windowClass.hCursor = static_cast<HCURSOR>(LoadImageW(
        nullptr, MAKEINTRESOURCEW(32512), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = L"MYMENU";
    windowClass.lpszClassName = className.c_str();
    windowClass.hIconSm = loadIcon();
    return RegisterClassExW(&windowClass);
}

HWND createMainWindow(HINSTANCE instance, int showCommand) {
    std::wstring className = wideFromCp932(mainWindowClassName());
    HWND window =
        CreateWindowExW(0, className.c_str(), className.c_str(), mainWindowStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, 645, 365, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    // Made where Windows chose, on that monitor: sized for its DPI before it is first seen.
    const UINT dpi = dpiOfWindow(window);
    if (dpi != USER_DEFAULT_SCREEN_DPI) fitToDpi(window, dpi, nullptr);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

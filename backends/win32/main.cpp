// keyfall.exe: the process entry, the window class, the window and the message loop.
#include <windows.h>

#include <string>

#include "app/entry.h"
#include "backends/win32/handles.h"
#include "backends/win32/wide.h"
#include "base/data_path.h"
#include "base/texts.h"
#include "platform/platform.h"

namespace {

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

// The window's real procedure: every message goes to the game's portable one.
LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) return forwardCharacter(window, wParam, lParam);
    return windowProcedure(portableWindow(window), message, wParam, lParam);
}

ATOM registerWindowClass(HINSTANCE instance) {
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

int createMainWindow(HINSTANCE instance, int showCommand) {
    std::wstring className = wideFromCp932(mainWindowClassName());
    // Caption, system menu and minimize box: no sizing border, no maximize box.
    constexpr DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    static_assert(style == 0x00CA0000);
    HWND window = CreateWindowExW(0, className.c_str(), className.c_str(), style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 645, 365, nullptr, nullptr, instance, nullptr);
    if (!window) return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    startUp(portableInstance(instance));
    if (registerWindowClass(instance) == 0) return 0;
    if (!createMainWindow(instance, showCommand)) return 0;

    MSG message = {};
    for (;;) {
        BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<int>(message.wParam);
        if (result == -1) {
            showMessageBox(nullptr, textGetMessageError, textErrorCaption);
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

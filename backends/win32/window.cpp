// Window, timers, menu, message boxes, clocks and sound of the Windows backend.
#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

#include <ctime>
#include <string>

#include "backends/win32/handles.h"
#include "backends/win32/wide.h"
#include "platform/platform.h"

// --- Window and messages -----------------------------------------------------------------

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
    return DefWindowProcW(nativeWindow(window), message, static_cast<WPARAM>(wParam),
                          static_cast<LPARAM>(lParam));
}

void postCloseMessage(WindowHandle window) { PostMessageW(nativeWindow(window), WM_CLOSE, 0, 0); }

void destroyWindow(WindowHandle window) { DestroyWindow(nativeWindow(window)); }

void postQuitMessage(int exitCode) { PostQuitMessage(exitCode); }

// --- Timers --------------------------------------------------------------------------------

void setTimer(WindowHandle window, unsigned id, unsigned periodMs) {
    // Without a window SetTimer would ignore the id and make up one of its own.
    if (!window) return;
    SetTimer(nativeWindow(window), id, periodMs, nullptr);
}

void killTimer(WindowHandle window, unsigned id) {
    if (!window) return;
    KillTimer(nativeWindow(window), id);
}

// --- Menu ----------------------------------------------------------------------------------

void setMenuItemChecked(WindowHandle window, unsigned commandId, int checked) {
    HMENU menu = GetMenu(nativeWindow(window));
    if (!menu) return;
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE;
    // The whole state is set: unchecked is also enabled, as the menu starts out.
    item.fState = checked != 0 ? MFS_CHECKED : 0;
    SetMenuItemInfoW(menu, commandId, FALSE, &item);
}

void setMenuItemEnabled(WindowHandle window, unsigned commandId, int enabled) {
    HMENU menu = GetMenu(nativeWindow(window));
    if (!menu) return;
    EnableMenuItem(menu, commandId, MF_BYCOMMAND | (enabled != 0 ? MF_ENABLED : MF_GRAYED));
}

void redrawMenuBar(WindowHandle window) { DrawMenuBar(nativeWindow(window)); }

// --- Message boxes -------------------------------------------------------------------------

void showMessageBox(WindowHandle owner, const char* text, const char* caption) {
    std::wstring wideText = wideFromCp932(text);
    std::wstring wideCaption = wideFromCp932(caption);
    // The box's own loop keeps dispatching timer and paint messages; the owner is disabled
    // meanwhile, so keys do not reach it.
    MessageBoxW(nativeWindow(owner), wideText.c_str(), wideCaption.c_str(), MB_OK);
}

// --- Clocks --------------------------------------------------------------------------------

uint32_t systemTimeMs() {
    MMTIME time = {};
    time.wType = TIME_MS;
    timeGetSystemTime(&time, sizeof time);
    return time.u.ms;
}

int64_t calendarTimeSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

// --- Sound ---------------------------------------------------------------------------------

void playLoopingSound(const char* resolvedPath) {
    std::wstring path = widePath(resolvedPath);
    if (path.empty()) return;
    PlaySoundW(path.c_str(), GetModuleHandleW(nullptr),
               SND_FILENAME | SND_ASYNC | SND_NODEFAULT | SND_LOOP);
}

void stopAllSound() { PlaySoundW(nullptr, nullptr, SND_PURGE); }

// Window, timers, menu, message boxes, clocks and sound of the Windows backend.
#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

#include <ctime>
#include <map>
#include <set>
#include <string>

#include "backends/win32/handles.h"
#include "backends/win32/held_timers.h"
#include "backends/win32/wide.h"
#include "platform/platform.h"

namespace {

// The folder of a watched file: a change in it is posted to the window from a wait thread.
struct FolderWatch {
    std::wstring path;  // the watched file
    HANDLE change = INVALID_HANDLE_VALUE;
    HANDLE wait = nullptr;
};

struct Timers {
    std::map<UINT_PTR, UINT> periods;  // of every timer set, held ones included
    std::set<UINT_PTR> held;           // killed natively until the next message
    FolderWatch watch;
};

Timers timers;

VOID CALLBACK onFolderChanged(PVOID window, BOOLEAN) {
    // On a wait thread: the window's thread does the rest when the message arrives.
    FindNextChangeNotification(timers.watch.change);
    PostMessageW(static_cast<HWND>(window), heldTimerWakeMessage, 0, 0);
}

void stopWatching() {
    FolderWatch& watch = timers.watch;
    // Waits for a callback under way, so that the handle is not closed under it.
    if (watch.wait) UnregisterWaitEx(watch.wait, INVALID_HANDLE_VALUE);
    if (watch.change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(watch.change);
    watch = FolderWatch{};
}

bool watchFile(HWND window, const char* resolvedPath) {
    std::wstring path = widePath(resolvedPath);
    FolderWatch& watch = timers.watch;
    if (watch.wait && watch.path == path) return true;
    stopWatching();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return false;
    const std::wstring folder = path.substr(0, slash);
    // The file is replaced by a rename, written in place, or made: names, sizes and times.
    watch.change = FindFirstChangeNotificationW(
        folder.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (watch.change == INVALID_HANDLE_VALUE) return false;
    if (!RegisterWaitForSingleObject(&watch.wait, watch.change, onFolderChanged, window, INFINITE,
                                     WT_EXECUTEDEFAULT)) {
        watch.wait = nullptr;
        stopWatching();
        return false;
    }
    watch.path = path;
    return true;
}

}  // namespace

void endHeldTimers(HWND window, UINT_PTR ownTimer) {
    for (auto it = timers.held.begin(); it != timers.held.end();) {
        if (*it == ownTimer) {
            ++it;
            continue;
        }
        SetTimer(window, *it, timers.periods[*it], nullptr);
        it = timers.held.erase(it);
    }
}

// --- Window and messages -----------------------------------------------------------------

intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) {
    return DefWindowProcW(nativeWindow(window), message, static_cast<WPARAM>(wParam),
                          static_cast<LPARAM>(lParam));
}

void postCloseMessage(WindowHandle window) { PostMessageW(nativeWindow(window), WM_CLOSE, 0, 0); }

void destroyWindow(WindowHandle window) {
    DestroyWindow(nativeWindow(window));
    // Its timers ended with it.
    stopWatching();
    timers = Timers{};
}

void postQuitMessage(int exitCode) { PostQuitMessage(exitCode); }

// --- Timers --------------------------------------------------------------------------------

void setTimer(WindowHandle window, unsigned id, unsigned periodMs) {
    // Without a window SetTimer would ignore the id and make up one of its own.
    if (!window) return;
    if (SetTimer(nativeWindow(window), id, periodMs, nullptr)) timers.periods[id] = periodMs;
    timers.held.erase(id);
}

void killTimer(WindowHandle window, unsigned id) {
    if (!window) return;
    KillTimer(nativeWindow(window), id);
    timers.periods.erase(id);
    timers.held.erase(id);
}

void holdTimerUntilNextMessage(WindowHandle window, unsigned id, const char* watchedPath) {
    if (!window || !timers.periods.count(id) || timers.held.count(id)) return;
    HWND hwnd = nativeWindow(window);
    // Without a watch the file's change would go unseen: the timer goes on ticking then.
    if (watchedPath && !watchFile(hwnd, watchedPath)) return;
    if (KillTimer(hwnd, id)) timers.held.insert(id);
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

// The web backend's window: the message loop and the message boxes' nested loops, timers,
// paints, the menu bar and clocks. Browser events arrive through the page's queue; each
// becomes a windowProcedure call and nothing more.
#include "backends/web/web_window.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <deque>
#include <map>

#include "app/menu.h"
#include "backends/web/web_bridge.h"
#include "backends/web/web_objects.h"

struct NativeWindow {
    int unused = 0;
};
struct NativeInstance {
    int unused = 0;
};

namespace {

struct Timer {
    unsigned period = 0;
    double due = 0;
    unsigned long long order = 0;  // when it was set: ties fire in this order
    bool held = false;             // its ticks left out until the next other message
};

constexpr unsigned noTimer = ~0u;
constexpr unsigned shortestTimerMs = 10;

struct Backend {
    NativeWindow window;
    NativeInstance instance;
    bool windowAlive = false;
    std::map<unsigned, Timer> timers;
    unsigned long long timerOrder = 0;
    std::deque<uint32_t> posted;  // posted messages (the close sequence's), both parameters 0
    bool invalid = false;
    int openBoxes = 0;
    bool quitPosted = false;
    int exitCode = 0;
};

Backend backend;

// A tick does not end its own timer's hold; every other message ends them all.
void endHolds(unsigned ownTimer) {
    for (auto& [id, timer] : backend.timers) {
        if (id != ownTimer) timer.held = false;
    }
}

intptr_t dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!backend.windowAlive) return 0;
    const unsigned ownTimer = message == msgTimer ? static_cast<unsigned>(wParam) : noTimer;
    // Before, so that a box's loop inside this message ticks; after, so that what the
    // message changed after such a loop is seen.
    endHolds(ownTimer);
    intptr_t result = windowProcedure(&backend.window, message, wParam, lParam);
    endHolds(ownTimer);
    return result;
}

void deliverEvents() {
    int value = 0;
    while (int kind = keyfall_next_event(&value)) {
        if (backend.quitPosted) continue;
        // While a box is open its owner hears no keyboard (the page keeps the menu shut too).
        bool keyboard = kind == webEventKeyDown || kind == webEventCharacter;
        if (keyboard && backend.openBoxes > 0) continue;
        switch (kind) {
            case webEventKeyDown: dispatch(msgKeyDown, static_cast<uintptr_t>(value), 0); break;
            case webEventCharacter: dispatch(msgChar, static_cast<uintptr_t>(value), 0); break;
            case webEventCommand: dispatch(msgCommand, static_cast<uintptr_t>(value), 0); break;
            case webEventInitMenu: dispatch(msgInitMenu, 0, 0); break;
            // The ranking screen reads its file at each paint.
            case webEventFilesChanged: invalidateWindow(&backend.window); break;
            default: break;
        }
    }
}

void deliverPosted() {
    while (!backend.posted.empty() && !backend.quitPosted) {
        uint32_t message = backend.posted.front();
        backend.posted.pop_front();
        dispatch(message, 0, 0);
    }
}

// The earliest timer due by now, ties in the order they were set.
bool dueTimer(double now, unsigned& id) {
    const Timer* best = nullptr;
    for (const auto& [timerId, timer] : backend.timers) {
        if (timer.held || timer.due > now) continue;
        if (!best || timer.due < best->due ||
            (timer.due == best->due && timer.order < best->order)) {
            best = &timer;
            id = timerId;
        }
    }
    return best != nullptr;
}

// Each timer due ticks once. Like WM_TIMER, a late timer does not catch up with the ticks
// it missed: its next one is due after now, so it cannot tick twice in one turn.
void deliverTimers() {
    const double now = keyfall_now();
    unsigned id = 0;
    while (!backend.quitPosted && dueTimer(now, id)) {
        Timer& timer = backend.timers[id];
        const double period = timer.period;
        const double was = timer.due;
        timer.due += period;
        if (timer.due <= now) {
            timer.due = now + period;
            keyfall_timer_slipped(timer.period, now - was);
        }
        dispatch(msgTimer, id, 0);
    }
}

double nextTimerDue() {
    double next = -1;
    // A held timer wakes nothing: the loop sleeps until an event or another timer.
    for (const auto& [id, timer] : backend.timers) {
        if (timer.held) continue;
        if (next < 0 || timer.due < next) next = timer.due;
    }
    return next;
}

void paint() {
    backend.invalid = false;
    const double start = emscripten_get_now();
    dispatch(msgPaint, 0, 0);
    keyfall_paint_took(emscripten_get_now() - start);
}

// One turn of the loop: what is waiting is handled, then it sleeps until the next due timer,
// an event, or, while a paint is wanted, the next animation frame.
void runOnce() {
    deliverEvents();
    deliverPosted();
    deliverTimers();
    deliverPosted();
    // Paints come with the browser's frames: the screen cannot show more, however often the
    // game asks.
    if (backend.invalid && backend.windowAlive && !backend.quitPosted && keyfall_take_frame()) {
        paint();
    }
    if (backend.quitPosted) return;
    double timeout = -1;
    double due = nextTimerDue();
    if (due >= 0) timeout = std::max(0.0, due - keyfall_now());
    keyfall_wait(timeout, backend.invalid && backend.windowAlive ? 1 : 0);
}

}  // namespace

// --- Entry ---------------------------------------------------------------------------------

InstanceHandle webInstance() { return &backend.instance; }

bool webCreateMainWindow(const char* title) {
    keyfall_window_created(title);
    for (int i = 0; i < menuEntryCount; ++i) {
        const MenuEntry& entry = menuEntries[i];
        switch (entry.kind) {
            case MenuEntryKind::popupBegin: keyfall_menu_popup_begin(entry.label); break;
            case MenuEntryKind::popupEnd: keyfall_menu_popup_end(); break;
            case MenuEntryKind::item:
                keyfall_menu_item(entry.command, entry.label, entry.checkable ? 1 : 0);
                break;
        }
    }
    backend.windowAlive = true;
    dispatch(msgCreate, 0, 0);
    if (!backend.windowAlive) return false;
    // ShowWindow and UpdateWindow: the first paint is made at once.
    paint();
    return true;
}

int webRunMessageLoop() {
    while (!backend.quitPosted) runOnce();
    return backend.exitCode;
}

// --- Window and messages -----------------------------------------------------------------

intptr_t defaultWindowProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

void postCloseMessage(WindowHandle) {
    if (backend.windowAlive) backend.posted.push_back(msgClose);
}

void destroyWindow(WindowHandle) {
    if (!backend.windowAlive) return;
    dispatch(msgDestroy, 0, 0);
    backend.windowAlive = false;
    backend.timers.clear();
    backend.posted.clear();
    backend.invalid = false;
    keyfall_window_destroyed();
}

void postQuitMessage(int exitCode) {
    if (backend.quitPosted) return;
    backend.quitPosted = true;
    backend.exitCode = exitCode;
}

// --- Timers --------------------------------------------------------------------------------

void setTimer(WindowHandle, unsigned id, unsigned periodMs) {
    if (!backend.windowAlive) return;
    // As SetTimer does, a shorter period is USER_TIMER_MINIMUM: a page that woke every 4 ms
    // would keep the browser busy for ticks that no frame can show.
    periodMs = std::max(periodMs, shortestTimerMs);
    Timer timer;
    timer.period = periodMs;
    timer.due = keyfall_now() + periodMs;
    timer.order = ++backend.timerOrder;
    backend.timers[id] = timer;  // setting it again restarts it with the new period
}

void killTimer(WindowHandle, unsigned id) { backend.timers.erase(id); }

void holdTimerUntilNextMessage(WindowHandle, unsigned id, const char*) {
    // The page's files are loaded once, at start; after that only the game writes them, and it
    // does so while handling a message, which ends the hold. A watched file needs no watch.
    auto found = backend.timers.find(id);
    if (found != backend.timers.end()) found->second.held = true;
}

// --- Painting ------------------------------------------------------------------------------

void invalidateWindow(WindowHandle) {
    if (backend.windowAlive) backend.invalid = true;
}

// Inside the page's handler of the key that asked for it, so the canvas holds the new frame
// before the browser makes its next one.
void paintWindowNow(WindowHandle) {
    if (backend.windowAlive && !backend.quitPosted) paint();
}

void fillWindowWhite(WindowHandle) {
    if (backend.windowAlive) keyfall_window_fill_white();
}

DeviceContext beginPaint(WindowHandle) {
    backend.invalid = false;
    return webPaintContext();
}

void endPaint(WindowHandle, DeviceContext) {}

// --- Menu ----------------------------------------------------------------------------------

void setMenuItemChecked(WindowHandle, unsigned commandId, int checked) {
    keyfall_menu_set_checked(commandId, checked != 0 ? 1 : 0);
}

void setMenuItemEnabled(WindowHandle, unsigned commandId, int enabled) {
    keyfall_menu_set_enabled(commandId, enabled != 0 ? 1 : 0);
}

// The page shows a change of the menu at once.
void redrawMenuBar(WindowHandle) {}

// --- Message boxes -------------------------------------------------------------------------

void showMessageBox(WindowHandle, const char* text, const char* caption) {
    int box = keyfall_box_open(text, caption);
    ++backend.openBoxes;
    // The box's own loop: timers, paints and posted messages go on until it is dismissed.
    while (keyfall_box_is_open(box) && !backend.quitPosted) runOnce();
    --backend.openBoxes;
    keyfall_box_close(box);
}

// --- Clocks --------------------------------------------------------------------------------

uint32_t systemTimeMs() { return static_cast<uint32_t>(std::fmod(keyfall_now(), 4294967296.0)); }

int64_t calendarTimeSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

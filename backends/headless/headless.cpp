// The headless backend: the platform functions on a virtual clock, with everything recorded.
#include "backends/headless/headless.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <memory>
#include <string>

#include "backends/native_path.h"
#include "base/cp932.h"

struct NativeWindow {
    int unused = 0;
};
struct NativeInstance {
    int unused = 0;
};
// Pixels are written once, when the bitmap is made (text is recorded, not drawn), so the
// presented frame can share them instead of copying.
using FramePixels = std::shared_ptr<std::vector<uint8_t>>;

struct NativeBitmap {
    int width = 0;
    int height = 0;
    FramePixels pixels;               // bottom-up rows of width * 3 bytes; null for an empty bitmap
    std::vector<HeadlessText> texts;  // drawn on it, in order: its pixels, as far as text goes
    int scale = 1;                    // of the screen it was made for
};
struct NativeFont {
    int height = 0;
};
struct NativeDC {
    bool memory = false;
    BitmapHandle bitmap = nullptr;
    FontHandle font = nullptr;
    bool transparent = false;
    uint32_t colour = 0;
};

namespace {

struct Timer {
    uint32_t period = 0;
    uint64_t due = 0;
    uint64_t order = 0;  // when it was set: ties fire in this order
};

struct PostedMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// A timer whose ticks are left out until the next other message, or until the watched file's
// bytes differ from those it had when the hold began.
struct Hold {
    bool watching = false;
    std::string path;
    std::string bytes;
};

constexpr unsigned noTimer = ~0u;

struct Machine {
    NativeWindow window;
    NativeDC paintDC;
    std::unique_ptr<NativeDC> memoryDC;
    WindowProcedureFn procedure = nullptr;
    bool windowAlive = false;

    uint64_t now = 0;  // virtual ms since reset
    uint32_t clockBase = 0;
    uint64_t clockSetAt = 0;
    int64_t calendarBase = 0;
    uint64_t calendarSetAt = 0;

    std::map<unsigned, Timer> timers;
    uint64_t timerOrder = 0;
    std::map<unsigned, Hold> holds;
    int ticksLeftOut = 0;
    int screenScale = 1;
    std::deque<PostedMessage> posted;
    bool invalid = false;
    bool painting = false;
    bool quitPosted = false;
    int exitCode = 0;
    int openBoxes = 0;

    std::function<void(const std::string&, const std::string&)> boxHandler;
    std::function<void(const HeadlessEvent&)> sink;
    std::vector<HeadlessEvent> events;

    std::map<unsigned, bool> checked;
    std::map<unsigned, bool> enabled;
    int menuRedraws = 0;
    int paints = 0;
    int framesMade = 0;
    int whiteFills = 0;
    std::vector<HeadlessText> paintTexts;
    std::vector<HeadlessText> lastPaintTexts;
    std::vector<HeadlessText> presentedTexts;
    bool presentedInPaint = false;
    FramePixels presented;  // rows of 640 * 3 bytes
    FramePixels spare;      // a frame no longer shown, kept for the next bitmap
    int presentedHeight = 0;
    int liveFonts = 0;
    int liveBitmaps = 0;
    int misuses = 0;
    std::function<int(const std::string&)> measure;
};

Machine machine;

void record(HeadlessEvent event) {
    machine.events.push_back(event);
    if (machine.events.size() > 100000) {
        // A long simulated run must not grow without bound; keep the recent history.
        machine.events.erase(machine.events.begin(), machine.events.begin() + 50000);
    }
    if (machine.sink) machine.sink(event);
}

// The file's bytes, empty when it cannot be read.
std::string fileBytes(const std::string& path) {
    std::string bytes;
    std::FILE* file = openDataFile(path.c_str(), "rb");
    if (!file) return bytes;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

// Every hold ends with a message, but a tick does not end its own timer's hold.
void endHolds(unsigned ownTimer) {
    for (auto it = machine.holds.begin(); it != machine.holds.end();) {
        it = it->first == ownTimer ? std::next(it) : machine.holds.erase(it);
    }
}

// Whether the tick of timer id is left out: it is held, and its watched file is unchanged.
bool leaveOutTick(unsigned id) {
    auto held = machine.holds.find(id);
    if (held == machine.holds.end()) return false;
    if (held->second.watching && fileBytes(held->second.path) != held->second.bytes) {
        machine.holds.erase(held);
        return false;
    }
    ++machine.ticksLeftOut;
    return true;
}

intptr_t dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!machine.windowAlive || !machine.procedure) return 0;
    const unsigned ownTimer = message == msgTimer ? static_cast<unsigned>(wParam) : noTimer;
    // Before, so that a nested loop inside this message ticks; after, so that what the
    // message changed after such a loop is seen.
    endHolds(ownTimer);
    intptr_t result = machine.procedure(&machine.window, message, wParam, lParam);
    endHolds(ownTimer);
    return result;
}

void deliverPosted() {
    while (!machine.posted.empty() && !machine.quitPosted) {
        PostedMessage m = machine.posted.front();
        machine.posted.pop_front();
        dispatch(m.message, m.wParam, m.lParam);
    }
}

void deliverPaint() {
    if (!machine.invalid || !machine.windowAlive || machine.quitPosted) return;
    machine.invalid = false;
    dispatch(msgPaint, 0, 0);
}

// The earliest timer due no later than limit, ties broken by the order they were set.
bool nextDueTimer(uint64_t limit, unsigned& id) {
    bool found = false;
    const Timer* best = nullptr;
    for (const auto& [timerId, timer] : machine.timers) {
        if (timer.due > limit) continue;
        if (!best || timer.due < best->due ||
            (timer.due == best->due && timer.order < best->order)) {
            best = &timer;
            id = timerId;
            found = true;
        }
    }
    return found;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::string relativeToWorkingDirectory(const char* resolvedPath) {
    std::string path = nativePath(resolvedPath);
    char cwd[4096];
    if (!currentDirectory(cwd, sizeof cwd)) return path;
    size_t length = std::strlen(cwd);
    if (path.compare(0, length, cwd) != 0) return path;
    if (length == 0 || !isSeparator(cwd[length - 1])) {
        if (path.size() <= length || !isSeparator(path[length])) return path;
        ++length;
    }
    // Windows names folders with '\'; the record uses '/' on every machine. A 0x5C that is
    // the second byte of a double-byte character is no separator and stays.
    std::string relative = path.substr(length);
    for (size_t i = 0; i < relative.size(); ++i) {
        if (isCp932LeadByte(static_cast<unsigned char>(relative[i]))) {
            ++i;
        } else if (relative[i] == '\\') {
            relative[i] = '/';
        }
    }
    return relative;
}

int textWidth(const char* text) {
    int width = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (isCp932LeadByte(*p) && p[1]) {
            width += 30;
            ++p;
        } else {
            width += 15;
        }
    }
    return width;
}

}  // namespace

// --- Test and simulator interface -------------------------------------------------------

void headlessReset() { machine = Machine(); }

WindowHandle headlessCreateWindow(WindowProcedureFn procedure) {
    machine.procedure = procedure;
    machine.windowAlive = true;
    dispatch(msgCreate, 0, 0);
    // ShowWindow and UpdateWindow: the first paint is handled at once.
    machine.invalid = true;
    deliverPaint();
    return &machine.window;
}

bool headlessWindowAlive() { return machine.windowAlive; }

void headlessPump() {
    deliverPosted();
    deliverPaint();
}

void headlessAdvance(uint32_t ms) {
    uint64_t target = machine.now + ms;
    for (;;) {
        headlessPump();
        if (machine.quitPosted) break;
        unsigned id = 0;
        if (!nextDueTimer(target, id)) break;
        Timer& timer = machine.timers[id];
        machine.now = std::max(machine.now, timer.due);
        timer.due = machine.now + std::max<uint32_t>(timer.period, 1);
        if (leaveOutTick(id)) continue;
        dispatch(msgTimer, id, 0);
    }
    // A nested loop inside a handler may already have gone past the target.
    machine.now = std::max(machine.now, target);
    headlessPump();
}

bool headlessSend(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if ((message == msgChar || message == msgKeyDown) && machine.openBoxes > 0) return false;
    dispatch(message, wParam, lParam);
    return true;
}

int headlessOpenBoxes() { return machine.openBoxes; }

void headlessSetMessageBoxHandler(
    std::function<void(const std::string&, const std::string&)> handler) {
    machine.boxHandler = std::move(handler);
}

void headlessSetEventSink(std::function<void(const HeadlessEvent&)> sink) {
    machine.sink = std::move(sink);
}

void headlessSetClock(uint32_t ms) {
    machine.clockBase = ms;
    machine.clockSetAt = machine.now;
}

void headlessSetCalendarTime(int64_t seconds) {
    machine.calendarBase = seconds;
    machine.calendarSetAt = machine.now;
}

uint64_t headlessElapsedMs() { return machine.now; }
bool headlessQuitPosted() { return machine.quitPosted; }
int headlessExitCode() { return machine.exitCode; }
const std::vector<HeadlessEvent>& headlessEvents() { return machine.events; }
void headlessClearEvents() { machine.events.clear(); }

bool headlessTimerRunning(unsigned id) { return machine.timers.count(id) != 0; }

unsigned headlessTimerPeriod(unsigned id) {
    auto it = machine.timers.find(id);
    return it == machine.timers.end() ? 0 : it->second.period;
}

bool headlessMenuChecked(unsigned commandId) { return machine.checked[commandId]; }

bool headlessMenuEnabled(unsigned commandId) {
    auto it = machine.enabled.find(commandId);
    return it == machine.enabled.end() ? true : it->second;
}

int headlessPaintCount() { return machine.paints; }
int headlessFramesMade() { return machine.framesMade; }
int headlessTicksLeftOut() { return machine.ticksLeftOut; }
bool headlessTimerHeld(unsigned id) { return machine.holds.count(id) != 0; }

void headlessSetScreenScale(int scale) {
    machine.screenScale = scale;
    // As a window system does when the window moves to a screen of another scale.
    if (machine.windowAlive) machine.invalid = true;
}
int headlessMenuRedraws() { return machine.menuRedraws; }
const std::vector<HeadlessText>& headlessLastPaintTexts() { return machine.lastPaintTexts; }
const std::vector<uint8_t>& headlessPresentedFrame() {
    static const std::vector<uint8_t> nothing;
    return machine.presented ? *machine.presented : nothing;
}
int headlessPresentedHeight() { return machine.presentedHeight; }
int headlessWhiteFills() { return machine.whiteFills; }
int headlessLiveFonts() { return machine.liveFonts; }
int headlessLiveBitmaps() { return machine.liveBitmaps; }
int headlessMisuses() { return machine.misuses; }
void headlessSetTextMeasure(std::function<int(const std::string& text)> measure) {
    machine.measure = std::move(measure);
}

// --- Window and messages -----------------------------------------------------------------

intptr_t defaultWindowProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

void postCloseMessage(WindowHandle) { machine.posted.push_back({msgClose, 0, 0}); }

void destroyWindow(WindowHandle) {
    if (!machine.windowAlive) return;
    dispatch(msgDestroy, 0, 0);
    machine.windowAlive = false;
    machine.timers.clear();
    machine.holds.clear();
    machine.posted.clear();
    machine.invalid = false;
}

void postQuitMessage(int exitCode) {
    if (machine.quitPosted) return;
    machine.quitPosted = true;
    machine.exitCode = exitCode;
    record({HeadlessEventKind::quit, 0, exitCode, {}, {}});
}

// --- Timers --------------------------------------------------------------------------------

void setTimer(WindowHandle, unsigned id, unsigned periodMs) {
    if (!machine.windowAlive) return;
    Timer timer;
    timer.period = periodMs;
    timer.due = machine.now + std::max(periodMs, 1u);
    timer.order = ++machine.timerOrder;
    machine.timers[id] = timer;
    machine.holds.erase(id);
    record({HeadlessEventKind::timerSet, id, static_cast<int>(periodMs), {}, {}});
}

void killTimer(WindowHandle, unsigned id) {
    // Every call is recorded, also for a timer that does not run: scripts see what the game asked.
    machine.timers.erase(id);
    machine.holds.erase(id);
    record({HeadlessEventKind::timerKill, id, 0, {}, {}});
}

void holdTimerUntilNextMessage(WindowHandle, unsigned id, const char* watchedPath) {
    if (!machine.timers.count(id)) return;
    Hold hold;
    if (watchedPath) {
        hold.watching = true;
        hold.path = watchedPath;
        hold.bytes = fileBytes(hold.path);
    }
    machine.holds[id] = hold;
}

// --- Painting ------------------------------------------------------------------------------

void invalidateWindow(WindowHandle) {
    if (machine.windowAlive) machine.invalid = true;
}

// UpdateWindow: the paint is handled now, whatever else waits.
void paintWindowNow(WindowHandle) {
    if (!machine.windowAlive) return;
    machine.invalid = true;
    deliverPaint();
}

void fillWindowWhite(WindowHandle) { ++machine.whiteFills; }

DeviceContext beginPaint(WindowHandle) {
    if (machine.painting) ++machine.misuses;
    machine.painting = true;
    machine.invalid = false;
    machine.paintTexts.clear();
    machine.presentedInPaint = false;
    return &machine.paintDC;
}

void endPaint(WindowHandle, DeviceContext) {
    if (!machine.painting) ++machine.misuses;
    machine.painting = false;
    ++machine.paints;
    // What the window shows: the texts on the frame presented, which a paint that shows a
    // frame again has not drawn itself.
    machine.lastPaintTexts = machine.presentedInPaint ? machine.presentedTexts : machine.paintTexts;
}

DeviceContext createMemoryContext(WindowHandle) {
    machine.memoryDC = std::make_unique<NativeDC>();
    machine.memoryDC->memory = true;
    return machine.memoryDC.get();
}

BitmapHandle createFrameBitmap(DeviceContext, int width, int height, const uint8_t* bits,
                               const FrameBitsChanges*) {
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || !bits) return nullptr;
    auto* bitmap = new NativeBitmap;
    bitmap->width = width;
    bitmap->height = height;
    // Every frame has the same size: the storage of one no longer shown is used again.
    FramePixels pixels = std::move(machine.spare);
    if (!pixels || pixels.use_count() != 1) pixels = std::make_shared<std::vector<uint8_t>>();
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t stride = (rowBytes + 3) & ~size_t{3};
    pixels->resize(rowBytes * height);
    if (stride == rowBytes) {
        std::memcpy(pixels->data(), bits, rowBytes * height);
    } else {
        for (int row = 0; row < height; ++row) {
            std::memcpy(pixels->data() + rowBytes * row, bits + stride * row, rowBytes);
        }
    }
    bitmap->pixels = std::move(pixels);
    bitmap->scale = machine.screenScale;
    ++machine.liveBitmaps;
    ++machine.framesMade;
    return bitmap;
}

BitmapHandle selectBitmap(DeviceContext dc, BitmapHandle bitmap) {
    BitmapHandle previous = dc->bitmap;
    dc->bitmap = bitmap;
    return previous;
}

void deleteBitmap(BitmapHandle bitmap) {
    if (!bitmap) return;
    if (machine.memoryDC && machine.memoryDC->bitmap == bitmap) {
        ++machine.misuses;  // GDI refuses to delete a selected bitmap: it would leak
        return;
    }
    // The frame shown before the last is deleted here, no longer shared: its storage serves
    // the next frame. Fresh storage for every frame costs a page fault per page under the
    // sanitizers, which hold freed memory back.
    if (bitmap->pixels && bitmap->pixels.use_count() == 1 && !machine.spare) {
        machine.spare = std::move(bitmap->pixels);
    }
    delete bitmap;
    --machine.liveBitmaps;
}

void copyFrameToWindow(DeviceContext, DeviceContext memoryDC, int width, int height) {
    if (!memoryDC || !memoryDC->bitmap) return;
    const NativeBitmap& bitmap = *memoryDC->bitmap;
    int rows = std::min(height, bitmap.height);
    int columns = std::min(width, bitmap.width);
    FramePixels previous = std::move(machine.presented);
    if (bitmap.pixels && columns == frameWidth && bitmap.width == frameWidth &&
        rows == bitmap.height) {
        // The whole bitmap is the frame, row for row: show its pixels as they are.
        machine.presented = bitmap.pixels;
    } else {
        machine.presented = std::make_shared<std::vector<uint8_t>>(
            static_cast<size_t>(frameWidth) * 3 * std::max(rows, 0), uint8_t{0});
        // The window shows the top rows of the frame; keep them bottom-up like the back buffer.
        for (int r = 0; r < rows; ++r) {
            int sourceRow = bitmap.height - rows + r;
            std::memcpy(machine.presented->data() + static_cast<size_t>(r) * frameWidth * 3,
                        bitmap.pixels->data() + static_cast<size_t>(sourceRow) * bitmap.width * 3,
                        static_cast<size_t>(std::max(columns, 0)) * 3);
        }
    }
    machine.presentedHeight = rows;
    machine.presentedTexts = bitmap.texts;
    machine.presentedInPaint = true;
    if (previous && previous.use_count() == 1) machine.spare = std::move(previous);
}

bool frameBitmapStillFits(WindowHandle, BitmapHandle bitmap) {
    return bitmap && bitmap->scale == machine.screenScale;
}

// --- Text ----------------------------------------------------------------------------------

FontHandle createFont(int height, int, const char*) {
    auto* font = new NativeFont;
    font->height = height;
    ++machine.liveFonts;
    return font;
}

FontHandle selectFont(DeviceContext dc, FontHandle font) {
    FontHandle previous = dc->font;
    dc->font = font;
    return previous;
}

void deleteFont(FontHandle font) {
    if (!font) return;
    if (machine.memoryDC && machine.memoryDC->font == font) {
        ++machine.misuses;
        return;
    }
    delete font;
    --machine.liveFonts;
}

void setTransparentText(DeviceContext dc) { dc->transparent = true; }
void setTextColour(DeviceContext dc, uint32_t colour) { dc->colour = colour; }
int measureText(DeviceContext, const char* text) {
    return machine.measure ? machine.measure(text) : textWidth(text);
}

void drawText(DeviceContext dc, int x, int y, const char* text) {
    machine.paintTexts.push_back({x, y, dc->colour, text});
    if (dc->bitmap) dc->bitmap->texts.push_back(machine.paintTexts.back());
}

// --- Menu ----------------------------------------------------------------------------------

void setMenuItemChecked(WindowHandle, unsigned commandId, int checked) {
    machine.checked[commandId] = checked != 0;
    record({HeadlessEventKind::menuCheck, commandId, checked != 0, {}, {}});
}

void setMenuItemEnabled(WindowHandle, unsigned commandId, int enabled) {
    machine.enabled[commandId] = enabled != 0;
    record({HeadlessEventKind::menuEnable, commandId, enabled != 0, {}, {}});
}

void redrawMenuBar(WindowHandle) { ++machine.menuRedraws; }

// --- Message boxes -------------------------------------------------------------------------

void showMessageBox(WindowHandle, const char* text, const char* caption) {
    record({HeadlessEventKind::messageBox, 0, 0, text, caption});
    ++machine.openBoxes;
    if (machine.boxHandler) machine.boxHandler(caption, text);
    --machine.openBoxes;
}

// --- Clocks --------------------------------------------------------------------------------

uint32_t systemTimeMs() {
    return static_cast<uint32_t>(machine.clockBase + (machine.now - machine.clockSetAt));
}

int64_t calendarTimeSeconds() {
    return machine.calendarBase +
           static_cast<int64_t>((machine.now - machine.calendarSetAt) / 1000);
}

// --- Sound ---------------------------------------------------------------------------------

void playLoopingSound(const char* resolvedPath) {
    record({HeadlessEventKind::soundPlay, 0, 0, relativeToWorkingDirectory(resolvedPath), {}});
}

void stopAllSound() { record({HeadlessEventKind::soundStop, 0, 0, {}, {}}); }

// What the game asks of the machine: plain functions, declared once, defined once per backend.
//
// Every function here is called from the window's thread only. Texts passed in are
// NUL-terminated code page 932 bytes; a backend converts them at the edge. Handles are
// opaque pointers whose pointee each backend defines for itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct NativeWindow;
struct NativeInstance;
struct NativeDC;
struct NativeFont;
struct NativeBitmap;
struct NativeFileLock;

using WindowHandle = NativeWindow*;
using InstanceHandle = NativeInstance*;
using DeviceContext = NativeDC*;
using FontHandle = NativeFont*;
using BitmapHandle = NativeBitmap*;
using FileLock = NativeFileLock*;

// Classic message numbers; backends translate their native events into these.
enum : uint32_t {
    msgCreate = 1,
    msgDestroy = 2,
    msgPaint = 15,
    msgClose = 16,
    msgKeyDown = 256,
    msgChar = 258,
    msgCommand = 273,
    msgTimer = 275,
    msgInitMenu = 278,
};

// The portable window procedure (app/). A backend calls it for every message of the window.
intptr_t windowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The frame every screen is composed in, shown at the top left of the client area.
constexpr int frameWidth = 640;
constexpr int frameHeight = 320;

// Virtual-key codes of the function keys the game hears (items F1 to F5, F6 gives all back).
enum : unsigned { keyF1 = 0x70, keyF2, keyF3, keyF4, keyF5, keyF6 };

// The character set number of createFont for Shift_JIS.
constexpr int shiftJisCharSet = 128;

// --- Window and messages -----------------------------------------------------------------

// Messages the window procedure does not handle. Returns what the platform's default would.
intptr_t defaultWindowProcedure(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);
// Close sequence helper: queues msgClose (both parameters 0) to the window; it arrives later.
void postCloseMessage(WindowHandle window);
// Destroys the window; msgDestroy is delivered before this returns and its timers end.
void destroyWindow(WindowHandle window);
// Ends the message loop once control returns to it; the process exits with exitCode.
void postQuitMessage(int exitCode);

// --- Timers --------------------------------------------------------------------------------

// Starts timer id on the window, ticking every periodMs; setting an existing id restarts it.
void setTimer(WindowHandle window, unsigned id, unsigned periodMs);
// Stops timer id; a timer that does not run is ignored.
void killTimer(WindowHandle window, unsigned id);
// Says that the ticks of timer id would do nothing until the window's next message of another
// kind, or until the file at watchedPath (null: none) is changed: the backend may leave them
// out, so that a window with nothing to do sleeps. The hold ends by itself, before and after
// any other message is handled; the timer keeps running, and setTimer or killTimer ends it too.
// A backend that cannot watch the file goes on delivering the ticks.
void holdTimerUntilNextMessage(WindowHandle window, unsigned id, const char* watchedPath);

// --- Painting ------------------------------------------------------------------------------

// Asks for one msgPaint of the whole client area, without erasing; requests coalesce.
void invalidateWindow(WindowHandle window);
// Paints the whole client area at once: msgPaint is handled and its frame is on the screen
// before this returns, as InvalidateRect and UpdateWindow do, without waiting for a frame.
void paintWindowNow(WindowHandle window);
// Fills the frameWidth x frameHeight area at the top left of the client area white, at once.
void fillWindowWhite(WindowHandle window);
// Starts the paint of a msgPaint; the context serves the frame bitmap and the present.
DeviceContext beginPaint(WindowHandle window);
// Ends the paint begun by beginPaint.
void endPaint(WindowHandle window, DeviceContext paintDC);
// Creates the one memory context compatible with the window; it lives to process end.
DeviceContext createMemoryContext(WindowHandle window);
// Where the bits of a createFrameBitmap may differ from those of the call before it: areas of
// columns [left, right) and rows [bottom, top), rows counted from the bottom as in the block.
struct FrameBitsChanges {
    struct Area {
        int left;
        int bottom;
        int right;
        int top;
    };
    static constexpr int maxAreas = 16;
    Area areas[maxAreas];
    int count = 0;
};
// Makes a device bitmap of width x height pixels from bits: 24-bit rows, bottom row first,
// each row padded to a multiple of 4 bytes (copied now). Null when the size is not sane.
// changes, when known, lets a backend that keeps the last frame look at those areas only.
BitmapHandle createFrameBitmap(DeviceContext paintDC, int width, int height, const uint8_t* bits,
                               const FrameBitsChanges* changes = nullptr);
// Selects bitmap into the memory context and returns the one it replaces (may be null).
BitmapHandle selectBitmap(DeviceContext memoryDC, BitmapHandle bitmap);
// Releases a bitmap that is no longer selected.
void deleteBitmap(BitmapHandle bitmap);
// Copies width x height pixels from (0, 0) of the memory context to (0, 0) of the window.
void copyFrameToWindow(DeviceContext paintDC, DeviceContext memoryDC, int width, int height);
// Whether a frame bitmap made by an earlier paint is what a paint of the window would make
// now (its screen has kept its scale), so that it can be shown again as it is.
bool frameBitmapStillFits(WindowHandle window, BitmapHandle bitmap);

// --- Text ----------------------------------------------------------------------------------

// Creates a font: cell height in pixels, character set, face name (code page 932).
FontHandle createFont(int height, int charSet, const char* faceName);
// Selects font into the memory context and returns the one it replaces (may be null).
// A null font selects the platform's default font back, so that the game font can be deleted.
FontHandle selectFont(DeviceContext memoryDC, FontHandle font);
// Releases a font that is no longer selected.
void deleteFont(FontHandle font);
// Texts drawn from now on leave their background untouched.
void setTransparentText(DeviceContext memoryDC);
// Colour of texts drawn from now on, as 0x00BBGGRR.
void setTextColour(DeviceContext memoryDC, uint32_t colour);
// Width in pixels of the whole string in the selected font.
int measureText(DeviceContext memoryDC, const char* text);
// Draws the whole string with its top-left corner at (x, y), y counted from the top.
void drawText(DeviceContext memoryDC, int x, int y, const char* text);

// --- Menu ----------------------------------------------------------------------------------

// Checks (1) or unchecks (0) the menu item of command id.
void setMenuItemChecked(WindowHandle window, unsigned commandId, int checked);
// Enables (1) or greys (0) the menu item of command id.
void setMenuItemEnabled(WindowHandle window, unsigned commandId, int enabled);
// Shows the menu bar's new state.
void redrawMenuBar(WindowHandle window);

// --- Message boxes -------------------------------------------------------------------------

// Shows a modal box with one OK button, owned by window (may be null); returns when it is
// dismissed. Timer ticks and paints keep reaching the window procedure meanwhile; keyboard
// input to the window does not.
void showMessageBox(WindowHandle owner, const char* text, const char* caption);

// --- Clocks --------------------------------------------------------------------------------

// The system time in milliseconds, 32 bits, wrapping.
uint32_t systemTimeMs();
// Calendar time in whole seconds.
int64_t calendarTimeSeconds();

// --- Sound ---------------------------------------------------------------------------------

// Plays the file at resolvedPath asynchronously, looping until stopped; replaces any sound
// playing. A missing or unplayable file is silence, and nothing is reported.
void playLoopingSound(const char* resolvedPath);
// Stops all sound of the process.
void stopAllSound();

// --- Files ---------------------------------------------------------------------------------

// Writes the working directory (no trailing separator unless it is a root) into buffer.
// Returns false when it cannot be read or does not fit; buffer is then empty.
bool currentDirectory(char* buffer, size_t size);
// Opens a file named by a path made by resolveDataPath; mode as for fopen ("rb", "r+b").
// Returns null when it cannot be opened.
std::FILE* openDataFile(const char* resolvedPath, const char* mode);
// Replaces the whole file at resolvedPath with size bytes in one step, so that a crash leaves
// the old contents or the new: a new file of a unique name beside it (never one that already
// exists) is written, synced, given the old file's permission bits and renamed over it. A
// symbolic link is kept and its target replaced. Returns false on any failure, with the old
// file whole and nothing of the attempt left behind.
bool replaceDataFile(const char* resolvedPath, const void* bytes, size_t size);
// Appends size bytes at the end of the file at resolvedPath (made when missing) and syncs them
// to disk; a symbolic link is followed as replaceDataFile follows it, and anything but a
// regular file is refused. Returns false on any failure (full disk, I/O error, short write),
// with the file exactly as it was: cut back to its old length, or not made.
bool appendDataFile(const char* resolvedPath, const void* bytes, size_t size);

// What lockDataFile found when it did not get the lock, and what stood in its way.
struct LockAttempt {
    // Another process holds the lock; it is freed when that process ends, so trying again
    // later will get it. False with no lock: no lock can be had in this folder at all.
    bool busy = false;
    // The lock file beside the file (the name of the file links lead to, with ".lock") is in
    // the way: a folder, a link, a pipe or a file this user cannot open stands under its
    // name, or its file system refuses locks. Set whether or not the lock was had without it.
    bool lockFileRefused = false;
};
// Takes the lock that every copy of the game holds while it reads, changes and writes the data
// files beside resolvedPath: the lock of their folder (on Windows a mutex named after it) and
// the lock file, each that can be had; either keeps out every other copy. Waits up to waitMs
// while another process holds it (0: not at all). Once held, temporary files that a writer
// killed mid-replacement left are removed. Null, with nothing locked, when it is not had.
FileLock lockDataFile(const char* resolvedPath, unsigned waitMs, LockAttempt& attempt);
// Releases a lock of lockDataFile; null is ignored.
void unlockDataFile(FileLock lock);
// Converts size bytes of valid UTF-8 text (a data file a player's editor saved so) to code
// page 932 in out, which has room for size bytes (never too few: no character grows); a
// character without a code page 932 form becomes '?'. Returns the bytes written.
size_t cp932FromUtf8(const char* utf8, size_t size, char* out);

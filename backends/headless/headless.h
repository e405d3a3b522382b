// The headless machine: a real backend on a virtual clock, driven by tests and keyfall-sim.
//
// Time passes only through headlessAdvance. Timers fire in due order (ties in the order they
// were set), a pending repaint is painted before the next tick, and message boxes run a nested
// loop supplied by the box handler. A held timer keeps its times and its ticks are left out
// until the next other message, or until its watched file's bytes change. Everything the
// game asks of the machine is recorded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

using WindowProcedureFn = intptr_t (*)(WindowHandle, uint32_t, uintptr_t, intptr_t);

enum class HeadlessEventKind {
    messageBox,  // text, caption
    soundPlay,   // text: the path relative to the working directory, with '/'
    soundStop,
    timerSet,    // id, value = period in ms
    timerKill,   // id
    menuCheck,   // id, value 0 or 1
    menuEnable,  // id, value 0 or 1
    quit,        // value = exit code
};

struct HeadlessEvent {
    HeadlessEventKind kind;
    unsigned id = 0;
    int value = 0;
    std::string text;     // code page 932 bytes as the game passed them
    std::string caption;  // code page 932
};

struct HeadlessText {
    int x;
    int y;
    uint32_t colour;
    std::string text;  // code page 932
};

// A fresh machine: clock 0, calendar 0, no window, no timers, nothing recorded. Handlers and
// the event sink are removed too.
void headlessReset();

// Creates the window: procedure receives msgCreate, then the window is shown and updated
// (one paint). Returns the window handle.
WindowHandle headlessCreateWindow(WindowProcedureFn procedure);
bool headlessWindowAlive();

// Lets ms virtual milliseconds pass: posted messages, paints and timer ticks in due order.
void headlessAdvance(uint32_t ms);
// Delivers posted messages and a pending paint without letting time pass.
void headlessPump();

// Sends a message to the window procedure now. Keyboard messages (msgChar, msgKeyDown) are
// dropped while a message box is open; the result is then false.
bool headlessSend(uint32_t message, uintptr_t wParam, intptr_t lParam);
// Depth of open message boxes (0 when none is open).
int headlessOpenBoxes();

// Runs while a box is open; the box is dismissed when it returns. Without one, boxes are
// dismissed at once.
void headlessSetMessageBoxHandler(
    std::function<void(const std::string& caption, const std::string& text)> handler);
// Receives every event as it happens.
void headlessSetEventSink(std::function<void(const HeadlessEvent&)> sink);

void headlessSetClock(uint32_t ms);             // the 32-bit millisecond clock
void headlessSetCalendarTime(int64_t seconds);  // advances with the virtual clock
uint64_t headlessElapsedMs();                   // virtual time since reset

bool headlessQuitPosted();
int headlessExitCode();

// What happened.
const std::vector<HeadlessEvent>& headlessEvents();
void headlessClearEvents();
bool headlessTimerRunning(unsigned id);
unsigned headlessTimerPeriod(unsigned id);
bool headlessMenuChecked(unsigned commandId);
bool headlessMenuEnabled(unsigned commandId);
int headlessPaintCount();
// Frame bitmaps made: one for every frame composed, none for a frame shown again.
int headlessFramesMade();
// Timer ticks left out because the game held their timer, and whether timer id is held now.
int headlessTicksLeftOut();
bool headlessTimerHeld(unsigned id);
// The window's screen takes scale device pixels per pixel, and the window is to be drawn
// again. Frames are made for the scale, though their pixels here stay one per pixel.
void headlessSetScreenScale(int scale);
int headlessMenuRedraws();
// Texts on the frame the last completed paint presented, in order (when it presented none,
// the texts it drew).
const std::vector<HeadlessText>& headlessLastPaintTexts();
// Pixels of the last presented frame: bottom-up rows of 640 * 3 bytes; its height in rows.
const std::vector<uint8_t>& headlessPresentedFrame();
int headlessPresentedHeight();
// How many white fills of the window were made.
int headlessWhiteFills();
// Fonts and frame bitmaps created and not yet deleted.
int headlessLiveFonts();
int headlessLiveBitmaps();
// Calls the real platform would refuse (deleting a selected object, a paint not ended...).
int headlessMisuses();
// Replaces the fixed text metrics for measureText (not for drawing); an empty function
// restores them. Lets tests measure widths that 15/30-pixel characters cannot make.
void headlessSetTextMeasure(std::function<int(const std::string& text)> measure);

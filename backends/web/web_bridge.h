// The page's half of the web backend (web_library.js): every call the backend makes into
// JavaScript, declared once. Texts cross as code page 932 bytes; the page decodes them.
#pragma once

#include <cstdint>

// What the page queues for the message loop, in the order the player did it.
enum WebEventKind : int {
    webEventNone = 0,
    webEventKeyDown = 1,       // value: the Windows virtual-key code
    webEventCharacter = 2,     // value: the character byte
    webEventCommand = 3,       // value: the menu command
    webEventInitMenu = 4,      // the menu bar has become active
    webEventFilesChanged = 5,  // another tab saved the data folder's files: they are re-read
};

extern "C" {

// --- Loop ----------------------------------------------------------------------------------

// Sleeps (the wasm stack unwinds) until an event is queued, timeoutMs pass (never, when
// negative), or, when wantFrame is 1, the browser's next animation frame comes.
void keyfall_wait(double timeoutMs, int wantFrame);
// Takes the oldest queued event: its kind (webEventNone when the queue is empty) and value.
int keyfall_next_event(int* value);
// 1 once after each animation frame that a wait asked for, else 0.
int keyfall_take_frame();
// The game's clock in milliseconds: it stands still while the page pauses the game.
double keyfall_now();

// --- The data folder's lock ----------------------------------------------------------------

// Sleeps until the lock of the data folder, shared by every tab of the page, is held and what
// the other tabs saved of the folder is in it; waits up to waitMs while another tab holds the
// lock. The lock's number, or 0 when another tab held it all that time.
int keyfall_lock_data(const char* folder, unsigned waitMs);
// Sleeps until the folder's changed files are saved, then lets go of the lock and tells the
// other tabs.
void keyfall_unlock_data(int lock);

// --- Window --------------------------------------------------------------------------------

void keyfall_window_created(const char* title);
void keyfall_window_destroyed();
void keyfall_window_fill_white();

// --- Menu bar, built in resource order ------------------------------------------------------

void keyfall_menu_popup_begin(const char* label);
void keyfall_menu_popup_end();
void keyfall_menu_item(unsigned command, const char* label, int checkable);
void keyfall_menu_set_checked(unsigned command, int checked);
void keyfall_menu_set_enabled(unsigned command, int enabled);

// --- Message boxes -------------------------------------------------------------------------

// Opens a modal dialog and returns its number; it stays open until the player dismisses it.
int keyfall_box_open(const char* text, const char* caption);
int keyfall_box_is_open(int box);
void keyfall_box_close(int box);

// --- Frame bitmaps and text ----------------------------------------------------------------

// A canvas of width x height for a frame bitmap; its number, or 0 when none can be made.
int keyfall_bitmap_create(int width, int height);
// Gives the bitmap's canvas width x height RGBA pixels, top row first. Only the changed
// rectangle differs from the pixels of the last upload (of any bitmap); the page keeps reading
// rgba until the bitmap is presented or deleted, so it stays as it is until then.
void keyfall_bitmap_upload(int bitmap, const uint8_t* rgba, int width, int height, int changedX,
                           int changedY, int changedWidth, int changedHeight);
void keyfall_bitmap_delete(int bitmap);
int keyfall_text_width(int fontHeight, const char* text);
// colour is 0x00BBGGRR; opaque fills the text's cell white first.
void keyfall_text_draw(int bitmap, int fontHeight, uint32_t colour, int opaque, int x, int y,
                       const char* text);
// Copies width x height pixels from the top left of the bitmap to the window's canvas.
void keyfall_present(int bitmap, int width, int height);
// How long one paint took, for the page's paint statistics.
void keyfall_paint_took(double ms);
// A timer ticked so late that it dropped ticks: its period and how far its ticks moved on.
void keyfall_timer_slipped(unsigned periodMs, double ms);

// --- Sound ---------------------------------------------------------------------------------

// Plays the file of the in-memory file system at path in a loop, replacing any sound.
void keyfall_sound_play(const char* path);
void keyfall_sound_stop();
}

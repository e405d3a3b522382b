// The GTK backend's window: the menu bar, the message loop, timers, painting, message boxes
// and clocks. Every native event becomes a windowProcedure call and nothing more.
#include "backends/gtk/gtk_window.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/menu.h"
#include "backends/gtk/cp932_utf8.h"
#include "backends/gtk/gtk_drawing.h"
#include "backends/gtk/gtk_objects.h"
#include "backends/gtk/key_translation.h"
#include "backends/gtk/window_picture.h"
#include "backends/native_path.h"

struct NativeWindow {
    int unused = 0;
};
struct NativeInstance {
    int unused = 0;
};

namespace {

// A draw asked for this long ago and still not made is asked for again, whatever happened
// to it (it cannot be lost for longer than this while the game keeps asking).
constexpr gint64 staleDrawRequestUs = 100000;

struct MenuItem {
    GtkWidget* widget = nullptr;
    bool checkable = false;
    bool checked = false;  // the state the game set; GTK's own toggling is undone
};

struct Backend {
    NativeWindow window;
    NativeInstance instance;
    NativeDC paintDC;
    GtkWidget* gtkWindow = nullptr;
    GtkWidget* menuBar = nullptr;
    GtkWidget* drawingArea = nullptr;
    std::map<unsigned, MenuItem> menuItems;
    std::map<unsigned, GSource*> timers;
    std::map<unsigned, unsigned> periods;  // of every timer set, held ones included
    std::set<unsigned> held;               // timers whose source is gone until the next message
    GFileMonitor* monitor = nullptr;       // the file a hold watches, kept for the next hold
    std::string monitoredPath;
    GMainLoop* loop = nullptr;
    bool windowAlive = false;
    bool settingCheck = false;
    bool menuActive = false;
    int openBoxes = 0;
    bool quitPosted = false;
    int exitCode = 0;
    bool drawPending = false;  // asked of GTK and its draw not yet begun
    gint64 drawRequestedAt = 0;
};

Backend backend;

constexpr unsigned noTimer = ~0u;

void startTimerSource(unsigned id, unsigned periodMs);

// A held timer ticks again; a tick does not end its own timer's hold.
void endHolds(unsigned ownTimer) {
    for (auto it = backend.held.begin(); it != backend.held.end();) {
        if (*it == ownTimer) {
            ++it;
            continue;
        }
        const unsigned id = *it;
        it = backend.held.erase(it);
        startTimerSource(id, backend.periods[id]);
    }
}

intptr_t dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!backend.windowAlive) return 0;
    const unsigned ownTimer = message == msgTimer ? static_cast<unsigned>(wParam) : noTimer;
    // Before, so that a nested loop inside this message ticks; after, so that what the
    // message changed after such a loop is seen.
    endHolds(ownTimer);
    intptr_t result = windowProcedure(&backend.window, message, wParam, lParam);
    if (backend.windowAlive) endHolds(ownTimer);
    return result;
}

// --- Keyboard ------------------------------------------------------------------------------

gboolean onKeyPress(GtkWidget*, GdkEventKey* event, gpointer) {
    // Alt goes to GTK: the mnemonics open the menu.
    if (event->state & GDK_MOD1_MASK) return FALSE;
    // A message box is modal: the game hears nothing until it is dismissed.
    if (backend.openBoxes > 0) return TRUE;
    if (unsigned key = virtualKeyOf(event->keyval)) dispatch(msgKeyDown, key, 0);
    // A double-byte character comes as two messages, lead byte first, as on Windows.
    TypedBytes typed = charactersOfKey(event->keyval, static_cast<GdkModifierType>(event->state));
    for (int i = 0; i < typed.count; ++i) dispatch(msgChar, typed.bytes[i], 0);
    // Every other key is the game's too: F10 must not open the menu, Tab must not move focus.
    return TRUE;
}

// --- Window events -------------------------------------------------------------------------

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer) {
    // While a box is open its owner is disabled, as on Windows: the close button does nothing.
    if (backend.openBoxes == 0) dispatch(msgClose, 0, 0);
    return TRUE;  // the close sequence destroys the window itself
}

// A window destroyed from outside (xdotool windowclose, a session ending) is not a close the
// game asked for: without this the program would go on with no window, and never end.
void onDestroyed(GtkWidget*, gpointer) {
    if (!backend.windowAlive) return;
    backend.gtkWindow = nullptr;  // GTK is destroying it already
    dispatch(msgClose, 0, 0);
}

// GTK merges every request until the next frame into one draw: while one is pending, asking
// again only costs. The repaint timer asks every 4 ms; frames come at the display's rate.
void requestDraw() {
    const gint64 now = g_get_monotonic_time();
    if (backend.drawPending && now - backend.drawRequestedAt < staleDrawRequestUs) return;
    backend.drawPending = true;
    backend.drawRequestedAt = now;
    gtk_widget_queue_draw(backend.drawingArea);
}

// The paint of msgPaint, made at the scale of the area's screen, in whole device pixels.
void dispatchPaint(GtkWidget* area) {
    const int scale = gtk_widget_get_scale_factor(area);
    backend.paintDC.scale = scale;
    setWindowPictureScale(scale);
    dispatch(msgPaint, 0, 0);
}

gboolean onDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
    // Cleared first: a request made during the paint needs a draw of its own.
    backend.drawPending = false;
    dispatchPaint(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    showWindowPicture(cr, height);
    GdkRectangle clip = {};
    if (gdk_cairo_get_clip_rectangle(cr, &clip) && clip.x <= 0 && clip.y <= 0 &&
        clip.x + clip.width >= frameWidth &&
        clip.y + clip.height >= std::min(height, frameHeight)) {
        windowPictureShownWhole();
    }
    return TRUE;
}

// Paints the area and puts what changed on the screen now, outside the frame clock: drawn
// on the toplevel's native window (the only kind GDK draws on outside a frame), one band of
// rows at a time, and sent to the display server before returning.
bool paintAreaNow() {
    GtkWidget* area = backend.drawingArea;
    GdkWindow* native = backend.gtkWindow ? gtk_widget_get_window(backend.gtkWindow) : nullptr;
    if (!native || !gtk_widget_is_drawable(area)) return false;
    cairo_rectangle_int_t place = {0, 0, gtk_widget_get_allocated_width(area),
                                   gtk_widget_get_allocated_height(area)};
    if (!gtk_widget_translate_coordinates(area, backend.gtkWindow, 0, 0, &place.x, &place.y)) {
        return false;
    }
    findWindowPictureChanges(true);
    dispatchPaint(area);
    findWindowPictureChanges(false);
    if (!backend.windowAlive) return true;
    cairo_region_t* changes = takeWindowPictureChanges();
    const cairo_rectangle_int_t whole = {0, 0, place.width, place.height};
    cairo_region_intersect_rectangle(changes, &whole);
    for (int i = 0; i < cairo_region_num_rectangles(changes); ++i) {
        cairo_rectangle_int_t band = {};
        cairo_region_get_rectangle(changes, i, &band);
        band.x += place.x;
        band.y += place.y;
        cairo_region_t* region = cairo_region_create_rectangle(&band);
        GdkDrawingContext* context = gdk_window_begin_draw_frame(native, region);
        cairo_region_destroy(region);
        if (!context) continue;
        cairo_t* cr = gdk_drawing_context_get_cairo_context(context);
        cairo_translate(cr, place.x, place.y);
        showWindowPicture(cr, place.height);
        gdk_window_end_draw_frame(native, context);
    }
    cairo_region_destroy(changes);
    gdk_display_flush(gdk_window_get_display(native));
    return true;
}

// GTK drops draw requests while the window cannot be drawn (hidden, minimised). When it
// can be again, a request still pending is made anew.
void renewPendingDraw() {
    if (!backend.drawPending || !backend.drawingArea) return;
    backend.drawPending = false;
    requestDraw();
}

void onUnmap(GtkWidget*, gpointer) { backend.drawPending = false; }

void onMap(GtkWidget*, gpointer) { renewPendingDraw(); }

// Moved to a screen of another scale: the next draw makes a frame at the new one.
void onScaleChanged(GObject*, GParamSpec*, gpointer) {
    if (backend.drawingArea) requestDraw();
}

gboolean onWindowMapped(GtkWidget*, GdkEvent*, gpointer) {
    renewPendingDraw();
    return FALSE;
}

gboolean onTimer(gpointer data) {
    dispatch(msgTimer, GPOINTER_TO_UINT(data), 0);
    return G_SOURCE_CONTINUE;  // killTimer destroys the source; this does not revive it
}

gboolean onPostedClose(gpointer) {
    dispatch(msgClose, 0, 0);
    return G_SOURCE_REMOVE;
}

// --- Menu ----------------------------------------------------------------------------------

void showCheck(MenuItem& item) {
    backend.settingCheck = true;
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item.widget), item.checked);
    backend.settingCheck = false;
}

void onMenuItemActivate(GtkMenuItem*, gpointer data) {
    if (backend.settingCheck) return;  // our own set_active, not the player
    unsigned command = GPOINTER_TO_UINT(data);
    auto found = backend.menuItems.find(command);
    if (found != backend.menuItems.end() && found->second.checkable) {
        // GTK has just toggled the mark; only the game decides it.
        showCheck(found->second);
    }
    dispatch(msgCommand, command, 0);
}

// WM_INITMENU comes once when the menu bar becomes active, before a menu is drawn.
void onTopMenuSelect(GtkMenuItem*, gpointer) {
    if (backend.menuActive) return;
    backend.menuActive = true;
    dispatch(msgInitMenu, 0, 0);
}

void onMenuBarDeactivate(GtkMenuShell*, gpointer) { backend.menuActive = false; }

// Builds the menu bar from the portable table: pop-ups nest, items carry their command.
GtkWidget* buildMenuBar() {
    GtkWidget* bar = gtk_menu_bar_new();
    g_signal_connect(bar, "deactivate", G_CALLBACK(onMenuBarDeactivate), nullptr);
    std::vector<GtkWidget*> shells{bar};
    for (int i = 0; i < menuEntryCount; ++i) {
        const MenuEntry& entry = menuEntries[i];
        if (entry.kind == MenuEntryKind::popupEnd) {
            if (shells.size() > 1) shells.pop_back();
            continue;
        }
        std::string label = mnemonicLabelFromCp932(entry.label);
        GtkWidget* item = nullptr;
        if (entry.kind == MenuEntryKind::item && entry.checkable) {
            item = gtk_check_menu_item_new_with_mnemonic(label.c_str());
        } else {
            item = gtk_menu_item_new_with_mnemonic(label.c_str());
        }
        gtk_menu_shell_append(GTK_MENU_SHELL(shells.back()), item);
        if (entry.kind == MenuEntryKind::popupBegin) {
            if (shells.size() == 1) {
                g_signal_connect(item, "select", G_CALLBACK(onTopMenuSelect), nullptr);
            }
            GtkWidget* popup = gtk_menu_new();
            gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), popup);
            shells.push_back(popup);
        } else {
            MenuItem& record = backend.menuItems[entry.command];
            record.widget = item;
            record.checkable = GTK_IS_CHECK_MENU_ITEM(item);
            g_signal_connect(item, "activate", G_CALLBACK(onMenuItemActivate),
                             GUINT_TO_POINTER(entry.command));
        }
    }
    return bar;
}

// The timer's source only; a held timer has none and keeps its period.
void removeTimerSource(unsigned id) {
    auto found = backend.timers.find(id);
    if (found == backend.timers.end()) return;
    g_source_destroy(found->second);
    g_source_unref(found->second);
    backend.timers.erase(found);
}

void removeTimer(unsigned id) {
    removeTimerSource(id);
    backend.held.erase(id);
    backend.periods.erase(id);
}

void onWatchedFileChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent, gpointer) {
    if (backend.windowAlive) endHolds(noTimer);
}

void stopWatching() {
    if (!backend.monitor) return;
    g_file_monitor_cancel(backend.monitor);
    g_object_unref(backend.monitor);
    backend.monitor = nullptr;
    backend.monitoredPath.clear();
}

// Watches the file (inotify where there is one), so that its change ends a hold at once.
bool watchFile(const std::string& path) {
    if (backend.monitor && backend.monitoredPath == path) return true;
    stopWatching();
    GFile* file = g_file_new_for_path(path.c_str());
    backend.monitor = g_file_monitor_file(file, G_FILE_MONITOR_NONE, nullptr, nullptr);
    g_object_unref(file);
    if (!backend.monitor) return false;
    // Every change counts, however soon after the last: the screen shows the file as it is.
    g_file_monitor_set_rate_limit(backend.monitor, 0);
    g_signal_connect(backend.monitor, "changed", G_CALLBACK(onWatchedFileChanged), nullptr);
    backend.monitoredPath = path;
    return true;
}

// Starts a source that may run inside a nested loop as well: Windows delivers timers and
// posted messages to a message box's loop, even the timer whose tick opened the box.
GSource* attachRecursiveSource(GSource* source, GSourceFunc callback, gpointer data) {
    g_source_set_can_recurse(source, TRUE);
    g_source_set_callback(source, callback, data, nullptr);
    g_source_attach(source, nullptr);
    return source;
}

void startTimerSource(unsigned id, unsigned periodMs) {
    backend.periods[id] = periodMs;
    backend.timers[id] = attachRecursiveSource(g_timeout_source_new(std::max(periodMs, 1u)),
                                               onTimer, GUINT_TO_POINTER(id));
}

}  // namespace

// --- Entry ---------------------------------------------------------------------------------

InstanceHandle gtkInstance() { return &backend.instance; }

bool gtkCreateMainWindow(const char* title, const char* iconPath) {
    // F10 belongs to the game; the menu opens with the Alt mnemonics or the mouse.
    if (GtkSettings* settings = gtk_settings_get_default()) {
        g_object_set(settings, "gtk-menu-bar-accel", "", nullptr);
    }
    backend.loop = g_main_loop_new(nullptr, FALSE);
    createWindowPicture();

    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (!window) return false;
    backend.gtkWindow = window;
    gtk_window_set_title(GTK_WINDOW(window), utf8FromCp932(title).c_str());
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    if (iconPath && *iconPath) {
        if (GdkPixbuf* icon = gdk_pixbuf_new_from_file(iconPath, nullptr)) {
            gtk_window_set_icon(GTK_WINDOW(window), icon);
            g_object_unref(icon);
        }
    }
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    backend.menuBar = buildMenuBar();
    backend.drawingArea = gtk_drawing_area_new();
    gtk_widget_set_size_request(backend.drawingArea, frameWidth, frameHeight);
    gtk_box_pack_start(GTK_BOX(box), backend.menuBar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), backend.drawingArea, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), box);

    g_signal_connect(window, "key-press-event", G_CALLBACK(onKeyPress), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), nullptr);
    g_signal_connect(window, "destroy", G_CALLBACK(onDestroyed), nullptr);
    g_signal_connect(backend.drawingArea, "draw", G_CALLBACK(onDraw), nullptr);
    g_signal_connect(backend.drawingArea, "unmap", G_CALLBACK(onUnmap), nullptr);
    g_signal_connect(backend.drawingArea, "map", G_CALLBACK(onMap), nullptr);
    g_signal_connect(backend.drawingArea, "notify::scale-factor", G_CALLBACK(onScaleChanged),
                     nullptr);
    g_signal_connect(window, "map-event", G_CALLBACK(onWindowMapped), nullptr);

    backend.windowAlive = true;
    dispatch(msgCreate, 0, 0);
    if (!backend.windowAlive) return false;
    // The first paint comes with the window's first frame, as soon as the loop runs.
    gtk_widget_show_all(window);
    return true;
}

int gtkRunMessageLoop() {
    if (!backend.quitPosted) g_main_loop_run(backend.loop);
    g_main_loop_unref(backend.loop);
    backend.loop = nullptr;
    releaseWindowPicture();
    return backend.exitCode;
}

// --- Window and messages -----------------------------------------------------------------

intptr_t defaultWindowProcedure(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

void postCloseMessage(WindowHandle) {
    if (!backend.windowAlive) return;
    GSource* source = attachRecursiveSource(g_idle_source_new(), onPostedClose, nullptr);
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_unref(source);  // the main context keeps it until it has run
}

void destroyWindow(WindowHandle) {
    if (!backend.windowAlive) return;
    dispatch(msgDestroy, 0, 0);
    backend.windowAlive = false;
    while (!backend.periods.empty()) removeTimer(backend.periods.begin()->first);
    stopWatching();
    backend.menuItems.clear();
    GtkWidget* window = backend.gtkWindow;
    backend.gtkWindow = nullptr;
    backend.menuBar = nullptr;
    backend.drawingArea = nullptr;
    if (window) gtk_widget_destroy(window);
}

void postQuitMessage(int exitCode) {
    if (backend.quitPosted) return;
    backend.quitPosted = true;
    backend.exitCode = exitCode;
    if (backend.loop) g_main_loop_quit(backend.loop);
}

// --- Timers --------------------------------------------------------------------------------

void setTimer(WindowHandle, unsigned id, unsigned periodMs) {
    if (!backend.windowAlive) return;
    removeTimer(id);  // setting it again restarts it with the new period
    startTimerSource(id, periodMs);
}

void killTimer(WindowHandle, unsigned id) { removeTimer(id); }

void holdTimerUntilNextMessage(WindowHandle, unsigned id, const char* watchedPath) {
    if (!backend.windowAlive || !backend.timers.count(id)) return;
    // Without a watch the file's change would go unseen: the timer goes on ticking then.
    if (watchedPath && !watchFile(nativePath(watchedPath))) return;
    removeTimerSource(id);
    backend.held.insert(id);
}

// --- Painting ------------------------------------------------------------------------------

void invalidateWindow(WindowHandle) {
    if (backend.windowAlive) requestDraw();
}

void paintWindowNow(WindowHandle) {
    if (!backend.windowAlive) return;
    // Hidden or not yet shown: the draw comes when the window can be seen.
    if (!paintAreaNow()) requestDraw();
}

void fillWindowWhite(WindowHandle) {
    if (!backend.windowAlive) return;
    fillWindowPictureWhite();
    requestDraw();
}

DeviceContext beginPaint(WindowHandle) { return &backend.paintDC; }

void endPaint(WindowHandle, DeviceContext) {}

bool frameBitmapStillFits(WindowHandle, BitmapHandle bitmap) {
    if (!bitmap || !bitmap->surface) return false;
    const int scale = backend.drawingArea ? gtk_widget_get_scale_factor(backend.drawingArea)
                                          : backend.paintDC.scale;
    double scaleX = 1;
    double scaleY = 1;
    cairo_surface_get_device_scale(bitmap->surface, &scaleX, &scaleY);
    // Frames are made at the screen's scale, at most 8 (createFrameBitmap).
    return static_cast<int>(scaleX) == std::clamp(scale, 1, 8);
}

void copyFrameToWindow(DeviceContext, DeviceContext memoryDC, int width, int height) {
    if (!memoryDC) return;
    presentFrameBitmap(memoryDC->bitmap, width, height);
}

// --- Menu ----------------------------------------------------------------------------------

void setMenuItemChecked(WindowHandle, unsigned commandId, int checked) {
    auto found = backend.menuItems.find(commandId);
    if (found == backend.menuItems.end() || !found->second.checkable) return;
    found->second.checked = checked != 0;
    showCheck(found->second);
}

void setMenuItemEnabled(WindowHandle, unsigned commandId, int enabled) {
    auto found = backend.menuItems.find(commandId);
    if (found == backend.menuItems.end()) return;
    gtk_widget_set_sensitive(found->second.widget, enabled != 0);
}

void redrawMenuBar(WindowHandle) {
    if (backend.menuBar) gtk_widget_queue_draw(backend.menuBar);
}

// --- Message boxes -------------------------------------------------------------------------

void showMessageBox(WindowHandle owner, const char* text, const char* caption) {
    GtkWindow* parent = owner && backend.gtkWindow ? GTK_WINDOW(backend.gtkWindow) : nullptr;
    std::string message = utf8FromCp932(text);
    GtkWidget* dialog = gtk_message_dialog_new(
        parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s", message.c_str());
    std::string title = utf8FromCp932(caption);
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    g_object_ref(dialog);  // it may be destroyed with its owner while it runs
    ++backend.openBoxes;
    // gtk_dialog_run runs a nested loop: timers and paints keep coming, as under MessageBox.
    gtk_dialog_run(GTK_DIALOG(dialog));
    --backend.openBoxes;
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
}

// --- Clocks --------------------------------------------------------------------------------

uint32_t systemTimeMs() { return static_cast<uint32_t>(g_get_monotonic_time() / 1000); }

int64_t calendarTimeSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

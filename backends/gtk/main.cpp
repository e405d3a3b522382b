// The entry of keyfall on Linux: prepare the game, make the window, run the loop.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

#include "app/entry.h"
#include "backends/gtk/game_font.h"
#include "backends/gtk/gtk_sound.h"
#include "backends/gtk/gtk_window.h"
#include "backends/native_path.h"
#include "base/data_path.h"

int main() {
    // The rule must be in place before GTK makes its font map, or "ＭＳ ゴシック" misses it.
    installGameFontRule();
    // The window is drawn with cairo images only. Without this GDK probes GLX when the display
    // opens, which loads the whole OpenGL driver (about 45 MB) for nothing. A value the user
    // set is kept.
    g_setenv("GDK_GL", "disable", FALSE);
    // The game is configured by its data folder only; the command line is not read.
    if (!gtk_init_check(nullptr, nullptr)) {
        std::fprintf(stderr, "keyfall: cannot open the display (is DISPLAY set?)\n");
        return 1;
    }
    startUp(gtkInstance());

    char iconPath[dataPathSize];
    std::string nativeIconPath;
    if (resolveDataPath(iconPath, "\\Date\\Icon.ico")) nativeIconPath = nativePath(iconPath);
    if (!gtkCreateMainWindow(mainWindowClassName(), nativeIconPath.c_str())) return 0;

    int exitCode = gtkRunMessageLoop();
    gtkReleaseSound();
    return exitCode;
}

/* The least an X program does to show a key, for scripts/measure-latency: a window of the
 * game's frame size, named as the game's, that at each key press fills the typed line's place
 * with another grey and flushes. What its keys take is what the machine and its X server take.
 * Built by the script: cc measure-latency-window.c -lX11; runs until it is ended.
 * Arguments: x y width height of the area it fills. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: %s x y width height\n", argv[0]);
        return 2;
    }
    const int x = atoi(argv[1]), y = atoi(argv[2]);
    const unsigned width = (unsigned)atoi(argv[3]), height = (unsigned)atoi(argv[4]);
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "no X display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 640, 320, 0,
                                        BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, "Keyfall");
    XSelectInput(display, window, KeyPressMask | ButtonPressMask);
    XMapWindow(display, window);
    GC pen = XCreateGC(display, window, 0, NULL);
    unsigned long presses = 0;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != KeyPress) continue;
        ++presses;
        XSetForeground(display, pen, 0x404040 + 0x101010 * (presses % 8));
        XFillRectangle(display, window, pen, x, y, width, height);
        XFlush(display);
    }
}

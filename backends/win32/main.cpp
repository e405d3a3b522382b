// keyfall.exe: the process entry and the message loop.
#include <windows.h>

#include "app/entry.h"
#include "backends/win32/handles.h"
#include "backends/win32/main_window.h"
#include "base/texts.h"
#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    startUp(portableInstance(instance));
    if (registerMainWindowClass(instance) == 0) return 0;
    if (!createMainWindow(instance, showCommand)) return 0;

    MSG message = {};
    for (;;) {
        BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<int>(message.wParam);
        if (result == -1) {
            showMessageBox(nullptr, textGetMessageError, textErrorCaption);
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

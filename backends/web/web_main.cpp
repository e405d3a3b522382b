// The entry of Keyfall in the browser: prepare the game, make the window, run the loop.
// The page has already put the data folder under the working directory.
#include "app/entry.h"
#include "backends/web/web_window.h"

int main() {
    startUp(webInstance());
    if (!webCreateMainWindow(mainWindowClassName())) return 0;
    return webRunMessageLoop();
}

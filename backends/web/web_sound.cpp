// The music of the web backend: the page plays the file through Web Audio. A missing file,
// one the browser cannot decode, or a page without audio is silence.
#include <string>

#include "backends/native_path.h"
#include "backends/web/web_bridge.h"
#include "platform/platform.h"

void playLoopingSound(const char* resolvedPath) {
    stopAllSound();  // a new sound replaces the old one, even when it cannot play
    if (!resolvedPath || !*resolvedPath) return;
    std::string path = nativePath(resolvedPath);
    keyfall_sound_play(path.c_str());
}

void stopAllSound() { keyfall_sound_stop(); }

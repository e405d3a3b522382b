// The options of Game.ini: how the romaji of a word may be typed.
#include "game/game_options.h"

#include "base/data_path.h"
#include "base/game_state.h"
#include "base/profile_file.h"

namespace {

bool sameIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

}  // namespace

void loadGameOptions() {
    char path[dataPathSize];
    // A refused path is empty and reads as a missing file: the classic judging.
    resolveDataPath(path, "\\Date\\Game.ini");
    // Longer than any value that means something, so that no longer value is cut down to one.
    char romaji[16];
    getProfileString("OPTIONS", "Romaji", "Classic", romaji, sizeof romaji, path);
    game.anyRomaji = sameIgnoringCase(romaji, "Any") ? 1 : 0;
}

// The portable steps of the process entry.
#include "app/entry.h"

#include <cstdio>

#include "base/data_path.h"
#include "base/game_state.h"
#include "base/texts.h"

// Game state: lastHitTime, instance.
void startUp(InstanceHandle instance) {
    game.lastHitTime.type = timeMs;
    game.instance = instance;
    // In a folder too long for the data paths, pictures, the word list or the scores would be
    // missing without a word, or with the wrong one. The player hears the cause once, here.
    char folder[4096];
    if (workingFolderTooLong(longestDataPath, folder, sizeof folder)) {
        char text[sizeof folder + 512];
        std::snprintf(text, sizeof text, textFolderTooLongFormat,
                      static_cast<int>(dataPathSize - 1), folder);
        showMessageBox(nullptr, text, textErrorCaption);
    }
}

// Game state: reads windowClassName.
const char* mainWindowClassName() { return game.windowClassName; }

// The paint and the repaint timer: what a frame is made of is compared with the last composed.
#include "app/repaint.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/records_view.h"
#include "app/replay.h"
#include "base/data_path.h"
#include "base/game_state.h"
#include "ranking/ranking_file.h"
#include "records/history_file.h"
#include "render/frame.h"
#include "render/game_screen.h"
#include "render/game_screen_inputs.h"
#include "render/ranking_screen.h"
#include "render/records_screen.h"

namespace {

// What the last composed frame was made of. The ranking screen reads its file at every paint,
// so its bytes count, besides the difficulty that picks the table and the table it leaves.
struct ComposedFrame {
    bool known = false;
    int screen = 0;
    GameScreenInputs gameScreen;
    int difficulty = 0;
    char rankingText[5][sizeof GameState::rankingText[0]] = {};
    std::string rankingFile;
    unsigned recordsStamp = 0;
};

// The records screen stands over the other two.
enum : int { recordsScreen = 2 };
int screenShown() { return game.recordsShown == 1 ? recordsScreen : game.rankingShown; }

struct Repaint {
    bool skipping = true;
    ComposedFrame last;
    // Scratch of the checks, kept so that their storage serves every tick.
    GameScreenInputs gameScreenNow;
    std::string rankingFileNow;
    char rankingPath[dataPathSize] = {};
};

Repaint repaint;

// Past what a profile file may hold the reader gives up, so later bytes cannot matter.
constexpr size_t rankingBytesCompared = (size_t{16} << 20) + 1;

// The ranking file's bytes, or empty when it is missing or unreadable, as the paint sees it.
void readRankingFile(std::string& bytes) {
    bytes.clear();
    if (!resolveRankingPath(repaint.rankingPath)) return;
    std::FILE* file = openDataFile(repaint.rankingPath, "rb");
    if (!file) return;
    char chunk[16384];
    size_t got = 0;
    while (bytes.size() < rankingBytesCompared &&
           (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.append(chunk, got);
    }
    std::fclose(file);
}

// Game state: reads rankingShown and what the screen shown reads.
bool frameWouldRepeat(WindowHandle window) {
    const ComposedFrame& last = repaint.last;
    if (!repaint.skipping || !last.known || !lastFrameShowable(window)) return false;
    if (screenShown() != last.screen) return false;
    if (last.screen == recordsScreen) {
        return !recordsFiguresStale() && recordsFiguresStamp() == last.recordsStamp;
    }
    if (game.rankingShown == 0) {
        readGameScreenInputs(repaint.gameScreenNow);
        return repaint.gameScreenNow == last.gameScreen;
    }
    if (game.difficulty != last.difficulty ||
        std::memcmp(game.rankingText, last.rankingText, sizeof last.rankingText) != 0) {
        return false;
    }
    readRankingFile(repaint.rankingFileNow);
    return repaint.rankingFileNow == last.rankingFile;
}

}  // namespace

// Game state: everything a paint reads and writes; rankingText on the ranking screen.
void paintScreen(WindowHandle window) {
    if (frameWouldRepeat(window) && presentLastFrame(window)) return;
    ComposedFrame& last = repaint.last;
    last.known = false;
    last.screen = screenShown();
    if (last.screen == recordsScreen) {
        paintRecordsScreen(window, currentRecordsFigures());
        last.recordsStamp = recordsFiguresStamp();
        last.known = true;
        return;
    }
    if (game.rankingShown == 0) {
        paintGameScreen(window);
        // As the paint left them: a second paint of the same state changes nothing more.
        readGameScreenInputs(last.gameScreen);
        last.known = true;
    }
    if (game.rankingShown == 1) {
        // Read before the paint reads it: a change in between is found by the next check.
        readRankingFile(last.rankingFile);
        // The screen shows the file as it is now, so it is read at every paint.
        readRanking(game.rankingText[0], game.rankingText[1], game.rankingText[2],
                    game.rankingText[3], game.rankingText[4]);
        paintRankingScreen(window);
        last.difficulty = game.difficulty;
        std::memcpy(last.rankingText, game.rankingText, sizeof last.rankingText);
        last.known = true;
    }
}

// Game state: reads what a paint reads.
void repaintTick(WindowHandle window, unsigned timer) {
    if (!frameWouldRepeat(window)) {
        invalidateWindow(window);
        return;
    }
    // Nothing but a message, or the file the screen shows, can change the picture now.
    const bool fileShown = game.recordsShown == 1
                               ? resolveHistoryPath(repaint.rankingPath)
                               : game.rankingShown == 1 && resolveRankingPath(repaint.rankingPath);
    holdTimerUntilNextMessage(window, timer, fileShown ? repaint.rankingPath : nullptr);
}

// Game state: reads what a paint reads.
void repaintAfterKey(WindowHandle window) {
    // The ranking and records screens show no key, and telling would mean reading their files
    // at every key. A replay played at once to verify it paints nothing.
    if (game.rankingShown == 1 || game.recordsShown == 1) return;
    if (replayRunning() && !replayShown()) return;
    if (frameWouldRepeat(window)) return;
    // A player judges the game by how soon a key shows: the repaint timer and the toolkit's
    // frame would each add up to a period.
    paintWindowNow(window);
}

void setRepeatedFramesSkipped(bool skipped) {
    repaint.skipping = skipped;
    repaint.last = ComposedFrame{};
}

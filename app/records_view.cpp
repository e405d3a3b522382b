// The figures the records screen shows, kept until the history file or the difficulty changes.
#include "app/records_view.h"

#include <string>

#include "base/game_state.h"
#include "records/history_file.h"
#include "records/records_figures.h"

namespace {

struct RecordsView {
    bool known = false;
    int difficulty = 0;
    std::string signature;
    unsigned stamp = 0;
    RecordsFigures figures;
};

RecordsView view;

}  // namespace

bool recordsFiguresStale() {
    return !view.known || view.difficulty != game.difficulty ||
           view.signature != historySignature();
}

const RecordsFigures& currentRecordsFigures() {
    if (!recordsFiguresStale()) return view.figures;
    // Taken before the read: a game kept meanwhile makes the next check read again.
    view.signature = historySignature();
    HistoryContents contents;
    readHistory(contents, false);
    buildRecordsFigures(contents, game.difficulty, view.figures);
    view.difficulty = game.difficulty;
    view.known = true;
    view.stamp += 1;
    return view.figures;
}

unsigned recordsFiguresStamp() { return view.stamp; }

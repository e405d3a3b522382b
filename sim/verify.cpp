// Verification of a history file: nothing a record states is taken on trust; its journal is
// played again on the headless machine and the game that comes out is compared.
#include "sim/verify.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "app/entry.h"
#include "app/replay.h"
#include "backends/headless/headless.h"
#include "platform/platform.h"
#include "records/history_record.h"
#include "records/journal.h"

namespace {

const char* const difficultyNames[3] = {"Easy", "Normal", "Hard"};

void compare(std::string& differences, const char* field, int stated, int replayed) {
    if (stated == replayed) return;
    if (!differences.empty()) differences += ", ";
    differences += std::string(field) + " " + std::to_string(stated) + " in the record, " +
                   std::to_string(replayed) + " replayed";
}

// Empty when the record holds; otherwise what is wrong with it.
std::string check(WindowHandle window, const HistoryRecord& record) {
    Journal journal;
    if (!decodeJournal(record.journal, journal)) return "its journal is damaged";
    const ReplayOutcome outcome = verifyJournal(window, journal);
    if (!outcome.sameWords) return "it was played with another word list";
    std::string differences;
    if (!outcome.consistent) differences = "its clock readings do not fit the game";
    if (!outcome.gameOver) {
        if (!differences.empty()) differences += ", ";
        differences += "its journal does not end with the game's end";
    }
    compare(differences, "score", record.score, outcome.score);
    compare(differences, "hits", record.hits, outcome.hits);
    compare(differences, "combo", record.bestCombo, outcome.bestCombo);
    compare(differences, "words", record.words, outcome.words);
    compare(differences, "misses", record.misses, outcome.misses);
    compare(differences, "keys", record.keys, outcome.keys);
    return differences;
}

}  // namespace

int verifyHistoryFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::cerr << "keyfall-sim: cannot read " << path << "\n";
        return 2;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    HistoryContents contents;
    parseHistory(bytes.str(), contents, true);

    headlessReset();
    startUp(nullptr);
    const WindowHandle window = headlessCreateWindow(windowProcedure);
    int good = 0;
    int number = 0;
    for (const HistoryRecord& record : contents.records) {
        ++number;
        headlessClearEvents();
        const std::string wrong = check(window, record);
        std::cout << number << " " << difficultyNames[record.difficulty] << " score "
                  << record.score << (record.practice ? " practice" : "") << ": "
                  << (wrong.empty() ? "ok" : wrong) << "\n";
        if (wrong.empty()) ++good;
    }
    headlessSend(msgClose, 0, 0);
    headlessPump();
    const int failed = number - good;
    std::cout << "verify: " << number << " records, " << good << " ok, " << failed << " failed, "
              << contents.damaged << " damaged and skipped\n";
    return failed == 0 && contents.damaged == 0 ? 0 : 1;
}

// Verification costs: a kept two-minute Hard game at 8 keys a second, played again at once
// as keyfall-sim --verify plays it; and the record it makes, in bytes.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/entry.h"
#include "app/menu.h"
#include "app/replay.h"
#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "records/history_file.h"
#include "records/journal.h"

namespace {

// A folder of its own with the shipped word list, so that the source tree is not written.
struct KeptGame {
    std::filesystem::path folder;
    WindowHandle window = nullptr;
    Journal journal;
    size_t recordBytes = 0;

    KeptGame() {
        folder = std::filesystem::temp_directory_path() / "keyfall-replay-bench";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "Date");
        const std::filesystem::path shipped = std::filesystem::path(KEYFALL_SOURCE_DIR) / "Date";
        std::filesystem::copy_file(shipped / "Words.txt", folder / "Date" / "Words.txt");
        std::filesystem::copy_file(shipped / "Game.ini", folder / "Date" / "Game.ini");
        std::filesystem::current_path(folder);
        headlessReset();
        startUp(nullptr);
        window = headlessCreateWindow(windowProcedure);
        headlessSend(msgCommand, cmdHard, 0);
        headlessSend(msgCommand, cmdStart, 0);
        headlessAdvance(3001);
        // Eight right keys a second for two minutes, then the gauge runs out.
        for (int key = 0; key < 960 && game.playing == 1; ++key) {
            headlessSend(msgChar, static_cast<unsigned char>(game.romajiText[game.cursor]), 0);
            headlessAdvance(125);
        }
        while (game.playing == 1) headlessAdvance(1000);
        HistoryContents contents;
        readHistory(contents, true);
        if (contents.records.size() == 1) {
            decodeJournal(contents.records[0].journal, journal);
            recordBytes = formatHistoryRecord(contents.records[0]).size();
        }
    }
};

KeptGame& keptGame() {
    static KeptGame kept;
    return kept;
}

void verifyJournalOfAHardGame(benchmark::State& state) {
    KeptGame& kept = keptGame();
    if (kept.journal.events.empty()) {
        state.SkipWithError("no game was kept");
        return;
    }
    for (auto _ : state) {
        headlessClearEvents();
        const ReplayOutcome outcome = verifyJournal(kept.window, kept.journal);
        benchmark::DoNotOptimize(outcome.score);
    }
    state.counters["record_bytes"] = static_cast<double>(kept.recordBytes);
    state.counters["events"] = static_cast<double>(kept.journal.events.size());
}

}  // namespace

BENCHMARK(verifyJournalOfAHardGame)
    ->Name("verifyJournal/two_minute_hard_game")
    ->Unit(benchmark::kMillisecond);

// The records screen's costs: a history of 2000 games read and made into figures, and the
// screen composed from them.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "app/entry.h"
#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "records/history_file.h"
#include "records/records_figures.h"
#include "render/frame.h"
#include "render/records_screen.h"
#include "tests/support/synthetic_history.h"

namespace {

// A folder of its own holding 2000 two-minute games (journals of their size), a few damaged.
struct LongHistory {
    RecordsFigures figures;
    LongHistory() {
        const auto folder = std::filesystem::temp_directory_path() / "keyfall-records-bench";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "Date" / "Image");
        std::filesystem::copy_file(
            std::filesystem::path(KEYFALL_SOURCE_DIR) / "Date" / "Image" / "Glyphs.bmp",
            folder / "Date" / "Image" / "Glyphs.bmp");
        std::ofstream(folder / "Date" / "History.txt", std::ios::binary)
            << syntheticHistory(2000, 3);
        std::filesystem::current_path(folder);
        headlessReset();
        startUp(nullptr);
        loadImages();
        HistoryContents contents;
        readHistory(contents, false);
        buildRecordsFigures(contents, Normal, figures);
    }
};

LongHistory& longHistory() {
    static LongHistory history;
    return history;
}

void readHistoryAndBuildFigures(benchmark::State& state) {
    longHistory();
    RecordsFigures figures;
    for (auto _ : state) {
        HistoryContents contents;
        readHistory(contents, false);
        buildRecordsFigures(contents, Normal, figures);
        benchmark::DoNotOptimize(figures.gamesKept);
    }
}

void composeRecords(benchmark::State& state) {
    const RecordsFigures& figures = longHistory().figures;
    for (auto _ : state) {
        composeRecordsScreen(figures);
        benchmark::DoNotOptimize(game.backBuffer.bits[0]);
    }
}

}  // namespace

BENCHMARK(readHistoryAndBuildFigures)
    ->Name("recordsFigures/2000_games")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(composeRecords)->Name("composeRecordsScreen/2000_games")->Unit(benchmark::kMicrosecond);

// The cost of drawing one word as nextWord does it (open, pickWord, close), on the shipped
// list and on a generated list of 30000 records. Hard draws from the end of each file, so
// every draw reads most of it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "backends/headless/headless.h"
#include "base/crt_random.h"
#include "base/game_state.h"
#include "bench/bench_support.h"
#include "tests/support/scratch_folder.h"
#include "words/words_file.h"

namespace {

constexpr int generatedRecords = 30000;

// Three sections of equal size, CR LF line ends as the shipped list has them; each word is
// 2 to 9 hiragana and 3 to 20 letters of romaji.
std::string generatedList() {
    std::mt19937 random(20240607);
    std::string text;
    const char* headers[] = {"[EASY]", "[NORMAL]", "[HARD]"};
    const int perSection = generatedRecords / 3;
    for (const char* header : headers) {
        text += header;
        text += "\r\n";
        for (int i = 1; i < perSection; ++i) {
            const int kana = 2 + static_cast<int>(random() % 8);
            for (int k = 0; k < kana; ++k) {
                text += '\x82';
                text += static_cast<char>(0x9F + random() % 83);
            }
            text += ',';
            const int letters = 3 + static_cast<int>(random() % 18);
            for (int k = 0; k < letters; ++k) text += static_cast<char>('a' + random() % 26);
            text += "\r\n";
        }
    }
    return text;
}

void prepareDraws(int difficulty) {
    headlessReset();
    game = GameState{};
    game.difficulty = difficulty;
    crtSrand(1);
    if (!indexWordSections()) std::fprintf(stderr, "bench: the word list has no words\n");
}

void drawWords(benchmark::State& state) {
    for (auto _ : state) {
        openWordsFile();
        benchmark::DoNotOptimize(pickWord());
        closeWordsFile();
    }
    state.counters["records"] = game.wordsLineCount;
}

void shippedList(benchmark::State& state) {
    enterSourceTree();
    prepareDraws(Hard);
    drawWords(state);
}
BENCHMARK(shippedList)->Name("pickWord/shipped_list_hard");

void generatedLongList(benchmark::State& state) {
    // Written once and removed when the process ends.
    static const ScratchFolder list{"bench-words", ScratchFolder::Enter::no};
    static const bool written = (list.write("Date/Words.txt", generatedList()), true);
    (void)written;
    std::filesystem::current_path(list.path());
    prepareDraws(Hard);
    drawWords(state);
    enterSourceTree();
}
BENCHMARK(generatedLongList)->Name("pickWord/30000_records_hard");

}  // namespace

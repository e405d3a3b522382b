// Enters ever higher Easy scores into the ranking file of the working directory until it is
// killed, saying on standard output when each entry begins and when it is done:
//   ready / begin N / done N
// Each run goes on from the best score in the file, so consecutive runs enter 1, 2, 3, ...
// with every score taking rank 1. With SLOW_MS, each replacement's rename waits that long
// first (the lock held, as on a slow disk), after saying "renaming".
// Usage: ranking_writer [COUNT [SLOW_MS]]  (no COUNT or -1: forever)
#include <dlfcn.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "base/game_state.h"
#include "ranking/ranking_file.h"

namespace {

// Straight to the pipe, unbuffered: a line written before the kill is a line the test reads.
void say(const char* word, long number) {
    char line[64];
    int length = number < 0 ? std::snprintf(line, sizeof line, "%s\n", word)
                            : std::snprintf(line, sizeof line, "%s %ld\n", word, number);
    if (::write(STDOUT_FILENO, line, static_cast<size_t>(length)) != length) std::_Exit(3);
}

long slowRenameMs = 0;

}  // namespace

// Every rename of the program comes here before the C library's.
extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static Rename real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    if (slowRenameMs > 0) {
        say("renaming", -1);
        std::this_thread::sleep_for(std::chrono::milliseconds(slowRenameMs));
    }
    return real(from, to);
}

int main(int argc, char** argv) {
    long count = argc > 1 ? std::atol(argv[1]) : -1;
    slowRenameMs = argc > 2 ? std::atol(argv[2]) : 0;
    game.difficulty = Easy;
    auto& table = game.rankingText;
    readRanking(table[0], table[1], table[2], table[3], table[4]);
    long score = std::atol(table[0]) + 1;
    say("ready", -1);
    for (; count != 0; --count, ++score) {
        say("begin", score);
        insertRanking(static_cast<int>(score));
        say("done", score);
    }
    return 0;
}

// Keystroke judging: a romaji and display text, the item flags, and a sequence of typed bytes
// with the scroll flags a paint may set between them, fed to onTypedChar one byte at a time.
// After every byte the cursor lies within the romaji and every text ends inside its array.
// A finished word brings the next from a small word list, as in a game.
#include <cstdint>
#include <cstring>

#include "backends/headless/headless.h"
#include "base/game_state.h"
#include "fuzz/fuzz_support.h"
#include "game/judge.h"
#include "words/words_file.h"

namespace {

// Short words with the alternatives' letters, and a long one that makes the screen scroll.
const char wordList[] =
    "[EASY]\n\x82\xb5,shi\n\x82\xf1\x82\xf1,nnn\n\x82\xb5\x82\xe1,sha\n"
    "\x82\xa9\x82\xf1\x82\xb6,kannji\n"
    "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
    "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0,"
    "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\n"
    "[NORMAL]\n\x82\xa0,a\n[HARD]\n\x82\xa0,a\n";

// Copies bytes up to a NUL (or the end) into text, at most its size less one; returns how
// many input bytes were used, the NUL included.
template <size_t N>
size_t takeText(const uint8_t* data, size_t size, char (&text)[N]) {
    size_t length = 0;
    while (length < size && data[length] != 0) ++length;
    size_t kept = length < N - 1 ? length : N - 1;
    std::memcpy(text, data, kept);
    text[kept] = '\0';
    return length < size ? length + 1 : length;
}

void checkInvariants() {
    FUZZ_CHECK(terminatedInside(game.displayText));
    FUZZ_CHECK(terminatedInside(game.romajiText));
    FUZZ_CHECK(terminatedInside(game.typedText));
    FUZZ_CHECK(terminatedInside(game.comboLabel));
    FUZZ_CHECK(game.cursor >= 0);
    FUZZ_CHECK(game.cursor <= game.romajiLength);
    // The romaji scrolls by losing its first byte as its length goes down, so the two agree.
    FUZZ_CHECK(static_cast<size_t>(game.romajiLength) == std::strlen(game.romajiText));
    FUZZ_CHECK(game.hits >= 0 && game.combo >= 0 && game.score >= 0 && game.maxCombo >= 0);
    FUZZ_CHECK(game.wordsFile == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    writeFuzzFile("Date/Words.txt", reinterpret_cast<const uint8_t*>(wordList),
                  sizeof wordList - 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InFuzzDirectory inside;
    if (size == 0) return 0;
    headlessReset();
    game = GameState{};
    FUZZ_CHECK(indexWordSections());
    const uint8_t flags = data[0];
    size_t at = 1;
    at += takeText(data + at, size - at, game.romajiText);
    at += takeText(data + at, size - at, game.displayText);
    game.romajiLength = static_cast<int>(std::strlen(game.romajiText));
    game.scrollDisplay = flags & 1;
    game.scrollRomaji = (flags >> 1) & 1;
    game.scrollTyped = (flags >> 2) & 1;
    game.powerActive = (flags >> 3) & 1;
    game.missGuardActive = (flags >> 4) & 1;
    game.playing = 1;
    checkInvariants();

    for (; at + 1 < size; at += 2) {
        const uint8_t typed = data[at];
        const uint8_t paint = data[at + 1];
        // Time between keys decides the combo; a paint between them may change the flags.
        headlessAdvance(100u * (paint >> 4));
        if (paint & 8) {
            game.scrollDisplay = paint & 1;
            game.scrollRomaji = (paint >> 1) & 1;
            game.scrollTyped = (paint >> 2) & 1;
        }
        onTypedChar(typed);
        checkInvariants();
        FUZZ_CHECK(game.playing == 1);
    }
    return 0;
}

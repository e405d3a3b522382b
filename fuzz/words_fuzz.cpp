// Word lists: any bytes as Date\Words.txt (as code page 932, or as UTF-8 or CR-only lines), indexed
// and drawn from for the three difficulties one after the other (as a player switching difficulty
// would), with two seeds each. The index is compared with one worked out here straight from the
// format's rules, and a section that indexing calls drawable must always yield a word.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/crt_random.h"
#include "base/game_state.h"
#include "base/texts.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform.h"
#include "words/words_file.h"

namespace {

// Whether the bytes are UTF-8: whole, shortest sequences, no surrogates, nothing past U+10FFFF.
bool isUtf8(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        const size_t length = lead < 0x80   ? 1
                              : lead < 0xC2 ? 0
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                                            : 4;
        if (length == 0 || lead > 0xF4 || i + length > bytes.size()) return false;
        uint32_t code = lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (length > 1 && (code < least[length] || code > 0x10FFFF)) return false;
        if (code >= 0xD800 && code <= 0xDFFF) return false;
        i += length;
    }
    return true;
}

// The bytes the records come from: the file up to its 0x1A; a list saved as UTF-8 (after a
// byte-order mark, or valid UTF-8 beyond ASCII) made code page 932, and a list without a LF
// whose lines end in CR alone given LF ends.
std::string wordsText(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const bool marked = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (marked) bytes.erase(0, 3);
    bytes = bytes.substr(0, bytes.find('\x1A'));
    const bool fromUtf8 =
        isUtf8(bytes) && std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    const bool crLines =
        bytes.find('\n') == std::string::npos && bytes.find('\r') != std::string::npos;
    if (fromUtf8) {
        std::string converted(bytes.size(), '\0');
        converted.resize(cp932FromUtf8(bytes.data(), bytes.size(), converted.data()));
        bytes = converted;
    }
    if (crLines) std::replace(bytes.begin(), bytes.end(), '\r', '\n');
    return bytes;
}

// The records as text mode hands them over: reading stops at 0x1A, CR LF is one LF, and a
// record ends after a LF or at 1023 bytes.
std::vector<std::string> expectedRecords(const uint8_t* data, size_t size) {
    const std::string bytes = wordsText(data, size);
    std::string text;
    for (size_t i = 0; i < bytes.size() && bytes[i] != 0x1A; ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    std::vector<std::string> records;
    std::string record;
    for (char c : text) {
        record += c;
        if (c == '\n' || record.size() == 1023) records.push_back(std::move(record)), record = {};
    }
    if (!record.empty()) records.push_back(record);
    return records;
}

struct Index {
    int lineCount = 0;
    int header[3] = {-1, -1, -1};  // EASY, NORMAL, HARD; -1 when missing
};

Index expectedIndex(const std::vector<std::string>& records) {
    static const char* const names[3] = {"[EASY]", "[NORMAL]", "[HARD]"};
    Index index;
    index.lineCount = static_cast<int>(records.size());
    for (size_t r = 0; r < records.size(); ++r) {
        for (int h = 0; h < 3; ++h) {
            if (records[r].compare(0, std::strlen(names[h]), names[h]) == 0) {
                index.header[h] = static_cast<int>(r);
            }
        }
    }
    return index;
}

// A word has a comma before any NUL and a byte to type after it.
bool isWord(const std::string& record) {
    const char* comma = std::strchr(record.c_str(), ',');
    return comma && comma[1] != '\0' && comma[1] != '\n';
}

// Whether the section of difficulty holds a word that the generator can reach.
bool expectedDrawable(const std::vector<std::string>& records, const Index& index, int difficulty) {
    int after = index.header[std::min(difficulty, 2)];
    int upper = difficulty < 2 ? index.header[difficulty + 1] : index.lineCount;
    if (after < 0 || upper < 0) return false;
    for (int r = after + 1; r < upper && r < 32768; ++r) {
        if (isWord(records[r])) return true;
    }
    return false;
}

const char* sectionMessage(int difficulty) {
    return difficulty == Easy     ? textWordsEmptyEasy
           : difficulty == Normal ? textWordsEmptyNormal
                                  : textWordsEmptyHard;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzWorkingDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InFuzzDirectory inside;
    headlessReset();
    game = GameState{};
    writeFuzzFile("Date/Words.txt", data, size);
    const std::vector<std::string> records = expectedRecords(data, size);
    const Index index = expectedIndex(records);

    for (int difficulty : {Easy, Normal, Hard}) {
        game.difficulty = difficulty;
        headlessClearEvents();
        const bool drawable = indexWordSections();
        FUZZ_CHECK(game.wordsFile == nullptr);
        FUZZ_CHECK(game.wordsLineCount == index.lineCount);
        const int lines[3] = {game.easyLine, game.normalLine, game.hardLine};
        for (int h = 0; h < 3; ++h) FUZZ_CHECK(index.header[h] < 0 || lines[h] == index.header[h]);
        FUZZ_CHECK(drawable == expectedDrawable(records, index, difficulty));
        // Exactly one message when the section cannot be played, none when it can.
        const auto& events = headlessEvents();
        FUZZ_CHECK(events.size() == (drawable ? 0u : 1u));
        if (!drawable) {
            FUZZ_CHECK(events[0].text == sectionMessage(difficulty));
            FUZZ_CHECK(events[0].caption == textErrorCaption);
            continue;
        }

        for (unsigned seed : {1u, 0x9E3779B9u}) {
            std::string first;
            for (int again = 0; again < 2; ++again) {
                crtSrand(seed);
                FUZZ_CHECK(openWordsFile());
                FUZZ_CHECK(pickWord());
                closeWordsFile();
                FUZZ_CHECK(terminatedInside(game.displayText));
                FUZZ_CHECK(terminatedInside(game.romajiText));
                FUZZ_CHECK(game.romajiLength > 0);
                FUZZ_CHECK(static_cast<size_t>(game.romajiLength) == std::strlen(game.romajiText));
                FUZZ_CHECK(std::strchr(game.romajiText, '\n') == nullptr);
                FUZZ_CHECK(std::strchr(game.displayText, ',') == nullptr);
                // The same seed draws the same word.
                std::string word = std::string(game.displayText) + "," + game.romajiText;
                if (again == 0) first = word;
                if (again == 1) FUZZ_CHECK(word == first);
            }
            // The word is one of the section's records.
            const int after = index.header[difficulty];
            const int upper = difficulty < 2 ? index.header[difficulty + 1] : index.lineCount;
            bool found = false;
            for (int r = after + 1; r < upper && r < 32768 && !found; ++r) {
                const std::string& record = records[r];
                found = record.compare(0, first.size(), first) == 0 &&
                        (record.size() == first.size() || record[first.size()] == '\n' ||
                         record[first.size()] == '\0');
            }
            FUZZ_CHECK(found);
            FUZZ_CHECK(headlessEvents().empty());
        }
    }
    return 0;
}

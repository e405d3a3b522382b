// Word lists: any bytes as Date\Words.txt (as code page 932, UTF-8 or UTF-16, lines ended any
// way), indexed and drawn from for the three difficulties one after the other (as a player
// switching difficulty would), with two seeds each. The index is compared with one worked out here
// straight from the format's rules, and a section that indexing calls drawable must always yield a
// word.
#include <algorithm>
#include <cstdint>
#include <cstdio>
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

// UTF-16 units as UTF-8, a broken unit (a surrogate alone, a last odd byte) as 0xFF.
std::string fromUtf16(const std::string& units, bool bigEndian) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i + 1 < units.size(); i += 2) {
        const auto a = static_cast<uint8_t>(units[i]), b = static_cast<uint8_t>(units[i + 1]);
        codes.push_back(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    std::string text;
    for (size_t i = 0; i < codes.size(); ++i) {
        uint32_t code = codes[i];
        const bool high = code >= 0xD800 && code < 0xDC00;
        if (high && i + 1 < codes.size() && codes[i + 1] >= 0xDC00 && codes[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (codes[++i] - 0xDC00);
        } else if (code >= 0xD800 && code < 0xE000) {
            text += '\xFF';
            continue;
        }
        const int length = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        if (length == 1) {
            text += static_cast<char>(code);
            continue;
        }
        const uint8_t leads[5] = {0, 0, 0xC0, 0xE0, 0xF0};
        text += static_cast<char>(leads[length] | code >> (6 * (length - 1)));
        for (int k = length - 2; k >= 0; --k)
            text += static_cast<char>(0x80 | (code >> (6 * k) & 0x3F));
    }
    if (units.size() % 2 != 0) text += '\xFF';
    return text;
}

// Lines end at CR LF, LF or a CR alone.
size_t lineEndLength(const std::string& text, size_t i) {
    if (text[i] == '\n') return 1;
    if (text[i] != '\r') return 0;
    return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
}

struct Bad {
    int count = 0;
    int first = 0;
};

// Each line that is not UTF-8 is read as an empty line.
std::string emptyBadLines(const std::string& text, Bad& bad) {
    std::string kept, line;
    int number = 1;
    for (size_t i = 0; i <= text.size(); ++i) {
        const size_t end = i < text.size() ? lineEndLength(text, i) : 0;
        if (i < text.size() && end == 0) {
            line += text[i];
            continue;
        }
        if (i == text.size() && line.empty()) break;
        if (!isUtf8(line) && bad.count++ == 0) bad.first = number;
        kept += isUtf8(line) ? line : "";
        kept += text.substr(i, end);
        line.clear();
        i += end > 0 ? end - 1 : 0;
        ++number;
    }
    return kept;
}

// The bytes the records come from: the file up to its 0x1A; a list saved after a byte-order
// mark (UTF-8 or UTF-16), its broken lines emptied, or as valid UTF-8 beyond ASCII, made code
// page 932.
std::string wordsText(const uint8_t* data, size_t size, Bad& bad) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    bool marked = true;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes.erase(0, 3);
    } else if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        bytes = fromUtf16(bytes.substr(2), bytes[0] == '\xFE');
    } else {
        marked = false;
    }
    bytes = bytes.substr(0, bytes.find('\x1A'));
    if (marked) bytes = emptyBadLines(bytes, bad);
    const bool fromUtf8 = marked || (isUtf8(bytes) && std::any_of(bytes.begin(), bytes.end(),
                                                                  [](char c) { return c & 0x80; }));
    if (fromUtf8) {
        std::string converted(bytes.size(), '\0');
        converted.resize(cp932FromUtf8(bytes.data(), bytes.size(), converted.data()));
        bytes = converted;
    }
    return bytes;
}

// The records as the list is read: reading stops at 0x1A, every line end is one LF, and a
// record ends after a line end or at 1023 bytes.
std::vector<std::string> expectedRecords(const std::string& bytes) {
    std::string text;
    for (size_t i = 0; i < bytes.size() && bytes[i] != 0x1A; ++i) {
        const size_t end = lineEndLength(bytes, i);
        text += end > 0 ? '\n' : bytes[i];
        i += end > 1 ? 1 : 0;
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
    Bad bad;
    const std::vector<std::string> records = expectedRecords(wordsText(data, size, bad));
    const Index index = expectedIndex(records);
    bool badLinesTold = false;

    for (int difficulty : {Easy, Normal, Hard}) {
        game.difficulty = difficulty;
        headlessClearEvents();
        const bool drawable = indexWordSections();
        FUZZ_CHECK(game.wordsFile == nullptr);
        FUZZ_CHECK(game.wordsLineCount == index.lineCount);
        const int lines[3] = {game.easyLine, game.normalLine, game.hardLine};
        for (int h = 0; h < 3; ++h) FUZZ_CHECK(index.header[h] < 0 || lines[h] == index.header[h]);
        FUZZ_CHECK(drawable == expectedDrawable(records, index, difficulty));
        // Exactly one message when the section cannot be played, none when it can; broken
        // lines are named before, the first time only.
        const auto& events = headlessEvents();
        const size_t told = bad.count > 0 && !badLinesTold ? 1 : 0;
        badLinesTold = true;
        FUZZ_CHECK(events.size() == told + (drawable ? 0u : 1u));
        if (told == 1) {
            char text[256];
            std::snprintf(text, sizeof text, textWordsBadLinesFormat, bad.count, bad.first);
            FUZZ_CHECK(events[0].text == text);
        }
        if (!drawable) {
            FUZZ_CHECK(events[told].text == sectionMessage(difficulty));
            FUZZ_CHECK(events[told].caption == textErrorCaption);
            continue;
        }
        headlessClearEvents();

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

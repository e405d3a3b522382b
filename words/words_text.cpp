// Telling how the word list was saved, and making its text code page 932 when it is not.
#include "words/words_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr int endOfFileMark = 0x1A;
// A word list past this is not a player's edit; it is read as it stands, as it always was.
constexpr size_t maxConvertedBytes = size_t{64} << 20;

// Whether bytes fed one at a time are UTF-8: whole, shortest sequences, no surrogates.
struct Utf8Check {
    bool valid = true;
    bool nonAscii = false;
    int pending = 0;  // continuation bytes still to come
    uint8_t low = 0x80, high = 0xBF;

    void feed(uint8_t byte) {
        if (pending > 0) {
            if (byte < low || byte > high) valid = false;
            --pending;
            low = 0x80;
            high = 0xBF;
            return;
        }
        if (byte < 0x80) return;
        nonAscii = true;
        if (byte >= 0xC2 && byte <= 0xDF) {
            pending = 1;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            pending = 2;
            if (byte == 0xE0) low = 0xA0;   // shorter forms exist
            if (byte == 0xED) high = 0x9F;  // surrogates
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            pending = 3;
            if (byte == 0xF0) low = 0x90;
            if (byte == 0xF4) high = 0x8F;  // past U+10FFFF
        } else {
            valid = false;
        }
    }
    bool whole() const { return valid && pending == 0; }
};

}  // namespace

bool convertedWordsText(std::FILE* file, std::string& text) {
    text.clear();
    const long start = std::ftell(file);
    if (start < 0) return false;
    bool marked = false;
    bool lineFeed = false;
    bool carriageReturn = false;
    Utf8Check utf8;
    std::string bytes;
    bool tooLarge = false;
    unsigned char chunk[32768];
    for (bool first = true, ended = false; !ended; first = false) {
        size_t got = std::fread(chunk, 1, sizeof chunk, file);
        if (got < sizeof chunk) ended = true;
        size_t from = 0;
        if (first && got >= 3 && std::memcmp(chunk, "\xEF\xBB\xBF", 3) == 0) {
            marked = true;
            from = 3;
        }
        const void* mark = std::memchr(chunk + from, endOfFileMark, got - from);
        size_t until =
            mark ? static_cast<size_t>(static_cast<const unsigned char*>(mark) - chunk) : got;
        for (size_t i = from; i < until; ++i) {
            utf8.feed(chunk[i]);
            lineFeed = lineFeed || chunk[i] == '\n';
            carriageReturn = carriageReturn || chunk[i] == '\r';
        }
        bytes.append(reinterpret_cast<const char*>(chunk + from), until - from);
        if (mark) ended = true;
        // Plain code page 932 shows itself early, in its first double-byte character.
        if (!marked && !utf8.valid && lineFeed) break;
        if (bytes.size() > maxConvertedBytes) {
            tooLarge = true;
            break;
        }
    }
    const bool fromUtf8 = utf8.whole() && utf8.nonAscii;
    const bool crLines = carriageReturn && !lineFeed;
    if (tooLarge || !(marked || fromUtf8 || crLines)) {
        std::fseek(file, start, SEEK_SET);
        return false;
    }
    if (fromUtf8) {
        text.resize(bytes.size());
        text.resize(cp932FromUtf8(bytes.data(), bytes.size(), text.data()));
    } else {
        text = std::move(bytes);
    }
    if (crLines) std::replace(text.begin(), text.end(), '\r', '\n');
    return true;
}

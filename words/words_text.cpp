// Telling how the word list was saved, and making its text code page 932 when it is not.
#include "words/words_text.h"

#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/utf8.h"
#include "platform/platform.h"

namespace {

constexpr char endOfFileMark = 0x1A;
// A word list past this is not a player's edit; it is read as it stands, as it always was.
constexpr size_t maxConvertedBytes = size_t{64} << 20;

enum class Mark { none, utf8, utf16Le, utf16Be };

Mark markOf(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return Mark::utf8;
    if (bytes.substr(0, 2) == "\xFF\xFE") return Mark::utf16Le;
    if (bytes.substr(0, 2) == "\xFE\xFF") return Mark::utf16Be;
    return Mark::none;
}

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

bool isUtf8(std::string_view bytes) {
    Utf8Check check;
    for (char c : bytes) check.feed(static_cast<uint8_t>(c));
    return check.whole();
}

// text with each line that is not UTF-8 emptied (its line end kept), the lines counted as the
// record reader ends them: at CR LF, LF or a CR alone.
std::string withBadLinesEmptied(std::string_view text, BadWordLines& bad) {
    std::string kept;
    kept.reserve(text.size());
    int line = 0;
    for (size_t at = 0; at < text.size();) {
        ++line;
        size_t stop = at;
        while (stop < text.size() && text[stop] != '\n' && text[stop] != '\r') ++stop;
        size_t end = stop;
        if (end < text.size()) ++end;
        if (text[stop] == '\r' && end < text.size() && text[end] == '\n') ++end;
        if (isUtf8(text.substr(at, stop - at))) {
            kept.append(text, at, end - at);
        } else {
            if (bad.count++ == 0) bad.first = line;
            kept.append(text, stop, end - stop);
        }
        at = end;
    }
    return kept;
}

// UTF-16 units as UTF-8. A surrogate without its other half, or a last byte without its unit,
// becomes a byte UTF-8 never has, so that its line reads as broken.
std::string utf8FromUtf16(std::string_view units, bool bigEndian) {
    auto unitAt = [&](size_t i) {
        auto first = static_cast<uint8_t>(units[2 * i]);
        auto second = static_cast<uint8_t>(units[2 * i + 1]);
        return bigEndian ? uint32_t{first} << 8 | second : uint32_t{second} << 8 | first;
    };
    const size_t count = units.size() / 2;
    std::string text;
    text.reserve(units.size());
    for (size_t i = 0; i < count; ++i) {
        uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && unitAt(i + 1) >= 0xDC00 &&
            unitAt(i + 1) <= 0xDFFF) {
            appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            text += '\xFF';
        } else {
            appendUtf8(text, unit);
        }
    }
    if (units.size() % 2 != 0) text += '\xFF';
    return text;
}

std::string cp932Of(const std::string& utf8) {
    std::string text(utf8.size(), '\0');
    text.resize(cp932FromUtf8(utf8.data(), utf8.size(), text.data()));
    return text;
}

}  // namespace

bool convertedWordsText(std::FILE* file, std::string& text, BadWordLines& bad) {
    text.clear();
    bad = BadWordLines{};
    const long start = std::ftell(file);
    if (start < 0) return false;
    std::string bytes;
    Mark mark = Mark::none;
    Utf8Check utf8;
    bool tooLarge = false;
    char chunk[32768];
    for (bool first = true;; first = false) {
        size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.append(chunk, got);
        if (first) mark = markOf(bytes);
        if (mark == Mark::none) {
            for (size_t i = bytes.size() - got; i < bytes.size(); ++i) {
                if (bytes[i] == endOfFileMark) break;
                utf8.feed(static_cast<uint8_t>(bytes[i]));
            }
            // Plain code page 932 shows itself early, in its first double-byte character.
            if (!utf8.valid) break;
            if (bytes.find(endOfFileMark, bytes.size() - got) != std::string::npos) break;
        }
        if (bytes.size() > maxConvertedBytes) tooLarge = true;
        if (got < sizeof chunk || tooLarge) break;
    }
    if (tooLarge || (mark == Mark::none && !(utf8.whole() && utf8.nonAscii))) {
        std::fseek(file, start, SEEK_SET);
        return false;
    }
    // The mark's own text; the end-of-file mark of UTF-16 is a unit, found once decoded.
    std::string decoded =
        mark == Mark::utf16Le   ? utf8FromUtf16(std::string_view(bytes).substr(2), false)
        : mark == Mark::utf16Be ? utf8FromUtf16(std::string_view(bytes).substr(2), true)
        : mark == Mark::utf8    ? bytes.substr(3)
                                : std::move(bytes);
    decoded = decoded.substr(0, decoded.find(endOfFileMark));
    // After a mark, a line that breaks the encoding is that line lost, not the whole list.
    if (mark != Mark::none) decoded = withBadLinesEmptied(decoded, bad);
    text = cp932Of(decoded);
    return true;
}

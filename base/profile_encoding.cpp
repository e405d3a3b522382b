// Profile files in the encodings editors save: plain bytes, UTF-8 with a mark, UTF-16 either
// way round.
#include "base/profile_encoding.h"

#include <cstdint>

#include "base/utf8.h"

namespace {

constexpr char utf8Mark[] = "\xEF\xBB\xBF";

// UTF-16 units that stand for single bytes the text held but UTF-8 could not read (a value
// cut inside a character), so that such a byte is written and read back as itself.
constexpr uint32_t escapedByteBase = 0xDC00;
bool isEscapedByte(uint32_t unit) { return unit >= 0xDC80 && unit <= 0xDCFF; }

std::string textFromUtf16(std::string_view units, bool bigEndian) {
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
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count) {
            uint32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (isEscapedByte(unit)) {
            text += static_cast<char>(unit - escapedByteBase);
        } else {
            appendUtf8(text, unit);
        }
    }
    // A file cut inside its last unit: the byte left over is kept as a byte of the text, and
    // is written back as a unit of its own.
    if (units.size() % 2 != 0) text += units.back();
    return text;
}

// The character of the UTF-8 sequence at text[i], and its length; 0 when the bytes there
// are no whole, shortest sequence. Lone surrogates are read (they come from a UTF-16 file),
// except those that stand for escaped bytes.
size_t readUtf8(std::string_view text, size_t i, uint32_t& code) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    uint8_t lead = byte(i);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (lead > 0xF4 || length == 0 || i + length > text.size()) return 0;
    code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = code << 6 | (byte(i + k) & 0x3F);
    }
    const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || isEscapedByte(code)) return 0;
    return length;
}

void appendUnit(std::string& out, uint32_t unit, bool bigEndian) {
    char high = static_cast<char>(unit >> 8);
    char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

// Whether the character at text[i] is a surrogate of the high range standing alone (a UTF-16
// file's lone unit, kept); length is its bytes then.
bool loneHighAt(std::string_view text, size_t i, size_t& length) {
    uint32_t code = static_cast<uint8_t>(text[i]);
    length = code < 0x80 ? 1 : readUtf8(text, i, code);
    return length == 3 && code >= 0xD800 && code <= 0xDBFF;
}

std::string utf16FromText(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size();) {
        // A lone high surrogate before a unit of the low range (an escaped byte where a value
        // was cut, or a lone low surrogate) would read back as a pair: then its own bytes are
        // escaped, and so are those of the lone high surrogates just before it, each of which
        // would pair with the next one's escape.
        size_t length = 0;
        if (loneHighAt(text, i, length)) {
            size_t after = i;
            while (after < text.size() && loneHighAt(text, after, length)) after += length;
            uint32_t next = after < text.size() ? static_cast<uint8_t>(text[after]) : 0;
            size_t nextLength = next < 0x80 ? 1 : readUtf8(text, after, next);
            const bool lowNext =
                after < text.size() && (nextLength == 0 || (next >= 0xDC00 && next <= 0xDFFF));
            for (const size_t run = i; i < after; ++i) {
                if (lowNext) {
                    appendUnit(out, escapedByteBase + static_cast<uint8_t>(text[i]), bigEndian);
                } else if ((i - run) % 3 == 0) {
                    uint32_t code = 0;
                    readUtf8(text, i, code);
                    appendUnit(out, code, bigEndian);
                }
            }
            continue;
        }
        uint32_t code = static_cast<uint8_t>(text[i]);
        length = code < 0x80 ? 1 : readUtf8(text, i, code);
        if (length == 0) {
            appendUnit(out, escapedByteBase + static_cast<uint8_t>(text[i]), bigEndian);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            appendUnit(out, 0xD800 + ((code - 0x10000) >> 10), bigEndian);
            appendUnit(out, 0xDC00 + ((code - 0x10000) & 0x3FF), bigEndian);
        } else {
            appendUnit(out, code, bigEndian);
        }
        i += length;
    }
    return out;
}

}  // namespace

std::string profileTextFromFile(std::string_view file, ProfileForm& form) {
    form = ProfileForm{};
    std::string text;
    // The mark alone decides: whatever a write adds, the file reads in the same form again.
    if (file.substr(0, 3) == utf8Mark) {
        form.encoding = ProfileForm::utf8WithMark;
        text = file.substr(3);
    } else if (file.substr(0, 2) == "\xFF\xFE") {
        form.encoding = ProfileForm::utf16Le;
        text = textFromUtf16(file.substr(2), false);
    } else if (file.substr(0, 2) == "\xFE\xFF") {
        form.encoding = ProfileForm::utf16Be;
        text = textFromUtf16(file.substr(2), true);
    } else {
        text = file;
    }
    return text;
}

std::string profileFileFromText(std::string_view text, const ProfileForm& form) {
    std::string lines(text);
    switch (form.encoding) {
        case ProfileForm::utf8WithMark: return utf8Mark + lines;
        case ProfileForm::utf16Le: return "\xFF\xFE" + utf16FromText(lines, false);
        case ProfileForm::utf16Be: return "\xFE\xFF" + utf16FromText(lines, true);
        case ProfileForm::bytes: break;
    }
    return lines;
}

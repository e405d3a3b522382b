// Hiragana and katakana between code page 932 and UTF-8: the code page lays both out in
// Unicode's order, katakana with one gap at 0x7F.
#include "records/kana_text.h"

#include <cstdint>

namespace {

// The Unicode character of a code page 932 kana, or 0.
uint32_t unicodeOf(uint8_t lead, uint8_t trail) {
    if (lead == 0x82 && trail >= 0x9F && trail <= 0xF1) return 0x3041 + (trail - 0x9F);
    if (lead == 0x83 && trail >= 0x40 && trail <= 0x7E) return 0x30A1 + (trail - 0x40);
    if (lead == 0x83 && trail >= 0x80 && trail <= 0x96) return 0x30E0 + (trail - 0x80);
    return 0;
}

bool cp932Of(uint32_t code, std::string& out) {
    uint8_t lead = 0;
    uint8_t trail = 0;
    if (code >= 0x3041 && code <= 0x3093) {
        lead = 0x82;
        trail = static_cast<uint8_t>(0x9F + (code - 0x3041));
    } else if (code >= 0x30A1 && code <= 0x30DF) {
        lead = 0x83;
        trail = static_cast<uint8_t>(0x40 + (code - 0x30A1));
    } else if (code >= 0x30E0 && code <= 0x30F6) {
        lead = 0x83;
        trail = static_cast<uint8_t>(0x80 + (code - 0x30E0));
    } else {
        return false;
    }
    out += static_cast<char>(lead);
    out += static_cast<char>(trail);
    return true;
}

}  // namespace

bool kanaToUtf8(std::string_view cp932, std::string& utf8) {
    utf8.clear();
    if (cp932.empty() || cp932.size() % 2 != 0) return false;
    for (size_t i = 0; i < cp932.size(); i += 2) {
        const uint32_t code =
            unicodeOf(static_cast<uint8_t>(cp932[i]), static_cast<uint8_t>(cp932[i + 1]));
        if (code == 0) return false;
        // Every kana is three bytes of UTF-8.
        utf8 += static_cast<char>(0xE0 | code >> 12);
        utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
    return true;
}

bool kanaFromUtf8(std::string_view utf8, std::string& cp932) {
    cp932.clear();
    if (utf8.empty() || utf8.size() % 3 != 0) return false;
    for (size_t i = 0; i < utf8.size(); i += 3) {
        const auto a = static_cast<uint8_t>(utf8[i]);
        const auto b = static_cast<uint8_t>(utf8[i + 1]);
        const auto c = static_cast<uint8_t>(utf8[i + 2]);
        if ((a & 0xF0) != 0xE0 || (b & 0xC0) != 0x80 || (c & 0xC0) != 0x80) return false;
        const uint32_t code = (uint32_t{a} & 0x0F) << 12 | (uint32_t{b} & 0x3F) << 6 | (c & 0x3F);
        if (!cp932Of(code, cp932)) return false;
    }
    return true;
}

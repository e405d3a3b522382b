// Code page 932 to UTF-8 with GLib's iconv, one converter kept for the whole run.
#include "backends/gtk/cp932_utf8.h"

#include <glib.h>

#include "base/cp932.h"

namespace {

struct Converter {
    GIConv handle = reinterpret_cast<GIConv>(-1);
    bool opened = false;
};

Converter converter;

bool converterUsable() {
    if (!converter.opened) {
        converter.opened = true;
        converter.handle = g_iconv_open("UTF-8", "CP932");
    }
    return converter.handle != reinterpret_cast<GIConv>(-1);
}

// Converts one character of size bytes; false when the table does not know it.
bool appendCharacter(const char* character, size_t size, std::string& result) {
    if (!converterUsable()) return false;
    char* in = const_cast<char*>(character);
    size_t inLeft = size;
    char buffer[16];
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    size_t done = g_iconv(converter.handle, &in, &inLeft, &out, &outLeft);
    g_iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);  // no state may carry over
    if (done == static_cast<size_t>(-1) || inLeft != 0) return false;
    result.append(buffer, static_cast<size_t>(out - buffer));
    return true;
}

}  // namespace

std::string utf8FromCp932(const char* text) {
    std::string result;
    if (!text) return result;
    for (const char* p = text; *p;) {
        auto byte = static_cast<unsigned char>(*p);
        if (byte < 0x80) {  // ASCII reads the same in UTF-8, 0x5C and 0x7E included
            result += *p++;
            continue;
        }
        size_t size = isCp932LeadByte(byte) && p[1] ? 2 : 1;
        if (!appendCharacter(p, size, result)) {
            result += size == 2 ? "\xE3\x83\xBB" : "?";  // U+30FB is full width like the pair
        }
        p += size;
    }
    return result;
}

std::string mnemonicLabelFromCp932(const char* label) {
    std::string utf8 = utf8FromCp932(label);
    std::string result;
    for (size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '_') {
            result += "__";  // a literal underscore, not a mnemonic
        } else if (utf8[i] == '&' && i + 1 < utf8.size()) {
            ++i;
            if (utf8[i] == '&') {
                result += '&';
            } else if (utf8[i] == '_') {
                result += "__";  // GTK cannot underline an underscore
            } else {
                result += '_';
                result += utf8[i];
            }
        } else {
            result += utf8[i];
        }
    }
    return result;
}

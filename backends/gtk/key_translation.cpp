// Key presses translated as Windows translates them, so that a game on Linux hears the same
// key-down codes and character bytes as on Windows.
#include "backends/gtk/key_translation.h"

#include <glib.h>

#include <algorithm>
#include <iterator>

#include "platform/platform.h"

namespace {

struct Difference {
    gunichar character;
    unsigned char bytes[2];  // a second byte of 0: a single byte
};

// Where glibc's "CP932" table and Windows' conversion (WideCharToMultiByte for code page
// 932, best fit included) part, for every character of the BMP; '?' is where Windows has
// no form. Sorted by character.
constexpr Difference windowsDifferences[] = {
    {0x0080, {0x80, 0}},    {0x00A1, {0x21, 0}},    {0x00A6, {0x7C, 0}}, {0x00A9, {0x63, 0}},
    {0x00AA, {0x61, 0}},    {0x00AB, {0x81, 0xE1}}, {0x00AD, {0x2D, 0}}, {0x00AE, {0x52, 0}},
    {0x00AF, {0x81, 0x50}}, {0x00B2, {0x32, 0}},    {0x00B3, {0x33, 0}}, {0x00B5, {0x83, 0xCA}},
    {0x00B7, {0x81, 0x45}}, {0x00B8, {0x81, 0x43}}, {0x00B9, {0x31, 0}}, {0x00BA, {0x6F, 0}},
    {0x00BB, {0x81, 0xE2}}, {0x00C0, {0x41, 0}},    {0x00C1, {0x41, 0}}, {0x00C2, {0x41, 0}},
    {0x00C3, {0x41, 0}},    {0x00C4, {0x41, 0}},    {0x00C5, {0x41, 0}}, {0x00C6, {0x41, 0}},
    {0x00C7, {0x43, 0}},    {0x00C8, {0x45, 0}},    {0x00C9, {0x45, 0}}, {0x00CA, {0x45, 0}},
    {0x00CB, {0x45, 0}},    {0x00CC, {0x49, 0}},    {0x00CD, {0x49, 0}}, {0x00CE, {0x49, 0}},
    {0x00CF, {0x49, 0}},    {0x00D0, {0x44, 0}},    {0x00D1, {0x4E, 0}}, {0x00D2, {0x4F, 0}},
    {0x00D3, {0x4F, 0}},    {0x00D4, {0x4F, 0}},    {0x00D5, {0x4F, 0}}, {0x00D6, {0x4F, 0}},
    {0x00D8, {0x4F, 0}},    {0x00D9, {0x55, 0}},    {0x00DA, {0x55, 0}}, {0x00DB, {0x55, 0}},
    {0x00DC, {0x55, 0}},    {0x00DD, {0x59, 0}},    {0x00DE, {0x54, 0}}, {0x00DF, {0x73, 0}},
    {0x00E0, {0x61, 0}},    {0x00E1, {0x61, 0}},    {0x00E2, {0x61, 0}}, {0x00E3, {0x61, 0}},
    {0x00E4, {0x61, 0}},    {0x00E5, {0x61, 0}},    {0x00E6, {0x61, 0}}, {0x00E7, {0x63, 0}},
    {0x00E8, {0x65, 0}},    {0x00E9, {0x65, 0}},    {0x00EA, {0x65, 0}}, {0x00EB, {0x65, 0}},
    {0x00EC, {0x69, 0}},    {0x00ED, {0x69, 0}},    {0x00EE, {0x69, 0}}, {0x00EF, {0x69, 0}},
    {0x00F0, {0x64, 0}},    {0x00F1, {0x6E, 0}},    {0x00F2, {0x6F, 0}}, {0x00F3, {0x6F, 0}},
    {0x00F4, {0x6F, 0}},    {0x00F5, {0x6F, 0}},    {0x00F6, {0x6F, 0}}, {0x00F8, {0x6F, 0}},
    {0x00F9, {0x75, 0}},    {0x00FA, {0x75, 0}},    {0x00FB, {0x75, 0}}, {0x00FC, {0x75, 0}},
    {0x00FD, {0x79, 0}},    {0x00FE, {0x74, 0}},    {0x00FF, {0x79, 0}}, {0x2014, {0x3F, 0}},
    {0x2016, {0x3F, 0}},    {0x203E, {0x3F, 0}},    {0x2212, {0x3F, 0}}, {0x301C, {0x3F, 0}},
    {0x3094, {0x83, 0x94}}, {0xF8F0, {0xA0, 0}},    {0xF8F1, {0xFD, 0}}, {0xF8F2, {0xFE, 0}},
    {0xF8F3, {0xFF, 0}}};

struct Converter {
    GIConv handle = reinterpret_cast<GIConv>(-1);
    bool opened = false;
};

Converter converter;

TypedBytes single(unsigned char byte) {
    TypedBytes typed;
    typed.count = 1;
    typed.bytes[0] = byte;
    return typed;
}

TypedBytes pair(unsigned char lead, unsigned char trail) {
    TypedBytes typed;
    typed.count = 2;
    typed.bytes[0] = lead;
    typed.bytes[1] = trail;
    return typed;
}

// Ctrl with a key: the control code Windows' keyboard layouts give it, or -1 for none.
int controlCodeOf(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return static_cast<int>(keyval - GDK_KEY_a) + 1;
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return static_cast<int>(keyval - GDK_KEY_A) + 1;
    switch (keyval) {
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return 10;
        case GDK_KEY_BackSpace: return 127;
        case GDK_KEY_Escape:
        case GDK_KEY_bracketleft: return 27;
        case GDK_KEY_at: return 0;
        case GDK_KEY_backslash: return 28;
        case GDK_KEY_bracketright: return 29;
        case GDK_KEY_asciicircum: return 30;
        case GDK_KEY_underscore: return 31;
        case GDK_KEY_space: return ' ';
        default: return -1;
    }
}

}  // namespace

unsigned virtualKeyOf(guint keyval) {
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return keyF1 + (keyval - GDK_KEY_F1);
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + (keyval - GDK_KEY_a);
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return 'A' + (keyval - GDK_KEY_A);
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + (keyval - GDK_KEY_0);
    switch (keyval) {
        case GDK_KEY_BackSpace: return 0x08;
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab: return 0x09;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return 0x0D;
        case GDK_KEY_Shift_L:
        case GDK_KEY_Shift_R: return 0x10;
        case GDK_KEY_Control_L:
        case GDK_KEY_Control_R: return 0x11;
        case GDK_KEY_Escape: return 0x1B;
        case GDK_KEY_space: return 0x20;
        case GDK_KEY_Page_Up: return 0x21;
        case GDK_KEY_Page_Down: return 0x22;
        case GDK_KEY_End: return 0x23;
        case GDK_KEY_Home: return 0x24;
        case GDK_KEY_Left: return 0x25;
        case GDK_KEY_Up: return 0x26;
        case GDK_KEY_Right: return 0x27;
        case GDK_KEY_Down: return 0x28;
        case GDK_KEY_Insert: return 0x2D;
        case GDK_KEY_Delete: return 0x2E;
        default: return 0;
    }
}

TypedBytes charactersOfKey(guint keyval, GdkModifierType state) {
    if (state & GDK_CONTROL_MASK) {
        // Ctrl+Tab, Ctrl with a digit or with other punctuation: no character at all.
        int code = controlCodeOf(keyval);
        return code >= 0 ? single(static_cast<unsigned char>(code)) : TypedBytes{};
    }
    switch (keyval) {
        case GDK_KEY_BackSpace: return single(8);
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab: return single(9);
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return single(13);
        case GDK_KEY_Escape: return single(27);
        default: break;
    }
    gunichar character = gdk_keyval_to_unicode(keyval);
    if (character >= 0x20 && character < 0x7F) return single(static_cast<unsigned char>(character));
    // Delete and the other keys that stand for a control character make none.
    if (character < 0xA0) return TypedBytes{};
    return cp932FromCharacter(character);
}

TypedBytes cp932FromCharacter(gunichar character) {
    if (character < 0x80) return single(static_cast<unsigned char>(character));
    const Difference* end = std::end(windowsDifferences);
    const Difference* found =
        std::lower_bound(std::begin(windowsDifferences), end, character,
                         [](const Difference& entry, gunichar c) { return entry.character < c; });
    if (found != end && found->character == character) {
        if (found->bytes[1] == 0) return single(found->bytes[0]);
        return pair(found->bytes[0], found->bytes[1]);
    }
    if (!converter.opened) {
        converter.opened = true;
        converter.handle = g_iconv_open("CP932", "UTF-8");
    }
    if (converter.handle == reinterpret_cast<GIConv>(-1)) return single('?');
    char utf8[8];
    gint length = g_unichar_to_utf8(character, utf8);
    char* in = utf8;
    auto inLeft = static_cast<gsize>(length);
    char out[4];
    char* at = out;
    gsize outLeft = sizeof out;
    gsize done = g_iconv(converter.handle, &in, &inLeft, &at, &outLeft);
    g_iconv(converter.handle, nullptr, nullptr, nullptr, nullptr);  // no state may carry over
    const auto count = at - out;
    // One '?' for a character Windows cannot convert, as it gives an ANSI window.
    if (done == static_cast<gsize>(-1) || inLeft != 0 || count < 1 || count > 2) return single('?');
    const auto lead = static_cast<unsigned char>(out[0]);
    if (count == 1) return single(lead);
    return pair(lead, static_cast<unsigned char>(out[1]));
}

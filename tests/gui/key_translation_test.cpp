// Key presses against what Windows makes of them: the key-down code and the character
// bytes an ANSI window on Japanese Windows receives (TranslateMessage, then code page 932).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backends/gtk/key_translation.h"

namespace {

constexpr auto none = static_cast<GdkModifierType>(0);
constexpr auto shift = GDK_SHIFT_MASK;
constexpr auto ctrl = GDK_CONTROL_MASK;
constexpr auto ctrlShift = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK);

// A key named by its Unicode keysym, as the layouts of other scripts send them.
constexpr guint unicodeKey(gunichar character) { return 0x01000000 | character; }

std::string bytesOf(TypedBytes typed) {
    return std::string(reinterpret_cast<const char*>(typed.bytes),
                       static_cast<size_t>(typed.count));
}

}  // namespace

TEST(KeyTranslationTest, CharactersAreThoseOfWindows) {
    struct Case {
        const char* what;
        guint keyval;
        GdkModifierType state;
        std::string expected;  // the bytes of the character messages, in order
    };
    const std::vector<Case> cases = {
        {"letter", GDK_KEY_a, none, "a"},
        {"shifted letter", GDK_KEY_A, shift, "A"},
        {"space", GDK_KEY_space, none, " "},
        {"keypad digit", GDK_KEY_KP_1, none, "1"},
        {"Enter", GDK_KEY_Return, none, "\r"},
        {"keypad Enter", GDK_KEY_KP_Enter, none, "\r"},
        {"Backspace", GDK_KEY_BackSpace, none, "\b"},
        {"Tab", GDK_KEY_Tab, none, "\t"},
        {"Shift+Tab", GDK_KEY_ISO_Left_Tab, shift, "\t"},
        {"Escape", GDK_KEY_Escape, none, "\x1b"},
        {"Delete", GDK_KEY_Delete, none, ""},
        {"F1", GDK_KEY_F1, none, ""},
        {"Shift alone", GDK_KEY_Shift_L, shift, ""},
        // Ctrl: the control codes of Windows' keyboard layouts.
        {"Ctrl+A", GDK_KEY_a, ctrl, "\x01"},
        {"Ctrl+Shift+Z", GDK_KEY_Z, ctrlShift, "\x1a"},
        {"Ctrl+Enter", GDK_KEY_Return, ctrl, "\n"},
        {"Ctrl+keypad Enter", GDK_KEY_KP_Enter, ctrl, "\n"},
        {"Ctrl+Backspace", GDK_KEY_BackSpace, ctrl, "\x7f"},
        {"Ctrl+[", GDK_KEY_bracketleft, ctrl, "\x1b"},
        {"Ctrl+@", GDK_KEY_at, ctrlShift, std::string(1, '\0')},
        {"Ctrl+\\", GDK_KEY_backslash, ctrl, "\x1c"},
        {"Ctrl+]", GDK_KEY_bracketright, ctrl, "\x1d"},
        {"Ctrl+^", GDK_KEY_asciicircum, ctrlShift, "\x1e"},
        {"Ctrl+_", GDK_KEY_underscore, ctrlShift, "\x1f"},
        {"Ctrl+Escape", GDK_KEY_Escape, ctrl, "\x1b"},
        {"Ctrl+Space", GDK_KEY_space, ctrl, " "},
        {"Ctrl+Tab", GDK_KEY_Tab, ctrl, ""},
        {"Ctrl+2", GDK_KEY_2, ctrl, ""},
        {"Ctrl+;", GDK_KEY_semicolon, ctrl, ""},
        {"Ctrl+e acute", GDK_KEY_eacute, ctrl, ""},
        // Beyond ASCII: the code page 932 bytes, lead byte first.
        {"katakana a", GDK_KEY_kana_A, none, "\x83\x41"},
        {"hiragana a", unicodeKey(0x3042), none, "\x82\xa0"},
        {"half-width katakana a", unicodeKey(0xFF71), none, "\xb1"},
        {"multiplication sign", GDK_KEY_multiply, none, "\x81\x7e"},
        // Windows' best fit: a letter that looks alike, the yen sign as the backslash byte.
        {"e acute", GDK_KEY_eacute, none, "e"},
        {"sharp s", GDK_KEY_ssharp, none, "s"},
        {"yen sign", GDK_KEY_yen, none, "\x5c"},
        {"hiragana vu", unicodeKey(0x3094), none, "\x83\x94"},
        // No form in Windows' table, though glibc's has one or none has: one '?'.
        {"em dash", GDK_KEY_emdash, none, "?"},
        {"wave dash", unicodeKey(0x301C), none, "?"},
        {"euro sign", GDK_KEY_EuroSign, none, "?"},
        {"emoji beyond the BMP", unicodeKey(0x1F600), none, "?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bytesOf(charactersOfKey(c.keyval, c.state)), c.expected) << c.what;
    }
}

TEST(KeyTranslationTest, KeyDownCodesAreVirtualKeys) {
    const std::pair<guint, unsigned> cases[] = {
        {GDK_KEY_F1, 0x70},   {GDK_KEY_F6, 0x75},  {GDK_KEY_F12, 0x7B},    {GDK_KEY_a, 'A'},
        {GDK_KEY_Z, 'Z'},     {GDK_KEY_5, '5'},    {GDK_KEY_Return, 0x0D}, {GDK_KEY_Escape, 0x1B},
        {GDK_KEY_Left, 0x25}, {GDK_KEY_eacute, 0},
    };
    for (auto [keyval, expected] : cases) EXPECT_EQ(virtualKeyOf(keyval), expected) << keyval;
}

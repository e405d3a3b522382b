// GTK key presses as the Windows messages the game hears: virtual-key codes for key-down,
// and the character bytes that TranslateMessage and an ANSI window on Japanese Windows give.
#pragma once

#include <gdk/gdk.h>

// The bytes of the character messages of one key press: none, one, or the two bytes of a
// double-byte character, lead byte first.
struct TypedBytes {
    int count = 0;
    unsigned char bytes[2] = {};
};

// The Windows virtual-key code of a key, or 0 for keys the game cannot tell apart anyway.
unsigned virtualKeyOf(guint keyval);

// The character messages Windows would make of the key with these modifiers: control codes
// for Ctrl with a letter or one of @ [ \ ] ^ _, Enter and Backspace; code page 932 bytes
// for a printable character, or '?' where Windows' conversion has none.
TypedBytes charactersOfKey(guint keyval, GdkModifierType state);

// The code page 932 bytes Windows converts one character into for an ANSI window: its own
// table with its best-fit mappings ('e' for U+00E9), or '?' where it has none.
TypedBytes cp932FromCharacter(gunichar character);

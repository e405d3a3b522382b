// Code page 932 texts on their way to GTK, which speaks UTF-8.
#pragma once

#include <string>

// The text converted with the "CP932" converter (Microsoft's table: 0x5C is the backslash,
// 0x8160 the wave dash of Windows). A byte sequence the table does not know becomes one
// mark of the same width class instead of losing the whole text: "・" for a double-byte
// character, "?" for a single byte.
std::string utf8FromCp932(const char* text);

// A menu label of the resource ("&G" marks the mnemonic, "&&" is an ampersand) as a GTK
// mnemonic label ("_G", with literal underscores doubled), converted to UTF-8.
std::string mnemonicLabelFromCp932(const char* label);

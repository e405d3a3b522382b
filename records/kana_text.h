// The kana of the tallies in UTF-8 for the history file, and back to code page 932.
#pragma once

#include <string>
#include <string_view>

// False when the text holds anything but hiragana and katakana.
bool kanaToUtf8(std::string_view cp932, std::string& utf8);
bool kanaFromUtf8(std::string_view utf8, std::string& cp932);

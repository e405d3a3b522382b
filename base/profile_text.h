// Profile (INI) text in memory: looking up values and editing keys with every other byte kept.
// Works on any bytes, NUL and overlong lines included, so a fuzzer can drive it directly. Lines
// end at CR LF, LF or a CR alone, in any mix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/profile_file.h"

// The value of key in the first section of that name, blanks around it trimmed and one pair of
// enclosing quotes dropped. False when the section or the key is missing.
bool findProfileValue(std::string_view text, std::string_view section, std::string_view key,
                      std::string_view& value);

// Whether text, whole lines of the start of a file, already settles the values of the keys
// in section: the first section of that name holds them all, or another section follows it.
bool profileValuesSettled(std::string_view text, std::string_view section, const char* const* keys,
                          int count);

// Copies the value of key, or defaultValue when it is missing, into out, cut to outSize - 1.
void lookupProfileString(std::string_view text, const char* section, const char* key,
                         const char* defaultValue, char* out, size_t outSize);

// text with each entry applied in order. Lines are kept byte for byte except the key lines
// rewritten; keys and a section that are added use the line end most of the text's lines
// have (CR LF for a text without one).
std::string editProfileText(std::string_view text, std::string_view section,
                            const ProfileEntry* entries, int count);

// Makes text at least bytes bytes shorter from the lines that are neither section headers nor
// keys (comments, blank and stray lines), longest first: the longest loses the end it must
// (cut at a character's edge, UTF-8 when utf8, else code page 932), and a line that would
// keep nothing goes whole. Returns false, with text unchanged, when those lines do not hold
// that many bytes: the table is never cut.
bool shortenProfileComments(std::string& text, size_t bytes, bool utf8);

// Profile (INI) text in memory: looking up values and editing keys with every other byte kept.
// Works on any bytes, NUL and overlong lines included, so a fuzzer can drive it directly.
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
// rewritten; keys and a section that are added use the text's first line ending (CR LF for
// a text without one).
std::string editProfileText(std::string_view text, std::string_view section,
                            const ProfileEntry* entries, int count);

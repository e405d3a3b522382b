// A code point as UTF-8, for the readers that turn UTF-16 files into the text they parse.
#pragma once

#include <cstdint>
#include <string>

// Appends code as one to four bytes; a lone surrogate is kept as its three bytes, so that a
// text read from a broken UTF-16 file can be written back as it was.
void appendUtf8(std::string& out, uint32_t code);

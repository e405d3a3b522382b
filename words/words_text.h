// The word list as a player's editor may have saved it: code page 932 is read as it stands;
// UTF-8 (with or without a byte-order mark) and UTF-16 (with its mark) are made code page 932
// first. Line ends of every kind are the record reader's (record_reader.h).
#pragma once

#include <cstdio>
#include <string>

// The lines of a list after a byte-order mark that are not whole UTF-8 (or UTF-16): each is
// read as an empty line, so that the lines after it keep their numbers.
struct BadWordLines {
    int count = 0;
    int first = 0;  // the first one's line number, counted from 1
};

// Looks at the file from the stream's position up to its end mark (0x1A). When it is plain
// code page 932, returns false with the stream back where it was: the records come from the
// stream. Otherwise returns true with text holding the bytes the records are read from: the
// mark dropped, the text made code page 932, and bad the lines that could not be.
bool convertedWordsText(std::FILE* file, std::string& text, BadWordLines& bad);

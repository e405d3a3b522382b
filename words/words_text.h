// The word list as a player's editor may have saved it: code page 932 is read as it stands;
// UTF-8 (with or without a byte-order mark) and lines ended by CR alone are made code page 932
// with LF line ends first.
#pragma once

#include <cstdio>
#include <string>

// Looks at the file from the stream's position up to its end mark (0x1A). When it is plain
// code page 932 with LF or CR LF lines, returns false with the stream back where it was:
// the records come from the stream. Otherwise returns true with text holding the bytes the
// records are read from: the mark dropped, UTF-8 made code page 932, a lone CR made LF.
bool convertedWordsText(std::FILE* file, std::string& text);

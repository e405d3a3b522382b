// Code page 932 byte classes; always those of code page 932, never the locale's.
#pragma once

#include <cstdint>

// A lead byte starts a double-byte character: 0x81-0x9F or 0xE0-0xFC.
inline bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

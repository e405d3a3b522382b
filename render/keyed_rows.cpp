// Rows of the keyed blit. Whole groups of pixels are tested at once; a group with no pure
// black pixel is copied in one go, a wholly black one skipped, and only a mixed group is
// walked pixel by pixel.
#include "render/keyed_rows.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Words are read and written in memory order: byte k of a pixel row is byte k of the word.
static_assert(std::endian::native == std::endian::little, "the wide paths assume little-endian");

namespace {

constexpr uint64_t lowBits = 0x7F7F7F7F7F7F7F7FULL;
constexpr uint64_t highBits = 0x8080808080808080ULL;
// Gathers the top bit of each byte into one byte: bit j from byte j.
constexpr uint64_t gatherTops = 0x0102040810204080ULL;
// The first byte of each pixel: bits 0, 3, 6, ... of a mask with one bit per byte.
constexpr uint64_t pixelStarts8 = 0x249249ULL;
// Used by the SSE2 rows only; a build without SSE2 (WebAssembly) has none.
[[maybe_unused]] constexpr uint64_t pixelStarts16 = 0x249249249249ULL;

void copyPixel(uint8_t* target, const uint8_t* source) {
    if (source[0] | source[1] | source[2]) {
        target[0] = source[0];
        target[1] = source[1];
        target[2] = source[2];
    }
}

// One bit per byte of the word, set where the byte is zero.
uint64_t zeroBytes(uint64_t word) {
    const uint64_t tops = ~(((word & lowBits) + lowBits) | word) & highBits;
    return ((tops >> 7) * gatherTops) >> 56;
}

// From a mask with one bit per byte set where the byte is zero, the first-byte bits of the
// pixels whose three bytes are all zero.
uint64_t blackPixels(uint64_t zeros, uint64_t pixelStarts) {
    return zeros & zeros >> 1 & zeros >> 2 & pixelStarts;
}

// Copies the pixels of a group marked in opaque, whose bit k stands for the pixel at byte k.
void copyMixedGroup(uint8_t* target, const uint8_t* source, uint64_t opaque) {
    while (opaque) {
        const int at = std::countr_zero(opaque);
        std::memcpy(target + at, source + at, 3);
        opaque &= opaque - 1;
    }
}

}  // namespace

void copyKeyedRowPortable(uint8_t* target, const uint8_t* source, int64_t n) {
    int64_t i = 0;
    // Eight pixels are three 64-bit words.
    for (; i + 8 <= n; i += 8) {
        const uint8_t* s = source + 3 * i;
        uint64_t words[3];
        std::memcpy(words, s, sizeof words);
        const uint64_t zeros =
            zeroBytes(words[0]) | zeroBytes(words[1]) << 8 | zeroBytes(words[2]) << 16;
        const uint64_t black = blackPixels(zeros, pixelStarts8);
        if (black == 0) {
            std::memcpy(target + 3 * i, s, 24);
        } else if (black != pixelStarts8) {
            copyMixedGroup(target + 3 * i, s, ~black & pixelStarts8);
        }
    }
    for (; i < n; ++i) copyPixel(target + 3 * i, source + 3 * i);
}

#if defined(__SSE2__)
void copyKeyedRow(uint8_t* target, const uint8_t* source, int64_t n) {
    const __m128i zero = _mm_setzero_si128();
    int64_t i = 0;
    // Sixteen pixels are three 16-byte vectors.
    for (; i + 16 <= n; i += 16) {
        const uint8_t* s = source + 3 * i;
        uint8_t* t = target + 3 * i;
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 32));
        // No zero byte at all: sixteen opaque pixels, the usual case inside a picture.
        const __m128i least = _mm_min_epu8(_mm_min_epu8(a, b), c);
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(least, zero)) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t), a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 16), b);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 32), c);
            continue;
        }
        const uint64_t zeros = uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(a, zero)))) |
                               uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(b, zero))))
                                   << 16 |
                               uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(c, zero)))) << 32;
        const uint64_t black = blackPixels(zeros, pixelStarts16);
        if (black == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t), a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 16), b);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 32), c);
        } else if (black != pixelStarts16) {
            copyMixedGroup(t, s, ~black & pixelStarts16);
        }
    }
    if (i + 8 <= n) {
        // Eight pixels more are 16 bytes and 8.
        const uint8_t* s = source + 3 * i;
        uint8_t* t = target + 3 * i;
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 16));
        const uint64_t zeros = uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(a, zero)))) |
                               uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(b, zero))) & 0xFF)
                                   << 16;
        const uint64_t black = blackPixels(zeros, pixelStarts8);
        if (black == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(t), a);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(t + 16), b);
        } else if (black != pixelStarts8) {
            copyMixedGroup(t, s, ~black & pixelStarts8);
        }
        i += 8;
    }
    for (; i < n; ++i) copyPixel(target + 3 * i, source + 3 * i);
}
#else
void copyKeyedRow(uint8_t* target, const uint8_t* source, int64_t n) {
    copyKeyedRowPortable(target, source, n);
}
#endif

void fillPixelRun(uint8_t* target, const uint8_t* pixel, int64_t n) {
    const uint64_t p = uint64_t{pixel[0]} | uint64_t{pixel[1]} << 8 | uint64_t{pixel[2]} << 16;
    // Eight pixels are 24 bytes: three words of the repeating pattern, made in registers.
    const uint64_t w0 = p | p << 24 | p << 48;
    const uint64_t w1 = p >> 16 | p << 8 | p << 32 | p << 56;
    const uint64_t w2 = p >> 8 | p << 16 | p << 40;
    int64_t i = 0;
#if defined(__SSE2__)
    const auto word = [](uint64_t w) { return static_cast<long long>(w); };
    const __m128i a = _mm_set_epi64x(word(w1), word(w0));
    const __m128i b = _mm_set_epi64x(word(w0), word(w2));
    const __m128i c = _mm_set_epi64x(word(w2), word(w1));
    for (; i + 16 <= n; i += 16) {
        uint8_t* t = target + 3 * i;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 16), b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(t + 32), c);
    }
#endif
    for (; i + 8 <= n; i += 8) {
        uint8_t* t = target + 3 * i;
        std::memcpy(t, &w0, 8);
        std::memcpy(t + 8, &w1, 8);
        std::memcpy(t + 16, &w2, 8);
    }
    for (; i < n; ++i) std::memcpy(target + 3 * i, pixel, 3);
}

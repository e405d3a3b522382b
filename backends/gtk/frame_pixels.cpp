// The frame conversion in one pass: each pixel is read as one 4-byte word (its own 3 bytes and
// the next pixel's first) and masked, or sixteen at a time with SSSE3 byte shuffles.
#include "backends/gtk/frame_pixels.h"

#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define KEYFALL_SSSE3_ROWS 1
#endif

namespace {

// Converts pixels from..width of a row. The bytes of a pixel in memory order are blue, green,
// red: one little-endian 4-byte load gives 0x??RRGGBB, so a mask is all it takes. The row's
// last pixel is read byte by byte, so that no load reaches past the block.
void convertRowTail(const uint8_t* source, uint32_t* target, int from, int width) {
    const uint8_t* pixel = source + 3 * static_cast<ptrdiff_t>(from);
    uint32_t* out = target + from;
    uint32_t* const end = target + width;
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t* const last = end - 1;  // width is at least 1
        for (; out < last; ++out, pixel += 3) {
            uint32_t word;
            std::memcpy(&word, pixel, sizeof word);
            *out = word & 0x00FFFFFF;
        }
    }
    for (; out < end; ++out, pixel += 3) {
        *out = uint32_t{pixel[2]} << 16 | uint32_t{pixel[1]} << 8 | pixel[0];
    }
}

#if KEYFALL_SSSE3_ROWS
// Sixteen pixels from three 16-byte loads, each spread to 4 bytes with a zero on top. The
// loads of a group stay inside its 48 bytes. Returns how many pixels it converted.
__attribute__((target("ssse3"))) int convertRowShuffled(const uint8_t* source, uint32_t* target,
                                                        int width) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const uint8_t* group = source + 3 * x;
        auto* out = reinterpret_cast<__m128i*>(target + x);
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(group));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(group + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(group + 32));
        _mm_storeu_si128(out, _mm_shuffle_epi8(a, spread));
        _mm_storeu_si128(out + 1, _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread));
        _mm_storeu_si128(out + 2, _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread));
        _mm_storeu_si128(out + 3, _mm_shuffle_epi8(_mm_srli_si128(c, 4), spread));
    }
    return x;
}

bool hasSsse3() {
    static const bool present = __builtin_cpu_supports("ssse3");
    return present;
}
#endif

}  // namespace

void convertFrameRows(const uint8_t* bits, int width, int height, uint8_t* pixels, int stride,
                      RowConversion how) {
    if (width <= 0 || height <= 0) return;
    const size_t sourceStride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
#if KEYFALL_SSSE3_ROWS
    const bool shuffled = how == RowConversion::fastest && hasSsse3();
#else
    (void)how;
#endif
    for (int y = 0; y < height; ++y) {
        // The block is bottom-up: its first row is the bottom line of the picture.
        const uint8_t* source = bits + sourceStride * static_cast<size_t>(height - 1 - y);
        auto* target = reinterpret_cast<uint32_t*>(pixels + static_cast<ptrdiff_t>(stride) * y);
        int done = 0;
#if KEYFALL_SSSE3_ROWS
        if (shuffled) done = convertRowShuffled(source, target, width);
#endif
        convertRowTail(source, target, done, width);
    }
}

void convertFrameRowsScaled(const uint8_t* bits, int width, int height, uint8_t* pixels, int stride,
                            int scale) {
    if (width <= 0 || height <= 0 || scale < 1) return;
    const size_t sourceStride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    for (int y = 0; y < height; ++y) {
        // The frame's row y is converted into the first device row of its band, then each
        // pixel is widened in place, from the right so that none is overwritten unread, and
        // the row is copied down the band.
        const uint8_t* source = bits + sourceStride * static_cast<size_t>(height - 1 - y);
        uint8_t* band = pixels + static_cast<ptrdiff_t>(stride) * y * scale;
        convertFrameRows(source, width, 1, band, stride);
        auto* row = reinterpret_cast<uint32_t*>(band);
        for (int x = width - 1; x >= 0; --x) {
            const uint32_t pixel = row[x];
            for (int k = scale - 1; k >= 0; --k) row[x * scale + k] = pixel;
        }
        for (int k = 1; k < scale; ++k) {
            std::memcpy(band + static_cast<ptrdiff_t>(stride) * k, band,
                        static_cast<size_t>(width) * static_cast<size_t>(scale) * 4);
        }
    }
}

void convertFrameArea(const uint8_t* bits, int width, int height, int left, int top, int right,
                      int bottom, uint8_t* pixels, int stride, int scale) {
    if (left < 0 || top < 0 || right > width || bottom > height || left >= right || top >= bottom ||
        scale < 1) {
        return;
    }
    const size_t sourceStride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const int columns = right - left;
#if KEYFALL_SSSE3_ROWS
    const bool shuffled = hasSsse3();
#endif
    for (int y = top; y < bottom; ++y) {
        const uint8_t* source =
            bits + sourceStride * static_cast<size_t>(height - 1 - y) + size_t{3} * left;
        uint8_t* band = pixels + static_cast<ptrdiff_t>(stride) * y * scale;
        auto* row = reinterpret_cast<uint32_t*>(band) + static_cast<ptrdiff_t>(left) * scale;
        if (scale == 1) {
            int done = 0;
#if KEYFALL_SSSE3_ROWS
            if (shuffled) done = convertRowShuffled(source, row, columns);
#endif
            convertRowTail(source, row, done, columns);
            continue;
        }
        for (int x = 0; x < columns; ++x) {
            const uint8_t* pixel = source + 3 * x;
            const uint32_t value = uint32_t{pixel[2]} << 16 | uint32_t{pixel[1]} << 8 | pixel[0];
            for (int k = 0; k < scale; ++k) row[x * scale + k] = value;
        }
        for (int k = 1; k < scale; ++k) {
            std::memcpy(band + static_cast<ptrdiff_t>(stride) * k + size_t{4} * left * scale, row,
                        size_t{4} * columns * scale);
        }
    }
}

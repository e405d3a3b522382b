// Sketches of what the GTK backend could do per frame instead, measured beside what it does
// (gtk_frame_bench.cpp): the frame bitmap converted into a surface kept from frame to frame,
// in one pass of 4-byte loads or of SSSE3 shuffles; the seven texts drawn from layouts kept
// while their text is unchanged. Not used by the program.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#if defined(__x86_64__)
#include <tmmintrin.h>
#endif

#include "app/texts.h"
#include "bench/bench_support.h"
#include "game/game_state.h"
#include "platform/gtk/cp932_utf8.h"
#include "platform/gtk/game_font.h"
#include "platform/gtk/gtk_objects.h"

namespace {

constexpr int width = 640;
constexpr int height = 320;

// The bottom-up 24-bit back buffer into a top-down RGB24 surface: each pixel read as 4 bytes
// (its own 3 and the next one's first), masked. The last pixel of a row is read byte by byte
// so that nothing past the block is read.
void convertWords(const uint8_t* bits, cairo_surface_t* surface) {
    uint8_t* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = bits + size_t{width} * 3 * (height - 1 - y);
        auto* target = reinterpret_cast<uint32_t*>(pixels + ptrdiff_t{stride} * y);
        for (int x = 0; x < width - 1; ++x) {
            uint32_t word;
            std::memcpy(&word, source + 3 * x, 4);
            target[x] = word & 0x00FFFFFF;
        }
        const uint8_t* last = source + 3 * (width - 1);
        target[width - 1] = uint32_t{last[2]} << 16 | uint32_t{last[1]} << 8 | last[0];
    }
}

#if defined(__x86_64__)
// Sixteen pixels from three 16-byte loads, spread to 4 bytes each by byte shuffles.
__attribute__((target("ssse3"))) void convertShuffled(const uint8_t* bits,
                                                      cairo_surface_t* surface) {
    uint8_t* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = bits + size_t{width} * 3 * (height - 1 - y);
        auto* target = reinterpret_cast<__m128i*>(pixels + ptrdiff_t{stride} * y);
        for (int x = 0; x < width; x += 16, source += 48, target += 4) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 32));
            _mm_storeu_si128(target, _mm_shuffle_epi8(a, spread));
            _mm_storeu_si128(target + 1, _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread));
            _mm_storeu_si128(target + 2, _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread));
            _mm_storeu_si128(target + 3, _mm_shuffle_epi8(_mm_srli_si128(c, 4), spread));
        }
    }
}
#endif

std::vector<uint8_t> sampleFrame() {
    std::vector<uint8_t> bits(frameBytes);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i * 7 + i / 1920);
    return bits;
}

void keptSurfaceWords(benchmark::State& state) {
    const std::vector<uint8_t> bits = sampleFrame();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    for (auto _ : state) {
        cairo_surface_flush(surface);
        convertWords(bits.data(), surface);
        cairo_surface_mark_dirty(surface);
        benchmark::ClobberMemory();
    }
    cairo_surface_destroy(surface);
}
BENCHMARK(keptSurfaceWords)->Name("gtk_sketch/frame_bitmap_kept_surface_words");

#if defined(__x86_64__)
void keptSurfaceShuffled(benchmark::State& state) {
    if (!__builtin_cpu_supports("ssse3")) {
        state.SkipWithError("no SSSE3");
        return;
    }
    const std::vector<uint8_t> bits = sampleFrame();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    // The sketch must give what the backend gives: check one conversion against the other.
    cairo_surface_t* check = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    convertShuffled(bits.data(), surface);
    convertWords(bits.data(), check);
    if (std::memcmp(cairo_image_surface_get_data(surface), cairo_image_surface_get_data(check),
                    size_t{width} * 4 * height) != 0) {
        state.SkipWithError("the shuffled conversion differs");
    }
    cairo_surface_destroy(check);
    for (auto _ : state) {
        cairo_surface_flush(surface);
        convertShuffled(bits.data(), surface);
        cairo_surface_mark_dirty(surface);
        benchmark::ClobberMemory();
    }
    cairo_surface_destroy(surface);
}
BENCHMARK(keptSurfaceShuffled)->Name("gtk_sketch/frame_bitmap_kept_surface_ssse3");
#endif

// Seven texts of a game frame, laid out once and drawn from the kept layouts with one cairo
// context for the frame: what a layout cache keyed by font and text would do while the texts
// do not change.
void keptLayouts(benchmark::State& state) {
    const char* texts[] = {
        "\x82\xB5\x82\xF1\x82\xA9\x82\xF1\x82\xB9\x82\xF1\x82\xCC\x82\xE8\x82\xCE",
        "shinkannsennnoriba",
        "shinkann",
        "\x83^\x83"
        "C\x83\x80\x89\xF1\x95\x9C\x82\xDC\x82\xC5"
        "7",
        "123456",
        textCombo,
        "42"};
    PangoContext* context = createFrameTextContext();
    PangoFontDescription* font = pango_font_description_new();
    const std::string family = utf8FromCp932(textFontFace);
    pango_font_description_set_family(font, family.c_str());
    pango_font_description_set_absolute_size(font, 30 * PANGO_SCALE);
    pango_context_set_language(context, pango_language_from_string("ja"));
    std::vector<PangoLayout*> layouts;
    for (const char* text : texts) {
        PangoLayout* layout = pango_layout_new(context);
        pango_layout_set_font_description(layout, font);
        const std::string utf8 = utf8FromCp932(text);
        pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
        layouts.push_back(layout);
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    for (auto _ : state) {
        cairo_t* cr = cairo_create(surface);
        int x = 0;
        for (PangoLayout* layout : layouts) {
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_move_to(cr, x, 100);
            pango_cairo_show_layout(cr, layout);
            x += 60;
        }
        cairo_destroy(cr);
    }
    for (PangoLayout* layout : layouts) g_object_unref(layout);
    cairo_surface_destroy(surface);
    pango_font_description_free(font);
    g_object_unref(context);
}
BENCHMARK(keptLayouts)->Name("gtk_sketch/seven_texts_kept_layouts");

}  // namespace

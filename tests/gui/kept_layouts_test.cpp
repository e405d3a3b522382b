// Texts measured and drawn through the kept layouts give what a layout made afresh for each
// call gives, however the texts come and go; a deleted font takes its layouts with it.
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <cstring>
#include <string>
#include <vector>

#include "backends/gtk/cp932_utf8.h"
#include "backends/gtk/game_font.h"
#include "backends/gtk/gtk_drawing.h"
#include "backends/gtk/gtk_objects.h"
#include "base/texts.h"

namespace {

constexpr int canvasWidth = 240;
constexpr int canvasHeight = 40;

// A text laid out in a context and layout of its own, as every call did before layouts were
// kept: its width and its pixels drawn at (2, 3) over grey.
struct Fresh {
    int width = 0;
    std::vector<uint32_t> pixels;
};

std::vector<uint32_t> pixelsOf(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const uint8_t* data = cairo_image_surface_get_data(surface);
    std::vector<uint32_t> pixels(static_cast<size_t>(canvasWidth) * canvasHeight);
    for (int y = 0; y < canvasHeight; ++y) {
        std::memcpy(&pixels[static_cast<size_t>(y) * canvasWidth],
                    data + static_cast<ptrdiff_t>(stride) * y, size_t{canvasWidth} * 4);
    }
    return pixels;
}

void paintGrey(cairo_surface_t* surface) {
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_paint(cr);
    cairo_destroy(cr);
}

Fresh freshLayout(FontHandle font, const char* text) {
    PangoContext* context = createFrameTextContext();
    pango_context_set_language(context,
                               font->language ? font->language : pango_language_get_default());
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font->description);
    const std::string utf8 = utf8FromCp932(text);
    pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
    Fresh fresh;
    pango_layout_get_pixel_size(layout, &fresh.width, nullptr);
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, canvasWidth, canvasHeight);
    paintGrey(surface);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_move_to(cr, 2, 3);
    pango_cairo_show_layout(cr, layout);
    cairo_destroy(cr);
    fresh.pixels = pixelsOf(surface);
    cairo_surface_destroy(surface);
    g_object_unref(layout);
    g_object_unref(context);
    return fresh;
}

// The same through the backend: measured, then drawn on a frame bitmap of its own.
Fresh throughBackend(DeviceContext dc, const char* text) {
    std::vector<uint8_t> grey(size_t{canvasWidth} * 3 * canvasHeight, 0x80);
    BitmapHandle bitmap = createFrameBitmap(nullptr, canvasWidth, canvasHeight, grey.data());
    paintGrey(bitmap->surface);  // exactly cairo's grey, as the fresh canvas has
    BitmapHandle previous = selectBitmap(dc, bitmap);
    Fresh drawn;
    drawn.width = measureText(dc, text);
    drawText(dc, 2, 3, text);
    finishFrameBitmap(bitmap);
    drawn.pixels = pixelsOf(bitmap->surface);
    selectBitmap(dc, previous);
    deleteBitmap(bitmap);
    return drawn;
}

TEST(KeptLayouts, MeasureAndDrawAsAFreshLayoutWhateverTheOrder) {
    NativeDC dc;
    dc.memory = true;
    setTransparentText(&dc);
    setTextColour(&dc, 0xFF0000);  // blue as 0x00BBGGRR
    // The game's font with its language, and a smaller one with none.
    FontHandle fonts[] = {createFont(30, 128, textFontFace), createFont(16, 0, textFontFace)};
    // More texts than layouts are kept, so that the sweep below throws kept ones out; some
    // differ only in their last byte, or only by a 0x5C trail byte.
    std::vector<std::string> texts = {"neko",    "nek", "neko ",    "\x82\xCB\x82\xB1",
                                      "0",       "12",  "\x95\x5C", "\x95\x5C\x8E\xA6",
                                      textCombo, "A"};
    for (int i = 0; i < 10; ++i) texts.push_back("score " + std::to_string(i * 111));
    std::vector<std::vector<Fresh>> expected(2);
    for (int f = 0; f < 2; ++f) {
        for (const std::string& text : texts) {
            expected[f].push_back(freshLayout(fonts[f], text.c_str()));
        }
    }
    // A frame's few texts again and again, a sweep through all of them in both fonts, then the
    // frame's texts once more.
    std::vector<int> order;
    for (int repeat = 0; repeat < 3; ++repeat) {
        for (int i = 0; i < 7; ++i) order.push_back(i);
    }
    for (int i = 0; i < static_cast<int>(texts.size()); ++i) order.push_back(i);
    for (int i = 6; i >= 0; --i) order.push_back(i);
    int mismatches = 0;
    for (int index : order) {
        for (int f = 0; f < 2; ++f) {
            selectFont(&dc, fonts[f]);
            const Fresh drawn = throughBackend(&dc, texts[index].c_str());
            const Fresh& fresh = expected[f][index];
            EXPECT_EQ(drawn.width, fresh.width) << texts[index] << " font " << f;
            EXPECT_GT(fresh.width, 0) << texts[index];
            mismatches += drawn.pixels != fresh.pixels;
        }
    }
    EXPECT_EQ(mismatches, 0);
    selectFont(&dc, nullptr);
    for (FontHandle font : fonts) deleteFont(font);
}

TEST(KeptLayouts, GoWithEveryDeletedFont) {
    // The memory context: a font selected there cannot be deleted.
    DeviceContext dc = createMemoryContext(nullptr);
    FontHandle previous = selectFont(dc, nullptr);
    deleteFont(createFont(10, 0, textFontFace));  // whatever other tests left kept goes
    ASSERT_EQ(keptLayoutCount(), 0);
    const char* texts[] = {"AB", "\x82\xCB\x82\xB1", "7"};
    // A deleted font's description may be freed and its address given to the next font, so
    // no layout may outlive a deletion; a refused deletion (the font is selected) keeps them.
    for (int height : {30, 16, 44}) {
        FontHandle font = createFont(height, 128, textFontFace);
        FontHandle other = createFont(12, 0, textFontFace);
        selectFont(dc, font);
        for (int pass = 0; pass < 2; ++pass) {
            for (const char* text : texts) {
                EXPECT_EQ(measureText(dc, text), freshLayout(font, text).width)
                    << "height " << height << " text " << utf8FromCp932(text);
            }
        }
        EXPECT_EQ(keptLayoutCount(), 3) << "each text laid out once, height " << height;
        deleteFont(font);  // refused
        EXPECT_EQ(keptLayoutCount(), 3);
        deleteFont(other);
        EXPECT_EQ(keptLayoutCount(), 0);
        selectFont(dc, nullptr);
        deleteFont(font);
    }
    selectFont(dc, previous);
}

}  // namespace

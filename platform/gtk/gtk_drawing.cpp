// The memory context of the GTK backend: frame bitmaps as cairo images, fonts and text with
// Pango. Nothing here needs a display, so it is tested on its own.
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gtk/cp932_utf8.h"
#include "platform/gtk/game_font.h"
#include "platform/gtk/gtk_objects.h"

namespace {

constexpr int shiftJisCharSet = 128;
constexpr int largestBitmapSide = 4096;

struct Drawing {
    std::unique_ptr<NativeDC> memoryDC;
    PangoContext* context = nullptr;
    PangoLayout* layout = nullptr;
    PangoFontDescription* systemFont = nullptr;  // what a context shows before a font is selected
};

Drawing drawing;

// The one layout every measure and draw goes through, set to the context's font and text.
PangoLayout* layoutFor(DeviceContext dc, const char* text) {
    if (!drawing.context) {
        drawing.context = createFrameTextContext();
        drawing.layout = pango_layout_new(drawing.context);
        drawing.systemFont = pango_font_description_from_string("Sans 12px");
    }
    const NativeFont* font = dc ? dc->font : nullptr;
    PangoLanguage* language =
        font && font->language ? font->language : pango_language_get_default();
    if (pango_context_get_language(drawing.context) != language) {
        pango_context_set_language(drawing.context, language);
        pango_layout_context_changed(drawing.layout);
    }
    pango_layout_set_font_description(drawing.layout,
                                      font ? font->description : drawing.systemFont);
    std::string utf8 = utf8FromCp932(text);
    pango_layout_set_text(drawing.layout, utf8.c_str(), static_cast<int>(utf8.size()));
    return drawing.layout;
}

}  // namespace

DeviceContext createMemoryContext(WindowHandle) {
    // The game makes one at window creation; a second call gets the same context.
    if (!drawing.memoryDC) {
        drawing.memoryDC = std::make_unique<NativeDC>();
        drawing.memoryDC->memory = true;
    }
    return drawing.memoryDC.get();
}

BitmapHandle createFrameBitmap(DeviceContext, const BitmapInfoHeader* header, const uint8_t* bits) {
    auto* bitmap = new NativeBitmap;
    if (!header || !bits || header->biBitCount != 24 || header->biCompression != 0) return bitmap;
    int width = header->biWidth;
    int height = header->biHeight;
    if (width <= 0 || height <= 0 || width > largestBitmapSide || height > largestBitmapSide) {
        return bitmap;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return bitmap;
    }
    cairo_surface_flush(surface);
    unsigned char* pixels = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    size_t sourceStride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    for (int y = 0; y < height; ++y) {
        // The block is bottom-up: its first row is the bottom line of the picture.
        const uint8_t* source = bits + sourceStride * static_cast<size_t>(height - 1 - y);
        auto* target = reinterpret_cast<uint32_t*>(pixels + static_cast<ptrdiff_t>(stride) * y);
        for (int x = 0; x < width; ++x, source += 3) {
            target[x] = uint32_t{source[2]} << 16 | uint32_t{source[1]} << 8 | source[0];
        }
    }
    cairo_surface_mark_dirty(surface);
    bitmap->surface = surface;
    return bitmap;
}

BitmapHandle selectBitmap(DeviceContext memoryDC, BitmapHandle bitmap) {
    BitmapHandle previous = memoryDC->bitmap;
    memoryDC->bitmap = bitmap;
    return previous;
}

void deleteBitmap(BitmapHandle bitmap) {
    if (!bitmap) return;
    // GDI refuses to delete a selected bitmap; so do we, rather than leave a dangling one.
    if (drawing.memoryDC && drawing.memoryDC->bitmap == bitmap) return;
    if (bitmap->surface) cairo_surface_destroy(bitmap->surface);
    delete bitmap;
}

FontHandle createFont(int height, int charSet, const char* faceName) {
    auto* font = new NativeFont;
    font->description = pango_font_description_new();
    std::string family = utf8FromCp932(faceName);
    pango_font_description_set_family(font->description, family.c_str());
    // The cell is height pixels; for the Japanese monospace faces that is also the em.
    int pixels = std::abs(height) > 0 ? std::abs(height) : 16;
    pango_font_description_set_absolute_size(font->description, pixels * PANGO_SCALE);
    if (charSet == shiftJisCharSet) font->language = pango_language_from_string("ja");
    return font;
}

FontHandle selectFont(DeviceContext memoryDC, FontHandle font) {
    FontHandle previous = memoryDC->font;
    memoryDC->font = font;
    return previous;
}

void deleteFont(FontHandle font) {
    if (!font) return;
    if (drawing.memoryDC && drawing.memoryDC->font == font) return;
    pango_font_description_free(font->description);
    delete font;
}

void setTransparentText(DeviceContext memoryDC) { memoryDC->transparent = true; }

void setTextColour(DeviceContext memoryDC, uint32_t colour) { memoryDC->colour = colour; }

int measureText(DeviceContext memoryDC, const char* text) {
    if (!text || !*text) return 0;
    int width = 0;
    pango_layout_get_pixel_size(layoutFor(memoryDC, text), &width, nullptr);
    return width;
}

void drawText(DeviceContext memoryDC, int x, int y, const char* text) {
    if (!memoryDC || !memoryDC->bitmap || !memoryDC->bitmap->surface || !text || !*text) return;
    PangoLayout* layout = layoutFor(memoryDC, text);
    cairo_t* cr = cairo_create(memoryDC->bitmap->surface);
    if (!memoryDC->transparent) {
        // GDI's opaque mode fills the text's cell with the background colour, white.
        int width = 0;
        int height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, x, y, width, height);
        cairo_fill(cr);
    }
    uint32_t colour = memoryDC->colour;
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0,
                         (colour >> 16 & 0xFF) / 255.0);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
    cairo_destroy(cr);
}

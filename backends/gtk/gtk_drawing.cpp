// The memory context of the GTK backend: frame bitmaps as cairo images, fonts and text with
// Pango. Nothing here needs a display, so it is tested on its own.
#include "backends/gtk/gtk_drawing.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "backends/gtk/cp932_utf8.h"
#include "backends/gtk/frame_pixels.h"
#include "backends/gtk/game_font.h"
#include "backends/gtk/gtk_objects.h"
#include "backends/gtk/window_picture.h"

namespace {

constexpr int largestBitmapSide = 4096;

// A laid-out text kept for the next measure or draw of the same text: a frame draws the same
// few texts again and again, and laying one out (shaping) costs more than drawing it.
struct KeptLayout {
    PangoLayout* layout = nullptr;
    const PangoFontDescription* font = nullptr;
    PangoLanguage* language = nullptr;
    std::string text;  // the code page 932 bytes it was made from
    uint64_t lastUse = 0;
};

struct TextContext {
    PangoLanguage* language = nullptr;
    PangoContext* context = nullptr;
};

struct Drawing {
    std::unique_ptr<NativeDC> memoryDC;
    PangoFontDescription* systemFont = nullptr;  // what a context shows before a font is selected
    std::vector<TextContext> contexts;
    KeptLayout layouts[16];
    uint64_t uses = 0;
    // Surfaces of deleted frame bitmaps, oldest first. The game makes and deletes a frame of
    // the same size at every paint; taking a kept one spares a fresh zeroed 800 KB each time.
    // Two, because the window may still show the last frame while the next one is made.
    cairo_surface_t* keptSurfaces[2] = {};

    // What is ours goes back at the end of the process; the libraries' own caches stay.
    ~Drawing() {
        for (KeptLayout& kept : layouts) {
            if (kept.layout) g_object_unref(kept.layout);
            kept.layout = nullptr;
        }
        for (TextContext& known : contexts) g_object_unref(known.context);
        contexts.clear();
        if (systemFont) pango_font_description_free(systemFont);
        for (cairo_surface_t*& kept : keptSurfaces) {
            if (kept) cairo_surface_destroy(kept);
            kept = nullptr;
        }
    }
};

Drawing drawing;

// A kept surface of that size and scale that nothing else holds (the window may still show
// one), or null.
cairo_surface_t* takeKeptSurface(int width, int height, int scale) {
    for (cairo_surface_t*& kept : drawing.keptSurfaces) {
        double scaleX = 0;
        double scaleY = 0;
        if (kept) cairo_surface_get_device_scale(kept, &scaleX, &scaleY);
        if (kept && cairo_image_surface_get_width(kept) == width * scale &&
            cairo_image_surface_get_height(kept) == height * scale && scaleX == scale &&
            cairo_surface_get_reference_count(kept) == 1) {
            cairo_surface_t* surface = kept;
            kept = nullptr;
            return surface;
        }
    }
    return nullptr;
}

void keepSurface(cairo_surface_t* surface) {
    cairo_surface_t** slots = drawing.keptSurfaces;
    if (slots[1]) {
        // Full: the oldest goes.
        cairo_surface_destroy(slots[0]);
        slots[0] = slots[1];
        slots[1] = nullptr;
    }
    slots[slots[0] ? 1 : 0] = surface;
}

// The context of a language: a layout keeps its context, so each language has its own.
PangoContext* contextFor(PangoLanguage* language) {
    for (const TextContext& known : drawing.contexts) {
        if (known.language == language) return known.context;
    }
    PangoContext* context = createFrameTextContext();
    pango_context_set_language(context, language);
    drawing.contexts.push_back(TextContext{language, context});
    return context;
}

// The layout of text in the context's font: a kept one while font, language and text are
// the same, else the least recently used slot laid out anew.
PangoLayout* layoutFor(DeviceContext dc, const char* text) {
    if (!drawing.systemFont) drawing.systemFont = pango_font_description_from_string("Sans 12px");
    const NativeFont* font = dc ? dc->font : nullptr;
    PangoLanguage* language =
        font && font->language ? font->language : pango_language_get_default();
    const PangoFontDescription* description = font ? font->description : drawing.systemFont;
    KeptLayout* slot = &drawing.layouts[0];
    for (KeptLayout& kept : drawing.layouts) {
        if (kept.layout && kept.font == description && kept.language == language &&
            kept.text == text) {
            kept.lastUse = ++drawing.uses;
            return kept.layout;
        }
        if (kept.lastUse < slot->lastUse) slot = &kept;
    }
    PangoContext* context = contextFor(language);
    if (slot->layout && pango_layout_get_context(slot->layout) != context) {
        g_object_unref(slot->layout);
        slot->layout = nullptr;
    }
    if (!slot->layout) slot->layout = pango_layout_new(context);
    pango_layout_set_font_description(slot->layout, description);
    std::string utf8 = utf8FromCp932(text);
    pango_layout_set_text(slot->layout, utf8.c_str(), static_cast<int>(utf8.size()));
    slot->font = description;
    slot->language = language;
    slot->text = text;
    slot->lastUse = ++drawing.uses;
    return slot->layout;
}

// Every kept layout goes: a deleted font's description may be freed and its address given
// to the next font.
void forgetLayouts() {
    for (KeptLayout& kept : drawing.layouts) {
        if (kept.layout) g_object_unref(kept.layout);
        kept = KeptLayout{};
    }
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

BitmapHandle createFrameBitmap(DeviceContext paintDC, int width, int height, const uint8_t* bits) {
    if (!bits || width <= 0 || height <= 0 || width > largestBitmapSide ||
        height > largestBitmapSide) {
        return nullptr;
    }
    // Compatible with the paint context: as many device pixels per pixel as its screen, so
    // that texts are drawn at the screen's resolution while the pictures stay whole blocks.
    const int scale = paintDC && paintDC->scale > 1 ? std::min(paintDC->scale, 8) : 1;
    cairo_surface_t* surface = takeKeptSurface(width, height, scale);
    if (!surface) {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width * scale, height * scale);
        cairo_surface_set_device_scale(surface, scale, scale);
    }
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    if (scale == 1) {
        convertFrameRows(bits, width, height, cairo_image_surface_get_data(surface),
                         cairo_image_surface_get_stride(surface));
    } else {
        convertFrameRowsScaled(bits, width, height, cairo_image_surface_get_data(surface),
                               cairo_image_surface_get_stride(surface), scale);
    }
    cairo_surface_mark_dirty(surface);
    auto* bitmap = new NativeBitmap;
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
    if (bitmap->surface) keepSurface(bitmap->surface);
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
    forgetLayouts();
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
    keepWindowPictureFrom(memoryDC->bitmap->surface);
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

int keptLayoutCount() {
    int count = 0;
    for (const KeptLayout& kept : drawing.layouts) count += kept.layout != nullptr;
    return count;
}

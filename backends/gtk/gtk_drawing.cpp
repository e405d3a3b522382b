// The memory context of the GTK backend: frame bitmaps as cairo images, fonts and text with
// Pango. Nothing here needs a display, so it is tested on its own.
#include "backends/gtk/gtk_drawing.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
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
    bool boxKnown = false;
    cairo_rectangle_int_t box = {};  // what drawing it at (0, 0) may touch
};

// A text as the game asked for it. Two equal ones make the same pixels over the same picture,
// so a frame made on the surface of an earlier one draws only the texts that are new there.
struct FrameText {
    std::string text;  // code page 932
    const PangoFontDescription* font = nullptr;
    PangoLanguage* language = nullptr;
    int x = 0;
    int y = 0;
    uint32_t colour = 0;
    bool opaque = false;
    cairo_rectangle_int_t box = {};  // every pixel it may touch, in pixels of the frame

    bool sameAs(const FrameText& other) const {
        return text == other.text && font == other.font && language == other.language &&
               x == other.x && y == other.y && colour == other.colour && opaque == other.opaque;
    }
};

// A surface of a deleted frame bitmap, and what it shows.
struct KeptSurface {
    cairo_surface_t* surface = nullptr;
    uint64_t frame = 0;  // the frame its pixels are; 0 when not known
    std::vector<FrameText> texts;
};

// The back buffer of the last frame made. A key changes a line or two: comparing it with the
// last one costs far less than converting it whole, which would touch every pixel of two
// frames' worth of memory that the rest of the machine has long since evicted from the cache.
struct LastBits {
    std::vector<uint8_t> bytes;
    int width = 0;
    int height = 0;
    uint64_t frame = 0;
    std::vector<uint8_t> changed;        // per row, top down: differs from the frame before
    std::vector<uint8_t> changedBefore;  // the same for the frame before
};

// The frame last presented, to tell the window what the next one changes.
struct PresentedFrame {
    cairo_surface_t* surface = nullptr;  // compared, never used: the window holds it
    uint64_t frame = 0;
    std::vector<FrameText> texts;
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
    // the same size at every paint; taking a kept one spares a fresh zeroed 800 KB each time,
    // and only what differs from the frame it shows is drawn again. Two, because the window
    // may still show the last frame while the next one is made.
    KeptSurface keptSurfaces[2];
    uint64_t frames = 0;
    LastBits last;
    BitmapHandle open = nullptr;  // the newest frame bitmap, while its texts wait
    PresentedFrame presented;

    // What is ours goes back at the end of the process; the libraries' own caches stay.
    ~Drawing() {
        for (KeptLayout& kept : layouts) {
            if (kept.layout) g_object_unref(kept.layout);
            kept.layout = nullptr;
        }
        for (TextContext& known : contexts) g_object_unref(known.context);
        contexts.clear();
        if (systemFont) pango_font_description_free(systemFont);
        for (KeptSurface& kept : keptSurfaces) {
            if (kept.surface) cairo_surface_destroy(kept.surface);
            kept = KeptSurface{};
        }
    }
};

Drawing drawing;

// A kept surface of that size and scale that nothing else holds (the window may still show
// one), the newest frame first; its surface is null when there is none.
KeptSurface takeKeptSurface(int width, int height, int scale) {
    KeptSurface* best = nullptr;
    for (KeptSurface& kept : drawing.keptSurfaces) {
        double scaleX = 0;
        double scaleY = 0;
        if (kept.surface) cairo_surface_get_device_scale(kept.surface, &scaleX, &scaleY);
        if (kept.surface && cairo_image_surface_get_width(kept.surface) == width * scale &&
            cairo_image_surface_get_height(kept.surface) == height * scale && scaleX == scale &&
            cairo_surface_get_reference_count(kept.surface) == 1 &&
            (!best || kept.frame > best->frame)) {
            best = &kept;
        }
    }
    if (!best) return KeptSurface{};
    KeptSurface taken = std::move(*best);
    *best = KeptSurface{};
    return taken;
}

void keepSurface(KeptSurface kept) {
    KeptSurface* slots = drawing.keptSurfaces;
    if (slots[1].surface) {
        // Full: the oldest goes.
        cairo_surface_destroy(slots[0].surface);
        slots[0] = std::move(slots[1]);
        slots[1] = KeptSurface{};
    }
    slots[slots[0].surface ? 1 : 0] = std::move(kept);
}

// Notes the back buffer of frame: which rows differ from the last frame's. Every row counts
// when the last frame was not the one just before, or of another size; only the areas the
// game says may have changed are compared when it says so.
void noteBits(const uint8_t* bits, int width, int height, uint64_t frame,
              const FrameBitsChanges* changes) {
    LastBits& last = drawing.last;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    const bool follows = last.frame + 1 == frame && last.width == width && last.height == height;
    last.changedBefore.swap(last.changed);
    last.frame = frame;
    if (!follows) {
        last.bytes.assign(bits, bits + stride * static_cast<size_t>(height));
        last.width = width;
        last.height = height;
        last.changed.assign(static_cast<size_t>(height), 1);
        last.changedBefore.assign(static_cast<size_t>(height), 1);
        return;
    }
    // The columns to compare in each row (from the top): all, or those of the areas given.
    std::vector<int> left(static_cast<size_t>(height), changes ? width : 0);
    std::vector<int> right(static_cast<size_t>(height), changes ? 0 : width);
    for (int i = 0; changes && i < changes->count; ++i) {
        const FrameBitsChanges::Area& a = changes->areas[i];
        const int from = std::clamp(a.left, 0, width);
        const int to = std::clamp(a.right, 0, width);
        for (int row = std::max(a.bottom, 0); row < std::min(a.top, height); ++row) {
            const size_t y = static_cast<size_t>(height - 1 - row);
            left[y] = std::min(left[y], from);
            right[y] = std::max(right[y], to);
        }
    }
    for (int y = 0; y < height; ++y) {
        bool differs = false;
        const int from = left[static_cast<size_t>(y)];
        const int to = right[static_cast<size_t>(y)];
        if (from < to) {
            // The block is bottom-up: row y from the top is the block's row height - 1 - y.
            const size_t offset = stride * static_cast<size_t>(height - 1 - y) + size_t{3} * from;
            const size_t bytes = size_t{3} * static_cast<size_t>(to - from);
            uint8_t* kept = last.bytes.data() + offset;
            differs = std::memcmp(bits + offset, kept, bytes) != 0;
            if (differs) std::memcpy(kept, bits + offset, bytes);
        }
        last.changed[static_cast<size_t>(y)] = differs ? 1 : 0;
    }
}

bool meets(const cairo_rectangle_int_t& a, const cairo_rectangle_int_t& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

bool onRows(const std::vector<uint8_t>& rows, const cairo_rectangle_int_t& box) {
    for (int y = std::max(box.y, 0); y < box.y + box.height && y < static_cast<int>(rows.size());
         ++y) {
        if (rows[static_cast<size_t>(y)]) return true;
    }
    return false;
}

// Converts anew the rows marked in rows, a run at a time.
void convertRows(cairo_surface_t* surface, const std::vector<uint8_t>& rows, int scale,
                 std::vector<uint8_t>& converted) {
    const LastBits& last = drawing.last;
    uint8_t* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    converted.assign(rows.size(), 0);
    for (int y = 0; y < last.height;) {
        if (!rows[static_cast<size_t>(y)]) {
            ++y;
            continue;
        }
        int end = y;
        while (end < last.height && rows[static_cast<size_t>(end)])
            converted[static_cast<size_t>(end++)] = 1;
        convertFrameArea(last.bytes.data(), last.width, last.height, 0, y, last.width, end, pixels,
                         stride, scale);
        y = end;
    }
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

// The layout of text in a font and language: a kept one while they and the text are the
// same, else the least recently used slot laid out anew.
PangoLayout* layoutOf(const PangoFontDescription* description, PangoLanguage* language,
                      const char* text) {
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
    slot->boxKnown = false;
    return slot->layout;
}

// The font and language of the context's texts.
void textFontOf(DeviceContext dc, const PangoFontDescription*& description,
                PangoLanguage*& language) {
    if (!drawing.systemFont) drawing.systemFont = pango_font_description_from_string("Sans 12px");
    const NativeFont* font = dc ? dc->font : nullptr;
    language = font && font->language ? font->language : pango_language_get_default();
    description = font ? font->description : drawing.systemFont;
}

// The layout of text in the context's font.
PangoLayout* layoutFor(DeviceContext dc, const char* text) {
    const PangoFontDescription* description = nullptr;
    PangoLanguage* language = nullptr;
    textFontOf(dc, description, language);
    return layoutOf(description, language, text);
}

// A text drawn at (x, y) in the context's font, colour and background mode, on a frame of
// width x height pixels.
FrameText placeText(DeviceContext dc, int x, int y, const char* text, int width, int height) {
    FrameText placed;
    textFontOf(dc, placed.font, placed.language);
    PangoLayout* layout = layoutOf(placed.font, placed.language, text);
    placed.text = text;
    placed.x = x;
    placed.y = y;
    placed.colour = dc->colour;
    placed.opaque = !dc->transparent;
    // The ink, the cell an opaque text fills, and a pixel around for the smoothing; found once
    // for each layout, as the ink takes every glyph's outline.
    KeptLayout* kept = nullptr;
    for (KeptLayout& slot : drawing.layouts) {
        if (slot.layout == layout) kept = &slot;
    }
    if (!kept->boxKnown) {
        PangoRectangle ink = {};
        PangoRectangle logical = {};
        pango_layout_get_pixel_extents(layout, &ink, &logical);
        const int left = std::min({ink.x, logical.x, 0}) - 1;
        const int top = std::min({ink.y, logical.y, 0}) - 1;
        const int right =
            std::max({ink.x + ink.width, logical.x + logical.width, logical.width}) + 1;
        const int bottom =
            std::max({ink.y + ink.height, logical.y + logical.height, logical.height}) + 1;
        kept->box = {left, top, right - left, bottom - top};
        kept->boxKnown = true;
    }
    const cairo_rectangle_int_t& at = kept->box;
    cairo_rectangle_int_t box = {x + at.x, y + at.y, at.width, at.height};
    const cairo_rectangle_int_t frame = {0, 0, width, height};
    cairo_region_t* clipped = cairo_region_create_rectangle(&box);
    cairo_region_intersect_rectangle(clipped, &frame);
    cairo_region_get_extents(clipped, &placed.box);
    cairo_region_destroy(clipped);
    return placed;
}

void paintText(cairo_t* cr, const FrameText& placed) {
    PangoLayout* layout = layoutOf(placed.font, placed.language, placed.text.c_str());
    if (placed.opaque) {
        // GDI's opaque mode fills the text's cell with the background colour, white.
        int width = 0;
        int height = 0;
        pango_layout_get_pixel_size(layout, &width, &height);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, placed.x, placed.y, width, height);
        cairo_fill(cr);
    }
    const uint32_t colour = placed.colour;
    cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, (colour >> 8 & 0xFF) / 255.0,
                         (colour >> 16 & 0xFF) / 255.0);
    cairo_move_to(cr, placed.x, placed.y);
    pango_cairo_show_layout(cr, layout);
}

int scaleOfSurface(cairo_surface_t* surface) {
    double scaleX = 1;
    double scaleY = 1;
    cairo_surface_get_device_scale(surface, &scaleX, &scaleY);
    return std::max(1, static_cast<int>(scaleX));
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

// What a frame bitmap knows of its surface until its texts are drawn.
struct FramePaint {
    uint64_t frame = 0;
    bool whole = false;                  // converted whole: nothing of an earlier frame on it
    std::vector<FrameText> onSurface;    // an earlier frame's texts, still on the surface
    std::vector<uint8_t> convertedRows;  // rows converted anew, which wiped those texts there
    std::vector<uint8_t> changedRows;    // rows whose picture differs from the frame before
    std::vector<FrameText> texts;        // this frame's, in the game's order
    bool finished = false;               // its texts are on the surface
};

DeviceContext createMemoryContext(WindowHandle) {
    // The game makes one at window creation; a second call gets the same context.
    if (!drawing.memoryDC) {
        drawing.memoryDC = std::make_unique<NativeDC>();
        drawing.memoryDC->memory = true;
    }
    return drawing.memoryDC.get();
}

BitmapHandle createFrameBitmap(DeviceContext paintDC, int width, int height, const uint8_t* bits,
                               const FrameBitsChanges* changes) {
    // The game's changes count from the bits of the call before, kept or not: a call that
    // keeps none makes the next frame's bits all new.
    if (!bits || width <= 0 || height <= 0 || width > largestBitmapSide ||
        height > largestBitmapSide) {
        ++drawing.frames;
        return nullptr;
    }
    // Its texts are drawn from the back buffer kept for it, which this one replaces.
    if (drawing.open) finishFrameBitmap(drawing.open);
    // Compatible with the paint context: as many device pixels per pixel as its screen, so
    // that texts are drawn at the screen's resolution while the pictures stay whole blocks.
    const int scale = paintDC && paintDC->scale > 1 ? std::min(paintDC->scale, 8) : 1;
    KeptSurface kept = takeKeptSurface(width, height, scale);
    cairo_surface_t* surface = kept.surface;
    if (!surface) {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width * scale, height * scale);
        cairo_surface_set_device_scale(surface, scale, scale);
    }
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        ++drawing.frames;
        return nullptr;
    }
    const uint64_t frame = ++drawing.frames;
    noteBits(bits, width, height, frame, changes);
    auto paint = std::make_unique<FramePaint>();
    paint->frame = frame;
    paint->changedRows = drawing.last.changed;
    cairo_surface_flush(surface);
    // The surface shows the frame before last: what differs from it is what changed in the
    // last two frames.
    if (kept.frame != 0 && kept.frame + 2 == frame) {
        std::vector<uint8_t> rows = drawing.last.changed;
        for (size_t y = 0; y < rows.size(); ++y) rows[y] |= drawing.last.changedBefore[y];
        convertRows(surface, rows, scale, paint->convertedRows);
        paint->onSurface = std::move(kept.texts);
    } else {
        paint->whole = true;
        if (scale == 1) {
            convertFrameRows(bits, width, height, cairo_image_surface_get_data(surface),
                             cairo_image_surface_get_stride(surface));
        } else {
            convertFrameRowsScaled(bits, width, height, cairo_image_surface_get_data(surface),
                                   cairo_image_surface_get_stride(surface), scale);
        }
    }
    cairo_surface_mark_dirty(surface);
    auto* bitmap = new NativeBitmap;
    bitmap->surface = surface;
    bitmap->paint = paint.release();
    drawing.open = bitmap;
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
    finishFrameBitmap(bitmap);
    std::unique_ptr<FramePaint> paint(bitmap->paint);
    if (drawing.open == bitmap) drawing.open = nullptr;
    if (bitmap->surface) {
        keepSurface(paint ? KeptSurface{bitmap->surface, paint->frame, std::move(paint->texts)}
                          : KeptSurface{bitmap->surface, 0, {}});
    }
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
    // A text remembers its font by address, which the next font may be given.
    for (KeptSurface& kept : drawing.keptSurfaces) kept.frame = 0;
    drawing.presented = PresentedFrame{};
    if (drawing.open) finishFrameBitmap(drawing.open);
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
    NativeBitmap* bitmap = memoryDC->bitmap;
    const int scale = scaleOfSurface(bitmap->surface);
    FrameText placed =
        placeText(memoryDC, x, y, text, cairo_image_surface_get_width(bitmap->surface) / scale,
                  cairo_image_surface_get_height(bitmap->surface) / scale);
    if (bitmap->paint && !bitmap->paint->finished) {
        bitmap->paint->texts.push_back(std::move(placed));
        return;
    }
    keepWindowPictureFrom(bitmap->surface);
    cairo_t* cr = cairo_create(bitmap->surface);
    paintText(cr, placed);
    cairo_destroy(cr);
    if (bitmap->paint) bitmap->paint->texts.push_back(std::move(placed));
}

void finishFrameBitmap(BitmapHandle bitmap) {
    if (!bitmap || !bitmap->paint || bitmap->paint->finished) return;
    FramePaint& paint = *bitmap->paint;
    paint.finished = true;
    if (drawing.open == bitmap) drawing.open = nullptr;
    cairo_surface_t* surface = bitmap->surface;
    if (!surface) return;
    keepWindowPictureFrom(surface);
    // The earlier frame's texts that this one draws alike, where its picture did not change,
    // are on the surface already.
    std::vector<char> kept(paint.texts.size(), 0);
    std::vector<char> matched(paint.onSurface.size(), 0);
    for (size_t i = 0; i < paint.texts.size(); ++i) {
        if (onRows(paint.convertedRows, paint.texts[i].box)) continue;
        for (size_t j = 0; j < paint.onSurface.size(); ++j) {
            if (!matched[j] && paint.onSurface[j].sameAs(paint.texts[i]) &&
                !onRows(paint.convertedRows, paint.onSurface[j].box)) {
                kept[i] = 1;
                matched[j] = 1;
                break;
            }
        }
    }
    // The others are wiped with the picture, gone ones and new ones alike; a wipe that cuts
    // into a kept text wipes all of it, to be drawn again.
    std::vector<cairo_rectangle_int_t> wiped;
    for (size_t j = 0; j < paint.onSurface.size(); ++j) {
        if (!matched[j]) wiped.push_back(paint.onSurface[j].box);
    }
    for (size_t i = 0; i < paint.texts.size(); ++i) {
        if (!kept[i]) wiped.push_back(paint.texts[i].box);
    }
    for (bool more = true; more;) {
        more = false;
        for (size_t i = 0; i < paint.texts.size(); ++i) {
            if (!kept[i]) continue;
            const cairo_rectangle_int_t& box = paint.texts[i].box;
            if (std::none_of(wiped.begin(), wiped.end(),
                             [&](const cairo_rectangle_int_t& r) { return meets(r, box); })) {
                continue;
            }
            kept[i] = 0;
            wiped.push_back(box);
            more = true;
        }
    }
    const LastBits& last = drawing.last;
    if (!paint.whole && last.frame == paint.frame) {
        cairo_surface_flush(surface);
        const int scale = scaleOfSurface(surface);
        for (const cairo_rectangle_int_t& r : wiped) {
            convertFrameArea(last.bytes.data(), last.width, last.height, r.x, r.y, r.x + r.width,
                             r.y + r.height, cairo_image_surface_get_data(surface),
                             cairo_image_surface_get_stride(surface), scale);
        }
        cairo_surface_mark_dirty(surface);
    }
    cairo_t* cr = nullptr;
    for (size_t i = 0; i < paint.texts.size(); ++i) {
        if (kept[i]) continue;
        if (!cr) cr = cairo_create(surface);
        paintText(cr, paint.texts[i]);
    }
    if (cr) cairo_destroy(cr);
    paint.onSurface.clear();
    paint.convertedRows.clear();
}

void presentFrameBitmap(BitmapHandle bitmap, int width, int height) {
    if (!bitmap || !bitmap->surface) return;
    finishFrameBitmap(bitmap);
    FramePaint* paint = bitmap->paint;
    PresentedFrame& presented = drawing.presented;
    // What differs from the frame presented before, when that was the frame just before: its
    // changed rows and the texts that are not alike in both.
    cairo_region_t* region = nullptr;
    if (paint && presented.surface && presented.frame + 1 == paint->frame &&
        presented.surface != bitmap->surface) {
        region = cairo_region_create();
        const int rows = static_cast<int>(paint->changedRows.size());
        for (int y = 0; y < rows;) {
            if (!paint->changedRows[static_cast<size_t>(y)]) {
                ++y;
                continue;
            }
            int end = y;
            while (end < rows && paint->changedRows[static_cast<size_t>(end)]) ++end;
            const cairo_rectangle_int_t band = {0, y, drawing.last.width, end - y};
            cairo_region_union_rectangle(region, &band);
            y = end;
        }
        std::vector<char> before(presented.texts.size(), 0);
        for (const FrameText& text : paint->texts) {
            bool alike = false;
            for (size_t j = 0; j < presented.texts.size() && !alike; ++j) {
                if (!before[j] && presented.texts[j].sameAs(text)) {
                    before[j] = 1;
                    alike = true;
                }
            }
            if (!alike) cairo_region_union_rectangle(region, &text.box);
        }
        for (size_t j = 0; j < presented.texts.size(); ++j) {
            if (!before[j]) cairo_region_union_rectangle(region, &presented.texts[j].box);
        }
    }
    const FrameChanges changes = {presented.surface, region};
    presentFrameSurface(bitmap->surface, width, height, region ? &changes : nullptr);
    if (region) cairo_region_destroy(region);
    if (paint) {
        presented.surface = bitmap->surface;
        presented.frame = paint->frame;
        presented.texts = paint->texts;
    } else {
        presented = PresentedFrame{};
    }
}

int keptLayoutCount() {
    int count = 0;
    for (const KeptLayout& kept : drawing.layouts) count += kept.layout != nullptr;
    return count;
}

// Painting, the frame bitmap and text of the Windows backend, over GDI.
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "backends/win32/dpi.h"
#include "backends/win32/handles.h"
#include "backends/win32/wide.h"
#include "platform/platform.h"

// A font as the game asked for it, and the GDI font made of it for the frame's scale.
struct NativeFont {
    int height = 0;
    int charSet = 0;
    std::wstring face;
    int scale = 1;
    HFONT object = nullptr;
};

namespace {

struct Painting {
    PAINTSTRUCT paint = {};
    // The paint under way is the game's own at a key, and nothing else wanted any part of the
    // window: the window shows the last frame, so only what the new one changes is copied.
    bool onlyChanges = false;
    // The key's paint goes on the window's own context, outside a WM_PAINT.
    bool direct = false;
    // The bitmap a new memory context holds; selecting a null bitmap puts it back, so that
    // the frame bitmap can be deleted.
    HGDIOBJ initialBitmap = nullptr;
    // The game's font in the memory context, made anew there when the scale changes.
    NativeFont* selectedFont = nullptr;
    HDC memoryDC = nullptr;
};

// A text as drawn on a frame: two equal ones leave the same pixels over the same bits.
struct TextMark {
    std::wstring text;
    int x = 0;
    int y = 0;
    int fontHeight = 0;
    int charSet = 0;
    std::wstring face;
    COLORREF colour = 0;
    int backgroundMode = 0;
    COLORREF background = 0;
    RECT box = {};  // what it may have touched, from the top, a little more for the smoothing

    bool operator==(const TextMark& other) const {
        return text == other.text && x == other.x && y == other.y &&
               fontHeight == other.fontHeight && charSet == other.charSet && face == other.face &&
               colour == other.colour && backgroundMode == other.backgroundMode &&
               (backgroundMode == TRANSPARENT || background == other.background);
    }
};

// A frame bitmap and what is known of it: which frame its pixels are, and its texts.
struct FrameRecord {
    uint64_t frame = 0;
    std::vector<TextMark> texts;
};

// What the window shows where nothing has asked for a paint: a frame, and its texts.
struct Shown {
    uint64_t frame = 0;  // 0: not known
    std::vector<TextMark> texts;
};

Shown shown;

// Bitmaps of deleted frames, kept for the next frames of their size: the game makes and
// deletes one at every paint, and making one allocates and clears 800 KB each time. A kept
// bitmap shows the frame before last, so only the rows that changed since, and those its texts
// were drawn on, are set anew.
struct Frames {
    std::vector<std::pair<HBITMAP, FrameRecord>> kept;  // at most two, oldest first
    std::map<HBITMAP, FrameRecord> live;
    uint64_t count = 0;
    FrameBitsChanges changes[2];  // what the last two frames changed, newest first
    bool known[2] = {};
};

Frames frames;

Painting painting;

// Far beyond any frame the game composes: a size this large is a fault, not a picture.
constexpr int largestFrameSide = 4096;

HFONT makeFontObject(const NativeFont& font) {
    return CreateFontW(font.height * font.scale, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                       static_cast<DWORD>(font.charSet), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face.c_str());
}

// The selected font at the frame's scale: texts are drawn at the device's resolution, so
// at scale 2 the game's 30-pixel font is a 60-pixel one.
void keepSelectedFontAtScale(HDC memoryDC) {
    NativeFont* font = painting.selectedFont;
    const int scale = frameScale();
    if (!font || font->scale == scale) return;
    NativeFont rescaled = *font;
    rescaled.scale = scale;
    HFONT object = makeFontObject(rescaled);
    if (!object) return;
    SelectObject(memoryDC, object);
    DeleteObject(font->object);
    font->object = object;
    font->scale = scale;
}

// A width in device pixels as the game's pixels: the same width at every scale for a font
// whose glyphs scale whole, as the Japanese monospace ones do.
int framePixels(LONG devicePixels, int scale) {
    return static_cast<int>((devicePixels + scale / 2) / scale);
}

}  // namespace

HFONT nativeFont(FontHandle font) { return font ? font->object : nullptr; }

void invalidateWindow(WindowHandle window) { InvalidateRect(nativeWindow(window), nullptr, FALSE); }

void fillWindowWhite(WindowHandle window) {
    HWND hwnd = nativeWindow(window);
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    const int scale = frameScale();
    PatBlt(dc, 0, 0, frameWidth * scale, frameHeight * scale, WHITENESS);
    ReleaseDC(hwnd, dc);
    shown = Shown{};
}

DeviceContext beginPaint(WindowHandle window) {
    if (painting.direct) return portableDC(GetDC(nativeWindow(window)));
    return portableDC(BeginPaint(nativeWindow(window), &painting.paint));
}

void endPaint(WindowHandle window, DeviceContext paintDC) {
    if (painting.direct) {
        if (paintDC) ReleaseDC(nativeWindow(window), nativeDC(paintDC));
        return;
    }
    EndPaint(nativeWindow(window), &painting.paint);
}

DeviceContext createMemoryContext(WindowHandle window) {
    HWND hwnd = nativeWindow(window);
    HDC windowDC = GetDC(hwnd);
    HDC memoryDC = CreateCompatibleDC(windowDC);
    if (windowDC) ReleaseDC(hwnd, windowDC);
    if (memoryDC) painting.initialBitmap = GetCurrentObject(memoryDC, OBJ_BITMAP);
    painting.memoryDC = memoryDC;
    return portableDC(memoryDC);
}

namespace {

// Sets rows [bottom, top) of bitmap (counted from the bottom, as in bits) from bits.
void setRows(HDC dc, HBITMAP bitmap, const BITMAPINFO& info, const uint8_t* bits, int bottom,
             int top) {
    const size_t stride = (static_cast<size_t>(info.bmiHeader.biWidth) * 3 + 3) & ~size_t{3};
    SetDIBits(dc, bitmap, static_cast<UINT>(bottom), static_cast<UINT>(top - bottom),
              bits + stride * static_cast<size_t>(bottom), &info, DIB_RGB_COLORS);
}

// A kept bitmap of the frame before last made into this frame, or null.
HBITMAP reuseKeptFrame(HDC dc, const BITMAPINFO& info, const uint8_t* bits, uint64_t frame) {
    const int width = info.bmiHeader.biWidth;
    const int height = info.bmiHeader.biHeight;
    for (auto entry = frames.kept.rbegin(); entry != frames.kept.rend(); ++entry) {
        BITMAP size = {};
        if (!GetObjectW(entry->first, sizeof size, &size) || size.bmWidth != width ||
            size.bmHeight != height) {
            continue;
        }
        HBITMAP bitmap = entry->first;
        const FrameRecord record = std::move(entry->second);
        frames.kept.erase(std::next(entry).base());
        if (record.frame + 2 != frame || !frames.known[0] || !frames.known[1]) {
            setRows(dc, bitmap, info, bits, 0, height);
            return bitmap;
        }
        std::vector<char> rows(static_cast<size_t>(height), 0);
        auto mark = [&](int bottom, int top) {
            for (int row = std::max(bottom, 0); row < std::min(top, height); ++row) {
                rows[static_cast<size_t>(row)] = 1;
            }
        };
        for (const FrameBitsChanges& changes : frames.changes) {
            for (int i = 0; i < changes.count; ++i) {
                mark(changes.areas[i].bottom, changes.areas[i].top);
            }
        }
        for (const TextMark& text : record.texts)
            mark(height - text.box.bottom, height - text.box.top);
        for (int row = 0; row < height;) {
            if (!rows[static_cast<size_t>(row)]) {
                ++row;
                continue;
            }
            int end = row;
            while (end < height && rows[static_cast<size_t>(end)]) ++end;
            setRows(dc, bitmap, info, bits, row, end);
            row = end;
        }
        return bitmap;
    }
    return nullptr;
}

}  // namespace

BitmapHandle createFrameBitmap(DeviceContext paintDC, int width, int height, const uint8_t* bits,
                               const FrameBitsChanges* changes) {
    // Every call counts, whatever comes of it: the game's changes count from the bits of the
    // call before, so a frame kept from before a call that made none, or one at another
    // scale, is not the frame before last.
    const uint64_t frame = ++frames.count;
    frames.changes[1] = frames.changes[0];
    frames.known[1] = frames.known[0];
    frames.known[0] = changes != nullptr;
    frames.changes[0] = changes ? *changes : FrameBitsChanges{};
    if (!bits || width <= 0 || height <= 0 || width > largestFrameSide ||
        height > largestFrameSide) {
        return nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = nativeDC(paintDC);
    const int scale = frameScale();
    if (scale == 1) {
        HBITMAP bitmap = reuseKeptFrame(dc, info, bits, frame);
        if (!bitmap)
            bitmap = CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, bits, &info, DIB_RGB_COLORS);
        // Only the window's frames are kept: no other size comes again and again.
        if (bitmap && width == frameWidth && height == frameHeight) {
            frames.live[bitmap] = FrameRecord{frame, {}};
        }
        return portableBitmap(bitmap);
    }
    // Each frame pixel becomes a whole scale x scale block: no blending, no blur.
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width * scale, height * scale);
    HDC stretchDC = bitmap ? CreateCompatibleDC(dc) : nullptr;
    if (!stretchDC) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(stretchDC, bitmap);
    SetStretchBltMode(stretchDC, COLORONCOLOR);
    StretchDIBits(stretchDC, 0, 0, width * scale, height * scale, 0, 0, width, height, bits, &info,
                  DIB_RGB_COLORS, SRCCOPY);
    SelectObject(stretchDC, previous);
    DeleteDC(stretchDC);
    return portableBitmap(bitmap);
}

BitmapHandle selectBitmap(DeviceContext memoryDC, BitmapHandle bitmap) {
    HGDIOBJ object = bitmap ? static_cast<HGDIOBJ>(nativeBitmap(bitmap)) : painting.initialBitmap;
    if (!object) return nullptr;
    HGDIOBJ previous = SelectObject(nativeDC(memoryDC), object);
    return previous == painting.initialBitmap ? nullptr : portableBitmap(previous);
}

void deleteBitmap(BitmapHandle bitmap) {
    if (!bitmap) return;
    HBITMAP object = nativeBitmap(bitmap);
    auto live = frames.live.find(object);
    // GDI refuses to delete a selected bitmap; one still selected is not kept either.
    const bool selected =
        painting.memoryDC && GetCurrentObject(painting.memoryDC, OBJ_BITMAP) == object;
    if (live == frames.live.end() || selected) {
        if (live != frames.live.end()) frames.live.erase(live);
        DeleteObject(object);
        return;
    }
    if (frames.kept.size() == 2) {
        DeleteObject(frames.kept.front().first);
        frames.kept.erase(frames.kept.begin());
    }
    frames.kept.emplace_back(object, std::move(live->second));
    frames.live.erase(live);
}

bool frameBitmapStillFits(WindowHandle, BitmapHandle bitmap) {
    BITMAP info = {};
    if (!bitmap || !GetObjectW(nativeBitmap(bitmap), sizeof info, &info)) return false;
    // A frame is made with scale x scale device pixels for each of its pixels.
    return info.bmWidth == frameWidth * frameScale();
}

void paintWindowNow(WindowHandle window) {
    HWND hwnd = nativeWindow(window);
    if (GetUpdateRect(hwnd, nullptr, FALSE)) {
        // Something else wants a part of the window: one WM_PAINT, now, does both.
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        return;
    }
    // Nothing else does: the window shows the last frame, so the paint copies only what the
    // key changed, on the window's own context. A WM_PAINT's update region and caret would
    // each cost a round trip to the window system (the wineserver, under Wine) before the key
    // shows. The paint is still sent as WM_PAINT, so it takes the same way to the game.
    painting.onlyChanges = true;
    painting.direct = true;
    SendMessageW(hwnd, WM_PAINT, 0, 0);
    painting.direct = false;
    painting.onlyChanges = false;
}

namespace {

// Where frame differs from the one just before it (from the top): the areas its bits may have
// changed in, and the boxes of the texts not the same at the same place in the drawing order.
// False when that is not known.
bool changedSinceShown(const FrameRecord& frame, int height, std::vector<RECT>& areas) {
    if (shown.frame == 0 || frame.frame != shown.frame + 1 || !frames.known[0]) return false;
    const FrameBitsChanges& changes = frames.changes[0];
    for (int i = 0; i < changes.count; ++i) {
        const FrameBitsChanges::Area& a = changes.areas[i];
        areas.push_back(RECT{a.left, height - a.top, a.right, height - a.bottom});
    }
    const size_t count = std::max(shown.texts.size(), frame.texts.size());
    for (size_t i = 0; i < count; ++i) {
        const TextMark* before = i < shown.texts.size() ? &shown.texts[i] : nullptr;
        const TextMark* after = i < frame.texts.size() ? &frame.texts[i] : nullptr;
        if (before && after && *before == *after) continue;
        if (before) areas.push_back(before->box);
        if (after) areas.push_back(after->box);
    }
    return true;
}

}  // namespace

void copyFrameToWindow(DeviceContext paintDC, DeviceContext memoryDC, int width, int height) {
    const int scale = frameScale();
    HDC memory = nativeDC(memoryDC);
    auto live = frames.live.find(static_cast<HBITMAP>(GetCurrentObject(memory, OBJ_BITMAP)));
    const FrameRecord* frame = live != frames.live.end() ? &live->second : nullptr;
    std::vector<RECT> areas;
    if (painting.onlyChanges && scale == 1 && frame &&
        (frame->frame == shown.frame || changedSinceShown(*frame, frameHeight, areas))) {
        // Under Wine every pixel copied goes to the X server: a key changes a few rows.
        for (const RECT& area : areas) {
            const LONG left = std::max(area.left, LONG{0});
            const LONG top = std::max(area.top, LONG{0});
            const LONG right = std::min(area.right, LONG{width});
            const LONG bottom = std::min(area.bottom, LONG{height});
            if (left < right && top < bottom) {
                BitBlt(nativeDC(paintDC), left, top, right - left, bottom - top, memory, left, top,
                       SRCCOPY);
            }
        }
    } else {
        BitBlt(nativeDC(paintDC), 0, 0, width * scale, height * scale, memory, 0, 0, SRCCOPY);
    }
    shown.frame = frame && width == frameWidth && height == frameHeight ? frame->frame : 0;
    shown.texts = frame ? frame->texts : std::vector<TextMark>{};
}

// --- Text ----------------------------------------------------------------------------------

FontHandle createFont(int height, int charSet, const char* faceName) {
    auto* font = new NativeFont;
    font->height = height;
    font->charSet = charSet;
    font->face = wideFromCp932(faceName);
    font->scale = frameScale();
    font->object = makeFontObject(*font);
    if (!font->object) {
        delete font;
        return nullptr;
    }
    return font;
}

FontHandle selectFont(DeviceContext memoryDC, FontHandle font) {
    // A new context starts with the system font; a null font puts it back.
    HGDIOBJ object = font ? static_cast<HGDIOBJ>(font->object) : GetStockObject(SYSTEM_FONT);
    SelectObject(nativeDC(memoryDC), object);
    NativeFont* previous = painting.selectedFont;
    painting.selectedFont = font;
    keepSelectedFontAtScale(nativeDC(memoryDC));
    return previous;
}

void deleteFont(FontHandle font) {
    // GDI must not delete a selected font; the game selects the default one back first.
    if (!font || font == painting.selectedFont) return;
    DeleteObject(font->object);
    delete font;
}

void setTransparentText(DeviceContext memoryDC) { SetBkMode(nativeDC(memoryDC), TRANSPARENT); }

void setTextColour(DeviceContext memoryDC, uint32_t colour) {
    SetTextColor(nativeDC(memoryDC), colour);
}

int measureText(DeviceContext memoryDC, const char* text) {
    std::wstring wide = wideFromCp932(text);
    if (wide.empty()) return 0;
    keepSelectedFontAtScale(nativeDC(memoryDC));
    SIZE size = {};
    if (!GetTextExtentPoint32W(nativeDC(memoryDC), wide.c_str(), static_cast<int>(wide.size()),
                               &size)) {
        return 0;
    }
    return framePixels(size.cx, frameScale());
}

void drawText(DeviceContext memoryDC, int x, int y, const char* text) {
    std::wstring wide = wideFromCp932(text);
    if (wide.empty()) return;
    keepSelectedFontAtScale(nativeDC(memoryDC));
    const int scale = frameScale();
    HDC dc = nativeDC(memoryDC);
    TextOutW(dc, x * scale, y * scale, wide.c_str(), static_cast<int>(wide.size()));
    // The rows it may have touched, a little more for the smoothing at its edges.
    auto live = frames.live.find(static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP)));
    SIZE size = {};
    if (live != frames.live.end() &&
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size)) {
        TextMark mark;
        mark.x = x;
        mark.y = y;
        if (const NativeFont* font = painting.selectedFont) {
            mark.fontHeight = font->height;
            mark.charSet = font->charSet;
            mark.face = font->face;
        }
        mark.colour = GetTextColor(dc);
        mark.backgroundMode = GetBkMode(dc);
        mark.background = GetBkColor(dc);
        mark.box = RECT{x - 2, y - 2, x + static_cast<LONG>(size.cx) + 2,
                        y + static_cast<LONG>(size.cy) + 2};
        mark.text = std::move(wide);
        live->second.texts.push_back(std::move(mark));
    }
}

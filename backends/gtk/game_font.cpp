// The fontconfig rule that gives "ＭＳ ゴシック" its Linux stand-in, and the frame's text
// context.
#include "backends/gtk/game_font.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

namespace {

// A strong binding puts IPAGothic ahead of every family the locale's language would prefer,
// so the widths do not depend on LANG.
constexpr char gameFontRule[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <match target="pattern">
    <test name="family" qual="any"><string>ＭＳ ゴシック</string></test>
    <edit name="family" mode="prepend" binding="strong"><string>IPAGothic</string></edit>
  </match>
</fontconfig>
)";

struct FontSetup {
    bool installed = false;
};

FontSetup fontSetup;

}  // namespace

void installGameFontRule() {
    if (fontSetup.installed) return;
    fontSetup.installed = true;
    if (!FcInit()) return;
    FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(),
                                   reinterpret_cast<const FcChar8*>(gameFontRule), FcFalse);
}

PangoContext* createFrameTextContext() {
    installGameFontRule();
    PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    return context;
}

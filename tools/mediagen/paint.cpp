#include "paint.h"

#include "noise.h"

#include <algorithm>
#include <cmath>

namespace tb::media {

void noiseFill(Image& image, PixelRect area, Rgb base, float amount, int cells,
               std::uint32_t seed) {
    for (int y = 0; y < area.h; ++y) {
        for (int x = 0; x < area.w; ++x) {
            const float n = tilingFractal(static_cast<float>(x) * cells / area.w,
                                          static_cast<float>(y) * cells / area.w, cells, 4, seed);
            const double f = 1.0 + (n - 0.5) * 2.0 * amount;
            image.at(area.x + x, area.y + y) = shade(base, f);
        }
    }
}

PartScope::PartScope(cairo_t* cr, PixelRect part) : cr_(cr) {
    cairo_save(cr);
    cairo_rectangle(cr, part.x, part.y, part.w, part.h);
    cairo_clip(cr);
    cairo_translate(cr, part.x, part.y);
}

PartScope::~PartScope() {
    cairo_restore(cr_);
}

void keepBlackOpaque(Image& image) {
    for (Rgb& p : image.pixels) {
        if (p.r == 0 && p.g == 0 && p.b == 0) {
            p = {12, 9, 6};
        }
    }
}

void cutOut(cairo_t* cr) {
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_fill(cr);
    cairo_restore(cr);
}

void paintJeepneySide(cairo_t* cr, double w, double h, const Livery& livery) {
    const Rgb chrome{205, 210, 215};
    // Lower panel in the livery colour, window band above, chrome trims between.
    fillRect(cr, 0, 0, w, h, livery.body);
    const double windowTop = h * 0.05, windowBottom = h * 0.44;
    fillRect(cr, 0, 0, w, h * 0.045, chrome);
    fillRect(cr, 0, windowBottom, w, h * 0.06, chrome);
    fillRect(cr, 0, h * 0.965, w, h * 0.035, chrome);
    // Open windows between the roof posts, passengers' heads inside.
    const int windows = 7;
    const double post = w * 0.018;
    const double span = (w - post) / windows;
    for (int i = 0; i < windows; ++i) {
        const double x = post + i * span;
        fillRect(cr, x, windowTop, span - post, windowBottom - windowTop, {34, 30, 32});
        fillRect(cr, x, windowBottom - (windowBottom - windowTop) * 0.3, span - post,
                 (windowBottom - windowTop) * 0.3, {70, 52, 40});
        if (i % 2 == 1 || i == 4) {
            setColour(cr, {92, 64, 46});
            cairo_arc(cr, x + span * (0.35 + 0.1 * (i % 3)),
                      windowTop + (windowBottom - windowTop) * 0.55,
                      (windowBottom - windowTop) * 0.2, 0, 2 * M_PI);
            cairo_fill(cr);
            fillRect(cr, x + span * (0.2 + 0.1 * (i % 3)),
                     windowBottom - (windowBottom - windowTop) * 0.28, span * 0.32,
                     (windowBottom - windowTop) * 0.28, shade(livery.accent, 0.7));
        }
    }
    // Sweeping stripes along the panel.
    const double panelTop = windowBottom + h * 0.06;
    setColour(cr, livery.stripe);
    cairo_move_to(cr, 0, panelTop + h * 0.05);
    cairo_curve_to(cr, w * 0.3, panelTop + h * 0.02, w * 0.6, panelTop + h * 0.2, w,
                   panelTop + h * 0.08);
    cairo_line_to(cr, w, panelTop + h * 0.14);
    cairo_curve_to(cr, w * 0.6, panelTop + h * 0.27, w * 0.3, panelTop + h * 0.09, 0,
                   panelTop + h * 0.11);
    cairo_close_path(cr);
    cairo_fill(cr);
    setColour(cr, livery.accent);
    cairo_move_to(cr, 0, h * 0.86);
    cairo_curve_to(cr, w * 0.35, h * 0.8, w * 0.65, h * 0.93, w, h * 0.84);
    cairo_line_to(cr, w, h * 0.9);
    cairo_curve_to(cr, w * 0.65, h * 0.99, w * 0.35, h * 0.86, 0, h * 0.92);
    cairo_close_path(cr);
    cairo_fill(cr);
    // The jeepney's name in big letters, and its route below.
    outlinedText(cr, "TRUNDLEBAY", w / 2, h * 0.79, h * 0.26, livery.accent, {25, 20, 20},
                 h * 0.03);
    centredText(cr, "BAYAN - PALENGKE", w * 0.16, h * 0.64, h * 0.08, true, livery.stripe);
    centredText(cr, "BAYAN - PALENGKE", w * 0.84, h * 0.64, h * 0.08, true, livery.stripe);
}

} // namespace tb::media

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

// The panel spans the cab from its sill to the roof: windows over the top 42 %, the name
// below them (clear of the flare over the rear wheel), sweeping stripes along the bottom.
void paintJeepneySide(cairo_t* cr, double w, double h, const Livery& livery) {
    const Rgb chrome{205, 210, 215};
    fillRect(cr, 0, 0, w, h, livery.body);
    const double windowTop = h * 0.04, windowBottom = h * 0.42;
    fillRect(cr, 0, 0, w, windowTop, chrome);
    fillRect(cr, 0, windowBottom, w, h * 0.05, chrome);
    fillRect(cr, 0, h * 0.96, w, h * 0.04, chrome);
    // Open windows between the roof posts, passengers' heads inside.
    const int windows = 7;
    const double post = w * 0.018;
    const double span = (w - post) / windows;
    const double band = windowBottom - windowTop;
    for (int i = 0; i < windows; ++i) {
        const double x = post + i * span;
        fillRect(cr, x, windowTop, span - post, band, {34, 30, 32});
        fillRect(cr, x, windowBottom - band * 0.3, span - post, band * 0.3, {70, 52, 40});
        if (i % 2 == 1 || i == 4) {
            const double headX = x + span * (0.35 + 0.1 * (i % 3));
            setColour(cr, {92, 64, 46});
            cairo_arc(cr, headX, windowTop + band * 0.5, band * 0.2, 0, 2 * M_PI);
            cairo_fill(cr);
            fillRect(cr, headX - span * 0.16, windowBottom - band * 0.3, span * 0.32, band * 0.3,
                     shade(livery.accent, 0.7));
        }
    }
    // The jeepney's name, and its route at both ends.
    outlinedText(cr, "TRUNDLEBAY", w / 2, h * 0.685, h * 0.2, livery.accent, {25, 20, 20},
                 h * 0.025);
    centredText(cr, "BAYAN - PALENGKE", w * 0.12, h * 0.64, h * 0.09, true, livery.stripe);
    centredText(cr, "BAYAN - PALENGKE", w * 0.88, h * 0.64, h * 0.09, true, livery.stripe);
    // Sweeping stripes along the lower panel.
    setColour(cr, livery.stripe);
    cairo_move_to(cr, 0, h * 0.76);
    cairo_curve_to(cr, w * 0.3, h * 0.72, w * 0.6, h * 0.84, w, h * 0.75);
    cairo_line_to(cr, w, h * 0.8);
    cairo_curve_to(cr, w * 0.6, h * 0.9, w * 0.3, h * 0.78, 0, h * 0.81);
    cairo_close_path(cr);
    cairo_fill(cr);
    setColour(cr, livery.accent);
    cairo_move_to(cr, 0, h * 0.86);
    cairo_curve_to(cr, w * 0.35, h * 0.82, w * 0.65, h * 0.93, w, h * 0.85);
    cairo_line_to(cr, w, h * 0.9);
    cairo_curve_to(cr, w * 0.65, h * 0.97, w * 0.35, h * 0.87, 0, h * 0.91);
    cairo_close_path(cr);
    cairo_fill(cr);
}

} // namespace tb::media

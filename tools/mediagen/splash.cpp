// "splash.jpg": the launcher's 640 x 480 title picture. The launcher lays its controls along
// the top 24 pixels and its Start button at the bottom right, so the title sits below the
// first and the jeepney clear of the second.
#include "canvas.h"
#include "image_writers.h"
#include "media_set.h"
#include "noise.h"
#include "paint.h"

#include <cmath>

namespace tb::media {
namespace {

constexpr int Width = 640;
constexpr int Height = 480;
constexpr double Horizon = 300;

void paintSky(cairo_t* cr) {
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, Horizon);
    cairo_pattern_add_color_stop_rgb(sky, 0.0, 0.16, 0.42, 0.8);
    cairo_pattern_add_color_stop_rgb(sky, 1.0, 0.85, 0.92, 0.95);
    cairo_set_source(cr, sky);
    cairo_rectangle(cr, 0, 0, Width, Horizon);
    cairo_fill(cr);
    cairo_pattern_destroy(sky);
    // The afternoon sun and a few clouds.
    setColour(cr, {255, 240, 180});
    cairo_arc(cr, 530, 110, 34, 0, 2 * M_PI);
    cairo_fill(cr);
    Rng rng(801);
    for (int c = 0; c < 5; ++c) {
        const double cx = 60 + c * 130 + rng.range(-20, 20), cy = 190 + rng.range(-25, 25);
        for (int puff = 0; puff < 5; ++puff) {
            setColour(cr, {250, 250, 252}, 0.9);
            cairo_arc(cr, cx + puff * 16 - 32, cy - std::sin(puff * 0.8) * 10, 14 + (puff % 2) * 6,
                      0, 2 * M_PI);
            cairo_fill(cr);
        }
    }
}

void paintLand(cairo_t* cr) {
    // Blue mountains, green hills, the field and a line of coconut palms.
    setColour(cr, {110, 140, 175});
    cairo_move_to(cr, 0, Horizon);
    for (int x = 0; x <= Width; x += 8) {
        cairo_line_to(cr, x, Horizon - 40 - 28 * std::sin(x * 0.011) - 12 * std::sin(x * 0.037));
    }
    cairo_line_to(cr, Width, Horizon);
    cairo_fill(cr);
    setColour(cr, {70, 130, 70});
    cairo_move_to(cr, 0, Horizon);
    for (int x = 0; x <= Width; x += 8) {
        cairo_line_to(cr, x, Horizon - 14 - 10 * std::sin(x * 0.02 + 1));
    }
    cairo_line_to(cr, Width, Horizon);
    cairo_fill(cr);
    fillRect(cr, 0, Horizon, Width, Height - Horizon, {96, 156, 64});
    for (int i = 0; i < 9; ++i) {
        const double x = 30 + i * 75, foot = Horizon + 4, top = Horizon - 70 - (i % 3) * 12;
        setColour(cr, {90, 70, 50});
        cairo_set_line_width(cr, 4);
        cairo_move_to(cr, x, foot);
        cairo_curve_to(cr, x, foot - 30, x + 8, top + 10, x + 10, top);
        cairo_stroke(cr);
        setColour(cr, {40, 100, 40});
        for (int f = 0; f < 7; ++f) {
            const double a = -M_PI + f * M_PI / 6;
            cairo_move_to(cr, x + 10, top);
            cairo_curve_to(cr, x + 10 + std::cos(a) * 14, top - 10, x + 10 + std::cos(a) * 28, top,
                           x + 10 + std::cos(a) * 32, top + 14);
            cairo_set_line_width(cr, 3);
            cairo_stroke(cr);
        }
    }
    // A hut on stilts and a grazing carabao beyond the road.
    for (const double x : {410.0, 430.0, 470.0, 490.0}) {
        fillRect(cr, x, 282, 4, 36, {150, 140, 70});
    }
    fillRect(cr, 404, 262, 94, 22, {210, 180, 120});
    fillRect(cr, 440, 266, 14, 18, {70, 45, 30});
    setColour(cr, {150, 118, 70});
    cairo_move_to(cr, 392, 266);
    cairo_line_to(cr, 451, 222);
    cairo_line_to(cr, 510, 266);
    cairo_close_path(cr);
    cairo_fill(cr);
    setColour(cr, {70, 68, 74});
    cairo_save(cr);
    cairo_translate(cr, 560, 326);
    cairo_scale(cr, 1.0, 0.55);
    cairo_arc(cr, 0, 0, 26, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    fillRect(cr, 540, 330, 5, 18, {70, 68, 74});
    fillRect(cr, 574, 330, 5, 18, {70, 68, 74});
    cairo_arc(cr, 590, 322, 9, 0, 2 * M_PI);
    cairo_fill(cr);
    setColour(cr, {190, 180, 160});
    cairo_set_line_width(cr, 3);
    cairo_arc(cr, 590, 312, 12, M_PI * 1.05, M_PI * 1.95);
    cairo_stroke(cr);
    // The road with its centre line.
    fillRect(cr, 0, 360, Width, 76, {80, 82, 86});
    fillRect(cr, 0, 356, Width, 4, {230, 230, 220});
    fillRect(cr, 0, 436, Width, 4, {230, 230, 220});
    for (int x = 0; x < Width; x += 64) {
        fillRect(cr, x, 396, 34, 4, {240, 240, 230});
    }
}

void wheel(cairo_t* cr, double x, double y, double r) {
    setColour(cr, {25, 25, 28});
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    setColour(cr, {190, 30, 30});
    cairo_arc(cr, x, y, r * 0.66, 0, 2 * M_PI);
    cairo_fill(cr);
    setColour(cr, {225, 228, 232});
    cairo_arc(cr, x, y, r * 0.5, 0, 2 * M_PI);
    cairo_fill(cr);
}

// A blue jeepney from the side, facing right, its rear axle at (x, road).
void paintJeepney(cairo_t* cr, double x, double road) {
    const double u = 36; // pixels per world unit
    const Livery& blue = Liveries[0];
    const auto px = [&](double z) { return x + z * u; };
    const auto py = [&](double y) { return road - y * u; };
    setColour(cr, {20, 20, 20}, 0.25);
    cairo_save(cr);
    cairo_translate(cr, px(2.6), road + 2);
    cairo_scale(cr, 1.0, 0.08);
    cairo_arc(cr, 0, 0, 4.9 * u, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
    fillRect(cr, px(-1.9), py(1.0), 8.9 * u, 0.45 * u, {30, 30, 32});
    cairo_save(cr);
    cairo_translate(cr, px(-2.1), py(2.85));
    paintJeepneySide(cr, 6.65 * u, 1.85 * u, blue);
    cairo_restore(cr);
    fillRect(cr, px(-2.15), py(3.08), 7.0 * u, 0.23 * u, blue.body);
    fillRect(cr, px(4.4), py(3.45), 0.22 * u, 0.37 * u, {250, 248, 238});
    // Bonnet, grille, fenders, bumper, the chrome horse and an antenna with its pennant.
    setColour(cr, blue.body);
    cairo_move_to(cr, px(4.55), py(1.0));
    cairo_line_to(cr, px(4.55), py(1.92));
    cairo_line_to(cr, px(7.05), py(1.72));
    cairo_line_to(cr, px(7.05), py(1.0));
    cairo_fill(cr);
    fillRect(cr, px(4.55), py(1.62), 2.5 * u, 0.14 * u, blue.stripe);
    fillRect(cr, px(6.95), py(1.7), 0.12 * u, 0.7 * u, {220, 222, 226});
    fillRect(cr, px(5.3), py(1.55), 1.7 * u, 0.5 * u, blue.body);
    fillRect(cr, px(5.3), py(1.55), 1.7 * u, 0.09 * u, {230, 232, 236});
    fillRect(cr, px(-0.85), py(1.44), 1.7 * u, 0.24 * u, blue.body);
    fillRect(cr, px(7.05), py(1.05), 0.35 * u, 0.35 * u, {220, 222, 226});
    fillRect(cr, px(6.5), py(2.2), 0.08 * u, 0.5 * u, {220, 222, 226});
    fillRect(cr, px(6.3), py(2.2), 0.5 * u, 0.12 * u, {220, 222, 226});
    fillRect(cr, px(6.78), py(3.9), 0.04 * u, 2.35 * u, {200, 200, 205});
    setColour(cr, blue.accent);
    cairo_move_to(cr, px(6.8), py(3.9));
    cairo_line_to(cr, px(6.2), py(3.75));
    cairo_line_to(cr, px(6.8), py(3.6));
    cairo_fill(cr);
    fillRect(cr, px(4.45), py(2.45), 0.14 * u, 0.5 * u, {30, 30, 34});
    wheel(cr, px(0), py(0.66), 0.66 * u);
    wheel(cr, px(6.14), py(0.66), 0.66 * u);
}

void paintTitle(cairo_t* cr) {
    outlinedText(cr, "TRUNDLEBAY", Width / 2.0, 118, 76, {250, 204, 40}, {150, 20, 30}, 10);
    outlinedText(cr, "TRUNDLEBAY", Width / 2.0, 118, 76, {250, 204, 40}, {255, 255, 255}, 3);
    outlinedText(cr, "Village Jeepney Race", Width / 2.0, 162, 30, {255, 255, 255}, {30, 60, 140},
                 5);
}

} // namespace

bool writeSplash(const std::string& folder) {
    Canvas c(Width, Height);
    cairo_t* cr = c.cr();
    paintSky(cr);
    paintLand(cr);
    paintJeepney(cr, 130, 420);
    paintTitle(cr);
    return writeJpeg(folder + "/splash.jpg", c.image(), 90);
}

} // namespace tb::media

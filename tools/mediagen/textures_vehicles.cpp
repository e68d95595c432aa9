// The jeepney's four liveries (one layout, see texture_layouts.h) and the wheel.
#include "image_writers.h"
#include "noise.h"
#include "paint.h"
#include "texture_painters.h"

#include <cmath>

namespace tb::media {
namespace {

const Rgb ChromeLight{232, 236, 240};
const Rgb ChromeDark{120, 126, 134};
const Rgb Underbody{28, 28, 30};

void chromeGradient(cairo_t* cr, double w, double h) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(g, 0.0, 0.95, 0.96, 0.97);
    cairo_pattern_add_color_stop_rgb(g, 0.45, 0.62, 0.65, 0.7);
    cairo_pattern_add_color_stop_rgb(g, 0.55, 0.85, 0.87, 0.9);
    cairo_pattern_add_color_stop_rgb(g, 1.0, 0.5, 0.52, 0.56);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void paintGrille(cairo_t* cr, const Livery& l) {
    const double w = jeepney::Grille.w, h = jeepney::Grille.h;
    fillRect(cr, 0, 0, w, h, l.body);
    cairo_save(cr);
    cairo_rectangle(cr, w * 0.22, h * 0.12, w * 0.56, h * 0.78);
    cairo_clip(cr);
    chromeGradient(cr, w, h);
    cairo_restore(cr);
    for (int i = 0; i < 9; ++i) {
        fillRect(cr, w * 0.24 + i * w * 0.06, h * 0.16, w * 0.022, h * 0.7, {60, 62, 66});
    }
    // Round headlamps in chrome rings, amber parking lamps under them.
    for (const double x : {w * 0.11, w * 0.89}) {
        setColour(cr, ChromeLight);
        cairo_arc(cr, x, h * 0.42, h * 0.22, 0, 2 * M_PI);
        cairo_fill(cr);
        setColour(cr, {255, 250, 215});
        cairo_arc(cr, x, h * 0.42, h * 0.16, 0, 2 * M_PI);
        cairo_fill(cr);
        fillRect(cr, x - w * 0.05, h * 0.74, w * 0.1, h * 0.1, {250, 150, 20});
    }
    centredText(cr, "TB", w / 2, h * 0.62, h * 0.3, true, l.accent);
}

void paintWindshield(cairo_t* cr) {
    const double w = jeepney::Windshield.w, h = jeepney::Windshield.h;
    fillRect(cr, 0, 0, w, h, {35, 35, 38});
    for (const double x : {w * 0.04, w * 0.52}) {
        cairo_pattern_t* g = cairo_pattern_create_linear(0, h * 0.2, 0, h);
        cairo_pattern_add_color_stop_rgb(g, 0, 0.72, 0.82, 0.9);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.25, 0.3, 0.36);
        cairo_set_source(cr, g);
        cairo_rectangle(cr, x, h * 0.2, w * 0.44, h * 0.72);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
    fillRect(cr, 0, 0, w, h * 0.2, {240, 240, 235});
    centredText(cr, "GOD BLESS OUR TRIP", w / 2, h * 0.15, h * 0.12, true, {190, 30, 30});
}

void paintRear(cairo_t* cr, const Livery& l) {
    const double w = jeepney::Rear.w, h = jeepney::Rear.h;
    fillRect(cr, 0, 0, w, h, l.body);
    fillRect(cr, 0, 0, w, h * 0.05, ChromeLight);
    // The open back: benches along both sides lead the eye into the cab.
    fillRect(cr, w * 0.28, h * 0.1, w * 0.44, h * 0.86, {30, 26, 26});
    setColour(cr, {80, 50, 35});
    cairo_move_to(cr, w * 0.28, h * 0.62);
    cairo_line_to(cr, w * 0.4, h * 0.5);
    cairo_line_to(cr, w * 0.4, h * 0.58);
    cairo_line_to(cr, w * 0.28, h * 0.75);
    cairo_fill(cr);
    cairo_move_to(cr, w * 0.72, h * 0.62);
    cairo_line_to(cr, w * 0.6, h * 0.5);
    cairo_line_to(cr, w * 0.6, h * 0.58);
    cairo_line_to(cr, w * 0.72, h * 0.75);
    cairo_fill(cr);
    // Grab rails, tail lamps, plate.
    fillRect(cr, w * 0.26, h * 0.1, w * 0.025, h * 0.86, ChromeLight);
    fillRect(cr, w * 0.715, h * 0.1, w * 0.025, h * 0.86, ChromeLight);
    for (const double x : {w * 0.04, w * 0.84}) {
        fillRect(cr, x, h * 0.62, w * 0.12, h * 0.16, {200, 20, 20});
        fillRect(cr, x, h * 0.79, w * 0.12, h * 0.07, {250, 150, 20});
    }
    fillRect(cr, w * 0.04, h * 0.18, w * 0.2, h * 0.32, l.stripe);
    fillRect(cr, w * 0.76, h * 0.18, w * 0.2, h * 0.32, l.stripe);
    centredText(cr, "BAYAD", w * 0.14, h * 0.39, h * 0.09, true, l.body);
    centredText(cr, "PO", w * 0.86, h * 0.39, h * 0.09, true, l.body);
    fillRect(cr, w * 0.02, h * 0.88, w * 0.24, h * 0.1, {245, 245, 240});
    centredText(cr, "TBY 264", w * 0.14, h * 0.96, h * 0.08, true, {20, 90, 40});
}

// Seen from above: the livery roof with a luggage rack and the day's cargo on it. The chase
// camera looks down on the roof of the jeepney ahead, and at the start on the one below it.
void paintRoof(cairo_t* cr, const Livery& l) {
    const double w = jeepney::Roof.w, h = jeepney::Roof.h;
    fillRect(cr, 0, 0, w, h, shade(l.body, 0.9));
    fillRect(cr, 0, 0, w * 0.06, h, l.stripe);
    fillRect(cr, w * 0.94, 0, w * 0.06, h, l.stripe);
    // Rack rails along the roof and cross bars between them.
    for (const double x : {w * 0.12, w * 0.86}) {
        fillRect(cr, x, h * 0.04, w * 0.02, h * 0.92, ChromeLight);
    }
    for (int i = 0; i < 8; ++i) {
        fillRect(cr, w * 0.12, h * (0.06 + 0.12 * i), w * 0.76, h * 0.02, ChromeDark);
    }
    // Sacks of rice, a crate of bottles and a basket of vegetables.
    const auto sack = [&](double x, double y) {
        setColour(cr, {215, 200, 160});
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1.0, 0.6);
        cairo_arc(cr, 0, 0, h * 0.12, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_fill(cr);
    };
    sack(w * 0.3, h * 0.3);
    sack(w * 0.45, h * 0.33);
    sack(w * 0.36, h * 0.45);
    fillRect(cr, w * 0.58, h * 0.55, w * 0.18, h * 0.22, {200, 40, 40});
    for (int i = 0; i < 4; ++i) {
        fillRect(cr, w * (0.6 + 0.04 * i), h * 0.58, w * 0.025, h * 0.16, {60, 120, 60});
    }
    setColour(cr, {150, 110, 60});
    cairo_arc(cr, w * 0.28, h * 0.78, h * 0.1, 0, 2 * M_PI);
    cairo_fill(cr);
    setColour(cr, {90, 160, 60});
    cairo_arc(cr, w * 0.28, h * 0.78, h * 0.06, 0, 2 * M_PI);
    cairo_fill(cr);
}

void paintHoodTop(cairo_t* cr, const Livery& l) {
    const double w = jeepney::HoodTop.w, h = jeepney::HoodTop.h;
    fillRect(cr, 0, 0, w, h, l.body);
    fillRect(cr, w * 0.44, 0, w * 0.12, h, l.stripe);
    fillRect(cr, w * 0.47, 0, w * 0.06, h, ChromeLight);
    for (const double x : {w * 0.18, w * 0.74}) {
        for (int i = 0; i < 5; ++i) {
            fillRect(cr, x, h * (0.2 + 0.1 * i), w * 0.08, h * 0.04, shade(l.body, 0.55));
        }
    }
}

void paintHoodSide(cairo_t* cr, const Livery& l) {
    const double w = jeepney::HoodSide.w, h = jeepney::HoodSide.h;
    fillRect(cr, 0, 0, w, h, l.body);
    fillRect(cr, 0, h * 0.3, w, h * 0.16, l.stripe);
    fillRect(cr, 0, h * 0.82, w, h * 0.18, ChromeDark);
    for (int i = 0; i < 6; ++i) {
        fillRect(cr, w * (0.35 + 0.05 * i), h * 0.52, w * 0.025, h * 0.24, shade(l.body, 0.5));
    }
}

void paintFender(cairo_t* cr, const Livery& l) {
    const double w = jeepney::Fender.w, h = jeepney::Fender.h;
    fillRect(cr, 0, 0, w, h, l.body);
    fillRect(cr, 0, 0, w, h * 0.18, ChromeLight);
    fillRect(cr, 0, h * 0.45, w, h * 0.12, l.accent);
}

void paintSign(cairo_t* cr, const Livery& l) {
    const double w = jeepney::Sign.w, h = jeepney::Sign.h;
    fillRect(cr, 0, 0, w, h, {250, 248, 238});
    setColour(cr, l.body);
    cairo_set_line_width(cr, 4);
    cairo_rectangle(cr, 2, 2, w - 4, h - 4);
    cairo_stroke(cr);
    centredText(cr, "BAYAN - PALENGKE", w / 2, h * 0.68, h * 0.5, true, {30, 30, 120});
}

Image jeepneyTexture(const Livery& l, int index) {
    using namespace jeepney;
    Image base(Texture.width, Texture.height, l.body);
    noiseFill(base, Dark, Underbody, 0.2f, 4, 300 + index);
    noiseFill(base, Seat, {90, 60, 40}, 0.25f, 8, 310);
    Canvas c(base);
    cairo_t* cr = c.cr();
    {
        PartScope part(cr, Side);
        paintJeepneySide(cr, Side.w, Side.h, l);
    }
    const auto painted = [&](PixelRect r, auto paint) {
        PartScope part(cr, r);
        paint();
    };
    painted(Grille, [&] { paintGrille(cr, l); });
    painted(Windshield, [&] { paintWindshield(cr); });
    painted(Rear, [&] { paintRear(cr, l); });
    painted(Roof, [&] { paintRoof(cr, l); });
    painted(HoodTop, [&] { paintHoodTop(cr, l); });
    painted(HoodSide, [&] { paintHoodSide(cr, l); });
    painted(Fender, [&] { paintFender(cr, l); });
    painted(Sign, [&] { paintSign(cr, l); });
    painted(Chrome, [&] { chromeGradient(cr, Chrome.w, Chrome.h); });
    painted(Paint, [&] { fillRect(cr, 0, 0, Paint.w, Paint.h, l.body); });
    return c.image();
}

// The hub as seen from the side (a radius of 0.66 fills the square) and the tread.
Image wheelTexture() {
    using namespace wheel;
    Image base(Texture.width, Texture.height, {24, 24, 26});
    noiseFill(base, Tread, {34, 34, 36}, 0.2f, 8, 401);
    Canvas c(base);
    cairo_t* cr = c.cr();
    {
        PartScope part(cr, Face);
        const double r = Face.w / 2.0, cx = r, cy = r;
        fillRect(cr, 0, 0, Face.w, Face.h, {22, 22, 24});
        setColour(cr, {44, 44, 46});
        cairo_arc(cr, cx, cy, r * 0.9, 0, 2 * M_PI);
        cairo_fill(cr);
        setColour(cr, {185, 30, 30});
        cairo_arc(cr, cx, cy, r * 0.68, 0, 2 * M_PI);
        cairo_fill(cr);
        setColour(cr, ChromeLight);
        cairo_arc(cr, cx, cy, r * 0.56, 0, 2 * M_PI);
        cairo_fill(cr);
        // Spokes show the wheel turning.
        for (int i = 0; i < 6; ++i) {
            const double a = i * M_PI / 3.0;
            cairo_move_to(cr, cx, cy);
            cairo_line_to(cr, cx + std::cos(a) * r * 0.55, cy + std::sin(a) * r * 0.55);
        }
        setColour(cr, ChromeDark);
        cairo_set_line_width(cr, r * 0.12);
        cairo_stroke(cr);
        setColour(cr, {60, 60, 64});
        cairo_arc(cr, cx, cy, r * 0.16, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    {
        PartScope part(cr, Tread);
        for (int i = 0; i < 20; ++i) {
            const double x = i * Tread.w / 20.0;
            fillRect(cr, x, 0, Tread.w / 40.0, Tread.h, {12, 12, 12});
        }
        fillRect(cr, 0, Tread.h * 0.47, Tread.w, Tread.h * 0.06, {12, 12, 12});
    }
    return c.image();
}

} // namespace

bool writeVehicleTextures(const std::string& folder) {
    for (int i = 0; i < 4; ++i) {
        const std::string name = folder + "/jeepney" + std::to_string(i + 1) + ".jpg";
        if (!writeJpeg(name, jeepneyTexture(Liveries[i], i))) {
            return false;
        }
    }
    return writeJpeg(folder + "/wheel.jpg", wheelTexture());
}

} // namespace tb::media

// "icon16.png" ... "icon256.png": the program's icon for desktop menus, a blue jeepney seen
// from the front on a sunny badge. It is drawn on a 256-unit grid and scaled to each size, with
// a transparent surround, so the install can hand each size to the desktop's icon theme.
#include "canvas.h"
#include "file_output.h"
#include "media_set.h"
#include "paint.h"

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tb::media {
namespace {

constexpr double Grid = 256;
constexpr int IconSizes[] = {16, 32, 48, 64, 128, 256};

const Livery& Blue = Liveries[0];
constexpr Rgb Chrome{222, 226, 232};
constexpr Rgb Tyre{24, 24, 28};
constexpr Rgb Glass{38, 58, 92};

struct SurfaceFree {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextFree {
    void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void fillRounded(cairo_t* cr, double x, double y, double w, double h, double r, Rgb c) {
    setColour(cr, c);
    roundedRect(cr, x, y, w, h, r);
    cairo_fill(cr);
}

void paintBadge(cairo_t* cr) {
    cairo_pattern_t* sun = cairo_pattern_create_linear(0, 8, 0, 248);
    cairo_pattern_add_color_stop_rgb(sun, 0.0, 1.0, 0.84, 0.26);
    cairo_pattern_add_color_stop_rgb(sun, 1.0, 0.93, 0.5, 0.12);
    cairo_set_source(cr, sun);
    roundedRect(cr, 8, 8, 240, 240, 44);
    cairo_fill(cr);
    cairo_pattern_destroy(sun);
}

// Whip antennas with pennants at the roof's corners, as jeepney drivers like them.
void paintAntennas(cairo_t* cr) {
    for (const double side : {-1.0, 1.0}) {
        const double foot = 128 + side * 92;
        setColour(cr, {60, 62, 70});
        cairo_set_line_width(cr, 4);
        cairo_move_to(cr, foot, 44);
        cairo_line_to(cr, foot + side * 6, 16);
        cairo_stroke(cr);
        setColour(cr, {200, 28, 34});
        cairo_move_to(cr, foot + side * 6, 16);
        cairo_line_to(cr, foot - side * 18, 24);
        cairo_line_to(cr, foot + side * 5, 32);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

void paintCab(cairo_t* cr) {
    fillRounded(cr, 44, 58, 168, 80, 10, Blue.body);
    fillRounded(cr, 26, 36, 204, 30, 12, Blue.body);
    fillRect(cr, 30, 54, 196, 7, Blue.accent);
    for (const double x : {56.0, 132.0}) {
        fillRounded(cr, x, 72, 68, 52, 6, Glass);
        setColour(cr, {150, 180, 220}, 0.7);
        cairo_set_line_width(cr, 5);
        cairo_move_to(cr, x + 12, 116);
        cairo_line_to(cr, x + 34, 80);
        cairo_stroke(cr);
    }
}

void paintHeadlight(cairo_t* cr, double x, double y) {
    setColour(cr, Chrome);
    cairo_arc(cr, x, y, 18, 0, 2 * M_PI);
    cairo_fill(cr);
    setColour(cr, {255, 246, 196});
    cairo_arc(cr, x, y, 12, 0, 2 * M_PI);
    cairo_fill(cr);
}

void paintFront(cairo_t* cr) {
    fillRounded(cr, 46, 192, 34, 46, 8, Tyre);
    fillRounded(cr, 176, 192, 34, 46, 8, Tyre);
    fillRounded(cr, 32, 146, 192, 62, 18, Blue.body);
    fillRect(cr, 32, 150, 192, 8, Blue.stripe);
    fillRounded(cr, 82, 118, 92, 90, 10, Blue.body);
    fillRounded(cr, 94, 132, 68, 66, 6, Chrome);
    for (int bar = 0; bar < 5; ++bar) {
        fillRect(cr, 102 + bar * 12, 138, 5, 54, {90, 94, 104});
    }
    paintHeadlight(cr, 57, 178);
    paintHeadlight(cr, 199, 178);
    fillRounded(cr, 24, 206, 208, 16, 6, Chrome);
    // The chrome horse on the bonnet, reduced to a rearing wedge that still reads when small.
    setColour(cr, Chrome);
    cairo_move_to(cr, 116, 122);
    cairo_line_to(cr, 128, 98);
    cairo_line_to(cr, 140, 104);
    cairo_line_to(cr, 134, 122);
    cairo_close_path(cr);
    cairo_fill(cr);
}

cairo_status_t appendBytes(void* out, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(out);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

std::vector<std::uint8_t> paintIcon(int size) {
    const std::unique_ptr<cairo_surface_t, SurfaceFree> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size));
    const std::unique_ptr<cairo_t, ContextFree> cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), size / Grid, size / Grid);
    paintBadge(cr.get());
    paintAntennas(cr.get());
    paintCab(cr.get());
    paintFront(cr.get());
    cairo_surface_flush(surface.get());
    std::vector<std::uint8_t> png;
    if (cairo_surface_write_to_png_stream(surface.get(), appendBytes, &png) !=
        CAIRO_STATUS_SUCCESS) {
        png.clear();
    }
    return png;
}

} // namespace

bool writeIcons(const std::string& folder) {
    bool written = true;
    for (const int size : IconSizes) {
        const std::vector<std::uint8_t> png = paintIcon(size);
        written = !png.empty() &&
                  writeWholeFile(folder + "/icon" + std::to_string(size) + ".png", png) && written;
    }
    return written;
}

} // namespace tb::media

#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tb::media {
namespace {

constexpr const char* SignFace = "DejaVu Sans";

std::uint8_t channel(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

Canvas::Canvas(int width, int height)
    : width_(width), height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
      cr_(cairo_create(surface_)) {}

Canvas::Canvas(const Image& start) : Canvas(start.width, start.height) {
    cairo_surface_flush(surface_);
    unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int y = 0; y < height_; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width_; ++x) {
            const Rgb p = start.at(x, y);
            row[x] = 0xff000000u | (std::uint32_t{p.r} << 16) | (std::uint32_t{p.g} << 8) | p.b;
        }
    }
    cairo_surface_mark_dirty(surface_);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

Image Canvas::image() const {
    cairo_surface_flush(surface_);
    Image out(width_, height_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    for (int y = 0; y < height_; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width_; ++x) {
            const std::uint32_t p = row[x];
            out.at(x, y) = {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                            static_cast<std::uint8_t>(p)};
        }
    }
    return out;
}

void setColour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
}

Rgb mix(Rgb a, Rgb b, double t) {
    return {channel(a.r + (b.r - a.r) * t), channel(a.g + (b.g - a.g) * t),
            channel(a.b + (b.b - a.b) * t)};
}

Rgb shade(Rgb c, double factor) {
    return {channel(c.r * factor), channel(c.g * factor), channel(c.b * factor)};
}

void fillRect(cairo_t* cr, double x, double y, double w, double h, Rgb c) {
    setColour(cr, c);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

namespace {

void textPath(cairo_t* cr, const char* text, double cx, double y, double size, bool bold) {
    cairo_select_font_face(cr, SignFace, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    cairo_move_to(cr, cx - extents.width / 2 - extents.x_bearing, y);
    cairo_text_path(cr, text);
}

} // namespace

void centredText(cairo_t* cr, const char* text, double cx, double y, double size, bool bold,
                 Rgb c) {
    cairo_new_path(cr);
    textPath(cr, text, cx, y, size, bold);
    setColour(cr, c);
    cairo_fill(cr);
}

void outlinedText(cairo_t* cr, const char* text, double cx, double y, double size, Rgb fill,
                  Rgb outline, double outlineWidth) {
    cairo_new_path(cr);
    textPath(cr, text, cx, y, size, true);
    setColour(cr, outline);
    cairo_set_line_width(cr, outlineWidth);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    setColour(cr, fill);
    cairo_fill(cr);
}

} // namespace tb::media

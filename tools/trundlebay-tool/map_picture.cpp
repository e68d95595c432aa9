#include "map_picture.h"

#include "track/track_builder.h"

#include <cairo.h>

#include <algorithm>
#include <memory>
#include <string>

namespace tb::tool {
namespace {

constexpr double Pi = 3.14159265358979;
constexpr double LegendWidth = 250.0;
constexpr double LegendLine = 20.0;

struct Rgb {
    double r, g, b;
};

constexpr Rgb RoadColour{0.08, 0.08, 0.1};
constexpr Rgb ProblemColour{1.0, 0.1, 0.1};
constexpr Rgb OffPaletteColour{1.0, 0.0, 1.0};
constexpr Rgb WaypointColour{1.0, 1.0, 0.2};

struct SurfaceFree {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextFree {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

void setColour(cairo_t* cr, Rgb c) {
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

Rgb fromPixel(std::uint32_t colour) {
    return {((colour >> 16) & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
            (colour & 0xFF) / 255.0};
}

class Painter {
  public:
    Painter(cairo_t* cr, const MapCheck& check, double cell)
        : cr_(cr), check_(check), cell_(cell) {}

    void cells() {
        const TrackGrid& map = check_.map;
        for (int row = 0; row < map.height; ++row) {
            for (int column = 0; column < map.width; ++column) {
                setColour(cr_, colourAt(column, row));
                cairo_rectangle(cr_, column * cell_, row * cell_, cell_, cell_);
                cairo_fill(cr_);
            }
        }
    }

    // Each arm of a tile reaches the edge its road leads to, so a tile turned wrong shows.
    void tiles() {
        const TrackGrid& map = check_.map;
        for (int row = 0; row < map.height; ++row) {
            for (int column = 0; column < map.width; ++column) {
                const unsigned bits = check_.openings[index(column, row)];
                if (bits != 0) {
                    tile(column, row, bits, cellCode(map, {column, row}));
                }
            }
        }
    }

    void rampZones() {
        const TrackGrid& built = track.grid;
        cairo_set_source_rgba(cr_, 1.0, 0.55, 0.0, 0.3);
        for (int row = 0; row < built.height; ++row) {
            for (int column = 0; column < built.width; ++column) {
                if (cellCode(built, {column, row}) >= RampZone) {
                    cairo_rectangle(cr_, column * cell_, row * cell_, cell_, cell_);
                    cairo_fill(cr_);
                }
            }
        }
    }

    void waypoints() {
        if (track.waypointCount == 0) {
            return;
        }
        moveTo(track.startPoint, false);
        for (int i = 0; i < track.waypointCount; ++i) {
            moveTo(track.waypoints[static_cast<std::size_t>(i)], true);
        }
        cairo_close_path(cr_);
        cairo_set_source_rgba(cr_, WaypointColour.r, WaypointColour.g, WaypointColour.b, 0.6);
        cairo_set_line_width(cr_, std::max(1.0, cell_ / 16));
        cairo_stroke(cr_);
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr_, std::max(8.0, cell_ * 0.55));
        for (int i = 0; i < track.waypointCount; ++i) {
            const auto [x, y] = picture(track.waypoints[static_cast<std::size_t>(i)]);
            cairo_arc(cr_, x, y, std::max(5.0, cell_ * 0.4), 0, 2 * Pi);
            cairo_set_source_rgb(cr_, 0.1, 0.1, 0.1);
            cairo_fill(cr_);
            centredText(std::to_string(i), x, y, {1, 1, 1});
        }
    }

    void problems() {
        cairo_set_line_width(cr_, std::max(1.5, cell_ / 8));
        setColour(cr_, ProblemColour);
        for (const MapFinding& f : check_.findings) {
            if (f.column >= 0) {
                const double inset = cell_ * 0.08;
                cairo_rectangle(cr_, f.column * cell_ + inset, f.row * cell_ + inset,
                                cell_ - 2 * inset, cell_ - 2 * inset);
                cairo_stroke(cr_);
            }
        }
        setColour(cr_, OffPaletteColour);
        for (const Cell c : check_.offPalette) {
            cross(c.column, c.row);
        }
    }

    void legend(double left) {
        cairo_set_source_rgb(cr_, 0.12, 0.12, 0.12);
        cairo_rectangle(cr_, left, 0, LegendWidth, legendHeight());
        cairo_fill(cr_);
        cairo_select_font_face(cr_, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                               CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr_, 13);
        static const char* const names[] = {
            "0 open ground", "1 rough ground",  "2 very rough ground",
            "3 start arch",  "4 straight tile", "5 corner tile",
            "6 T tile",      "7 ramp",          "8 store",
            "9 wall",        "10 hut",          "11 carabao"};
        double y = 8;
        for (int code = 0; code < 12; ++code, y += LegendLine) {
            const bool inPalette = code < check_.map.width && !check_.colours.empty();
            if (inPalette) {
                setColour(cr_, fromPixel(check_.colours[static_cast<std::size_t>(code)]));
                cairo_rectangle(cr_, left + 8, y, 14, 14);
                cairo_fill(cr_);
            }
            label(left + 30, y, std::string(names[code]) + (inPalette ? "" : " (not in palette)"));
        }
        y += LegendLine / 2;
        setColour(cr_, RoadColour);
        cairo_rectangle(cr_, left + 8, y + 4, 14, 6);
        cairo_fill(cr_);
        label(left + 30, y, "road as the builder placed it");
        y += LegendLine;
        cairo_set_source_rgba(cr_, 1.0, 0.55, 0.0, 0.6);
        cairo_rectangle(cr_, left + 8, y, 14, 14);
        cairo_fill(cr_);
        label(left + 30, y, "jump zone");
        y += LegendLine;
        setColour(cr_, WaypointColour);
        cairo_arc(cr_, left + 15, y + 7, 6, 0, 2 * Pi);
        cairo_fill(cr_);
        label(left + 30, y, "waypoint, in driving order");
        y += LegendLine;
        cairo_set_line_width(cr_, 2);
        setColour(cr_, ProblemColour);
        cairo_rectangle(cr_, left + 9, y + 1, 12, 12);
        cairo_stroke(cr_);
        label(left + 30, y, "problem (see the report)");
        y += LegendLine;
        setColour(cr_, OffPaletteColour);
        cairo_move_to(cr_, left + 8, y);
        cairo_line_to(cr_, left + 22, y + 14);
        cairo_move_to(cr_, left + 22, y);
        cairo_line_to(cr_, left + 8, y + 14);
        cairo_stroke(cr_);
        label(left + 30, y, "colour not in the palette");
    }

    static double legendHeight() { return 8 + 17.5 * LegendLine; }

  private:
    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(check_.map.width) +
               static_cast<std::size_t>(column);
    }

    Rgb colourAt(int column, int row) const {
        return check_.colours.empty() ? Rgb{0.5, 0.5, 0.5}
                                      : fromPixel(check_.colours[index(column, row)]);
    }

    void tile(int column, int row, unsigned bits, int code) {
        const double cx = (column + 0.5) * cell_;
        const double cy = (row + 0.5) * cell_;
        const double half = cell_ * 0.2;
        setColour(cr_, code == RampTile ? Rgb{0.85, 0.5, 0.1} : RoadColour);
        cairo_rectangle(cr_, cx - half, cy - half, 2 * half, 2 * half);
        cairo_fill(cr_);
        const double reach = cell_ / 2;
        if (bits & TowardsPlusX) {
            cairo_rectangle(cr_, cx, cy - half, reach, 2 * half);
        }
        if (bits & TowardsMinusX) {
            cairo_rectangle(cr_, cx - reach, cy - half, reach, 2 * half);
        }
        if (bits & TowardsPlusZ) {
            cairo_rectangle(cr_, cx - half, cy, 2 * half, reach);
        }
        if (bits & TowardsMinusZ) {
            cairo_rectangle(cr_, cx - half, cy - reach, 2 * half, reach);
        }
        cairo_fill(cr_);
        if (code == StartArch) {
            cairo_set_source_rgb(cr_, 0.9, 0.1, 0.1);
            cairo_set_line_width(cr_, std::max(1.5, cell_ / 6));
            cairo_move_to(cr_, column * cell_, cy);
            cairo_line_to(cr_, (column + 1) * cell_, cy);
            cairo_stroke(cr_);
        }
    }

    void cross(int column, int row) {
        const double a = cell_ * 0.25;
        const double cx = (column + 0.5) * cell_;
        const double cy = (row + 0.5) * cell_;
        cairo_set_line_width(cr_, std::max(1.0, cell_ / 10));
        cairo_move_to(cr_, cx - a, cy - a);
        cairo_line_to(cr_, cx + a, cy + a);
        cairo_move_to(cr_, cx + a, cy - a);
        cairo_line_to(cr_, cx - a, cy + a);
        cairo_stroke(cr_);
    }

    std::pair<double, double> picture(Point2 p) const {
        return {(p.x / CellSize + check_.map.centreColumn + 0.5) * cell_,
                (p.z / CellSize + check_.map.centreRow + 0.5) * cell_};
    }

    void moveTo(Point2 p, bool line) {
        const auto [x, y] = picture(p);
        line ? cairo_line_to(cr_, x, y) : cairo_move_to(cr_, x, y);
    }

    void centredText(const std::string& text, double x, double y, Rgb colour) {
        cairo_text_extents_t e;
        cairo_text_extents(cr_, text.c_str(), &e);
        cairo_move_to(cr_, x - e.x_bearing - e.width / 2, y - e.y_bearing - e.height / 2);
        setColour(cr_, colour);
        cairo_show_text(cr_, text.c_str());
    }

    void label(double x, double y, const std::string& text) {
        cairo_set_source_rgb(cr_, 0.95, 0.95, 0.95);
        cairo_move_to(cr_, x, y + 12);
        cairo_show_text(cr_, text.c_str());
    }

    cairo_t* cr_;
    const MapCheck& check_;
    double cell_;
};

} // namespace

bool writeMapPicture(const std::string& path, const MapCheck& check) {
    const TrackGrid& map = check.map;
    const double cell = std::clamp(960.0 / std::max({map.width, map.height, 1}), 4.0, 24.0);
    const double mapWidth = map.width * cell;
    const int width = static_cast<int>(mapWidth + LegendWidth);
    const int height = static_cast<int>(std::max(map.height * cell, Painter::legendHeight()));
    const std::unique_ptr<cairo_surface_t, SurfaceFree> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    const std::unique_ptr<cairo_t, ContextFree> context(cairo_create(surface.get()));
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 0.12, 0.12, 0.12);
    cairo_paint(cr);
    Painter painter(cr, check, cell);
    painter.cells();
    painter.rampZones();
    painter.tiles();
    painter.waypoints();
    painter.problems();
    painter.legend(mapWidth);
    cairo_surface_flush(surface.get());
    return cairo_surface_write_to_png(surface.get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace tb::tool

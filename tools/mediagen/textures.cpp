// The ground's textures: the four street tiles, the grass field and the sky dome.
#include "image_writers.h"
#include "media_set.h"
#include "noise.h"
#include "paint.h"
#include "sky_layout.h"
#include "texture_painters.h"

#include <cmath>

namespace tb::media {
namespace {

// Street pictures are 16 pixels to the world unit: the 256-pixel picture covers a 16-unit cell.
constexpr double PixelsPerUnit = 16.0;
constexpr double RoadHalfWidth = 6.2 * PixelsPerUnit;
constexpr double EdgeLineOffset = 5.8 * PixelsPerUnit;
constexpr double LineWidth = 0.28 * PixelsPerUnit;
constexpr double ShoulderHalfWidth = 7.6 * PixelsPerUnit;

const Rgb Asphalt{72, 74, 78};
const Rgb Shoulder{168, 150, 118};
const Rgb Verge{96, 150, 60};
const Rgb LinePaint{236, 236, 228};
const Rgb CautionYellow{240, 196, 30};

// Grass at the picture's edges, then the dusty shoulder, then the asphalt: a base on which
// each tile paints its road shape.
Image streetBase(std::uint32_t seed) {
    Image image(StreetTexture.width, StreetTexture.height);
    noiseFill(image, {0, 0, image.width, image.height}, Verge, 0.18f, 8, seed);
    return image;
}

// Fills the current path with speckled asphalt (the path is kept).
void asphaltPath(cairo_t* cr, const Image& asphalt) {
    cairo_save(cr);
    cairo_clip_preserve(cr);
    Canvas tmp(asphalt);
    cairo_set_source_surface(cr, cairo_get_target(tmp.cr()), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

Image asphaltImage(std::uint32_t seed) {
    Image image(StreetTexture.width, StreetTexture.height);
    noiseFill(image, {0, 0, image.width, image.height}, Asphalt, 0.12f, 16, seed);
    return image;
}

void stroke(cairo_t* cr, Rgb c, double width) {
    setColour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// The straight runs along x: its rows are z, with z = 0 in the middle.
Image straightTile() {
    const Image asphalt = asphaltImage(11);
    Canvas c(streetBase(12));
    cairo_t* cr = c.cr();
    const double mid = StreetTexture.height / 2.0, w = StreetTexture.width;
    fillRect(cr, 0, mid - ShoulderHalfWidth, w, 2 * ShoulderHalfWidth, Shoulder);
    cairo_rectangle(cr, 0, mid - RoadHalfWidth, w, 2 * RoadHalfWidth);
    asphaltPath(cr, asphalt);
    cairo_new_path(cr);
    for (const double side : {-1.0, 1.0}) {
        cairo_move_to(cr, 0, mid + side * EdgeLineOffset);
        cairo_line_to(cr, w, mid + side * EdgeLineOffset);
        stroke(cr, LinePaint, LineWidth);
    }
    // Dashes 4 units long with 4-unit gaps, a gap across each tile edge so tiles join.
    for (const double x0 : {2.0, 10.0}) {
        cairo_rectangle(cr, x0 * PixelsPerUnit, mid - LineWidth / 2, 4 * PixelsPerUnit, LineWidth);
    }
    setColour(cr, LinePaint);
    cairo_fill(cr);
    return c.image();
}

// The corner joins the +x (right) and +z (bottom) edges round the cell's +x +z corner.
Image cornerTile() {
    const Image asphalt = asphaltImage(21);
    Canvas c(streetBase(22));
    cairo_t* cr = c.cr();
    const double cx = StreetTexture.width, cy = StreetTexture.height, r = 8 * PixelsPerUnit;
    const auto ring = [&](double inner, double outer) {
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, outer, M_PI, 1.5 * M_PI);
        cairo_arc_negative(cr, cx, cy, std::fmax(inner, 0.01), 1.5 * M_PI, M_PI);
        cairo_close_path(cr);
    };
    ring(r - ShoulderHalfWidth, r + ShoulderHalfWidth);
    setColour(cr, Shoulder);
    cairo_fill(cr);
    ring(r - RoadHalfWidth, r + RoadHalfWidth);
    asphaltPath(cr, asphalt);
    cairo_new_path(cr);
    for (const double offset : {-EdgeLineOffset, EdgeLineOffset}) {
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, r + offset, M_PI, 1.5 * M_PI);
        stroke(cr, LinePaint, LineWidth);
    }
    // Two dashes on the centre arc, gaps of 2 units where it meets the neighbouring tiles.
    const double arcLength = 0.5 * M_PI * r;
    const double gapEnd = 2 * PixelsPerUnit;
    const double dash = (arcLength - 2 * gapEnd) * 0.42;
    const double dashes[] = {dash, arcLength - 2 * gapEnd - 2 * dash, dash, 2 * gapEnd};
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, M_PI, 1.5 * M_PI);
    cairo_set_dash(cr, dashes, 4, -gapEnd);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    stroke(cr, LinePaint, LineWidth);
    cairo_set_dash(cr, nullptr, 0, 0);
    return c.image();
}

// The T: the road along z (columns) with a side road to +x (the right).
Image junctionTile() {
    const Image asphalt = asphaltImage(31);
    Canvas c(streetBase(32));
    cairo_t* cr = c.cr();
    const double mid = StreetTexture.width / 2.0, h = StreetTexture.height;
    const double w = StreetTexture.width;
    fillRect(cr, mid - ShoulderHalfWidth, 0, 2 * ShoulderHalfWidth, h, Shoulder);
    fillRect(cr, mid, mid - ShoulderHalfWidth, w - mid, 2 * ShoulderHalfWidth, Shoulder);
    cairo_rectangle(cr, mid - RoadHalfWidth, 0, 2 * RoadHalfWidth, h);
    cairo_rectangle(cr, mid, mid - RoadHalfWidth, w - mid, 2 * RoadHalfWidth);
    asphaltPath(cr, asphalt);
    cairo_new_path(cr);
    const double e = EdgeLineOffset;
    cairo_move_to(cr, mid - e, 0);
    cairo_line_to(cr, mid - e, h);
    cairo_move_to(cr, mid + e, 0);
    cairo_line_to(cr, mid + e, mid - e);
    cairo_line_to(cr, w, mid - e);
    cairo_move_to(cr, mid + e, h);
    cairo_line_to(cr, mid + e, mid + e);
    cairo_line_to(cr, w, mid + e);
    stroke(cr, LinePaint, LineWidth);
    // Give-way line across the mouth of the side road, and the centre dashes.
    const double giveWay[] = {LineWidth * 2, LineWidth * 1.5};
    cairo_set_dash(cr, giveWay, 2, 0);
    cairo_move_to(cr, mid + e + LineWidth * 2, mid - e);
    cairo_line_to(cr, mid + e + LineWidth * 2, mid + e);
    stroke(cr, LinePaint, LineWidth * 1.5);
    cairo_set_dash(cr, nullptr, 0, 0);
    for (const double z0 : {2.0, 10.0}) {
        cairo_rectangle(cr, mid - LineWidth / 2, z0 * PixelsPerUnit, LineWidth, 4 * PixelsPerUnit);
    }
    cairo_rectangle(cr, mid + e + 3 * PixelsPerUnit, mid - LineWidth / 2, 2 * PixelsPerUnit,
                    LineWidth);
    setColour(cr, LinePaint);
    cairo_fill(cr);
    return c.image();
}

// The ramp: the road along z, its two slopes painted with caution chevrons.
Image rampTile() {
    const Image asphalt = asphaltImage(41);
    Canvas c(streetBase(42));
    cairo_t* cr = c.cr();
    const double mid = StreetTexture.width / 2.0, h = StreetTexture.height;
    fillRect(cr, mid - ShoulderHalfWidth, 0, 2 * ShoulderHalfWidth, h, Shoulder);
    cairo_rectangle(cr, mid - RoadHalfWidth, 0, 2 * RoadHalfWidth, h);
    asphaltPath(cr, asphalt);
    cairo_new_path(cr);
    // Chevrons pointing up each slope, so they read from both directions.
    for (const double start : {0.6, 10.4}) {
        const bool risingDown = start < 8.0;
        fillRect(cr, mid - RoadHalfWidth, start * PixelsPerUnit, 2 * RoadHalfWidth,
                 5.0 * PixelsPerUnit, CautionYellow);
        for (int k = 0; k < 3; ++k) {
            const double y = (start + 0.6 + 1.5 * k) * PixelsPerUnit;
            const double tip = risingDown ? y + 1.0 * PixelsPerUnit : y;
            const double base = risingDown ? y : y + 1.0 * PixelsPerUnit;
            cairo_move_to(cr, mid - RoadHalfWidth, base);
            cairo_line_to(cr, mid, tip);
            cairo_line_to(cr, mid + RoadHalfWidth, base);
            stroke(cr, {30, 30, 30}, 0.55 * PixelsPerUnit);
        }
    }
    for (const double side : {-1.0, 1.0}) {
        cairo_move_to(cr, mid + side * EdgeLineOffset, 0);
        cairo_line_to(cr, mid + side * EdgeLineOffset, h);
        stroke(cr, LinePaint, LineWidth);
    }
    centredText(cr, "JUMP", mid, h / 2 + 0.6 * PixelsPerUnit, 1.8 * PixelsPerUnit, true, LinePaint);
    return c.image();
}

// Grass with clover and the odd flower; it repeats seamlessly. Seen from above the repeat
// would show, so the patches are gentle and the detail is fine.
Image fieldTexture() {
    Image image(FieldTexture.width, FieldTexture.height);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const float fx = static_cast<float>(x) / image.width;
            const float fy = static_cast<float>(y) / image.height;
            const float patches = tilingFractal(fx * 4, fy * 4, 4, 4, 101);
            const float blades = tilingNoise(fx * 128, fy * 256, 128, 102);
            const Rgb dry{118, 150, 58}, lush{78, 138, 48};
            const Rgb p = mix(lush, dry, std::fmin(1.0f, std::fmax(0.0f, (patches - 0.3f) * 1.4f)));
            image.at(x, y) = shade(p, 0.84 + 0.32 * blades);
        }
    }
    Canvas c(image);
    Rng rng(103);
    for (int i = 0; i < 160; ++i) {
        const double x = rng.range(4, FieldTexture.width - 4);
        const double y = rng.range(4, FieldTexture.height - 4);
        const bool flower = i % 4 == 0;
        setColour(c.cr(), flower ? Rgb{240, 230, 120} : Rgb{60, 110, 40});
        cairo_arc(c.cr(), x, y, flower ? 1.2 : 2.0, 0, 2 * M_PI);
        cairo_fill(c.cr());
    }
    return c.image();
}

// --- the sky ----------------------------------------------------------------------------

Rgb skyColourAt(float elevation) {
    const Rgb zenith{40, 100, 200}, middle{95, 160, 230}, horizon{200, 225, 240};
    if (elevation > 25.0f) {
        return mix(middle, zenith, (elevation - 25.0f) / 65.0f);
    }
    return mix(horizon, middle, std::fmax(0.0f, elevation) / 25.0f);
}

// Rows of the sky picture at an elevation, for painting silhouettes in degrees.
double rowAt(float elevation) {
    return skyRowAt(elevation) * SkyTexture.height;
}

void paintHills(cairo_t* cr, double width, std::uint32_t seed, float baseHeight, float roughness,
                Rgb colour) {
    const int period = 6;
    cairo_move_to(cr, 0, rowAt(-1.0f));
    for (int x = 0; x <= static_cast<int>(width); x += 2) {
        const float n = tilingFractal(static_cast<float>(x) * period / static_cast<float>(width),
                                      0.5f, period, 4, seed);
        cairo_line_to(cr, x, rowAt(baseHeight + roughness * n));
    }
    cairo_line_to(cr, width, rowAt(-1.0f));
    cairo_close_path(cr);
    setColour(cr, colour);
    cairo_fill(cr);
}

void paintPalm(cairo_t* cr, double x, float height, double lean, Rgb colour) {
    const double top = rowAt(height), foot = rowAt(0.0f);
    setColour(cr, colour);
    cairo_set_line_width(cr, 1.6);
    cairo_move_to(cr, x, foot);
    cairo_curve_to(cr, x, foot - (foot - top) * 0.5, x + lean, top + 4, x + lean, top);
    cairo_stroke(cr);
    for (int f = 0; f < 7; ++f) {
        const double a = -M_PI + f * M_PI / 6.0;
        const double len = 7.0 + (f % 2) * 2.0;
        cairo_move_to(cr, x + lean, top);
        cairo_curve_to(cr, x + lean + std::cos(a) * len * 0.5, top - 3,
                       x + lean + std::cos(a) * len, top + std::fabs(std::sin(a)) * 2 + 4,
                       x + lean + std::cos(a) * len * 1.1, top + 6);
        cairo_set_line_width(cr, 1.4);
        cairo_stroke(cr);
    }
}

Image skyTexture() {
    Image image(SkyTexture.width, SkyTexture.height);
    for (int y = 0; y < image.height; ++y) {
        const float elevation = skyElevationAt((static_cast<float>(y) + 0.5f) / image.height);
        const Rgb base = skyColourAt(elevation);
        for (int x = 0; x < image.width; ++x) {
            // Fair-weather cumulus, thinning towards the zenith and the horizon.
            const float fx = static_cast<float>(x) / image.width;
            const float n = tilingFractal(fx * 8, static_cast<float>(y) / 24.0f, 8, 5, 201);
            const float band = std::fmax(0.0f, 1.0f - std::fabs(elevation - 14.0f) / 16.0f);
            const float cloud = std::fmin(1.0f, std::fmax(0.0f, (n - 0.52f) * 5.0f)) * band;
            image.at(x, y) = mix(base, {250, 250, 252}, cloud * 0.9f);
        }
    }
    Canvas c(image);
    cairo_t* cr = c.cr();
    const double w = SkyTexture.width;
    paintHills(cr, w, 211, 1.5f, 4.5f, {120, 150, 175});
    paintHills(cr, w, 212, 0.3f, 2.2f, {70, 120, 80});
    Rng rng(213);
    for (int i = 0; i < 14; ++i) {
        // Keep palms clear of the picture's left and right edges so the repeat is seamless.
        const double x = 20 + (w - 40) * (i + rng.uniform() * 0.6) / 14.0;
        paintPalm(cr, x, 2.2f + rng.uniform() * 1.6f, rng.range(-4, 4), {40, 80, 45});
    }
    fillRect(cr, 0, rowAt(0.0f), w, SkyTexture.height - rowAt(0.0f), {92, 140, 62});
    return c.image();
}

} // namespace

bool writeGroundTextures(const std::string& folder) {
    return writeJpeg(folder + "/streetS.jpg", straightTile()) &&
           writeJpeg(folder + "/streetL.jpg", cornerTile()) &&
           writeJpeg(folder + "/streetT.jpg", junctionTile()) &&
           writeJpeg(folder + "/streetJ.jpg", rampTile()) &&
           writeJpeg(folder + "/field.jpg", fieldTexture(), 88) &&
           writeJpeg(folder + "/skyDome.jpg", skyTexture(), 90);
}

bool writeTextures(const std::string& folder) {
    return writeGroundTextures(folder) && writeVehicleTextures(folder) &&
           writeBuildingTextures(folder);
}

} // namespace tb::media

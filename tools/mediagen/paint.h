#pragma once
// Painting helpers shared by the texture painters and the splash picture.
#include "canvas.h"
#include "image.h"
#include "texture_layouts.h"

#include <cstdint>

namespace tb::media {

// Fills a rectangle of the image with `base` roughened by tiling noise: `amount` is the
// largest brightening or darkening, `cells` the noise's coarsest features across the rectangle.
void noiseFill(Image& image, PixelRect area, Rgb base, float amount, int cells, std::uint32_t seed);

// Picks the rectangle as cairo's clip and origin, so a painter works in the part's own pixels.
class PartScope {
  public:
    PartScope(cairo_t* cr, PixelRect part);
    ~PartScope();
    PartScope(const PartScope&) = delete;
    PartScope& operator=(const PartScope&) = delete;

  private:
    cairo_t* cr_;
};

// For textures whose pure black is cut out: lifts every painted pure-black pixel to a very dark
// brown, so that only what is painted afterwards with `cutOut` becomes transparent.
void keepBlackOpaque(Image& image);
// Paints the path in exact black with no anti-aliasing (a clean cut-out edge).
void cutOut(cairo_t* cr);

// The four jeepney liveries in the order of the results line.
struct Livery {
    const char* name;
    Rgb body;
    Rgb stripe;
    Rgb accent;
};
constexpr Livery Liveries[4] = {
    {"blue", {28, 78, 196}, {250, 250, 245}, {250, 200, 30}},
    {"gold", {232, 178, 28}, {150, 30, 25}, {255, 255, 240}},
    {"red", {200, 28, 34}, {255, 220, 40}, {255, 255, 245}},
    {"purple", {118, 42, 158}, {255, 210, 60}, {120, 220, 240}},
};

// The jeepney's side panel, painted into `cr` at (0, 0) over `width` x `height` pixels.
void paintJeepneySide(cairo_t* cr, double width, double height, const Livery& livery);

} // namespace tb::media

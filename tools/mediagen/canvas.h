#pragma once
// A cairo drawing surface that becomes an Image. Textures and the splash picture are painted
// on one of these.
#include "image.h"

#include <cairo.h>

namespace tb::media {

class Canvas {
  public:
    Canvas(int width, int height);
    explicit Canvas(const Image& start);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    int width() const { return width_; }
    int height() const { return height_; }
    Image image() const;

  private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Drawing helpers on the canvas's current path and source.
void setColour(cairo_t* cr, Rgb c, double alpha = 1.0);
Rgb mix(Rgb a, Rgb b, double t);
Rgb shade(Rgb c, double factor);
void fillRect(cairo_t* cr, double x, double y, double w, double h, Rgb c);
// Text centred on (cx, baseline y) in the game's sans face at the given pixel size.
void centredText(cairo_t* cr, const char* text, double cx, double y, double size, bool bold, Rgb c);
// The same text with an outline round every letter, for signs read from afar.
void outlinedText(cairo_t* cr, const char* text, double cx, double y, double size, Rgb fill,
                  Rgb outline, double outlineWidth);

} // namespace tb::media

#include "image.h"

namespace tb::media {

Image::Image(int w, int h, Rgb fill)
    : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

} // namespace tb::media

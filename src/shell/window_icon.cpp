#include "shell/window_icon.h"

#include "shell/media_paths.h"

#include <SDL.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>
#include <unistd.h>

namespace tb {
namespace {

// Big enough for a crisp title bar and task switcher, small enough to hand over at once.
constexpr int GameWindowIconSize = 64;

struct PixbufUnref {
    void operator()(GdkPixbuf* pixbuf) const { g_object_unref(pixbuf); }
};
using Pixbuf = std::unique_ptr<GdkPixbuf, PixbufUnref>;

struct SurfaceFree {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

bool readable(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

} // namespace

std::string gameIconPath(int size) {
    const std::string sizeText = std::to_string(size);
    std::string path = mediaPath("icon" + sizeText + ".png");
    if (readable(path)) {
        return path;
    }
    // An install keeps the program in <prefix>/lib/trundlebay and its icons in the theme.
    path = mediaFolder() + "/../../../share/icons/hicolor/" + sizeText + "x" + sizeText +
           "/apps/trundlebay.png";
    return readable(path) ? path : std::string();
}

bool setGameWindowIcon(SDL_Window* window) {
    const std::string path = gameIconPath(GameWindowIconSize);
    if (path.empty()) {
        return false;
    }
    Pixbuf loaded(gdk_pixbuf_new_from_file(path.c_str(), nullptr));
    if (!loaded) {
        return false;
    }
    Pixbuf rgba(gdk_pixbuf_add_alpha(loaded.get(), FALSE, 0, 0, 0));
    if (!rgba || gdk_pixbuf_get_bits_per_sample(rgba.get()) != 8) {
        return false;
    }
    std::unique_ptr<SDL_Surface, SurfaceFree> icon(SDL_CreateRGBSurfaceWithFormatFrom(
        gdk_pixbuf_get_pixels(rgba.get()), gdk_pixbuf_get_width(rgba.get()),
        gdk_pixbuf_get_height(rgba.get()), 32, gdk_pixbuf_get_rowstride(rgba.get()),
        SDL_PIXELFORMAT_RGBA32));
    if (!icon) {
        return false;
    }
    SDL_SetWindowIcon(window, icon.get());
    return true;
}

} // namespace tb

// mediagen: writes every model, texture, track map, sound and the splash picture the game
// reads, and the program's icon, into the media folder named on the command line. The same
// program always writes the same bytes, and it never touches the player's settings file
// ("game.ini").
#include "media_set.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mediagen MEDIA_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "mediagen: cannot create %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return 1;
    }
    using namespace tb::media;
    const bool written = writeTextures(folder) && writeModels(folder) && writeTrackMaps(folder) &&
                         writeMapKit(folder) && writeSounds(folder) && writeSplash(folder) &&
                         writeIcons(folder);
    // Hand back the font caches, so that sanitizer builds, which run this at build time too,
    // see a program that leaks nothing.
    cairo_debug_reset_static_data();
    FcFini();
    return written ? 0 : 1;
}

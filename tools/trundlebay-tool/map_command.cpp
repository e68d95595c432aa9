// trundlebay-tool map FILE.bmp [--png OUT.png]: what the game builds from a track map, and
// everything that would make the game draw or race it other than as drawn.
#include "map_checks.h"
#include "map_picture.h"
#include "tool_commands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tb::tool {
namespace {

struct MapArguments {
    std::string file;
    std::string png;
};

bool parseArguments(const std::vector<std::string>& args, MapArguments& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--png" && i + 1 < args.size()) {
            out.png = args[++i];
        } else if (out.file.empty() && !args[i].starts_with("--")) {
            out.file = args[i];
        } else {
            return false;
        }
    }
    return !out.file.empty();
}

int runMap(const std::vector<std::string>& args) {
    MapArguments arguments;
    if (!parseArguments(args, arguments)) {
        std::fprintf(stderr, "usage: trundlebay-tool map FILE.bmp [--png OUT.png]\n");
        return 2;
    }
    const MapCheck check = checkTrackMap(arguments.file);
    if (!check.readable) {
        std::fprintf(stderr, "trundlebay-tool map: %s cannot be read as a bitmap\n",
                     arguments.file.c_str());
    }
    std::printf("%s\n", mapCheckJson(check).dump(2).c_str());
    if (!arguments.png.empty() && check.readable && !writeMapPicture(arguments.png, check)) {
        std::fprintf(stderr, "trundlebay-tool map: cannot write %s\n", arguments.png.c_str());
        return 1;
    }
    return check.ok() ? 0 : 1;
}

const ToolCommand mapCommand("map", "FILE.bmp [--png OUT.png]", runMap);

} // namespace
} // namespace tb::tool

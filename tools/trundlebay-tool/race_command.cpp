// trundlebay-tool race: whole races on a track map with no window and no sound, the game's own
// update run on a simulated clock, one JSON line per race. For testing and judging maps.
#include "parse_number.h"
#include "tool_commands.h"

#include "race/headless_race.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "track/track_builder.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace tb::tool {
namespace {

struct RaceOptions {
    std::string map;
    int races = 1;
    unsigned seed = 1;
    bool autopilot = false;
};

int usageError(const char* problem, const std::string& subject) {
    std::fprintf(stderr, "trundlebay-tool race: %s '%s'\n", problem, subject.c_str());
    std::fprintf(stderr,
                 "usage: trundlebay-tool race [--map FILE] [--races N] [--seed S] [--autopilot]\n");
    return 2;
}

// Parses the arguments; a non-negative result is the exit code of a bad command line.
int parseOptions(const std::vector<std::string>& args, RaceOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--autopilot") {
            options.autopilot = true;
        } else if (arg == "--map" && hasValue) {
            options.map = args[++i];
        } else if (arg == "--races" && hasValue) {
            const auto races = parseNumber<int>(args[++i]);
            if (!races || *races < 1) {
                return usageError("--races needs a positive whole number, not", args[i]);
            }
            options.races = *races;
        } else if (arg == "--seed" && hasValue) {
            const auto seed = parseNumber<unsigned>(args[++i]);
            if (!seed) {
                return usageError("--seed needs a whole number from 0 up, not", args[i]);
            }
            options.seed = *seed;
        } else {
            return usageError("unknown or incomplete argument", arg);
        }
    }
    return -1;
}

// Without --map the map is chosen from the media folder by the game's own rule.
std::optional<std::string> chooseMap() {
    const std::vector<std::string> maps = findTrackMaps();
    if (maps.empty()) {
        return std::nullopt;
    }
    const int count = static_cast<int>(maps.size());
    return maps[static_cast<std::size_t>(chooseTrackMap(count, nextRandom()))];
}

nlohmann::ordered_json raceLine(const std::string& map, unsigned seed, int frames) {
    nlohmann::ordered_json line;
    line["map"] = std::filesystem::path(map).filename().string();
    line["seed"] = seed;
    line["winner"] = race.winner;
    line["finishTime"] = std::round(static_cast<double>(race.finishTime) * 1000.0) / 1000.0;
    line["frames"] = frames;
    nlohmann::ordered_json laps = nlohmann::ordered_json::array();
    for (const Vehicle& v : vehicles) {
        laps.push_back(v.lapCount);
    }
    line["laps"] = laps;
    return line;
}

int runRaces(const RaceOptions& options, const std::string& map) {
    for (int r = 1; r <= options.races; ++r) {
        const std::optional<int> frames = runRaceToFinish();
        if (!frames) {
            std::fprintf(stderr,
                         "trundlebay-tool race: race %d on %s has no winner after %d s of "
                         "simulated time\n",
                         r, map.c_str(),
                         RaceFrameLimit * static_cast<int>(HeadlessFrameMilliseconds) / 1000);
            return 1;
        }
        // Laps are read at the finish; the results that follow move the jeepneys on.
        std::printf("%s\n", raceLine(map, options.seed, *frames).dump().c_str());
        std::fflush(stdout);
        if (!runRaceResults()) {
            std::fprintf(stderr, "trundlebay-tool race: the results after race %d never end\n", r);
            return 1;
        }
    }
    return 0;
}

int raceCommand(const std::vector<std::string>& args) {
    RaceOptions options;
    if (const int code = parseOptions(args, options); code >= 0) {
        return code;
    }
    seedRandom(options.seed);
    const std::optional<std::string> map =
        options.map.empty() ? chooseMap() : resolveTrackMap(options.map);
    if (!map) {
        std::fprintf(stderr, "trundlebay-tool race: %s\n",
                     options.map.empty() ? ("no track map (map*.bmp) in " + mediaFolder()).c_str()
                                         : ("no such track map: " + options.map).c_str());
        return 1;
    }
    const std::string& shownName = options.map.empty() ? *map : options.map;
    const HeadlessLevel level(*map, options.autopilot);
    if (!lastTrackBuild().mapRead) {
        std::fprintf(stderr, "trundlebay-tool race: the track map %s cannot be read\n",
                     shownName.c_str());
        return 1;
    }
    if (!lastTrackBuild().walkClosed) {
        std::fprintf(stderr,
                     "trundlebay-tool race: warning: the road of %s does not lead back to the "
                     "arch (see trundlebay-tool map)\n",
                     shownName.c_str());
    }
    return runRaces(options, shownName);
}

const ToolCommand command("race", "[--map FILE] [--races N] [--seed S] [--autopilot]",
                          &raceCommand);

} // namespace
} // namespace tb::tool

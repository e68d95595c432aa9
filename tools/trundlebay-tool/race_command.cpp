// trundlebay-tool race: whole races on a track map with no window and no sound, the game's own
// update run on a simulated clock, one JSON line per race. For testing and judging maps.
#include "tool_commands.h"

#include "assets/model.h"
#include "race/game_update.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "track/level.h"
#include "track/track_builder.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace tb::tool {
namespace {

constexpr std::uint32_t FrameMilliseconds = 30;
constexpr float FrameSeconds = 0.03f;
// A race that has no winner after this much simulated time is stuck, not slow.
constexpr int RaceFrameLimit = 20 * 60 * 1000 / FrameMilliseconds;
// The results last 10 s; anything far beyond that is a fault.
constexpr int ResultsFrameLimit = 60 * 1000 / FrameMilliseconds;

std::uint32_t simulatedMilliseconds = 1000;
std::uint32_t simulatedClock() {
    return simulatedMilliseconds;
}

struct RaceOptions {
    std::string map;
    int races = 1;
    unsigned seed = 1;
    bool autopilot = false;
};

template <typename Number> std::optional<Number> parseNumber(const std::string& text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

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

// The map as the level loader names it: a file the user named anywhere is reached from the
// media folder by a relative path; a bare name is looked up in the media folder itself.
std::optional<std::string> resolveMap(const std::string& map) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_regular_file(map, error)) {
        const fs::path relative = fs::relative(fs::absolute(map), mediaFolder(), error);
        if (!error && !relative.empty()) {
            return relative.string();
        }
    }
    if (fs::is_regular_file(mediaPath(map), error)) {
        return map;
    }
    return std::nullopt;
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

void runFrame() {
    simulatedMilliseconds += FrameMilliseconds;
    app.frameTime = FrameSeconds;
    app.frameClock = clockSeconds();
    update();
}

// Runs one race from its countdown to the finish; the number of frames, or nullopt when the
// race found no winner in time.
std::optional<int> runToFinish() {
    for (int frame = 1; frame <= RaceFrameLimit; ++frame) {
        runFrame();
        if (race.phase == Finished) {
            return frame;
        }
    }
    return std::nullopt;
}

bool runResults() {
    for (int frame = 0; frame < ResultsFrameLimit; ++frame) {
        runFrame();
        if (race.phase == Countdown) {
            return true;
        }
    }
    return false;
}

// The level loaded without window, sound output or overlay, on the simulated clock.
struct HeadlessLevel {
    HeadlessLevel(const std::string& map, bool autopilot) {
        setClockSource(&simulatedClock);
        setUpdateOptions({autopilot, false});
        LevelOptions level;
        level.mapFile = map.c_str();
        level.openSound = false;
        level.createOverlay = false;
        loadLevel(level);
    }
    ~HeadlessLevel() {
        unloadLevel();
        setClockSource(nullptr);
    }
    HeadlessLevel(const HeadlessLevel&) = delete;
    HeadlessLevel& operator=(const HeadlessLevel&) = delete;
};

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
        const std::optional<int> frames = runToFinish();
        if (!frames) {
            std::fprintf(stderr,
                         "trundlebay-tool race: race %d on %s has no winner after %d s of "
                         "simulated time\n",
                         r, map.c_str(),
                         RaceFrameLimit * static_cast<int>(FrameMilliseconds) / 1000);
            return 1;
        }
        // Laps are read at the finish; the results that follow move the jeepneys on.
        std::printf("%s\n", raceLine(map, options.seed, *frames).dump().c_str());
        std::fflush(stdout);
        if (!runResults()) {
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
    setGraphicsEnabled(false);
    seedRandom(options.seed);
    const std::optional<std::string> map =
        options.map.empty() ? chooseMap() : resolveMap(options.map);
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

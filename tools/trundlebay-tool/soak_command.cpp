// trundlebay-tool soak: many headless races on every track map, each seed a fresh level load,
// with and without the autopilot. After every frame every vehicle's fields and the camera must
// be finite, and every race must be won and its results must end. Prints one JSON summary.
#include "parse_number.h"
#include "tool_commands.h"

#include "race/headless_race.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "shell/media_paths.h"
#include "shell/random.h"
#include "track/track_builder.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tb::tool {
namespace {

// Reports beyond this many only add to the count.
constexpr std::size_t ProblemsListed = 20;
// A jump off the game's ramps rises about 10 units; a jeepney this far above or below the
// ground has left the world.
constexpr float HeightLimit = 50.0f;

// The first vehicle beyond the height limit, or -1.
int vehicleOffTheGround() {
    for (int i = 0; i < VehicleCount; ++i) {
        if (std::fabs(vehicleBody(i).position.y) > HeightLimit) {
            return i;
        }
    }
    return -1;
}

struct SoakOptions {
    std::vector<std::string> maps;
    int seeds = 125;
    unsigned firstSeed = 1;
    int racesPerLoad = 1;
};

struct RaceRecord {
    std::string map;
    unsigned seed = 0;
    bool autopilot = false;
    int race = 0;
    int frames = 0;
    double finishTime = 0.0;
    double seconds = 0.0;
};

// Where the largest value of a figure was seen.
struct Extreme {
    double value = 0.0;
    RaceRecord race;
    int vehicle = 0;
    int frame = 0;
    bool inResults = false;
};

struct SoakFigures {
    int loads = 0;
    int races = 0;
    int finishes = 0;
    long long frames = 0;
    Extreme farthest; // from the grid centre in (x, z)
    Extreme highest;
    Extreme deepest; // below the ground
    std::optional<RaceRecord> longestSimulated;
    std::optional<RaceRecord> longestReal;
    std::vector<std::string> problems;
    int problemCount = 0;
};

int usageError(const char* problem, const std::string& subject) {
    std::fprintf(stderr, "trundlebay-tool soak: %s '%s'\n", problem, subject.c_str());
    std::fprintf(stderr, "usage: trundlebay-tool soak [--map FILE]... [--seeds N] "
                         "[--first-seed S] [--races N]\n");
    return 2;
}

// Parses the arguments; a non-negative result is the exit code of a bad command line.
int parseOptions(const std::vector<std::string>& args, SoakOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--map" && hasValue) {
            options.maps.push_back(args[++i]);
        } else if ((arg == "--seeds" || arg == "--races") && hasValue) {
            const auto count = parseNumber<int>(args[++i]);
            if (!count || *count < 1) {
                return usageError("needs a positive whole number, not", arg + " " + args[i]);
            }
            (arg == "--seeds" ? options.seeds : options.racesPerLoad) = *count;
        } else if (arg == "--first-seed" && hasValue) {
            const auto seed = parseNumber<unsigned>(args[++i]);
            if (!seed) {
                return usageError("--first-seed needs a whole number from 0 up, not", args[i]);
            }
            options.firstSeed = *seed;
        } else {
            return usageError("unknown or incomplete argument", arg);
        }
    }
    return -1;
}

class Soak {
  public:
    explicit Soak(const SoakOptions& options) : options_(options) {}

    void runMap(const std::string& map, const std::string& shownName) {
        for (const bool autopilot : {false, true}) {
            for (int s = 0; s < options_.seeds; ++s) {
                const unsigned seed = options_.firstSeed + static_cast<unsigned>(s);
                if (!runLevel(map, shownName, seed, autopilot)) {
                    return;
                }
            }
        }
    }

    void problem(const std::string& text) {
        if (figures_.problems.size() < ProblemsListed) {
            figures_.problems.push_back(text);
        }
        ++figures_.problemCount;
    }

    const SoakFigures& figures() const { return figures_; }

  private:
    // False when the map cannot be raced at all, so that its other seeds are not tried.
    bool runLevel(const std::string& map, const std::string& shownName, unsigned seed,
                  bool autopilot) {
        seedRandom(seed);
        const HeadlessLevel level(map, autopilot);
        ++figures_.loads;
        if (!lastTrackBuild().mapRead) {
            problem(shownName + ": the track map cannot be read");
            return false;
        }
        current_ = RaceRecord{shownName, seed, autopilot, 0, 0, 0.0, 0.0};
        faultSeen_ = false;
        for (int r = 1; r <= options_.racesPerLoad; ++r) {
            current_.race = r;
            if (!runRace()) {
                break;
            }
        }
        return true;
    }

    // False when the race or its results did not end, which leaves the level unusable.
    bool runRace() {
        const auto started = std::chrono::steady_clock::now();
        const FrameObserver observer = [this](int frame) { inspectFrame(frame); };
        const std::optional<int> frames = runRaceToFinish(observer);
        ++figures_.races;
        figures_.frames += frames.value_or(RaceFrameLimit);
        if (!frames) {
            problem(label() + ": no winner after " +
                    std::to_string(RaceFrameLimit * HeadlessFrameMilliseconds / 1000) +
                    " s of simulated time");
            return false;
        }
        ++figures_.finishes;
        current_.frames = *frames;
        current_.finishTime = race.finishTime;
        current_.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        keepLongest();
        int resultFrames = 0;
        const FrameObserver resultsObserver = [&](int frame) {
            resultFrames = frame;
            inspectFrame(frame);
        };
        const bool ended = runRaceResults(resultsObserver);
        figures_.frames += resultFrames;
        if (!ended) {
            problem(label() + ": the results never end");
        }
        return ended;
    }

    void inspectFrame(int frame) {
        for (int i = 0; i < VehicleCount; ++i) {
            const Vec3& p = vehicleBody(i).position;
            keepExtreme(figures_.farthest, std::hypot(double{p.x}, double{p.z}), i, frame);
            keepExtreme(figures_.highest, p.y, i, frame);
            keepExtreme(figures_.deepest, -p.y, i, frame);
        }
        if (faultSeen_) {
            return;
        }
        if (const auto fault = findNonFiniteField()) {
            report(frame, describeField(*fault));
        } else if (const int i = vehicleOffTheGround(); i >= 0) {
            report(frame, "vehicle " + std::to_string(i) + " stands at height " +
                              std::to_string(vehicleBody(i).position.y));
        }
    }

    // One report per level load: a fault usually repeats every frame after it.
    void report(int frame, const std::string& what) {
        faultSeen_ = true;
        problem(label() + " frame " + std::to_string(frame) + " (" +
                (race.phase == Finished ? "results" : "race") + "): " + what);
    }

    void keepExtreme(Extreme& extreme, double value, int vehicle, int frame) const {
        if (value > extreme.value) {
            extreme = Extreme{value, current_, vehicle, frame, race.phase == Finished};
        }
    }

    void keepLongest() {
        if (!figures_.longestSimulated || current_.frames > figures_.longestSimulated->frames) {
            figures_.longestSimulated = current_;
        }
        if (!figures_.longestReal || current_.seconds > figures_.longestReal->seconds) {
            figures_.longestReal = current_;
        }
    }

    std::string label() const {
        return current_.map + " seed " + std::to_string(current_.seed) +
               (current_.autopilot ? " autopilot" : "") + " race " + std::to_string(current_.race);
    }

    const SoakOptions& options_;
    SoakFigures figures_;
    RaceRecord current_;
    bool faultSeen_ = false;
};

// Dividing by a whole number of parts gives the double nearest the short decimal.
double rounded(double value, double partsPerUnit) {
    return std::round(value * partsPerUnit) / partsPerUnit;
}

nlohmann::ordered_json recordJson(const std::optional<RaceRecord>& record) {
    if (!record) {
        return nullptr;
    }
    nlohmann::ordered_json line;
    line["map"] = std::filesystem::path(record->map).filename().string();
    line["seed"] = record->seed;
    line["autopilot"] = record->autopilot;
    line["race"] = record->race;
    line["frames"] = record->frames;
    line["finishTime"] = rounded(record->finishTime, 1000);
    line["seconds"] = rounded(record->seconds, 1000);
    return line;
}

nlohmann::ordered_json extremeJson(const Extreme& extreme) {
    nlohmann::ordered_json line;
    line["value"] = rounded(extreme.value, 100);
    line["map"] = std::filesystem::path(extreme.race.map).filename().string();
    line["seed"] = extreme.race.seed;
    line["autopilot"] = extreme.race.autopilot;
    line["race"] = extreme.race.race;
    line["vehicle"] = extreme.vehicle;
    line[extreme.inResults ? "resultsFrame" : "raceFrame"] = extreme.frame;
    return line;
}

nlohmann::ordered_json summaryJson(const SoakOptions& options, const SoakFigures& figures,
                                   int mapCount, double seconds) {
    nlohmann::ordered_json summary;
    summary["maps"] = mapCount;
    summary["seeds"] = options.seeds;
    summary["firstSeed"] = options.firstSeed;
    summary["racesPerLoad"] = options.racesPerLoad;
    summary["loads"] = figures.loads;
    summary["races"] = figures.races;
    summary["finishes"] = figures.finishes;
    summary["frames"] = figures.frames;
    summary["longestRace"] = recordJson(figures.longestSimulated);
    summary["slowestToRun"] = recordJson(figures.longestReal);
    summary["farthestFromCentre"] = extremeJson(figures.farthest);
    summary["highest"] = extremeJson(figures.highest);
    summary["deepest"] = extremeJson(figures.deepest);
    summary["seconds"] = rounded(seconds, 100);
    summary["problemCount"] = figures.problemCount;
    summary["problems"] = figures.problems;
    return summary;
}

int soakCommand(const std::vector<std::string>& args) {
    SoakOptions options;
    if (const int code = parseOptions(args, options); code >= 0) {
        return code;
    }
    const bool named = !options.maps.empty();
    const std::vector<std::string> maps = named ? options.maps : findTrackMaps();
    if (maps.empty()) {
        std::fprintf(stderr, "trundlebay-tool soak: no track map (map*.bmp) in %s\n",
                     mediaFolder().c_str());
        return 1;
    }
    const auto started = std::chrono::steady_clock::now();
    Soak soak(options);
    for (const std::string& map : maps) {
        const std::optional<std::string> resolved = resolveTrackMap(map);
        if (!resolved) {
            soak.problem("no such track map: " + map);
            continue;
        }
        soak.runMap(*resolved, map);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s\n", summaryJson(options, soak.figures(), static_cast<int>(maps.size()), seconds)
                            .dump(2)
                            .c_str());
    return soak.figures().problemCount == 0 ? 0 : 1;
}

const ToolCommand command("soak", "[--map FILE]... [--seeds N] [--first-seed S] [--races N]",
                          &soakCommand);

} // namespace
} // namespace tb::tool

// trundlebay-tool check FILE.bmp [--seeds N] [--first-seed S]: one verdict on a track map. The
// map check, then headless races on the game's own update with the player's jeepney standing
// and driven by the autopilot; good to race when the map has no problem, every race is won and
// every finish comes within five minutes.
#include "map_checks.h"
#include "parse_number.h"
#include "tool_commands.h"

#include "race/headless_race.h"
#include "race/race_progress.h"
#include "shell/random.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tb::tool {
namespace {

using Json = nlohmann::ordered_json;

constexpr double FinishLimitSeconds = 300.0;

struct CheckOptions {
    std::string file;
    int seeds = 10;
    unsigned firstSeed = 1;
};

int usage(const std::string& problem) {
    std::fprintf(stderr, "trundlebay-tool check: %s\n", problem.c_str());
    std::fprintf(stderr, "usage: trundlebay-tool check FILE.bmp [--seeds N] [--first-seed S]\n");
    return 2;
}

// A non-negative result is the exit code of a bad command line.
int parseOptions(const std::vector<std::string>& args, CheckOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--seeds" && hasValue) {
            const auto seeds = parseNumber<int>(args[++i]);
            if (!seeds || *seeds < 1) {
                return usage("--seeds needs a positive whole number, not '" + args[i] + "'");
            }
            options.seeds = *seeds;
        } else if (args[i] == "--first-seed" && hasValue) {
            const auto seed = parseNumber<unsigned>(args[++i]);
            if (!seed) {
                return usage("--first-seed needs a whole number from 0 up, not '" + args[i] + "'");
            }
            options.firstSeed = *seed;
        } else if (options.file.empty() && !args[i].starts_with("--")) {
            options.file = args[i];
        } else {
            return usage("unknown or incomplete argument '" + args[i] + "'");
        }
    }
    return options.file.empty() ? usage("no track map named") : -1;
}

struct RaceResult {
    unsigned seed = 0;
    bool autopilot = false;
    std::optional<double> finishTime; // nothing when no one won
    int winner = -1;
};

RaceResult runOneRace(const std::string& map, unsigned seed, bool autopilot) {
    seedRandom(seed);
    const HeadlessLevel level(map, autopilot);
    RaceResult result{seed, autopilot, std::nullopt, -1};
    if (runRaceToFinish()) {
        result.finishTime = std::round(static_cast<double>(race.finishTime) * 1000.0) / 1000.0;
        result.winner = race.winner;
    }
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Verdict {
    std::vector<double> finishes;
    int unwon = 0;
    std::vector<std::string> reasons;
    bool good() const { return reasons.empty(); }
};

Verdict judge(const MapCheck& check, const std::vector<RaceResult>& races) {
    Verdict verdict;
    for (const RaceResult& r : races) {
        if (r.finishTime) {
            verdict.finishes.push_back(*r.finishTime);
        } else {
            ++verdict.unwon;
        }
    }
    if (!check.ok()) {
        verdict.reasons.push_back(std::to_string(check.findings.size()) +
                                  " map problem(s) (see trundlebay-tool map)" +
                                  (check.builds ? "" : "; the track does not build"));
    }
    if (verdict.unwon > 0) {
        verdict.reasons.push_back(std::to_string(verdict.unwon) + " race(s) without a winner");
    }
    const double slowest = verdict.finishes.empty() ? 0.0
                                                    : *std::max_element(verdict.finishes.begin(),
                                                                        verdict.finishes.end());
    if (slowest > FinishLimitSeconds) {
        char text[128];
        std::snprintf(text, sizeof text, "slowest finish %.1f s is over %.0f s", slowest,
                      FinishLimitSeconds);
        verdict.reasons.push_back(text);
    }
    return verdict;
}

Json racesJson(const std::vector<RaceResult>& races) {
    Json list = Json::array();
    for (const RaceResult& r : races) {
        list.push_back(Json{{"seed", r.seed},
                            {"autopilot", r.autopilot},
                            {"winner", r.winner},
                            {"finishTime", r.finishTime ? Json(*r.finishTime) : Json(nullptr)}});
    }
    return list;
}

std::string summary(const std::string& name, const Verdict& verdict) {
    char figures[128] = "no race finished";
    if (!verdict.finishes.empty()) {
        std::snprintf(figures, sizeof figures, "median %.1f s, slowest %.1f s over %zu races",
                      median(verdict.finishes),
                      *std::max_element(verdict.finishes.begin(), verdict.finishes.end()),
                      verdict.finishes.size());
    }
    std::string line =
        name + ": " + (verdict.good() ? "good to race" : "not good to race") + " (" + figures + ")";
    for (const std::string& reason : verdict.reasons) {
        line += "; " + reason;
    }
    return line;
}

int checkCommand(const std::vector<std::string>& args) {
    CheckOptions options;
    if (const int code = parseOptions(args, options); code >= 0) {
        return code;
    }
    const MapCheck check = checkTrackMap(options.file);
    Json out = mapCheckJson(check);
    std::vector<RaceResult> races;
    const std::optional<std::string> map = resolveTrackMap(options.file);
    // A track that does not build has no road to race on; its races would only run out the
    // clock.
    if (check.builds && map) {
        for (const bool autopilot : {false, true}) {
            for (int s = 0; s < options.seeds; ++s) {
                races.push_back(
                    runOneRace(*map, options.firstSeed + static_cast<unsigned>(s), autopilot));
            }
        }
    }
    const Verdict verdict = judge(check, races);
    const std::string name = std::filesystem::path(options.file).filename().string();
    Json result{{"map", name}, {"goodToRace", verdict.good()}};
    result["medianFinish"] =
        verdict.finishes.empty() ? Json(nullptr) : Json(median(verdict.finishes));
    result["slowestFinish"] =
        verdict.finishes.empty()
            ? Json(nullptr)
            : Json(*std::max_element(verdict.finishes.begin(), verdict.finishes.end()));
    result["finishLimit"] = FinishLimitSeconds;
    result["racesWon"] = verdict.finishes.size();
    result["races"] = racesJson(races);
    result["reasons"] = verdict.reasons;
    result["mapCheck"] = std::move(out);
    std::printf("%s\n", result.dump(2).c_str());
    std::fprintf(stderr, "%s\n", summary(name, verdict).c_str());
    return verdict.good() ? 0 : 1;
}

const ToolCommand command("check", "FILE.bmp [--seeds N] [--first-seed S]", &checkCommand);

} // namespace
} // namespace tb::tool

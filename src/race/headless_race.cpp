#include "race/headless_race.h"

#include "assets/game_models.h"
#include "assets/model.h"
#include "race/camera.h"
#include "race/game_update.h"
#include "race/race_progress.h"
#include "race/vehicle.h"
#include "shell/app_state.h"
#include "shell/clock.h"
#include "shell/media_paths.h"
#include "track/level.h"
#include "track/track_builder.h"

#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <span>

namespace tb {
namespace {

constexpr float FrameSeconds = 0.03f;
constexpr std::uint32_t ClockStartMilliseconds = 1000;

std::uint32_t simulatedMilliseconds = ClockStartMilliseconds;
std::uint32_t simulatedClock() {
    return simulatedMilliseconds;
}

// A load after an earlier one in the same process must start where a fresh program starts.
void resetGameState() {
    resetGameModels();
    resetVehicles();
    resetRace();
    resetTrack();
    camera = Camera{};
    simulatedMilliseconds = ClockStartMilliseconds;
}

void runFrame(const FrameObserver& observer, int frame) {
    simulatedMilliseconds += HeadlessFrameMilliseconds;
    app.frameTime = FrameSeconds;
    app.frameClock = clockSeconds();
    update();
    if (observer) {
        observer(frame);
    }
}

// Walks the fields of one owner and keeps the first value that is not finite.
class FieldScan {
  public:
    FieldScan(int vehicle, const char* part) : vehicle_(vehicle), part_(part) {}

    void check(const char* field, std::span<const float> values) {
        for (std::size_t i = 0; i < values.size() && !fault_; ++i) {
            if (!std::isfinite(values[i])) {
                fault_ = NonFiniteField{vehicle_, part_, field, static_cast<int>(i), values[i]};
            }
        }
    }
    void check(const char* field, std::initializer_list<float> values) {
        check(field, std::span<const float>(values.begin(), values.size()));
    }
    void check(const char* field, const Vec3& v) { check(field, {v.x, v.y, v.z}); }
    void check(const char* field, const Angles& a) { check(field, {a.pitch, a.yaw, a.roll}); }

    const std::optional<NonFiniteField>& fault() const { return fault_; }

  private:
    int vehicle_;
    const char* part_;
    std::optional<NonFiniteField> fault_;
};

void scanModel(FieldScan& scan, const Model& m) {
    scan.check("transform", m.transform);
    scan.check("position", m.position);
    scan.check("rotation", m.rotation);
    scan.check("boundsMin", m.boundsMin);
    scan.check("boundsMax", m.boundsMax);
    scan.check("radiusSquared", {m.radiusSquared});
    scan.check("ambient", m.ambient);
    scan.check("diffuse", m.diffuse);
    scan.check("emission", m.emission);
    scan.check("specular", m.specular);
}

std::optional<NonFiniteField> scanVehicle(int i) {
    const Vehicle& v = vehicles[static_cast<std::size_t>(i)];
    FieldScan scan(i, "");
    scan.check("throttle", {v.throttle});
    scan.check("steer", {v.steer});
    scan.check("speed", {v.speed});
    scan.check("spinRate", {v.spinRate});
    scan.check("pushVelocity", v.pushVelocity);
    scan.check("prevPosition", v.prevPosition);
    scan.check("wheelSpin", {v.wheelSpin});
    scan.check("wheelSteer", {v.wheelSteer});
    scan.check("approachRadiiSq", v.approachRadiiSq);
    if (scan.fault()) {
        return scan.fault();
    }
    FieldScan body(i, "body");
    scanModel(body, vehicleBody(i));
    if (body.fault()) {
        return body.fault();
    }
    static constexpr const char* wheelNames[] = {"wheel 0", "wheel 1", "wheel 2", "wheel 3"};
    for (int k = 0; k < 4; ++k) {
        FieldScan wheel(i, wheelNames[k]);
        scanModel(wheel, vehicleWheel(i, k));
        if (wheel.fault()) {
            return wheel.fault();
        }
    }
    return std::nullopt;
}

std::optional<NonFiniteField> scanCamera() {
    FieldScan scan(-1, "camera");
    scan.check("eye", camera.eye);
    scan.check("viewDir", camera.viewDir);
    scan.check("up", camera.up);
    scan.check("viewMatrix", camera.viewMatrix);
    return scan.fault();
}

} // namespace

HeadlessLevel::HeadlessLevel(const std::string& map, bool autopilot) {
    setGraphicsEnabled(false);
    resetGameState();
    setClockSource(&simulatedClock);
    setUpdateOptions({autopilot, false});
    LevelOptions level;
    level.mapFile = map.c_str();
    level.openSound = false;
    level.createOverlay = false;
    loadLevel(level);
}

HeadlessLevel::~HeadlessLevel() {
    unloadLevel();
    setUpdateOptions({});
    setClockSource(nullptr);
}

std::optional<std::string> resolveTrackMap(const std::string& map) {
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

std::optional<int> runRaceToFinish(const FrameObserver& observer) {
    for (int frame = 1; frame <= RaceFrameLimit; ++frame) {
        runFrame(observer, frame);
        if (race.phase == Finished) {
            return frame;
        }
    }
    return std::nullopt;
}

bool runRaceResults(const FrameObserver& observer) {
    for (int frame = 1; frame <= ResultsFrameLimit; ++frame) {
        runFrame(observer, frame);
        if (race.phase == Countdown) {
            return true;
        }
    }
    return false;
}

std::optional<NonFiniteField> findNonFiniteField() {
    for (int i = 0; i < VehicleCount; ++i) {
        if (const auto fault = scanVehicle(i)) {
            return fault;
        }
    }
    return scanCamera();
}

std::string describeField(const NonFiniteField& fault) {
    // Appended piece by piece: GCC 12 at -O3 misreads `"..." + std::string` as overlapping copies.
    std::string text;
    if (fault.vehicle >= 0) {
        text += "vehicle ";
        text += std::to_string(fault.vehicle);
    }
    for (const char* piece : {fault.part, fault.field}) {
        if (*piece != '\0') {
            if (!text.empty()) {
                text += ' ';
            }
            text += piece;
        }
    }
    text += '[';
    text += std::to_string(fault.index);
    text += "] is ";
    text += std::isnan(fault.value) ? "nan" : (fault.value > 0 ? "inf" : "-inf");
    return text;
}

} // namespace tb

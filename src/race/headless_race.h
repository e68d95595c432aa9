#pragma once
// Whole races with no window, sound output or overlay: the game's own update on a simulated
// clock of 30 ms frames. The inspection tool's races and the soak run on it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tb {

constexpr std::uint32_t HeadlessFrameMilliseconds = 30;
// A race that has no winner after this much simulated time is stuck, not slow.
constexpr int RaceFrameLimit = 20 * 60 * 1000 / HeadlessFrameMilliseconds;
// The results last 10 s; anything far beyond that is a fault.
constexpr int ResultsFrameLimit = 60 * 1000 / HeadlessFrameMilliseconds;

// Called after every frame's update with the frame's number within its race or results.
using FrameObserver = std::function<void(int frame)>;

// The level loaded on a fresh game state and a simulated clock that starts at 1 s, models
// read without graphics; the destructor unloads it and gives the real clock back. `map` is
// named as the level loader takes it (relative to the media folder). Seed the generator first.
class HeadlessLevel {
  public:
    HeadlessLevel(const std::string& map, bool autopilot);
    ~HeadlessLevel();
    HeadlessLevel(const HeadlessLevel&) = delete;
    HeadlessLevel& operator=(const HeadlessLevel&) = delete;
};

// The map as the level loader names it: a file named anywhere is reached from the media
// folder by a relative path; a bare name is looked up in the media folder itself. Nullopt when
// there is no such file.
std::optional<std::string> resolveTrackMap(const std::string& map);

// Runs frames from the countdown until a vehicle wins: the race's frame count, or nullopt
// when none has won within RaceFrameLimit frames.
std::optional<int> runRaceToFinish(const FrameObserver& observer = {});
// Runs the results until the next countdown begins; false when they never end.
bool runRaceResults(const FrameObserver& observer = {});

// A value of the moving state that is NaN or infinite.
struct NonFiniteField {
    int vehicle = -1;      // 0..7, or -1 for the camera
    const char* part = ""; // "", "body", "wheel 0" .. "wheel 3" or "camera"
    const char* field = "";
    int index = 0; // element within the field (x, y, z are 0, 1, 2)
    float value = 0.0f;
};

// The first NaN or infinity in any field of any vehicle (its own fields, its body and wheel
// models) or of the camera; nullopt when all are finite.
std::optional<NonFiniteField> findNonFiniteField();
// "vehicle 3 wheel 2 transform[12] is nan", for reports.
std::string describeField(const NonFiniteField& fault);

} // namespace tb

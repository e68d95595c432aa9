#include "race/headless_race.h"

#include "race_fixture.h"

#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace tb::testing {
namespace {

using HeadlessRaceTest = RaceFixture;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();

TEST_F(HeadlessRaceTest, NamesTheFirstNonFiniteFieldOfVehiclesWheelsAndCamera) {
    ASSERT_FALSE(findNonFiniteField()) << "a fresh state is finite";
    const std::vector<std::pair<std::function<void(float)>, std::string>> cases = {
        {[](float f) { vehicles[0].speed = f; }, "vehicle 0 speed[0] is "},
        {[](float f) { vehicles[4].prevPosition.z = f; }, "vehicle 4 prevPosition[2] is "},
        {[](float f) { vehicles[6].pushVelocity.y = f; }, "vehicle 6 pushVelocity[1] is "},
        {[](float f) { vehicles[3].wheelSteer = f; }, "vehicle 3 wheelSteer[0] is "},
        {[](float f) { vehicles[1].approachRadiiSq[2] = f; }, "vehicle 1 approachRadiiSq[2] is "},
        {[](float f) { vehicleBody(2).rotation.roll = f; }, "vehicle 2 body rotation[2] is "},
        {[](float f) { vehicleBody(5).radiusSquared = f; }, "vehicle 5 body radiusSquared[0] is "},
        {[](float f) { vehicleWheel(7, 3).transform[14] = f; },
         "vehicle 7 wheel 3 transform[14] is "},
        {[](float f) { vehicleWheel(0, 1).position.x = f; }, "vehicle 0 wheel 1 position[0] is "},
        {[](float f) { camera.viewMatrix[5] = f; }, "camera viewMatrix[5] is "},
    };
    for (const auto& [set, expected] : cases) {
        for (const auto& [value, word] : {std::pair{NaN, "nan"}, {Inf, "inf"}, {-Inf, "-inf"}}) {
            set(value);
            const auto fault = findNonFiniteField();
            ASSERT_TRUE(fault) << expected << word;
            EXPECT_EQ(describeField(*fault), expected + word);
            set(0.0f);
        }
    }
    ASSERT_FALSE(findNonFiniteField());

    vehicleWheel(6, 0).boundsMax.y = NaN;
    vehicles[2].spinRate = Inf;
    EXPECT_EQ(findNonFiniteField()->vehicle, 2) << "vehicles are searched in index order";
}

} // namespace
} // namespace tb::testing

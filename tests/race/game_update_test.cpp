// The player's input into vehicle 0: mouse axes, or a joystick with its signed square.
#include "race/race_fixture.h"

#include "race/game_update.h"

#include <SDL.h>

namespace tb::testing {
namespace {

class PlayerInputTest : public RaceFixture {
  protected:
    void TearDown() override {
        releaseJoystick();
        if (virtualIndex >= 0) {
            SDL_JoystickDetachVirtual(virtualIndex);
        }
        RaceFixture::TearDown();
    }

    // A virtual stick standing in for real hardware, opened the way the game opens one.
    SDL_Joystick* attachStick() {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
            return nullptr;
        }
        virtualIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 0, 0);
        if (virtualIndex < 0 || !initJoystick()) {
            return nullptr;
        }
        return SDL_JoystickOpen(virtualIndex);
    }

    int virtualIndex = -1;
};

TEST_F(PlayerInputTest, TheMouseDrivesUnlessAJoystickSteersWithItsSignedSquare) {
    axisX = -0.4f;
    axisY = -0.8f; // the upper half of the window drives forward
    playerInput();
    EXPECT_EQ(vehicles[0].steer, -0.4f);
    EXPECT_EQ(vehicles[0].throttle, 0.8f);
    SDL_Joystick* stick = attachStick();
    if (!stick) {
        GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
    }
    const struct {
        Sint16 x, y;
        float steer, throttle;
    } readings[] = {{16384, -32768, 0.25f, 1.0f}, {-16384, 16384, -0.25f, -0.5f}};
    for (const auto& r : readings) {
        SDL_JoystickSetVirtualAxis(stick, 0, r.x);
        SDL_JoystickSetVirtualAxis(stick, 1, r.y);
        SDL_JoystickUpdate();
        playerInput();
        EXPECT_NEAR(vehicles[0].steer, r.steer, 1e-3f) << "half deflection gives a quarter";
        EXPECT_NEAR(vehicles[0].throttle, r.throttle, 1e-3f) << "the stick, not the mouse";
    }
    SDL_JoystickClose(stick);
}

} // namespace
} // namespace tb::testing

// The player's input into vehicle 0: mouse axes, or a joystick or pad with its signed square;
// and what a frame does after it.
#include "race/race_fixture.h"

#include "race/game_update.h"
#include "race/keyboard_steering.h"
#include "shell/game_window.h"
#include "shell/gamepad.h"

#include <SDL.h>

#include <cmath>
#include <initializer_list>

namespace tb::testing {
namespace {

class KeyboardInputTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        keyboardDrive = KeyboardDrive{};
    }
    // One frame of 0.03 s with these arrow keys held.
    static void frame(std::initializer_list<int> keys) {
        for (int key : {KeyLeft, KeyUp, KeyRight, KeyDown}) {
            keyState[key] = 0;
        }
        for (int key : keys) {
            keyState[key] = 1;
        }
        playerInput();
    }
};

TEST_F(KeyboardInputTest, ArrowKeysRampTheSteeringAndHoldTheControlsUntilTheMouseMoves) {
    axisY = -1.0f; // the cursor left at the top of the window: full throttle
    frame({});
    EXPECT_EQ(vehicles[0].throttle, 1.0f) << "the mouse drives until a key is pressed";

    frame({KeyRight});
    EXPECT_NEAR(vehicles[0].steer, 0.12f, 1e-5f) << "a tap steers a little";
    frame({});
    EXPECT_EQ(vehicles[0].steer, 0.0f);
    EXPECT_EQ(vehicles[0].throttle, 0.0f) << "the keys let go coast, whatever the cursor says";

    int frames = 0;
    for (; vehicles[0].steer > -1.0f && frames < 20; ++frames) {
        frame({KeyLeft, KeyUp});
        EXPECT_EQ(vehicles[0].throttle, 1.0f);
    }
    EXPECT_EQ(frames, 9) << "full lock in about a quarter of a second";
    for (frames = 0; vehicles[0].steer < 0.0f && frames < 20; ++frames) {
        frame({KeyDown});
        EXPECT_EQ(vehicles[0].throttle, -1.0f) << "Down brakes and reverses";
    }
    EXPECT_EQ(frames, 9) << "and back as fast";

    frame({KeyLeft});
    axisX = 0.5f;
    frame({KeyLeft});
    EXPECT_EQ(vehicles[0].steer, 0.5f) << "moving the mouse hands the controls back";
    EXPECT_EQ(vehicles[0].throttle, 1.0f);
}

using GameUpdateTest = RaceFixture;

// Each frame parts the jeepneys that touch and brings the camera after the player.
TEST_F(GameUpdateTest, AFrameBouncesTouchingJeepneysApartAndTheCameraFollows) {
    for (int i = 0; i < VehicleCount; ++i) {
        giveBody(i, {20.0f * static_cast<float>(i), 0, 0}, 0);
    }
    giveBody(1, {2.0f, 0, 0}, 0); // overlapping the player's side
    camera.eye = {0, 3, -100};
    update();
    const Vec3 p0 = vehicleBody(0).position;
    EXPECT_GT(vehicleBody(1).position.x - p0.x, 2.0f) << "parted in the same frame";
    EXPECT_NEAR(std::hypot(camera.eye.x - p0.x, camera.eye.z - p0.z), CameraLeash, 1e-4f);
}

// A virtual pad plugged in while the game runs, driven, pressed and pulled out again.
class GamepadTest : public RaceFixture {
  protected:
    void SetUp() override {
        RaceFixture::SetUp();
        app.running = true;
        initGamepads();
    }
    void TearDown() override {
        detach();
        releaseGamepads();
        drawingArea = DrawingArea{};
        app.running = false;
        RaceFixture::TearDown();
    }

    bool plugIn(SDL_JoystickType type) {
        index = SDL_JoystickAttachVirtual(type, 6, SDL_CONTROLLER_BUTTON_MAX, 0);
        stick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        drainEvents();
        return stick != nullptr;
    }
    void detach() {
        if (stick) {
            SDL_JoystickClose(stick);
            SDL_JoystickDetachVirtual(index);
            stick = nullptr;
            drainEvents();
        }
    }
    // The game takes one event per pass of its loop.
    static void drainEvents() {
        SDL_JoystickUpdate();
        while (SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
            pumpMessages();
        }
    }
    void press(SDL_GameControllerButton button, bool down) {
        SDL_JoystickSetVirtualButton(stick, button, down ? 1 : 0);
        drainEvents();
    }

    int index = -1;
    SDL_Joystick* stick = nullptr;
};

TEST_F(GamepadTest, APadPluggedInDrivesAndItsButtonsActAsKeysUntilPulledOut) {
    if (!plugIn(SDL_JOYSTICK_TYPE_GAMECONTROLLER)) {
        GTEST_SKIP() << "no virtual pad: " << SDL_GetError();
    }
    constexpr Sint16 Out = -32768;
    const struct {
        Sint16 stickX, stickY, leftTrigger, rightTrigger;
        float steer, throttle;
    } readings[] = {
        // A trigger's raw axis rests at -32768; SDL hands the game 0..32767.
        {16384, 0, Out, Out, 0.25f, 0.0f},     // the stick steers with its signed square
        {0, -32768, Out, Out, 0.0f, 1.0f},     // stick up drives forward
        {0, 0, Out, 32767, 0.0f, 1.0f},        // so does the right trigger
        {0, 0, 0, Out, 0.0f, -0.5f},           // the left trigger brakes in proportion
        {-32768, 0, 32767, 32767, -1.0f, 0.0f} // both triggers cancel
    };
    for (const auto& r : readings) {
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTX, r.stickX);
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTY, r.stickY);
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, r.leftTrigger);
        SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, r.rightTrigger);
        drainEvents();
        playerInput();
        EXPECT_NEAR(vehicles[0].steer, r.steer, 1e-3f) << r.stickX;
        EXPECT_NEAR(vehicles[0].throttle, r.throttle, 1e-3f) << r.stickY;
    }

    press(SDL_CONTROLLER_BUTTON_START, true);
    press(SDL_CONTROLLER_BUTTON_START, false);
    EXPECT_EQ(keyState[KeyP], 1) << "Start pauses once per press, as P";
    press(SDL_CONTROLLER_BUTTON_Y, true);
    EXPECT_EQ(keyState[KeyPageUp], 1);
    press(SDL_CONTROLLER_BUTTON_Y, false);
    EXPECT_EQ(keyState[KeyPageUp], 0) << "the overview lasts while Y is held";
    press(SDL_CONTROLLER_BUTTON_BACK, true);
    EXPECT_EQ(keyState[KeyR], 1);

    detach();
    EXPECT_EQ(keyState[KeyR], 0) << "a pad pulled out with Back held must not restart for ever";
    EXPECT_FALSE(pollJoystick());
    playerInput();
    EXPECT_EQ(vehicles[0].steer, 0.0f) << "its last reading no longer steers";
    drawingArea = {640, 480, 640, 480};
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 640;
    SDL_PushEvent(&motion);
    drainEvents();
    playerInput();
    EXPECT_NEAR(vehicles[0].steer, 1.0f, 0.01f) << "the mouse takes over again";

    ASSERT_TRUE(plugIn(SDL_JOYSTICK_TYPE_GAMECONTROLLER));
    EXPECT_TRUE(pollJoystick()) << "plugged in again without a restart";
}

TEST_F(GamepadTest, TheMouseDrivesUnlessAJoystickSteersWithItsSignedSquare) {
    axisX = -0.4f;
    axisY = -0.8f; // the upper half of the window drives forward
    playerInput();
    EXPECT_EQ(vehicles[0].steer, -0.4f);
    EXPECT_EQ(vehicles[0].throttle, 0.8f);
    if (!plugIn(SDL_JOYSTICK_TYPE_UNKNOWN)) {
        GTEST_SKIP() << "no virtual joystick: " << SDL_GetError();
    }
    EXPECT_FALSE(pollJoystick()) << "a device without a mapping is not taken up as a pad";
    ASSERT_TRUE(initJoystick());
    SDL_JoystickSetVirtualAxis(stick, 5, 32767); // a pad's right trigger, but not on this one
    const struct {
        Sint16 x, y;
        float steer, throttle;
    } readings[] = {{16384, -32768, 0.25f, 1.0f}, {-16384, 16384, -0.25f, -0.5f}};
    for (const auto& r : readings) {
        SDL_JoystickSetVirtualAxis(stick, 0, r.x);
        SDL_JoystickSetVirtualAxis(stick, 1, r.y);
        drainEvents();
        playerInput();
        EXPECT_NEAR(vehicles[0].steer, r.steer, 1e-3f) << "half deflection gives a quarter";
        EXPECT_NEAR(vehicles[0].throttle, r.throttle, 1e-3f) << "the stick, not the mouse";
    }
    keyState[KeyUp] = 1;
    playerInput();
    EXPECT_NEAR(vehicles[0].throttle, -0.5f, 1e-3f) << "the stick, not the arrow keys";
    releaseJoystick();
}

} // namespace
} // namespace tb::testing

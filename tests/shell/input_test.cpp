#include "shell/app_state.h"
#include "shell/input.h"
#include "shell/input_events.h"
#include "shell/settings.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace tb {
namespace {

SDL_Event keyEvent(Uint32 type, SDL_Keycode key) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    return event;
}

SDL_Event motionTo(int x, int y) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

class InputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = AppState{};
        app.running = true;
        settings = Settings{};
        std::memset(keyState, 0, sizeof keyState);
        axisX = axisY = 0.0f;
    }
    void TearDown() override { settings = Settings{}; }
};

TEST(InputMapping, GameKeysGetTheirVirtualKeyCodes) {
    EXPECT_EQ(virtualKeyFor(SDLK_q), KeyQ);
    EXPECT_EQ(virtualKeyFor(SDLK_ESCAPE), KeyEscape);
    EXPECT_EQ(virtualKeyFor(SDLK_p), KeyP);
    EXPECT_EQ(virtualKeyFor(SDLK_r), KeyR);
    EXPECT_EQ(virtualKeyFor(SDLK_PAGEUP), KeyPageUp);
    EXPECT_EQ(virtualKeyFor(SDLK_a), 'A');
    EXPECT_EQ(virtualKeyFor(SDLK_z), 'Z');
    EXPECT_EQ(virtualKeyFor(SDLK_7), '7');
    EXPECT_EQ(virtualKeyFor(SDLK_F12), 123);
    EXPECT_EQ(virtualKeyFor(SDLK_KP_ENTER), -1);
    EXPECT_EQ(virtualKeyFor(SDLK_AUDIOMUTE), -1);
}

TEST(InputMapping, MouseSpansTheWindowFromMinusOneToOne) {
    EXPECT_FLOAT_EQ(mouseAxis(0, 640), -1.0f);
    EXPECT_FLOAT_EQ(mouseAxis(320, 640), 0.0f);
    EXPECT_FLOAT_EQ(mouseAxis(640, 640), 1.0f);
    EXPECT_FLOAT_EQ(mouseAxis(800, 640), 1.5f) << "beyond the window passes unchanged";
    EXPECT_FLOAT_EQ(mouseAxis(-160, 640), -1.5f);
    EXPECT_EQ(mouseAxis(10, 0), 0.0f);
}

TEST(InputMapping, JoystickRangeMapsToUnitAndClamps) {
    EXPECT_FLOAT_EQ(joystickAxis(-32768, -32768, 32767), -1.0f);
    EXPECT_FLOAT_EQ(joystickAxis(32767, -32768, 32767), 1.0f);
    EXPECT_NEAR(joystickAxis(0, -32768, 32767), 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(joystickAxis(0, 0, 65535), -1.0f);
    EXPECT_FLOAT_EQ(joystickAxis(75, 0, 100), 0.5f);
    EXPECT_FLOAT_EQ(joystickAxis(-5, 0, 100), -1.0f);
    EXPECT_FLOAT_EQ(joystickAxis(250, 0, 100), 1.0f);
    EXPECT_EQ(joystickAxis(5, 7, 7), 0.0f) << "a joystick without range gives no reading";
}

TEST_F(InputTest, KeysSetAndClearTheirEntries) {
    inspectInputMessage(keyEvent(SDL_KEYDOWN, SDLK_r));
    inspectInputMessage(keyEvent(SDL_KEYDOWN, SDLK_PAGEUP));
    EXPECT_EQ(keyState[KeyR], 1);
    EXPECT_EQ(keyState[KeyPageUp], 1);
    inspectInputMessage(keyEvent(SDL_KEYUP, SDLK_r));
    EXPECT_EQ(keyState[KeyR], 0);
    EXPECT_EQ(keyState[KeyPageUp], 1);
    inspectInputMessage(keyEvent(SDL_KEYDOWN, SDLK_KP_ENTER));
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(keyState[code], code == KeyPageUp ? 1 : 0) << code;
    }
    EXPECT_TRUE(app.running);
}

TEST_F(InputTest, QuitKeysAndCloseRequestsEndTheRun) {
    inspectInputMessage(keyEvent(SDL_KEYDOWN, SDLK_q));
    EXPECT_FALSE(app.running);
    EXPECT_EQ(keyState[KeyQ], 1);

    app.running = true;
    inspectInputMessage(keyEvent(SDL_KEYDOWN, SDLK_ESCAPE));
    EXPECT_FALSE(app.running);

    app.running = true;
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    inspectInputMessage(close);
    EXPECT_FALSE(app.running);

    app.running = true;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    inspectInputMessage(quit);
    EXPECT_FALSE(app.running);
}

TEST_F(InputTest, MouseMotionUsesTheSettingsSize) {
    settings.width = 800;
    settings.height = 600;
    inspectInputMessage(motionTo(200, 450));
    EXPECT_FLOAT_EQ(axisX, -0.5f);
    EXPECT_FLOAT_EQ(axisY, 0.5f);
}

TEST_F(InputTest, NoJoystickMeansNoReadingAndTheMouseKeepsControl) {
    joystick = Joystick{};
    EXPECT_FALSE(pollJoystick());
    inspectInputMessage(motionTo(640, 0));
    EXPECT_FLOAT_EQ(axisX, 1.0f);
    EXPECT_FLOAT_EQ(axisY, -1.0f);
}

TEST_F(InputTest, JoystickNeedsTwoAxesAndComesBackAfterBeingUnplugged) {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        GTEST_SKIP() << SDL_GetError();
    }
    const int oneAxis = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 1, 0, 0);
    ASSERT_GE(oneAxis, 0) << SDL_GetError();
    EXPECT_FALSE(initJoystick()) << "no Y axis to drive with";
    SDL_JoystickDetachVirtual(oneAxis);
    releaseJoystick();

    const int twoAxes = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 0, 0);
    ASSERT_TRUE(initJoystick());
    SDL_Joystick* stick = SDL_JoystickOpen(twoAxes);
    SDL_JoystickSetVirtualAxis(stick, 0, -32768);
    SDL_JoystickSetVirtualAxis(stick, 1, 32767);
    SDL_JoystickUpdate();
    pumpMessages();
    EXPECT_FLOAT_EQ(axisX, -1.0f) << "a joystick reading takes over the axes";
    EXPECT_FLOAT_EQ(axisY, 1.0f);

    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(twoAxes);
    EXPECT_FALSE(pollJoystick()) << "unplugged";

    const int again = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 0, 0);
    SDL_Event added{};
    added.type = SDL_JOYDEVICEADDED;
    added.jdevice.which = again;
    inspectInputMessage(added);
    EXPECT_TRUE(pollJoystick()) << "plugged in again";

    SDL_JoystickDetachVirtual(again);
    releaseJoystick();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

} // namespace
} // namespace tb

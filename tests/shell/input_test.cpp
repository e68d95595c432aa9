#include "shell/app_state.h"
#include "shell/game_window.h"
#include "shell/input.h"
#include "shell/input_events.h"
#include "shell/settings.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

namespace tb {
namespace {

SDL_Event keyEvent(Uint32 type, SDL_Keycode key, SDL_Scancode place = SDL_SCANCODE_UNKNOWN) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = place;
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
        drawingArea = DrawingArea{640, 480, 640, 480};
        std::memset(keyState, 0, sizeof keyState);
        axisX = axisY = 0.0f;
    }
    void TearDown() override {
        settings = Settings{};
        drawingArea = DrawingArea{};
    }
};

TEST(InputMapping, KeysAreTheLayoutsLatinLettersElseTheirUsPlace) {
    struct Case {
        SDL_Keycode key;
        SDL_Scancode place;
        int code;
        const char* layout;
    };
    const Case cases[] = {
        {SDLK_q, SDL_SCANCODE_Q, KeyQ, "US"},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KeyEscape, "any"},
        {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, KeyPageUp, "any"},
        {SDLK_q, SDL_SCANCODE_A, KeyQ, "French: Q where US has A"},
        {SDLK_a, SDL_SCANCODE_Q, 'A', "French: A where US has Q"},
        {SDLK_z, SDL_SCANCODE_Y, 'Z', "German"},
        {0x439, SDL_SCANCODE_Q, KeyQ, "Russian short i"},
        {0x437, SDL_SCANCODE_P, KeyP, "Russian ze"},
        {0x3C1, SDL_SCANCODE_R, KeyR, "Greek rho"},
        {0xF6, SDL_SCANCODE_SEMICOLON, -1, "German o umlaut is no game key"},
        {SDLK_COMMA, SDL_SCANCODE_M, -1, "French comma keeps no letter"},
        {SDLK_7, SDL_SCANCODE_7, '7', "digits"},
        {SDLK_F12, SDL_SCANCODE_F12, 123, "function keys"},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, KeyLeft, "arrows"},
        {SDLK_UP, SDL_SCANCODE_UP, KeyUp, "arrows"},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, KeyRight, "arrows"},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, KeyDown, "arrows"},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, -1, "keys the game does not read"},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, -1, "keys the game does not read"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(virtualKeyFor(c.key, c.place), c.code) << c.layout;
    }
}

// The spread of a joystick axis as the device reports it, whatever its range.
TEST(InputMapping, JoystickRangeMapsToUnitAndClamps) {
    const struct {
        int position, minimum, maximum;
        float axis;
    } cases[] = {{-32768, -32768, 32767, -1.0f},
                 {32767, -32768, 32767, 1.0f},
                 {75, 0, 100, 0.5f},
                 {-5, 0, 100, -1.0f},
                 {250, 0, 100, 1.0f},
                 {5, 7, 7, 0.0f}}; // no range, no reading
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(joystickAxis(c.position, c.minimum, c.maximum), c.axis) << c.position;
    }
}

TEST_F(InputTest, KeysSetAndClearTheirEntries) {
    inspectInputMessage(keyEvent(SDL_KEYDOWN, SDLK_r));
    inspectInputMessage(keyEvent(SDL_KEYDOWN, SDLK_PAGEUP));
    EXPECT_EQ(keyState[KeyR], 1);
    EXPECT_EQ(keyState[KeyPageUp], 1);
    inspectInputMessage(keyEvent(SDL_KEYUP, SDLK_r));
    EXPECT_EQ(keyState[KeyR], 0);
    EXPECT_EQ(keyState[KeyPageUp], 1);
    inspectInputMessage(keyEvent(SDL_KEYDOWN, SDLK_KP_ENTER)); // keys without a code are ignored
    inspectInputMessage(keyEvent(SDL_KEYUP, SDLK_KP_ENTER));
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(keyState[code], code == KeyPageUp ? 1 : 0) << code;
    }
    EXPECT_TRUE(app.running);
}

TEST_F(InputTest, QuitKeysAndCloseRequestsEndTheRun) {
    SDL_Event close{}, quit{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    quit.type = SDL_QUIT;
    for (const SDL_Event& event :
         {keyEvent(SDL_KEYDOWN, SDLK_q), keyEvent(SDL_KEYDOWN, SDLK_ESCAPE), close, quit}) {
        app.running = true;
        inspectInputMessage(event);
        EXPECT_FALSE(app.running) << event.type;
    }
    EXPECT_EQ(keyState[KeyQ], 1);
}

// The pointer spans the drawing area the window really got, not the size in the settings, from
// -1 at the first pixel to 1 at the last; beyond it, the axes pass unchanged.
TEST_F(InputTest, MouseMotionSpansTheDrawingAreaNotTheSettings) {
    settings.width = 640;
    settings.height = 480;
    drawingArea = DrawingArea{2560, 2048, 1281, 1025};
    const struct {
        int x, y;
        float axisX, axisY;
    } cases[] = {{0, 0, -1.0f, -1.0f},
                 {320, 768, -0.5f, 0.5f},
                 {1280, 1024, 1.0f, 1.0f},
                 {1600, -256, 1.5f, -1.5f}};
    for (const auto& c : cases) {
        inspectInputMessage(motionTo(c.x, c.y));
        EXPECT_FLOAT_EQ(axisX, c.axisX) << c.x;
        EXPECT_FLOAT_EQ(axisY, c.axisY) << c.y;
    }
    drawingArea = DrawingArea{1, 1, 1, 1};
    inspectInputMessage(motionTo(5, 5));
    EXPECT_EQ(axisX, 0.0f) << "a one-pixel area has no spread";
}

TEST_F(InputTest, LosingFocusPausesUntilEveryReasonIsGone) {
    const auto windowEvent = [](SDL_WindowEventID id) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = id;
        inspectInputMessage(event);
    };
    windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_TRUE(app.inBackground);
    windowEvent(SDL_WINDOWEVENT_MINIMIZED);
    windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_TRUE(app.inBackground) << "still minimised";
    windowEvent(SDL_WINDOWEVENT_RESTORED);
    EXPECT_FALSE(app.inBackground);
    windowEvent(SDL_WINDOWEVENT_HIDDEN);
    EXPECT_TRUE(app.inBackground);
    windowEvent(SDL_WINDOWEVENT_SHOWN);
    EXPECT_FALSE(app.inBackground);
    EXPECT_FALSE(app.paused) << "the player's own pause is another matter";
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

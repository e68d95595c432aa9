#include "shell/game_window.h"
#include "shell/input_events.h"
#include "shell/settings.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace tb {
namespace {

class GameWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) {
            GTEST_SKIP() << "needs an X display";
        }
        settings = Settings{};
    }
    void TearDown() override {
        tearDownDisplay();
        settings = Settings{};
    }
};

TEST_F(GameWindowTest, WindowedContextDrawsWithDepthAndDisplayLists) {
    settings.width = 320;
    settings.height = 200;
    ASSERT_TRUE(createGameWindow());

    int depth = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    EXPECT_GE(depth, 16);

    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(SDL_GL_GetCurrentWindow(), &drawableWidth, &drawableHeight);
    EXPECT_EQ(drawableWidth, 320);
    EXPECT_EQ(drawableHeight, 200);
    EXPECT_EQ(drawingArea.width, 320);
    EXPECT_EQ(drawingArea.pointerHeight, 200);

    const GLuint list = glGenLists(1);
    EXPECT_NE(list, 0u) << "fixed-function display lists must be available";
    glDeleteLists(list, 1);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    tearDownDisplay();
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    tearDownDisplay();
    swapGameWindow();
}

// The game opens its window in a fresh process. In one that has opened and closed another GL
// window before (as the frame clock's test does), Xvfb's GL now and then hands out a
// single-buffered context, so this is asked of a child process of its own.
TEST_F(GameWindowTest, AFreshProcessGetsADoubleBufferedContext) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            settings.width = 320;
            settings.height = 200;
            const bool opened = createGameWindow();
            int doubleBuffer = 0;
            SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &doubleBuffer);
            std::fprintf(stderr, "opened %d, double buffer %d\n", opened, doubleBuffer);
            std::_Exit(0);
        },
        testing::ExitedWithCode(0), "opened 1, double buffer 1");
}

// F11 and Alt+Enter switch between a window and full screen once per press; other keys and a
// held key's repeats do not.
TEST_F(GameWindowTest, FullScreenKeysSwitchOncePerPress) {
    settings.width = 320;
    settings.height = 200;
    ASSERT_TRUE(createGameWindow());
    const struct {
        SDL_Keycode key;
        Uint16 mod;
        Uint8 repeat;
        int windowedAfter;
    } presses[] = {
        {SDLK_r, 0, 0, 1},   {SDLK_RETURN, 0, 0, 1},         {SDLK_F11, 0, 0, 0},
        {SDLK_F11, 0, 1, 0}, {SDLK_RETURN, KMOD_LALT, 0, 1}, {SDLK_KP_ENTER, KMOD_RALT, 0, 0}};
    for (const auto& p : presses) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = p.key;
        event.key.keysym.mod = p.mod;
        event.key.repeat = p.repeat;
        inspectInputMessage(event);
        EXPECT_EQ(settings.windowed, p.windowedAfter) << SDL_GetKeyName(p.key);
    }
}

TEST_F(GameWindowTest, DesktopSizeIsStoredAndMissingModesStillGiveAFullScreen) {
    settings.useScreenRes = 3;
    ASSERT_TRUE(createGameWindow());
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    EXPECT_EQ(settings.width, desktop.w);
    EXPECT_EQ(settings.height, desktop.h);
    tearDownDisplay();

    settings.useScreenRes = 0;
    settings.windowed = 0;
    settings.width = 123;
    settings.height = 45;
    ASSERT_TRUE(createGameWindow()) << "no display offers 123x45";
    EXPECT_GE(drawingArea.width, 123);
    EXPECT_GE(drawingArea.height, 45);
    EXPECT_EQ(settings.width, 123) << "the player's choice stays for a display that has it";
}

} // namespace
} // namespace tb

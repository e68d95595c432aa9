#pragma once
// A hidden SDL window with a compatibility OpenGL context, for tests that draw (run them
// under `xvfb-run -a`). The context is current for as long as the object lives.
#include <SDL.h>
#include <cstdlib>

namespace tb::test {

class GlContext {
  public:
    GlContext(int width = 64, int height = 64) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            return;
        }
        sdlStarted_ = true;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        window_ = SDL_CreateWindow("test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width,
                                   height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window_ != nullptr) {
            context_ = SDL_GL_CreateContext(window_);
        }
    }
    ~GlContext() {
        if (context_ != nullptr) {
            SDL_GL_DeleteContext(context_);
        }
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
        if (sdlStarted_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
    }
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    bool ready() const { return context_ != nullptr; }
    SDL_Window* window() const { return window_; }

    // Tests that draw need an X display; without one they are skipped, not failed.
    static bool displayAvailable() { return std::getenv("DISPLAY") != nullptr; }

  private:
    bool sdlStarted_ = false;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
};

} // namespace tb::test

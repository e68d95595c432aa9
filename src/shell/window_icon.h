#pragma once
// The game's icon, drawn by the media generator, for the launcher and the game window.
#include <string>

struct SDL_Window;

namespace tb {

// The icon picture of `size` x `size` pixels: the media folder's "icon<size>.png" when it is
// there, else the one an install put in the desktop's icon theme; empty when neither exists.
std::string gameIconPath(int size);
// Gives the window the game's icon; false (and the window system's default) without one.
bool setGameWindowIcon(SDL_Window* window);

} // namespace tb

#pragma once
// Keeps the picture, the HUD and the mouse fitted to the game window as it really is.
namespace tb {

// Measures the drawing area, then sets the viewport to all of it, the projection to its
// aspect and the HUD scale to its height; the desktop size (UseScreenRes 3) is stored as the
// size the game used. Called once the window is open and whenever its size changes.
void followDrawingArea();

} // namespace tb

#pragma once
// The pictures of smooth frames, drawn on a clock of their own between the game's frames: paced
// to the display's refresh rate with vsync, or to 60 a second where the display gives no
// refresh rate or no vsync, and never in the way of a frame about to be due.
namespace tb {

constexpr float FallbackPictureRate = 60.0f;

// Draws the scene `alpha` of the way from the frame before last (0) to the last frame (1).
using PictureFunction = void (*)(float alpha);

// With the game window's context current: asks for vsync and reads the display's refresh rate.
void startPictureClock();
// After each frame, with its elapsed time: the pictures until the next frame spread over as
// long again.
void noteFrame(float frameTime);
// Takes the events waiting, then draws one picture when one is due, the game is neither paused
// nor in the background and the picture fits before the next frame. True when it drew.
bool drawPictureIfDue(PictureFunction picture);
// How long, in whole milliseconds (at least 1), until the next picture can be due.
int millisecondsUntilNextPicture();

// How far the pictures have come from the last frame to the next: 0 at the last frame's clock,
// 1 a whole frame later and after that.
float pictureAlpha(float now, float frameClock, float frameTime);

} // namespace tb

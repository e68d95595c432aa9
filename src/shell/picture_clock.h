#pragma once
// The pictures drawn between the game's frames when smooth frames are on: paced to the
// display's refresh rate with vsync, or to 60 a second where the display gives no refresh rate
// or no vsync, and never in the way of a frame that is about to be due.
namespace tb {

constexpr float FallbackPictureRate = 60.0f;

// Draws the scene `alpha` of the way from the frame before last (0) to the last frame (1).
using PictureFunction = void (*)(float alpha);

// With the game window's context current: asks for vsync and reads the display's refresh rate.
void startPictureClock();
// After each frame's picture, with the frame's elapsed time: the pictures until the next frame
// spread over as long again.
void notePictureOfFrame(float frameTime);
// Between frames: takes the events waiting, then draws one picture when one is due, the game is
// neither paused nor hidden and the picture fits before the next frame. True when it drew.
bool drawPictureIfDue(PictureFunction picture);
// How long, in whole milliseconds (at least 1), until the next picture can be due.
int millisecondsUntilNextPicture();

// How far the pictures have come from the last frame to the next: 0 at the last frame's clock,
// 1 a whole frame later and after that.
float pictureAlpha(float now, float frameClock, float frameTime);

} // namespace tb

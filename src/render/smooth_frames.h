#pragma once
// Smooth frames: pictures drawn at the display's rate between the game's frames, with every
// moving thing (jeepney bodies and wheels, the camera, the sparks) where it stood between the
// last two frames. The frames themselves run exactly as without it.
#include "assets/math_types.h"

namespace tb {

// A jump this far (world units) between two frames is a teleport, shown at once: a restart,
// the overview camera.
constexpr float TeleportDistance = 20.0f;

// After a frame's update: the spark step of the frame and the poses it left, which the pictures
// until the next frame approach.
void finishSmoothFrame();
// The picture `alpha` of the way from the frame before last (0) to the last frame (1).
void drawPictureBetweenFrames(float alpha);
// Forgets the recorded poses: the next frame starts without a frame before it.
void resetSmoothFrames();

// The pose matrix `t` of the way from a to b: position along the line, rotation along the
// shorter arc; b itself when the positions are a teleport apart.
Mat4 interpolatePose(const Mat4& a, const Mat4& b, float t);

} // namespace tb

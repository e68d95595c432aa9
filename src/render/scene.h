#pragma once
// The view set-up and the scene's draw order.
namespace tb {

void setUpView();
void renderScene();

// The scene render split for pictures drawn between frames. The effects' step of a frame (the
// sparks move only then, drawing the same random numbers as renderScene would):
void stepSceneEffects();
// The scene with the sparks `alpha` of the way through their last step and the overlay as the
// last frame drew it; the models are drawn where their transforms stand.
void renderSceneBetweenFrames(float alpha);

} // namespace tb

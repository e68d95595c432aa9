#pragma once
// Collisions between jeepneys, and of the player's jeepney with the store, walls, huts and
// carabaos, decided on the ground plane from the models' bounding boxes.
#include "assets/model.h"

namespace tb {

struct Contact {
    bool touching = false;
    float x = 0.0f;
    float z = 0.0f;
};

bool segmentsCross(float x1, float z1, float x2, float z2, float x3, float z3, float x4, float z4,
                   float& sumX, float& sumZ);
Contact modelsTouch(const Model& a, const Model& b);
void collideVehicles();
void bounceOffObstacle(float contactX, float contactZ);

} // namespace tb

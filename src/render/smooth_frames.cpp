#include "render/smooth_frames.h"

#include "assets/game_models.h"
#include "race/camera.h"
#include "race/vehicle.h"
#include "render/scene.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <array>
#include <cmath>

namespace tb {
namespace {

struct FramePoses {
    std::array<Mat4, VehicleCount> bodies;
    std::array<float, VehicleCount> wheelSpin;
    std::array<float, VehicleCount> wheelSteer;
    Vec3 eye;
    Vec3 viewDir;
    Vec3 up;
    Mat4 viewMatrix;
};

struct SmoothFrames {
    bool recorded = false;
    FramePoses before; // the frame before last
    FramePoses last;
};

SmoothFrames smooth;

FramePoses currentPoses() {
    FramePoses poses;
    for (int i = 0; i < VehicleCount; ++i) {
        poses.bodies[i] = vehicleBody(i).transform;
        poses.wheelSpin[i] = vehicles[i].wheelSpin;
        poses.wheelSteer[i] = vehicles[i].wheelSteer;
    }
    poses.eye = camera.eye;
    poses.viewDir = camera.viewDir;
    poses.up = camera.up;
    poses.viewMatrix = camera.viewMatrix;
    return poses;
}

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}

Vec3 mix(const Vec3& a, const Vec3& b, float t) {
    return {mix(a.x, b.x, t), mix(a.y, b.y, t), mix(a.z, b.z, t)};
}

float distance(const Vec3& a, const Vec3& b) {
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

Vec3 normalised(const Vec3& v) {
    const float length = std::hypot(v.x, v.y, v.z);
    return length > 0.0f ? Vec3{v.x / length, v.y / length, v.z / length} : v;
}

Mat4 viewBetween(const FramePoses& a, const FramePoses& b, float t) {
    if (t <= 0.0f) {
        return a.viewMatrix;
    }
    if (t >= 1.0f || distance(a.eye, b.eye) > TeleportDistance) {
        return b.viewMatrix;
    }
    return lookAt(mix(a.eye, b.eye, t), normalised(mix(a.viewDir, b.viewDir, t)),
                  mix(a.up, b.up, t));
}

// The models' and the camera's own matrices stay the rules' own; a picture borrows them.
struct DrawnPoses {
    std::array<Mat4, VehicleCount> bodies;
    std::array<Mat4, 4 * VehicleCount> wheels;
    Mat4 viewMatrix;
};

DrawnPoses takeDrawnPoses() {
    DrawnPoses kept;
    for (int i = 0; i < VehicleCount; ++i) {
        kept.bodies[i] = vehicleBody(i).transform;
        for (int k = 0; k < 4; ++k) {
            kept.wheels[4 * i + k] = vehicleWheel(i, k).transform;
        }
    }
    kept.viewMatrix = camera.viewMatrix;
    return kept;
}

void giveBackDrawnPoses(const DrawnPoses& kept) {
    for (int i = 0; i < VehicleCount; ++i) {
        vehicleBody(i).transform = kept.bodies[i];
        for (int k = 0; k < 4; ++k) {
            vehicleWheel(i, k).transform = kept.wheels[4 * i + k];
        }
    }
    camera.viewMatrix = kept.viewMatrix;
}

void poseModelsBetween(const FramePoses& a, const FramePoses& b, float t) {
    for (int i = 0; i < VehicleCount; ++i) {
        const Mat4 body = interpolatePose(a.bodies[i], b.bodies[i], t);
        const bool jumped =
            distance({a.bodies[i][12], a.bodies[i][13], a.bodies[i][14]},
                     {b.bodies[i][12], b.bodies[i][13], b.bodies[i][14]}) > TeleportDistance;
        const float w = jumped ? 1.0f : t;
        vehicleBody(i).transform = body;
        for (int k = 0; k < 4; ++k) {
            vehicleWheel(i, k).transform =
                wheelTransform(body, k, mix(a.wheelSpin[i], b.wheelSpin[i], w),
                               mix(a.wheelSteer[i], b.wheelSteer[i], w));
        }
    }
    camera.viewMatrix = viewBetween(a, b, t);
}

} // namespace

Mat4 interpolatePose(const Mat4& a, const Mat4& b, float t) {
    const glm::mat4 ma = glm::make_mat4(a.data());
    const glm::mat4 mb = glm::make_mat4(b.data());
    if (t <= 0.0f) {
        return a;
    }
    if (t >= 1.0f || glm::distance(glm::vec3(ma[3]), glm::vec3(mb[3])) > TeleportDistance) {
        return b;
    }
    const glm::quat rotation =
        glm::slerp(glm::quat_cast(glm::mat3(ma)), glm::quat_cast(glm::mat3(mb)), t);
    glm::mat4 m = glm::mat4_cast(rotation);
    m[3] = glm::mix(ma[3], mb[3], t);
    Mat4 out;
    const float* source = glm::value_ptr(m);
    std::copy(source, source + 16, out.begin());
    return out;
}

void finishSmoothFrame() {
    stepSceneEffects();
    const FramePoses poses = currentPoses();
    smooth.before = smooth.recorded ? smooth.last : poses;
    smooth.last = poses;
    smooth.recorded = true;
}

void drawPictureBetweenFrames(float alpha) {
    const DrawnPoses kept = takeDrawnPoses();
    if (smooth.recorded) {
        poseModelsBetween(smooth.before, smooth.last, alpha);
    }
    setUpView();
    renderSceneBetweenFrames(alpha);
    giveBackDrawnPoses(kept);
}

void resetSmoothFrames() {
    smooth = SmoothFrames{};
}

} // namespace tb

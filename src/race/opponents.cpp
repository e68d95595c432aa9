#include "race/opponents.h"

#include "race/vehicle.h"
#include "track/track_grid.h"

#include <algorithm>
#include <cmath>

namespace tb {
namespace {

constexpr float HalfTurn = 3.14159f;
constexpr float FullTurn = 6.28318f;
constexpr float SteeringGain = 2.0f;
// Beyond this the yaw is brought back in one step; adding turns one by one would not move it.
constexpr float FarWoundYaw = 1000.0f;

bool drivesForward(int i) {
    return i < 4;
}

int stepForward(int i, int index, int n) {
    if (drivesForward(i)) {
        return index + 1 >= n ? 0 : index + 1;
    }
    return index - 1 < 0 ? n - 1 : index - 1;
}

int stepBackward(int i, int index, int n) {
    if (drivesForward(i)) {
        return index - 1 < 0 ? n - 1 : index - 1;
    }
    return index + 1 >= n ? 0 : index + 1;
}

float squaredDistance(float x, float z, const Point2& p) {
    const float dx = x - p.x, dz = z - p.z;
    return dx * dx + dz * dz;
}

// The approach distances may come in any order; they are tested as drawn.
void chooseThrottle(int i, Vehicle& v, float x, float z, int n) {
    const float d2 =
        squaredDistance(x, z, track.waypoints[static_cast<std::size_t>(v.nextWaypoint)]);
    if (d2 > v.approachRadiiSq[0]) {
        v.throttle = 0.75f;
    } else if (d2 > v.approachRadiiSq[1]) {
        v.throttle = 0.25f;
    } else if (d2 > v.approachRadiiSq[2]) {
        v.throttle = 0.125f;
    } else {
        v.nextWaypoint = stepForward(i, v.nextWaypoint, n);
    }
}

// Off the road the rival heads for the nearest point of the segment it is driving along.
Point2 offRoadTarget(int i, const Vehicle& v, float x, float z, int n) {
    const Point2 next = track.waypoints[static_cast<std::size_t>(v.nextWaypoint)];
    const Point2 from =
        track.waypoints[static_cast<std::size_t>(stepBackward(i, v.nextWaypoint, n))];
    const float ex0 = from.x - next.x, ez0 = from.z - next.z;
    const float length = std::sqrt(ex0 * ex0 + ez0 * ez0);
    const float ex = length != 0.0f ? ex0 / length : ex0;
    const float ez = length != 0.0f ? ez0 / length : ez0;
    const float k = (x - next.x) * ex + (z - next.z) * ez;
    if (k <= 0.0f) {
        return next;
    }
    if (k > length) {
        return from;
    }
    return {next.x + k * ex, next.z + k * ez};
}

float wrappedYaw(float yaw) {
    if (std::fabs(yaw) > FarWoundYaw) {
        yaw = std::remainder(yaw, FullTurn);
    }
    while (yaw > HalfTurn) {
        yaw -= FullTurn;
    }
    while (yaw <= -HalfTurn) {
        yaw += FullTurn;
    }
    return yaw;
}

float steerTowards(const Model& body, const Point2& target) {
    const float angle = std::atan2(target.x - body.position.x, target.z - body.position.z);
    float diff = angle - wrappedYaw(body.rotation.yaw);
    if (diff <= -HalfTurn) {
        diff += FullTurn;
    } else if (diff > HalfTurn) {
        diff -= FullTurn;
    }
    if (!std::isfinite(diff)) {
        return 0.0f;
    }
    return std::clamp(-SteeringGain * diff, -1.0f, 1.0f);
}

bool waypointUsable(const Vehicle& v, int n) {
    return v.nextWaypoint >= 0 && v.nextWaypoint < n;
}

} // namespace

void steerOpponent(int i) {
    Vehicle& v = vehicles[i];
    const int n = std::min(track.waypointCount, MaxWaypoints);
    // A track without waypoints gives a rival nowhere to go: it stands.
    if (n <= 0 || !waypointUsable(v, n)) {
        v.throttle = 0.0f;
        v.steer = 0.0f;
        return;
    }
    const Model& body = vehicleBody(i);
    const float x = body.position.x, z = body.position.z;
    chooseThrottle(i, v, x, z, n);
    const Point2 target = v.roughGround ? offRoadTarget(i, v, x, z, n)
                                        : track.waypoints[static_cast<std::size_t>(v.nextWaypoint)];
    v.steer = steerTowards(body, target);
}

void steerOpponents() {
    for (int i = 1; i < VehicleCount; ++i) {
        steerOpponent(i);
    }
}

} // namespace tb

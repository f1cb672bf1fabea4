// The camera's per-frame motion.
// Vector components are single precision and every vector operation rounds to float; speeds,
// stopping times and braking distances are doubles, rounded to float only where the value
// meets a vector. Changing a rounding point changes the path bit for bit.
#include "camera/CameraMotion.h"

#include <cmath>

namespace {

bool isFinite(const k_Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

k_CameraMotion::k_CameraMotion(double accelerationValue, double lookAccelerationValue,
                               double maxSpeedValue, double stopDistanceValue)
    : position(0.0f, 0.0f, 0.0f), lookAt(0.0f, 0.0f, -1.0f), up(0.0f, 1.0f, 0.0f),
      lookTarget(0.0f, 0.0f, -10.0f), velocity(0.0f, 0.0f, 0.0f), lookSpeed(0.0),
      maxSpeed(maxSpeedValue), acceleration(accelerationValue),
      lookAcceleration(lookAccelerationValue), stopDistance(stopDistanceValue) {}

void k_CameraMotion::setUp(k_Vector3 value) {
    up = value;
    up.normalize();
}

void k_CameraMotion::setPath(k_Vector3 waypointValue, k_Vector3 nextWaypointValue,
                             k_Vector3 goalValue) {
    waypoint = waypointValue;
    nextWaypoint = nextWaypointValue;
    goal = goalValue;
}

void k_CameraMotion::reset(k_Vector3 eye, k_Vector3 lookAtPoint) {
    goal = lookAtPoint;
    lookTarget = lookAtPoint;
    lookAt = lookAtPoint;
    nextWaypoint = eye;
    waypoint = eye;
    position = eye;
    lookSpeed = 0.0;
    velocity = k_Vector3(0.0f, 0.0f, 0.0f);
    up = k_Vector3(0.0f, 1.0f, 0.0f);
}

void k_CameraMotion::advance(double dt) {
    if (!std::isfinite(dt)) {
        return; // a broken clock must not poison the camera's state
    }
    position = stepEye(dt);
    updateLookAt(dt);
    updateUp(dt);
}

k_Vector3 k_CameraMotion::hermite(k_Vector3 p0, k_Vector3 m0, k_Vector3 p1, k_Vector3 m1, float t) {
    // The basis polynomials share their powers; each intermediate is a float on purpose.
    const float t2 = t * t;
    const float t3 = t * t2;
    const float a = t3 - t2;       // t^3 - t^2
    const float b = a - t2;        // t^3 - 2t^2
    const float c = (t3 + b) - t2; // 2t^3 - 3t^2
    const float h00 = c + 1.0f;
    const float h01 = -c;
    const float h10 = t + b;
    const float h11 = a;
    return ((p0 * h00 + m0 * h10) + m1 * h11) + p1 * h01;
}

k_Vector3 k_CameraMotion::curveToWaypoint(float t) const {
    return hermite(position, velocity, waypoint, nextWaypoint - waypoint, t);
}

k_Vector3 k_CameraMotion::stepEye(double dt) {
    if (!std::isfinite(dt)) {
        return position;
    }
    const k_Vector3 eye = position;
    const double startSpeed = velocity.length();

    const k_Vector3 arrivalTangent = nextWaypoint - waypoint;
    const k_Vector3 eyeToWaypoint = waypoint - eye;
    const k_Vector3 eyeToGoal = goal - eye;

    // Accelerate while the braking distance from the current speed, plus the stop distance,
    // is still short of the goal; otherwise brake, which may drive the speed negative.
    const double stopTime = startSpeed / acceleration;
    const double goalDistance = eyeToGoal.length();
    double speed;
    if (((acceleration * 0.5) * stopTime) * stopTime + stopTime * startSpeed + stopDistance <
        goalDistance) {
        speed = startSpeed + acceleration * dt;
    } else {
        speed = startSpeed - acceleration * dt;
    }

    // Soft limit: an overshoot is halved, so a steadily accelerating eye settles at
    // maxSpeed + acceleration * dt rather than exactly at maxSpeed.
    if (speed > maxSpeed) {
        speed = speed - (speed - maxSpeed) * 0.5;
    }
    if (speed < -maxSpeed) {
        speed = speed - (speed + maxSpeed) * 0.5;
    }
    const float speedSingle = static_cast<float>(speed);

    // An eye at rest leaves along the chord to its waypoint.
    if (dot(velocity, velocity) == 0.0f) {
        velocity = eyeToWaypoint;
    }
    velocity.normalize();
    velocity = velocity * speedSingle;

    // Parameter along the curve: the distance covered this step over a rough curve length.
    const k_Vector3 chordEstimate = velocity + eyeToWaypoint;
    const float estimateLength = chordEstimate.length();
    const float covered = static_cast<float>(speed * dt);
    const float curveLength = static_cast<float>(estimateLength + speed);
    float curveParameter = static_cast<float>(covered / (0.5 * curveLength));
    // No usable curve length (e.g. zero step at rest on the waypoint, or braking backward
    // from exactly the waypoint): take no step along the curve rather than a NaN.
    if (curveLength == 0.0f || !std::isfinite(curveParameter)) {
        curveParameter = 0.0f;
    }

    k_Vector3 curvePoint = hermite(eye, velocity, waypoint, arrivalTangent, curveParameter);
    if (!isFinite(curvePoint)) {
        curvePoint = eye; // the cubic overflowed: same continuation as above
    }

    velocity = curvePoint - eye;
    velocity.normalize();
    velocity = velocity * speedSingle;

    return eye + velocity * static_cast<float>(dt);
}

void k_CameraMotion::updateLookAt(double dt) {
    if (!std::isfinite(dt)) {
        return;
    }
    if (lookAt.isWithinDistance(lookTarget, 0.0001f)) {
        return; // arrived: the look speed is kept for the next target
    }
    const k_Vector3 eye = position;
    const k_Vector3 eyeToLookAt = lookAt - eye;
    const k_Vector3 eyeToTarget = lookTarget - eye;
    const float targetDistance = eyeToTarget.length();
    const float lookAtDistance = eyeToLookAt.length();

    // Carry the look-at point along the line of sight out to the target's distance. On the
    // eye itself the line of sight is undefined, so the point swings from where it is.
    k_Vector3 carried = lookAt;
    const float ratio = targetDistance / lookAtDistance;
    if (lookAtDistance != 0.0f && std::isfinite(ratio)) {
        const k_Vector3 scaled = eye + eyeToLookAt * ratio;
        if (isFinite(scaled)) {
            carried = scaled;
        }
    }

    const k_Vector3 remaining = lookTarget - carried;
    const double remainingDistance = remaining.length();

    const double stopTime = lookSpeed / lookAcceleration;
    const double speedLimit = (lookAcceleration / acceleration) * maxSpeed;
    if (((lookAcceleration * 0.5) * stopTime) * stopTime + stopTime * lookSpeed <
        remainingDistance) {
        lookSpeed = lookSpeed + lookAcceleration * dt;
    } else {
        lookSpeed = lookSpeed - lookAcceleration * dt;
    }
    if (lookSpeed > speedLimit) {
        lookSpeed = speedLimit;
    }
    if (lookSpeed < 0.0) {
        lookSpeed = 0.0;
    }

    // The remaining offset is not normalised: the point closes the fraction k of it per frame.
    const float fraction = static_cast<float>(dt * lookSpeed);
    lookAt = carried + remaining * fraction;
}

void k_CameraMotion::updateUp(double dt) {
    if (!std::isfinite(dt)) {
        return;
    }
    const k_Vector3 forward = lookAt - position;
    k_Vector3 right;
    right.cross(forward, up);
    k_Vector3 perpendicularUp;
    perpendicularUp.cross(right, forward);
    perpendicularUp.normalize();
    if (!isFinite(perpendicularUp)) {
        // Only for absurd distances (the cross products overflow): treat as no old up at all.
        perpendicularUp = k_Vector3(0.0f, 0.0f, 0.0f);
    }

    k_Vector3 towardVertical(0.0f - perpendicularUp.x, 1.0f - perpendicularUp.y,
                             0.0f - perpendicularUp.z);
    towardVertical = towardVertical * static_cast<float>(dt);
    towardVertical = towardVertical * 4.0f;

    up = perpendicularUp + towardVertical;
    up.normalize();
}

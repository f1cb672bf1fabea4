#pragma once

#include "camera/Camera.h"

// A camera that can take on another camera's whole state: the benchmarks plan from a copy
// of the scene's camera, put back before every step, so that each step starts from the
// same moment and the scene's own camera never moves.
class k_ReplayCamera : public k_Camera {
public:
    explicit k_ReplayCamera(const k_Camera& source)
        : k_Camera(source.getAcceleration(), source.getLookAcceleration(), source.getMaxSpeed(),
                   source.getStopDistance()) {
        restore(source);
    }

    /// Copies every field of the motion state; up is copied as stored, not renormalised.
    void restore(const k_Camera& source) {
        position = source.getPosition();
        lookAt = source.getLookAt();
        up = source.getUp();
        lookTarget = source.getLookTarget();
        velocity = source.getVelocity();
        lookSpeed = source.getLookSpeed();
        maxSpeed = source.getMaxSpeed();
        acceleration = source.getAcceleration();
        lookAcceleration = source.getLookAcceleration();
        stopDistance = source.getStopDistance();
        waypoint = source.getWaypoint();
        nextWaypoint = source.getNextWaypoint();
        goal = source.getGoal();
    }
};

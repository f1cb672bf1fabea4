#pragma once

#include "camera/Camera.h"

// A stand-in that moves exactly as a given camera would: it takes over that camera's motion
// state and runs the same update, so a planner can see where a path would take the eye
// without moving the real camera. Never drawn, never added to a scene.
class k_CameraProbe : public k_Camera {
public:
    k_CameraProbe() : k_Camera(1.0, 1.0, 1.0, 0.0) {}

    /// Copies every value the motion reads or changes from `camera`.
    void copyMotion(const k_Camera& camera) {
        position = camera.getPosition();
        lookAt = camera.getLookAt();
        up = camera.getUp();
        lookTarget = camera.getLookTarget();
        velocity = camera.getVelocity();
        lookSpeed = camera.getLookSpeed();
        maxSpeed = camera.getMaxSpeed();
        acceleration = camera.getAcceleration();
        lookAcceleration = camera.getLookAcceleration();
        stopDistance = camera.getStopDistance();
        waypoint = camera.getWaypoint();
        nextWaypoint = camera.getNextWaypoint();
        goal = camera.getGoal();
    }
};

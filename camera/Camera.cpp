// The camera node: its view transform, and its motion state delegated to k_CameraMotion.
// Drawing: beginRender pushes the model-view matrix and multiplies it by gluLookAt; endRender
// pops it again, so the camera leaves the matrix stack as it found it.
#include "camera/Camera.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>

k_Camera::k_Camera(double acceleration, double lookAcceleration, double maxSpeed,
                   double stopDistance)
    : motion(acceleration, lookAcceleration, maxSpeed, stopDistance) {}

k_Camera::~k_Camera() = default;

void k_Camera::beginRender() {
    const k_Vector3& eye = motion.position;
    const k_Vector3& lookAt = motion.lookAt;
    const k_Vector3& up = motion.up;
    glPushMatrix();
    gluLookAt(eye.x, eye.y, eye.z, lookAt.x, lookAt.y, lookAt.z, up.x, up.y, up.z);
}

void k_Camera::endRender() {
    glPopMatrix();
}

void k_Camera::setPosition(k_Vector3 value) {
    motion.position = value;
}

void k_Camera::setLookAt(k_Vector3 value) {
    motion.lookAt = value;
}

void k_Camera::setUp(k_Vector3 value) {
    motion.setUp(value);
}

k_Vector3 k_Camera::getPosition() const {
    return motion.position;
}

k_Vector3 k_Camera::getLookAt() const {
    return motion.lookAt;
}

k_Vector3 k_Camera::getUp() const {
    return motion.up;
}

void k_Camera::setLookTarget(k_Vector3 value) {
    motion.lookTarget = value;
}

void k_Camera::setStopDistance(double value) {
    motion.stopDistance = value;
}

double k_Camera::getStopDistance() const {
    return motion.stopDistance;
}

void k_Camera::setAcceleration(double value) {
    motion.acceleration = value;
}

double k_Camera::getAcceleration() const {
    return motion.acceleration;
}

void k_Camera::setMaxSpeed(double value) {
    motion.maxSpeed = value;
}

double k_Camera::getMaxSpeed() const {
    return motion.maxSpeed;
}

void k_Camera::setPath(k_Vector3 waypointValue, k_Vector3 nextWaypointValue, k_Vector3 goalValue) {
    motion.setPath(waypointValue, nextWaypointValue, goalValue);
}

void k_Camera::reset(k_Vector3 eye, k_Vector3 lookAtPoint) {
    motion.reset(eye, lookAtPoint);
}

void k_Camera::update(double dt) {
    if (!std::isfinite(dt)) {
        return;
    }
    // The same steps as k_CameraMotion::advance, through the virtual slots.
    setPosition(motion.stepEye(dt));
    updateLookAt(dt);
    updateUp(dt);
}

void k_Camera::updateLookAt(double dt) {
    motion.updateLookAt(dt);
}

void k_Camera::updateUp(double dt) {
    motion.updateUp(dt);
}

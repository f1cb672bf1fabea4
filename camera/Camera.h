#pragma once

#include "camera/CameraMotion.h"
#include "math/Vector3.h"
#include "scenegraph/SceneNode.h"

// The viewpoint node: holds the camera's motion state (eye, look-at point, up direction and
// what its own smooth motion needs) as one value, which anything that looks ahead copies
// whole. Its render applies gluLookAt for its subtree and restores the model-view matrix
// afterwards. The per-frame motion goes through the virtual steps below, so that a derived
// camera sees each of them.
class k_Camera : public k_SceneNode {
public:
    /// Note the argument order: acceleration first, maximum speed third.
    k_Camera(double acceleration, double lookAcceleration, double maxSpeed, double stopDistance);
    ~k_Camera() override;
    const char* getTypeName() const override { return "Camera"; }

    virtual void setPosition(k_Vector3 value);
    virtual void setLookAt(k_Vector3 value);
    /// Stores the value normalised; a zero vector stays zero.
    virtual void setUp(k_Vector3 value);
    virtual k_Vector3 getPosition() const;
    virtual k_Vector3 getLookAt() const;
    virtual k_Vector3 getUp() const;
    virtual void setLookTarget(k_Vector3 value);
    virtual void setStopDistance(double value);
    virtual double getStopDistance() const;
    virtual void setAcceleration(double value);
    virtual double getAcceleration() const;
    virtual void setMaxSpeed(double value);
    virtual double getMaxSpeed() const;
    /// New path; velocity and look speed carry over.
    virtual void setPath(k_Vector3 waypointValue, k_Vector3 nextWaypointValue, k_Vector3 goalValue);
    /// One frame of motion: the eye (through setPosition), then the look-at point, then the
    /// up direction. A non-finite dt changes nothing.
    virtual void update(double dt);
    /// Puts the camera at rest at `eye`, looking at `lookAtPoint`, level.
    virtual void reset(k_Vector3 eye, k_Vector3 lookAtPoint);
    virtual void updateLookAt(double dt);
    virtual void updateUp(double dt);

    /// The whole motion state, for looking ahead on a copy or putting a saved one back.
    const k_CameraMotion& getMotion() const { return motion; }
    void setMotion(const k_CameraMotion& value) { motion = value; }

    /// Cubic Hermite point between p0 (tangent m0) and p1 (tangent m1) at parameter t.
    k_Vector3 hermite(k_Vector3 p0, k_Vector3 m0, k_Vector3 p1, k_Vector3 m1, float t) const {
        return k_CameraMotion::hermite(p0, m0, p1, m1, t);
    }

    /// The curve update() steers along, from the eye (t = 0) to the waypoint (t = 1): it leaves
    /// with the velocity and arrives along the way on to the next waypoint. For drawing the
    /// plan; the motion never calls it.
    k_Vector3 curveToWaypoint(float t) const { return motion.curveToWaypoint(t); }

    // Read-only views of the motion state for tools and tests.
    k_Vector3 getLookTarget() const { return motion.lookTarget; }
    k_Vector3 getVelocity() const { return motion.velocity; }
    double getLookSpeed() const { return motion.lookSpeed; }
    double getLookAcceleration() const { return motion.lookAcceleration; }
    k_Vector3 getWaypoint() const { return motion.waypoint; }
    k_Vector3 getNextWaypoint() const { return motion.nextWaypoint; }
    k_Vector3 getGoal() const { return motion.goal; }

protected:
    void beginRender() override;
    void endRender() override;

private:
    k_CameraMotion motion;
};

#pragma once

#include "math/Vector3.h"

// The camera's whole motion state as a value: eye, look-at point and up direction, the
// motion parameters, velocity and look speed, and the piece of path the planner last handed
// it. Anything that looks ahead copies it whole and advances the copy; a field added here is
// copied with the rest. One frame's motion (advance, or its three steps) keeps the state
// finite for any time step, also where the geometry degenerates.
class k_CameraMotion {
public:
    /// Note the argument order: acceleration first, maximum speed third. At rest at the
    /// origin, looking down the negative z axis, level.
    k_CameraMotion(double acceleration, double lookAcceleration, double maxSpeed,
                   double stopDistance);

    /// New path; velocity and look speed carry over.
    void setPath(k_Vector3 waypointValue, k_Vector3 nextWaypointValue, k_Vector3 goalValue);
    /// At rest at `eye`, looking at `lookAtPoint`, level.
    void reset(k_Vector3 eye, k_Vector3 lookAtPoint);
    /// Stores the value normalised; a zero vector stays zero.
    void setUp(k_Vector3 value);

    /// One frame of motion: the eye, then the look-at point, then the up direction. A
    /// non-finite dt changes nothing.
    void advance(double dt);
    /// The eye's part of a frame: updates the velocity and returns where the eye moves to,
    /// leaving the position itself as it is (and everything, for a non-finite dt).
    k_Vector3 stepEye(double dt);
    void updateLookAt(double dt);
    void updateUp(double dt);

    /// Cubic Hermite point between p0 (tangent m0) and p1 (tangent m1) at parameter t.
    static k_Vector3 hermite(k_Vector3 p0, k_Vector3 m0, k_Vector3 p1, k_Vector3 m1, float t);
    /// The curve the eye steers along, from the eye (t = 0) to the waypoint (t = 1): it leaves
    /// with the velocity and arrives along the way on to the next waypoint.
    k_Vector3 curveToWaypoint(float t) const;

    k_Vector3 position;
    k_Vector3 lookAt;
    k_Vector3 up;
    k_Vector3 lookTarget;
    k_Vector3 velocity;
    double lookSpeed;
    double maxSpeed;
    double acceleration;
    double lookAcceleration;
    double stopDistance;
    k_Vector3 waypoint;
    k_Vector3 nextWaypoint;
    k_Vector3 goal;
};

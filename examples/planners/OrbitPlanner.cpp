#include "examples/planners/OrbitPlanner.h"

#include <cmath>

k_OrbitPlanner::k_OrbitPlanner(k_InformationProvider* provider, k_Camera* camera,
                               k_MainSceneNode* rootNode, const k_AnimationManager* animations)
    : k_MotionPlanner(provider, camera, rootNode) {
    // Only to show how a planner asks for the bodies; this one reads none but the target's.
    wantBodies(animations);
}

k_PlannerCommand k_OrbitPlanner::decide(const k_PlannerInput& input) {
    const k_CameraMotion& camera = input.camera;
    const double radius = camera.stopDistance + input.targetRadius;
    // Round from wherever the camera stands now, so that the orbit starts without a jump.
    const k_Vector3 offset = camera.position - input.targetCenter;
    const double angle = std::atan2(static_cast<double>(offset.z), static_cast<double>(offset.x));
    auto onOrbit = [&](double seconds) {
        const double a = angle + turnRate * seconds;
        return input.targetCenter + k_Vector3(static_cast<float>(radius * std::cos(a)),
                                              static_cast<float>(radius * rise),
                                              static_cast<float>(radius * std::sin(a)));
    };
    // The camera speeds up while its goal is further than its stop distance: a goal that far
    // round keeps it moving at the orbit's pace instead of braking at each waypoint.
    const k_Vector3 waypoint = onOrbit(0.5);
    const k_Vector3 nextWaypoint = onOrbit(1.0);
    const double ahead = (camera.stopDistance + 0.5 * turnRate * radius) / (turnRate * radius);
    return k_PlannerCommand{waypoint, nextWaypoint, onOrbit(ahead), input.targetCenter};
}

#pragma once

#include <string>
#include <vector>

#include "math/Vector3.h"
#include "planning/BoundingSphere.h"
#include "planning/PlannerKind.h"

// What the latest planning step decided, as the plan's drawing reads it: copied when the step
// ends, so that it can be read (and drawn) without the planner, the provider, the camera, the
// body registry or the scene controller, and stays valid after the bodies are gone. The
// planner fills the plan; the controller that watches it adds what it alone knows (the run's
// name, planner and time) and where the top view looks.
struct k_PlanSnapshot {
    /// Points on the camera's curve from its eye (the first) to its waypoint (the last).
    static constexpr int curveSamples = 32;

    /// False until a step with a camera filled the snapshot; nothing else is meaningful then.
    bool planned = false;
    /// The camera after the step's motion.
    k_Vector3 eye;
    k_Vector3 lookAt;
    k_Vector3 up;
    bool hasTarget = false;
    /// The target's bounding sphere (not enlarged).
    k_BoundingSphere target;
    /// How much of the target the eye sees (k_VisibleShare); 0 without a target.
    double targetVisibleShare = 0.0;
    /// The enlarged spheres of the bodies that blocked the step's segment tests, each once,
    /// in the order first found.
    std::vector<k_BoundingSphere> blockers;
    /// Of those, the ones that shaped the route in use (routeBlockers()), in the same order.
    std::vector<k_BoundingSphere> routeBlockers;
    /// The route in travel order: the eye, the route's points, the place it heads for.
    /// Empty without a target.
    std::vector<k_Vector3> route;
    /// The curve the camera steers along to its waypoint. Empty without a target.
    std::vector<k_Vector3> curve;
    /// Every registered body but the target, not enlarged.
    std::vector<k_BoundingSphere> bodies;

    /// What is loaded, in words for the screen ("Scene 2"), the planner that steers and the
    /// seconds of scene time since the load, as of the step.
    std::string sceneName;
    k_PlannerKind planner = k_PlannerKind::standard;
    double sceneTime = 0.0;

    /// Where the top view looks, in world units: its centre's x and z and its half-width.
    struct TopView {
        double centerX = 0.0;
        double centerZ = 0.0;
        double halfWidth = 0.0;
    };
    TopView topView;

    void clear() { *this = k_PlanSnapshot(); }
};

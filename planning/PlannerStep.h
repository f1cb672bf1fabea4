#pragma once

#include <cstdint>
#include <vector>

#include "camera/CameraMotion.h"
#include "math/Vector3.h"

class k_BodyForecast;

/// A body as a planner sees it: where it is, how large, and how fast it moves.
struct k_PlannerBody {
    k_Vector3 center;
    float radius = 0.0f;
    /// The centre's change over the next velocityHorizon seconds, per second, as the bodies'
    /// animations have it: exact for bodies in straight motion, a chord for the rest.
    k_Vector3 velocity;
};

/// Everything a planning step is given, as values. The camera has already been moved out of
/// any body it stood in; the target was chosen by the provider, as for every planner.
struct k_PlannerInput {
    /// Seconds ahead that the bodies' velocities are measured over.
    static constexpr double velocityHorizon = 0.1;

    /// Steps since the camera was set, this one included (1 for the first).
    std::int64_t step = 0;
    /// Seconds of planning since the camera was set, this step's dt included.
    double time = 0.0;
    double dt = 0.0;
    /// The camera's whole motion state, its limits (acceleration, maximum speed, stop
    /// distance, look acceleration) and the path it was last given.
    k_CameraMotion camera{0.0, 0.0, 0.0, 0.0};
    /// The target's index among the bodies (the body registry's order); -1 when none.
    int targetIndex = -1;
    k_Vector3 targetCenter;
    float targetRadius = 0.0f;
    /// Every registered body in registry order, the target among them; filled only for a
    /// planner that asks for them (the built-in ones read the provider instead).
    std::vector<k_PlannerBody> bodies;
    /// Where the bodies will be a little ahead (null when bodies are not filled); valid for
    /// the step only.
    const k_BodyForecast* forecast = nullptr;
};

/// What a planning step hands back: the piece of path the camera steers along, as the
/// built-in planners give it, and the point it turns to look at. The camera moves along it
/// by its own bounded acceleration and speed, whoever planned.
struct k_PlannerCommand {
    k_Vector3 waypoint;
    k_Vector3 nextWaypoint;
    k_Vector3 goal;
    k_Vector3 lookTarget;

    /// False when any coordinate is NaN or infinite: such a command would poison the camera.
    bool isFinite() const;
};

#pragma once

#include <functional>

#include "tools/sim/WorldRecording.h"

class k_MotionPlanner;

// Records a world for the visibility bound: steps the scene frame by frame exactly as a run
// does, with a planner that only chooses the target (a k_PathPlayer without a path), and
// keeps every frame's bodies as the quality figures see them and the target's index.
class k_WorldRecorder {
public:
    /// One frame of dt seconds (k_Scene::update in the program).
    using UpdateFunction = std::function<void(double dt)>;

    /// How far outside every body a viewpoint must lie. The default planner only moves its
    /// eye out of a body it stands strictly inside, so any margin above 0 could make the
    /// bound lose sight more often than that planner did.
    static constexpr double margin = 0.0;

    /// Runs frames 1..frames, or fewer when `stopCheck` (asked before every frame) says so.
    /// The camera's start, its top speed and its rest distance come from the planner's
    /// camera before the first frame; without a camera they stay 0.
    static k_WorldRecording record(const UpdateFunction& update, const k_MotionPlanner& planner,
                                   long frames, double dt,
                                   const std::function<bool()>& stopCheck = nullptr);
    /// The fastest the camera can move: its speed limit is soft, an overshoot halved each
    /// frame, so a steadily accelerating eye settles at maxSpeed + acceleration * dt.
    static double topSpeed(double maxSpeed, double acceleration, double dt);
};

#pragma once

#include <vector>

#include "tools/sim/QualityMetrics.h"

// What the visibility bound needs of a run, recorded frame by frame without any planner: every
// registered body (the target among them, the same list the quality figures see) and the
// camera's limits. Frame 1 (frames[0]) is the state after the first update.
struct k_WorldRecording {
    using Sphere = k_QualityMetrics::Sphere;
    using Point = k_QualityMetrics::Point;

    struct Frame {
        /// Index of the target into `bodies`; -1 when there is none this frame.
        int target = -1;
        /// Distance from the target's centre at which the default planner's camera comes to
        /// rest, when it depends on the target; 0 or less: the recording's `restDistance`.
        double restDistance = 0.0;
        std::vector<Sphere> bodies;
    };

    double dt = 0.016;
    /// The camera's top speed; the bound ignores acceleration.
    double maxSpeed = 0.0;
    /// Distance from the target's centre at which the default planner's camera comes to rest.
    double restDistance = 0.0;
    /// A viewpoint must lie outside every body's sphere enlarged by this.
    double margin = 0.0;
    Point cameraStart{0.0, 0.0, 0.0};
    std::vector<Frame> frames;

    /// The rest distance that holds in `frame`.
    double restDistanceOf(const Frame& frame) const {
        return frame.restDistance > 0.0 ? frame.restDistance : restDistance;
    }
};

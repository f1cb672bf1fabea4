#pragma once

#include <cstdint>

#include "math/Vector3.h"

// What the simulator keeps of one frame: the camera after that frame's update, the
// planning step's counts and time, and where the chosen target was.
struct k_FrameRecord {
    long frame = 0;
    double t = 0.0;
    /// Index in artifactRegistry of the planner's target; -1 for none.
    int target = -1;
    k_Vector3 cameraPosition;
    k_Vector3 lookAt;
    k_Vector3 up;
    k_Vector3 velocity;
    double lookSpeed = 0.0;
    std::uint64_t relocations = 0;
    std::uint64_t findPathCalls = 0;
    std::uint64_t segmentTests = 0;
    std::uint64_t sphereTests = 0;
    std::int64_t planMicroseconds = 0;
    /// Wall time of the step's outermost searches.
    std::int64_t searchNanoseconds = 0;
    /// Filled only while the reference search runs alongside (--compare-reference).
    std::int64_t referencePlanMicroseconds = 0;
    std::int64_t referenceSearchNanoseconds = 0;
    std::uint64_t referenceSphereTests = 0;
    std::uint64_t mismatches = 0;
    /// True when the step's searches stopped at the search budget.
    bool budgetHit = false;
    /// Centre of the target after the update; meaningful when target >= 0.
    k_Vector3 targetPosition;
    /// The quality figures of the frame (k_QualityMetrics::FrameSample): the target's
    /// visible share (NaN without a target), hidden, engulfed, camera inside a body, and
    /// the view's turn since the previous frame in degrees per second.
    double visibleShare = 0.0;
    bool hidden = false;
    bool engulfed = false;
    bool inside = false;
    double viewTurnRate = 0.0;
};

#pragma once

#include <cstdint>

// What one planning step cost, for per-frame traces. The information provider counts the
// search work; the planner adds the relocation, the chosen target and the wall time.
struct k_PlanningStats {
    /// Camera relocations tried in the step (six random draws each).
    std::uint64_t relocationAttempts = 0;
    /// True when the step stopped relocating at the attempt limit with the eye still inside.
    bool relocationLimitReached = false;
    /// Every findPath invocation, nested calls and depth retries included.
    std::uint64_t findPathCalls = 0;
    std::uint64_t segmentTests = 0;
    /// k_Ray::hits calls made by the segment tests.
    std::uint64_t sphereTests = 0;
    /// True when the step's searches stopped at the provider's search budget: the segment
    /// test that would have gone past it was not made, and every search still running or
    /// started later in the step failed with its list unchanged.
    bool searchBudgetReached = false;
    /// Index of the chosen target in artifactRegistry; -1 when there is none.
    int targetIndex = -1;
    /// Wall time of the step, measured with std::chrono::steady_clock; without the time of
    /// the reference search when that runs alongside for comparison.
    std::int64_t stepMicroseconds = 0;
    /// Wall time of the step's outermost findPath calls.
    std::int64_t searchNanoseconds = 0;

    /// Filled only while the provider runs the reference search alongside the fast one.
    /// The reference's time for the same searches, and for the whole step (the step's
    /// time with the fast searches' time replaced by the reference's).
    std::int64_t referenceSearchNanoseconds = 0;
    std::int64_t referenceStepMicroseconds = 0;
    std::uint64_t referenceSphereTests = 0;
    /// Searches whose result, route or counts differed from the reference's (never, if the
    /// fast strategy is right).
    std::uint64_t referenceMismatches = 0;
    /// Wall time the comparison added to the step (the reference runs and repeats).
    std::int64_t comparisonNanoseconds = 0;
};

// The path search of k_InformationProvider: findPath and its candidate points. Kept apart
// from the point and segment queries so that the search can be replaced on its own.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "planning/DistanceCompare.h"
#include "planning/FastPathSearch.h"
#include "planning/InformationProvider.h"
#include "planning/SearchGeometry.h"
#include "scenegraph/Artifact.h"
#include "scenegraph/ArtifactRegistry.h"

using namespace searchGeometry;

std::vector<k_Vector3> k_InformationProvider::buildCandidates(const k_Vector3& from,
                                                              const k_Vector3& center) const {
    const float radius = (from - center).length();
    const std::vector<k_Vector3>& directions = getSampleDirections();

    std::vector<k_Vector3> candidates;
    candidates.reserve(directions.size());
    for (const k_Vector3& direction : directions) {
        const k_Vector3 candidate = center + direction * radius;
        if (exactlyEqual(candidate, from)) {
            continue;
        }
        candidates.push_back(candidate);
    }

    std::sort(candidates.begin(), candidates.end(), k_DistanceCompare(from));
    candidates.resize(keptCandidateCount(candidates.size()));
    return candidates;
}

namespace {
std::int64_t nanosecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                start)
        .count();
}

bool sameBits(const std::vector<k_Vector3>& a, const std::vector<k_Vector3>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(k_Vector3)) == 0);
}
} // namespace

bool k_InformationProvider::findPath(const k_Vector3& start, const k_Vector3& goal,
                                     const k_Artifact* ignored, std::vector<k_Vector3>& waypoints,
                                     int depth) {
    if (strategy == k_SearchStrategy::fast && !runningReference) {
        return findPathFast(start, goal, ignored, waypoints, depth);
    }
    if (runningReference || searchRunning) {
        return findPathReference(start, goal, ignored, waypoints, depth);
    }
    searchRunning = true;
    const auto startTime = std::chrono::steady_clock::now();
    const bool found = findPathReference(start, goal, ignored, waypoints, depth);
    stats.searchNanoseconds += nanosecondsSince(startTime);
    searchRunning = false;
    return found;
}

bool k_InformationProvider::findPathFast(const k_Vector3& start, const k_Vector3& goal,
                                         const k_Artifact* ignored,
                                         std::vector<k_Vector3>& waypoints, int depth) {
    if (!compareReference) {
        const auto startTime = std::chrono::steady_clock::now();
        const bool found = fastSearch->findPath(artifactRegistry, start, goal, ignored, waypoints,
                                                depth, stats, budget);
        stats.searchNanoseconds += nanosecondsSince(startTime);
        return found;
    }

    // The reference first, on a copy of the list, with its counts kept apart so that the
    // step's statistics read as if only the fast search had run. Each side runs
    // `compareRepeats` times and keeps its shortest time, which a busy machine inflates least.
    // The budget is put back with the counts, so that every run spends from the same start.
    const auto compareStart = std::chrono::steady_clock::now();
    const k_PlanningStats before = stats;
    const k_SearchBudget budgetBefore = budget;
    k_PlanningStats afterReference = stats;
    std::uint64_t referenceSpent = budget.getSpent();
    bool referenceFound = false;
    std::int64_t referenceTime = 0;
    for (int repeat = 0; repeat < compareRepeats; ++repeat) {
        stats = before;
        budget = budgetBefore;
        referenceWaypoints.assign(waypoints.begin(), waypoints.end());
        runningReference = true;
        const auto startTime = std::chrono::steady_clock::now();
        referenceFound = findPath(start, goal, ignored, referenceWaypoints, depth);
        const std::int64_t time = nanosecondsSince(startTime);
        runningReference = false;
        referenceTime = repeat == 0 ? time : std::min(referenceTime, time);
        afterReference = stats;
        referenceSpent = budget.getSpent();
    }
    std::int64_t fastTime = 0;
    for (int repeat = 1; repeat < compareRepeats; ++repeat) {
        stats = before;
        budget = budgetBefore;
        fastWaypoints.assign(waypoints.begin(), waypoints.end());
        const auto startTime = std::chrono::steady_clock::now();
        fastSearch->findPath(artifactRegistry, start, goal, ignored, fastWaypoints, depth, stats,
                             budget);
        const std::int64_t time = nanosecondsSince(startTime);
        fastTime = repeat == 1 ? time : std::min(fastTime, time);
    }
    stats = before;
    budget = budgetBefore;
    const auto startTime = std::chrono::steady_clock::now();
    const bool found = fastSearch->findPath(artifactRegistry, start, goal, ignored, waypoints,
                                            depth, stats, budget);
    const std::int64_t time = nanosecondsSince(startTime);
    fastTime = compareRepeats > 1 ? std::min(fastTime, time) : time;

    stats.searchNanoseconds += fastTime;
    stats.referenceSearchNanoseconds += referenceTime;
    stats.referenceSphereTests += afterReference.sphereTests - before.sphereTests;
    // Everything the comparison added to the step's wall time.
    stats.comparisonNanoseconds += nanosecondsSince(compareStart) - fastTime;
    if (found != referenceFound || !sameBits(waypoints, referenceWaypoints) ||
        stats.findPathCalls - before.findPathCalls !=
            afterReference.findPathCalls - before.findPathCalls ||
        budget.getSpent() != referenceSpent) {
        ++stats.referenceMismatches;
    }
    return found;
}

bool k_InformationProvider::findPathReference(const k_Vector3& start, const k_Vector3& goal,
                                              const k_Artifact* ignored,
                                              std::vector<k_Vector3>& waypoints, int depth) {
    if (budget.isReached()) {
        return false;
    }
    ++stats.findPathCalls;
    // Depths outside 0..maxDepth-1 fail at once: a larger one would otherwise retry upwards
    // without end.
    if (depth < 0 || depth >= maxDepth) {
        return false;
    }
    if (waypoints.size() > waypointLimit) {
        return false;
    }

    const k_Ray segment = segmentBetween(start, goal);
    // The reference point moves a fifth of the way towards the goal with every depth, so
    // each retry samples a smaller sphere around the goal.
    const k_Vector3 reference = referencePoint(start, segment, depth, maxDepth);

    if (!budget.trySpend()) {
        return false;
    }
    if (!testSegment(segment, ignored)) {
        waypoints.push_back(reference);
        return true;
    }

    for (const k_Vector3& candidate : buildCandidates(reference, goal)) {
        if (!budget.trySpend()) {
            return false;
        }
        // The probe covers the whole way to the candidate although only its first half is used.
        const k_Ray probe = segmentBetween(goal, candidate);
        if (testSegment(probe, ignored)) {
            continue;
        }
        const k_Vector3 intermediateGoal = midpointOf(goal, probe);
        if (isNearAny(intermediateGoal, waypoints)) {
            continue;
        }
        // The caller's list changes only when the whole attempt succeeds.
        std::vector<k_Vector3> trial(waypoints);
        trial.push_back(intermediateGoal);
        budget.offer(start, trial);
        if (findPath(start, intermediateGoal, ignored, trial, depth) &&
            trial.size() <= waypointLimit) {
            waypoints.swap(trial);
            return true;
        }
        if (budget.isReached()) {
            return false;
        }
    }
    return findPath(start, goal, ignored, waypoints, depth + 1);
}

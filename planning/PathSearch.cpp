// The path search of k_InformationProvider: findPath and its candidate points. Kept apart
// from the point and segment queries so that the search can be replaced on its own.
#include <algorithm>

#include "planning/DistanceCompare.h"
#include "planning/InformationProvider.h"
#include "scenegraph/Artifact.h"

namespace {
// Each cut keeps n - n/3 of the sorted candidates; four cuts keep the fifth of the sphere
// that faces the reference point (642 -> 128).
constexpr int candidateCuts = 4;
// An intermediate goal lies halfway out along its free probe.
constexpr float midpointFactor = 0.5f;
// Keeps a chain of intermediate goals from coming back to points it has already placed.
constexpr float proximity = 0.1f;

k_Ray segmentBetween(const k_Vector3& from, const k_Vector3& to) {
    k_Vector3 direction = to - from;
    const float length = direction.length();
    direction.normalize();
    return k_Ray(from, direction, length);
}

bool isNearAny(const k_Vector3& point, const std::vector<k_Vector3>& points) {
    for (const k_Vector3& other : points) {
        if (point.isWithinDistance(other, proximity)) {
            return true;
        }
    }
    return false;
}
} // namespace

std::vector<k_Vector3> k_InformationProvider::buildCandidates(const k_Vector3& from,
                                                              const k_Vector3& center) const {
    const float radius = (from - center).length();
    const std::vector<k_Vector3>& directions = getSampleDirections();

    std::vector<k_Vector3> candidates;
    candidates.reserve(directions.size());
    for (const k_Vector3& direction : directions) {
        const k_Vector3 candidate = center + direction * radius;
        if (candidate.x == from.x && candidate.y == from.y && candidate.z == from.z) {
            continue;
        }
        candidates.push_back(candidate);
    }

    std::sort(candidates.begin(), candidates.end(), k_DistanceCompare(from));
    for (int cut = 0; cut < candidateCuts; ++cut) {
        const std::size_t count = candidates.size();
        candidates.resize(count - count / 3);
    }
    return candidates;
}

bool k_InformationProvider::findPath(const k_Vector3& start, const k_Vector3& goal,
                                     const k_Artifact* ignored, std::vector<k_Vector3>& waypoints,
                                     int depth) const {
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
    const float fraction =
        static_cast<float>(static_cast<double>(depth) / static_cast<double>(maxDepth + 1));
    const k_Vector3 reference = start + (segment.direction * segment.length) * fraction;

    if (!isSegmentBlocked(segment, ignored)) {
        waypoints.push_back(reference);
        return true;
    }

    for (const k_Vector3& candidate : buildCandidates(reference, goal)) {
        // The probe covers the whole way to the candidate although only its first half is used.
        const k_Ray probe = segmentBetween(goal, candidate);
        if (isSegmentBlocked(probe, ignored)) {
            continue;
        }
        const k_Vector3 intermediateGoal = goal + (probe.direction * midpointFactor) * probe.length;
        if (isNearAny(intermediateGoal, waypoints)) {
            continue;
        }
        // The caller's list changes only when the whole attempt succeeds.
        std::vector<k_Vector3> trial(waypoints);
        trial.push_back(intermediateGoal);
        if (findPath(start, intermediateGoal, ignored, trial, depth) &&
            trial.size() <= waypointLimit) {
            waypoints.swap(trial);
            return true;
        }
    }
    return findPath(start, goal, ignored, waypoints, depth + 1);
}
